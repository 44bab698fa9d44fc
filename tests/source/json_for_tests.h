#pragma once
// A small JSON reader for test expectations (the fixtures' readings, the lines the independent
// writer prints). Objects keep their key order.

#include <cmath>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vodare::testing_json {

struct Json;
using JsonArray = std::vector<Json>;
using JsonObject = std::vector<std::pair<std::string, Json>>;

struct Json {
  std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<JsonArray>,
               std::shared_ptr<JsonObject>>
      v = nullptr;

  bool IsNull() const { return v.index() == 0; }
  bool IsBool() const { return v.index() == 1; }
  bool IsNumber() const { return v.index() == 2; }
  bool IsString() const { return v.index() == 3; }
  bool IsArray() const { return v.index() == 4; }
  bool IsObject() const { return v.index() == 5; }
  bool Bool() const { return std::get<bool>(v); }
  double Number() const { return std::get<double>(v); }
  const std::string& String() const { return std::get<std::string>(v); }
  const JsonArray& Array() const { return *std::get<4>(v); }
  const JsonObject& Object() const { return *std::get<5>(v); }
  // Member by key; nullptr when absent or not an object.
  const Json* Find(std::string_view key) const {
    if (!IsObject()) return nullptr;
    for (const auto& [k, val] : Object())
      if (k == key) return &val;
    return nullptr;
  }
  const Json& operator[](std::string_view key) const {
    const Json* j = Find(key);
    if (!j) throw std::runtime_error("no key " + std::string(key));
    return *j;
  }
};

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : s_(text) {}
  Json Parse() {
    Json j = Value();
    Space();
    if (i_ != s_.size()) Throw("trailing text");
    return j;
  }

 private:
  [[noreturn]] void Throw(const char* what) {
    throw std::runtime_error(std::string("json: ") + what + " at " + std::to_string(i_));
  }
  void Space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
      ++i_;
  }
  bool Eat(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }
  static void Utf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  unsigned Hex4() {
    if (i_ + 4 > s_.size()) Throw("short \\u escape");
    unsigned v = static_cast<unsigned>(std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16));
    i_ += 4;
    return v;
  }
  std::string String() {
    ++i_;  // opening quote
    std::string out;
    while (true) {
      if (i_ >= s_.size()) Throw("unterminated string");
      char c = s_[i_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) Throw("bad escape");
      char e = s_[i_++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'u': {
          unsigned cp = Hex4();
          if (cp >= 0xD800 && cp < 0xDC00 && Eat("\\u")) {
            unsigned lo = Hex4();
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          }
          Utf8(out, cp);
          break;
        }
        default:
          out += e;
      }
    }
  }
  Json Value() {
    Space();
    if (i_ >= s_.size()) Throw("unexpected end");
    Json j;
    char c = s_[i_];
    if (c == '{') {
      ++i_;
      auto obj = std::make_shared<JsonObject>();
      Space();
      if (!Eat("}")) {
        while (true) {
          Space();
          if (i_ >= s_.size() || s_[i_] != '"') Throw("expected key");
          std::string key = String();
          Space();
          if (!Eat(":")) Throw("expected colon");
          obj->emplace_back(std::move(key), Value());
          Space();
          if (Eat("}")) break;
          if (!Eat(",")) Throw("expected comma");
        }
      }
      j.v = obj;
    } else if (c == '[') {
      ++i_;
      auto arr = std::make_shared<JsonArray>();
      Space();
      if (!Eat("]")) {
        while (true) {
          arr->push_back(Value());
          Space();
          if (Eat("]")) break;
          if (!Eat(",")) Throw("expected comma");
        }
      }
      j.v = arr;
    } else if (c == '"') {
      j.v = String();
    } else if (Eat("null")) {
      j.v = nullptr;
    } else if (Eat("true")) {
      j.v = true;
    } else if (Eat("false")) {
      j.v = false;
    } else if (Eat("NaN")) {
      j.v = std::nan("");
    } else {
      std::string num(s_.substr(i_, 40));
      char* end = nullptr;
      double d = std::strtod(num.c_str(), &end);
      if (end == num.c_str()) Throw("bad value");
      i_ += static_cast<size_t>(end - num.c_str());
      j.v = d;
    }
    return j;
  }

  std::string_view s_;
  size_t i_ = 0;
};

inline Json ParseJson(std::string_view text) { return JsonParser(text).Parse(); }

}  // namespace vodare::testing_json
