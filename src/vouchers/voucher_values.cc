#include "vouchers/voucher_values.h"

#include <array>
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
  // A voucher's lines and batches carry the same few dates (the line's, made, expiring): the
  // last answers are kept for the thread, the reading of a text being the same whenever asked.
  struct Kept {
    std::string text, answer;
    bool set = false;
  };
  thread_local std::array<Kept, 4> kept;
  thread_local size_t next = 0;
  for (const Kept& k : kept)
    if (k.set && k.text == date_text) return k.answer;
  auto date = TryParseDateText(Trim(date_text));
  std::string answer = date ? date->ToText() : std::string(date_text);
  Kept& k = kept[next];
  next = (next + 1) % kept.size();
  k.text.assign(date_text);
  k.answer = answer;
  k.set = true;
  return answer;
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
