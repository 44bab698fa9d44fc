#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "common/text.h"

namespace vodare {

// Amounts of two decimals take a short cut to their text; it must be the shortest text that
// reads back as the amount, as the general form writes it, over every size of amount.
TEST(Numbers, AmountsInPaiseReadAsTheShortestTextThatReadsBack) {
  std::mt19937_64 rng(7);
  char buf[64];
  for (int i = 0; i < 200000; ++i) {
    const int64_t digits = static_cast<int64_t>(rng() % 100000000000000ull) >> (rng() % 46);
    const double x = (i % 2 ? -1.0 : 1.0) * static_cast<double>(digits) / 100;
    if (x == std::trunc(x)) continue;
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed);
    ASSERT_EQ(DoubleToText(x), std::string(buf, r.ptr)) << digits;
  }
  EXPECT_EQ(DoubleToText(999999999999.99), "999999999999.99");
  EXPECT_EQ(DoubleToText(-0.05), "-0.05");
  EXPECT_EQ(DoubleToText(0.1 + 0.2), "0.3");
}

}  // namespace vodare
