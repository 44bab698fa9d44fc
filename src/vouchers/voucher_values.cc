#include "vouchers/voucher_values.h"

#include <cmath>

#include "common/run_error.h"
#include "common/text.h"

namespace vodare {

double Num(std::string_view text) { return TextToNumber(text); }

double Divide(double a, double b) {
  if (b == 0) throw RunTimeError(kDivisionByZero, 11);
  return Finite(a / b);
}

double Finite(double x) {
  if (!std::isfinite(x)) throw RunTimeError(kOverflow, 6);
  return x;
}

std::string FormatDmy(std::string_view date_text) {
  auto date = TryParseDateText(Trim(date_text));
  if (!date) return std::string(date_text);
  return date->ToText();
}

}  // namespace vodare
