#include "cli/json_text.h"

#include <cmath>
#include <cstdio>

namespace vodare::cli {

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
