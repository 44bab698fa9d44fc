#include "common/value.h"

#include "common/run_error.h"

namespace vodare {

std::string Value::ToText() const {
  struct Visitor {
    std::string operator()(Null) const { throw RunTimeError(kInvalidUseOfNull, 94); }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(double d) const { return DoubleToText(d); }
    std::string operator()(int64_t i) const { return LongToText(i); }
    std::string operator()(bool b) const { return b ? "True" : "False"; }
    std::string operator()(Date d) const { return d.ToText(); }
  };
  return std::visit(Visitor{}, v_);
}

double Value::ToDouble() const {
  struct Visitor {
    double operator()(Null) const { throw RunTimeError(kInvalidUseOfNull, 94); }
    double operator()(const std::string& s) const { return TextToNumber(s); }
    double operator()(double d) const { return d; }
    double operator()(int64_t i) const { return static_cast<double>(i); }
    double operator()(bool b) const { return b ? -1.0 : 0.0; }
    double operator()(Date d) const { return d.Serial(); }
  };
  return std::visit(Visitor{}, v_);
}

Date Value::ToDate() const {
  if (IsDate()) return DateValue();
  if (IsNull()) throw RunTimeError(kInvalidUseOfNull, 94);
  if (IsText()) return ParseDateText(Text());
  if (IsNumber()) return Date::FromSerial(static_cast<int32_t>(ToDouble()));
  ThrowTypeMismatch();
}

}  // namespace vodare
