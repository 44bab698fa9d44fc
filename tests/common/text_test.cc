#include "common/text.h"

#include <gtest/gtest.h>

#include "common/run_error.h"

namespace vodare {
namespace {

TEST(Characters, CountCodePointsNotBytes) {
  const std::string s =
      "\xC3\xA9"
      "abc\xD0\x96";  // éabcЖ
  EXPECT_EQ(Len(s), 5u);
  EXPECT_EQ(Left(s, 2),
            "\xC3\xA9"
            "a");
  EXPECT_EQ(Mid(s, 5), "\xD0\x96");
  EXPECT_EQ(Mid(s, 2, 3), "abc");
  EXPECT_EQ(Right(s, 1), "\xD0\x96");
  EXPECT_EQ(Mid(s, 9), "");
}

TEST(Characters, UpperCaseBeyondAscii) {
  EXPECT_EQ(UCase("stra\xC3\x9F"
                  "e \xC3\xBF \xCE\xB1\xCF\x82 \xD0\xB6\xD1\x91"),
            "STRA\xC3\x9F"
            "E \xC5\xB8 \xCE\x91\xCE\xA3 \xD0\x96\xD0\x81");
  EXPECT_TRUE(EqualsNoCase("Main Store", "MAIN STORE"));
  EXPECT_FALSE(EqualsNoCase("Main", "Mains"));
}

TEST(Characters, CodesMeanWindows1252) {
  EXPECT_EQ(CharOfCode(2), "\x02");
  EXPECT_EQ(CharOfCode(255), "\xC3\xBF");
  EXPECT_EQ(CharOfCode(0x80), "\xE2\x82\xAC");
}

TEST(Numbers, DefaultTextForm) {
  EXPECT_EQ(DoubleToText(2.5), "2.5");
  EXPECT_EQ(DoubleToText(1500), "1500");
  EXPECT_EQ(DoubleToText(1e15), "1E+15");
  EXPECT_EQ(DoubleToText(-0.0), "0");
  EXPECT_EQ(DoubleToText(10.0 / 3), "3.33333333333333");
  EXPECT_EQ(DoubleToText(0.1 + 0.2), "0.3");
}

TEST(Numbers, LocaleConversion) {
  EXPECT_EQ(TextToNumber(" - 12.5"), -12.5);
  EXPECT_EQ(TextToNumber("+.5"), 0.5);
  EXPECT_EQ(TextToNumber("1e3"), 1000);
  EXPECT_FALSE(TryTextToNumber("").has_value());
  EXPECT_FALSE(TryTextToNumber(".").has_value());
  EXPECT_FALSE(TryTextToNumber("1e").has_value());
  EXPECT_FALSE(TryTextToNumber("12 3").has_value());
  EXPECT_FALSE(TryTextToNumber("nan").has_value());
  EXPECT_EQ(RoundToLong(-2.5), -2);
  EXPECT_THROW(RoundToLong(3e9), RunTimeError);
}

TEST(Dates, ReadEveryTextForm) {
  const Date d = Date::FromYmd(2024, 4, 1);
  for (const char* s :
       {"01-04-2024", "1/4/2024", "2024-04-01", "1 April 2024", "01-Apr-2024", " 01-04-2024 "})
    EXPECT_EQ(TryParseDateText(s), d) << s;
  for (const char* s : {"", "2024", "31-04-2024", "01-13-2024", "1 Foo 2024", "01-04/2024"})
    EXPECT_FALSE(TryParseDateText(s).has_value()) << s;
  EXPECT_EQ(d.ToText(), "01-04-2024");
  EXPECT_EQ(d.Format("yyyy-mm-dd"), "2024-04-01");
  EXPECT_EQ(BaseDate().Serial(), 2);
  EXPECT_EQ(Date::FromYmd(2024, 2, 29).Day(), 29);
}

}  // namespace
}  // namespace vodare
