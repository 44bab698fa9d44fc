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

bool ReadStageRange(std::string& from_text, std::string& to_text, Date& from, Date& to) {
  auto f = TryParseDateText(from_text);
  auto t = TryParseDateText(to_text);
  if (!f || !t) return false;
  from = *f;
  to = *t;
  from_text = from.Format("mm-dd-yyyy");
  to_text = to.Format("mm-dd-yyyy");
  return true;
}

}  // namespace vodare
