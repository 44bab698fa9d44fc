#include "cli/json_text.h"

#include <cmath>
#include <cstdio>

namespace vodare::cli {

std::string JsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return out;
}

std::string JsonValue(const Value& value) {
  if (value.IsNull()) return "null";
  if (value.IsText()) return JsonString(value.Text());
  if (value.IsInteger()) return LongToText(value.Integer());
  if (value.IsBool()) return value.Bool() ? "true" : "false";
  if (value.IsDate()) return JsonString(value.DateValue().ToText());
  double d = value.Double();
  // JSON has no infinities or NaN; an engine never hands them over from a table, but a
  // computed column might.
  if (!std::isfinite(d)) return "null";
  return DoubleToText(d);
}

}  // namespace vodare::cli
