#pragma once
// A small JSON reader for test expectations (the fixtures' readings, the tables the independent
// tools print). Objects keep their key order; asking a value for what it is not throws.

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vodare::testing_json {

struct Json {
  char kind = 'z';  // z null, b bool, n number, s string, a array, o object
  double number = 0;  // a bool's 1 or 0 too
  std::string text;
  std::vector<std::string> keys;  // an object's, one for each of its items
  std::vector<Json> items;

  bool IsNull() const { return kind == 'z'; }
  bool IsBool() const { return kind == 'b'; }
  bool IsNumber() const { return kind == 'n'; }
  bool IsString() const { return kind == 's'; }
  bool IsObject() const { return kind == 'o'; }
  bool Bool() const { return Is('b').number != 0; }
  double Number() const { return Is('n').number; }
  const std::string& String() const { return Is('s').text; }
  const std::vector<Json>& Array() const { return Is('a').items; }
  const Json* Find(std::string_view key) const {
    for (size_t i = 0; i < keys.size(); ++i)
      if (keys[i] == key) return &items[i];
    return nullptr;
  }
  const Json& operator[](std::string_view key) const {
    if (const Json* j = Find(key)) return *j;
    throw std::runtime_error("json: no key " + std::string(key));
  }
  const Json& Is(char k) const {
    if (kind != k) throw std::runtime_error(std::string("json: not of kind ") + k);
    return *this;
  }
};

// Reads one value from s at i, moving i past it.
inline Json ParseJsonAt(std::string_view s, size_t& i) {
  auto fail = [&](const char* what) {
    throw std::runtime_error(std::string("json: ") + what + " at " + std::to_string(i));
  };
  auto space = [&] {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
  };
  auto eat = [&](std::string_view w) { return s.substr(i, w.size()) == w ? (i += w.size(), true) : false; };
  auto hex4 = [&] {
    if (i + 4 > s.size()) fail("short escape");
    return static_cast<unsigned>(std::stoul(std::string(s.substr((i += 4) - 4, 4)), nullptr, 16));
  };
  auto text = [&] {
    std::string out;
    for (++i; i < s.size() && s[i] != '"'; ++i) {
      if (s[i] != '\\') {
        out += s[i];
      } else if (++i >= s.size()) {
        fail("bad escape");
      } else if (s[i] != 'u') {
        const size_t k = std::string_view("nrtbf").find(s[i]);
        out += k == std::string_view::npos ? s[i] : "\n\r\t\b\f"[k];
      } else {
        ++i;
        unsigned cp = hex4();
        if (cp >= 0xD800 && cp < 0xDC00 && eat("\\u")) cp = 0x10000 + ((cp - 0xD800) << 10) + (hex4() - 0xDC00);
        const int extra = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
        out += static_cast<char>((0xF0E0C000u >> (8 * extra) & 0xFF) | (cp >> (6 * extra)));
        for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | (cp >> (6 * k) & 0x3F));
        --i;
      }
    }
    if (!eat("\"")) fail("unterminated string");
    return out;
  };
  Json j;
  space();
  if (i >= s.size()) fail("unexpected end");
  if (const char open = s[i]; open == '{' || open == '[') {
    j.kind = open == '{' ? 'o' : 'a';
    const std::string_view close = open == '{' ? "}" : "]";
    ++i;
    if (space(), eat(close)) return j;
    do {
      if (j.kind == 'o') {
        if (space(), i >= s.size() || s[i] != '"') fail("expected key");
        j.keys.push_back(text());
        if (space(), !eat(":")) fail("expected colon");
      }
      j.items.push_back(ParseJsonAt(s, i));
      space();
    } while (eat(","));
    if (!eat(close)) fail("expected comma");
  } else if (s[i] == '"') {
    j.kind = 's';
    j.text = text();
  } else if (const bool yes = eat("true"); yes || eat("false")) {
    j.kind = 'b';
    j.number = yes;
  } else if (eat("NaN")) {
    j.kind = 'n';
    j.number = std::nan("");
  } else if (!eat("null")) {
    const std::string num(s.substr(i, 40));
    char* end = nullptr;
    j.kind = 'n';
    j.number = std::strtod(num.c_str(), &end);
    if (end == num.c_str()) fail("bad value");
    i += static_cast<size_t>(end - num.c_str());
  }
  return j;
}

inline Json ParseJson(std::string_view text) {
  size_t i = 0;
  Json j = ParseJsonAt(text, i);
  while (i < text.size() && std::string_view(" \n\r\t").find(text[i]) != std::string_view::npos) ++i;
  if (i != text.size()) throw std::runtime_error("json: trailing text");
  return j;
}

}  // namespace vodare::testing_json
