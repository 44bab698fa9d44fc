// Texts, numbers and dates; single calls' answers kept in tests/data/common_text_values.txt.
#include "common/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>

#include "common/gst_states.h"
#include "common/helpers.h"
#include "support/golden.h"

namespace vodare {
namespace {

// Control bytes are written ^A to ^_ in the kept file.
std::string Unescaped(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i)
    out += s[i] == '^' && i + 1 < s.size() ? static_cast<char>(s[++i] - '@') : s[i];
  return out;
}
std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s)
    out +=
        static_cast<unsigned char>(c) < 0x20 ? std::string{'^', char(c + '@')} : std::string(1, c);
  return out;
}

std::string Answer(const std::string& function, const std::string& in) {
  const std::vector<std::string> p = testing::InputParts(in, 3);
  if (function == "CleanText") {  // mode|text: the text is cleaned in place
    std::string text = Unescaped(p[1]);
    const std::string cleaned = CleanText(text, std::stoi(p[0]));
    return Escaped(cleaned) + (cleaned == text ? "" : " but not in place");
  }
  if (function == "EscapeAmpersands") return EscapeAmpersands(in);
  if (function == "EscapeRecordValue") return Escaped(EscapeRecordValue(Unescaped(in)));
  const auto n = [&](size_t i) { return std::stoi(p[i]); };
  const auto maybe = [](const auto& v, auto text) { return v ? text(*v) : std::string("none"); };
  if (function == "Len") return std::to_string(Len(in));
  if (function == "Left") return Left(p[0], n(1));
  if (function == "Right") return Right(p[0], n(1));
  if (function == "Mid") return p[2].empty() ? Mid(p[0], n(1)) : Mid(p[0], n(1), n(2));
  if (function == "UCase") return UCase(in);
  if (function == "EqualsNoCase") return EqualsNoCase(p[0], p[1]) ? "True" : "False";
  if (function == "CompareText") return std::to_string(CompareText(p[0], p[1], p[2] == "exact"));
  if (function == "CharOfCode") {
    std::string hex;
    char b[4];
    for (unsigned char c : CharOfCode(std::stoi(in))) hex += (std::snprintf(b, 4, "%02X", c), b);
    return hex;
  }
  if (function == "DoubleToText") return DoubleToText(std::strtod(in.c_str(), nullptr));
  if (function == "TextToNumber") return DoubleToText(TextToNumber(in));
  if (function == "TryTextToNumber")
    return maybe(TryTextToNumber(in), [](double d) { return DoubleToText(d); });
  if (function == "TextToDouble") return DoubleToText(TextToDouble(in));
  if (function == "TextToLong") return std::to_string(TextToLong(in));
  if (function == "RoundToLong") return std::to_string(RoundToLong(std::strtod(in.c_str(), 0)));
  if (function == "TryParseDateText")
    return maybe(TryParseDateText(in), [](const Date& d) { return d.Format("yyyy-mm-dd"); });
  if (function == "GetStateName") return GetStateName(in);
  if (function == "IsDateNotAfter") {  // both texts are rewritten
    std::string a = p[0], b = p[1];
    return std::string(IsDateNotAfter(a, b) ? "True, " : "False, ") + a + " " + b;
  }
  const double x = std::strtod(in.c_str(), nullptr);
  if (function == "NegateAmount") return DoubleToText(NegateAmount(x));
  if (function == "IsNotPositive") return IsNotPositive(x) ? "True" : "False";
  if (function == "IsZero") return IsZero(x) ? "True" : "False";
  return "unknown function";
}

TEST(TextValues, EachInputGivesTheKeptAnswer) {
  testing::ExpectKeptAnswers("common_text_values.txt", Answer);
  const Date d = Date::FromYmd(2024, 4, 1);
  EXPECT_EQ(d.ToText(), "01-04-2024");
  EXPECT_EQ(BaseDate().Serial(), 2);
  EXPECT_EQ(Date::FromYmd(2024, 2, 29).Day(), 29);
}

// The short cut for two-decimal amounts writes what the general form writes, at every size.
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
  EXPECT_EQ(DoubleToText(0.1 + 0.2), "0.3");
}

// A number text reads as the double nearest to it, short amounts and long digit runs alike.
TEST(Numbers, ANumberTextReadsAsTheNearestDouble) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 200000; ++i) {
    std::string text = std::to_string(rng() >> (rng() % 64));
    if (rng() % 4) text.insert(text.size() - std::min<size_t>(text.size(), rng() % 24), ".");
    if (rng() % 3 == 0) text.insert(0, std::string(rng() % 4, '0'));
    double nearest = 0;
    std::from_chars(text.data(), text.data() + text.size(), nearest);
    const std::optional<double> read = TryTextToNumber((i % 2 ? "-" : "") + text);
    ASSERT_TRUE(read) << text;
    ASSERT_EQ(*read, i % 2 ? -nearest : nearest) << text;
  }
}

}  // namespace
}  // namespace vodare
