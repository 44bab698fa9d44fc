#include "common/helpers.h"

#include "common/run_error.h"

namespace vodare {

std::string NzTrim(const Value& v) {
  if (v.IsNull()) return {};
  if (v.IsText()) return std::string(TrimView(v.Text()));
  return Trim(v.ToText());
}

std::string NzText(const Value& v) {
  if (v.IsNull()) return {};
  return v.ToText();
}

bool IsBlank(std::string_view s) { return TrimView(s).empty(); }

int CompareText(std::string_view a, std::string_view b, bool case_sensitive) {
  a = TrimView(a);
  b = TrimView(b);
  int c = case_sensitive ? a.compare(b) : CompareNoCase(a, b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool StartsWithTwoBlanks(std::string_view s) { return s.size() >= 2 && s[0] == ' ' && s[1] == ' '; }

double TextToDouble(std::string_view s) {
  if (IsBlank(s)) return 0;
  return TextToNumber(s);
}

int32_t TextToLong(std::string_view s) {
  if (IsBlank(s)) return 0;
  return RoundToLong(TextToNumber(s));
}

bool IsDateNotAfter(std::string& a, std::string& b) {
  Date da = ParseDateText(a);
  Date db = ParseDateText(b);
  a = da.ToText();
  b = db.ToText();
  return da <= db;
}

namespace {
constexpr char kCode2 = '\x02';

void RemoveChar(std::string& text, char c) {
  if (text.find(c) == std::string::npos) return;
  std::erase(text, c);
}

// Code 255 is "ÿ", U+00FF, two bytes in UTF-8.
void RemoveCode255(std::string& text) {
  static constexpr std::string_view kY = "\xC3\xBF";
  size_t hit = text.find(kY);
  if (hit == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (hit != std::string::npos) {
    out.append(text, pos, hit - pos);
    pos = hit + kY.size();
    hit = text.find(kY, pos);
  }
  out.append(text, pos);
  text.swap(out);
}

void ReplaceCharWith(std::string& text, char c, std::string_view with) {
  if (text.find(c) == std::string::npos) return;
  std::string out;
  out.reserve(text.size() + 8);
  for (char ch : text) {
    if (ch == c) out.append(with);
    else out.push_back(ch);
  }
  text.swap(out);
}
}  // namespace

std::string EscapeAmpersands(std::string_view text) {
  std::string out;
  if (text.find('&') == std::string_view::npos) return std::string(text);
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (text.substr(i, 5) == "&amp;") {
        out.append("&amp;");
        i += 4;
      } else {
        out.append("&amp;");
      }
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string& CleanText(std::string& text, int mode) {
  switch (mode) {
    case 1:
      ReplaceCharWith(text, '&', "&amp;");
      RemoveChar(text, kCode2);
      break;
    case 2:
      for (char& c : text) {
        if (c == '<') c = '(';
        else if (c == '>') c = ')';
      }
      RemoveChar(text, kCode2);
      break;
    case 3:
      ReplaceCharWith(text, '\'', "''");
      break;
    case 4:
      RemoveCode255(text);
      break;
    case 5:
      if (text.find('&') != std::string::npos) text = EscapeAmpersands(text);
      RemoveChar(text, kCode2);
      break;
    default:
      break;
  }
  return text;
}

std::string CleanTextCopy(std::string_view text, int mode) {
  std::string s(text);
  CleanText(s, mode);
  return s;
}

std::string EscapeRecordValue(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '&': out.append("&amp;"); break;
      case '<': out.append("&lt;"); break;
      case '>': out.append("&gt;"); break;
      case kCode2: break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string& RemoveCode2(std::string& text) {
  RemoveChar(text, kCode2);
  return text;
}

bool IsZero(double x) { return x > -kZeroTolerance && x < kZeroTolerance; }
bool IsNotPositive(double x) { return x < kZeroTolerance; }
double NegateAmount(double x) { return (x <= kZeroTolerance && x >= -kZeroTolerance) ? 0.0 : -x; }

}  // namespace vodare
