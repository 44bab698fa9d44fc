#include "destination/converters.h"

#include <gtest/gtest.h>

#include "common/run_error.h"

namespace vodare {
namespace {

// A company object with the conventions the converters read; its members are never called.
class Conventions : public CCompany {
 public:
  void Load(std::string&) override {}
  void Save(const std::string&) override {}
};

TEST(ParseAmount, ReadsGroupedAmountsWithDrCrMarksAndOverflowStars) {
  Conventions c;
  EXPECT_DOUBLE_EQ(ParseAmount("1,234.50 Dr", &c), 1234.5);
  EXPECT_DOUBLE_EQ(ParseAmount("-12,34,567.25 Cr", &c), -1234567.25);
  EXPECT_DOUBLE_EQ(ParseAmount("  42  ", &c), 42);
  EXPECT_DOUBLE_EQ(ParseAmount("*****", &c), 1e12);
  EXPECT_DOUBLE_EQ(ParseAmount("* *", nullptr), 0) << "a blank inside is not a star";
  EXPECT_DOUBLE_EQ(ParseAmount(" *** ", nullptr), 1e12);
}

TEST(ParseAmount, AnAmountWithoutDecimalMarkKeepsItsValueBeforeDrOrCr) {
  Conventions c;
  EXPECT_DOUBLE_EQ(ParseAmount("500 Dr", &c), 500);
  EXPECT_DOUBLE_EQ(ParseAmount("1,500 Cr", &c), 1500);
}

TEST(ParseAmount, BadTextGivesZeroNeverAnError) {
  Conventions c;
  for (const char* text :
       {"", "   ", "abc", "-", ".", "1.2.3", "(100)", "--5", "1 000.5", "\xE2\x82\xB9", "*a*"}) {
    EXPECT_DOUBLE_EQ(ParseAmount(text, &c), 0) << text;
  }
  EXPECT_DOUBLE_EQ(ParseAmount("12.5", nullptr), 0) << "no company, no conventions";
}

TEST(ParseAmount, FollowsTheCompanysGroupingAndDecimalMarks) {
  Conventions c;
  c.DigitGroupingSymbol = ".";
  EXPECT_DOUBLE_EQ(ParseAmount("1.234.567,89", &c), 1234567.89);
  c.DigitGroupingSymbol = "\xC2\xA0";  // a no-break space, two bytes in UTF-8
  EXPECT_DOUBLE_EQ(ParseAmount("1\xC2\xA0"
                               "234\xC2\xB7"
                               "5",
                               &c),
                   1234.5)
      << "a two-byte decimal mark is replaced whole";
  c.DigitGroupingSymbol = "";
  EXPECT_DOUBLE_EQ(ParseAmount("7,5", &c), 7.5);
}

TEST(NormalizeDecimalPoint, ReplacesOnlyTheFirstMarkAfterTrimming) {
  EXPECT_EQ(NormalizeDecimalPoint("  12,50 "), "12.50");
  EXPECT_EQ(NormalizeDecimalPoint("-1234"), "-1234");
  EXPECT_EQ(NormalizeDecimalPoint("1,2,3"), "1.2,3");
  EXPECT_EQ(NormalizeDecimalPoint(""), "");
  EXPECT_EQ(NormalizeDecimalPoint("3\xE2\x80\xA4"
                                  "5"),
            "3.5");
}

TEST(ParseWholeNumbers, RoundHalfToEvenAndGiveZeroOnBadOrOversizedText) {
  EXPECT_EQ(ParseInteger(" 12 "), 12);
  EXPECT_EQ(ParseInteger("2.5"), 2);
  EXPECT_EQ(ParseInteger("3.5"), 4);
  EXPECT_EQ(ParseInteger("-2.5"), -2);
  EXPECT_EQ(ParseInteger("32767"), 32767);
  EXPECT_EQ(ParseInteger("32768"), 0);
  EXPECT_EQ(ParseInteger("-32768"), -32768);
  EXPECT_EQ(ParseInteger("x1"), 0);
  EXPECT_EQ(ParseInteger(""), 0);
  EXPECT_EQ(ParseLong("2147483647"), 2147483647);
  EXPECT_EQ(ParseLong("2147483648"), 0);
  EXPECT_EQ(ParseLong("40000.5"), 40000);
  EXPECT_EQ(ParseLong("1e400"), 0);
}

TEST(ParseFlag, AcceptsTrueYAndTIgnoringCaseAndBlanks) {
  EXPECT_TRUE(ParseFlag(" y "));
  EXPECT_TRUE(ParseFlag("TRUE"));
  EXPECT_TRUE(ParseFlag("t"));
  EXPECT_FALSE(ParseFlag("Yes"));
  EXPECT_FALSE(ParseFlag("1"));
  EXPECT_FALSE(ParseFlag(""));
  EXPECT_FALSE(ParseFlag("-1"));
}

TEST(ParseDmyDate, ReadsDayMonthYearAndNeedsExactlyThreeParts) {
  EXPECT_EQ(ParseDmyDate("01-04-2024"), Date::FromYmd(2024, 4, 1));
  EXPECT_EQ(ParseDmyDate("1-4-24"), Date::FromYmd(2024, 4, 1));
  EXPECT_EQ(ParseDmyDate("29-02-2024"), Date::FromYmd(2024, 2, 29));
  EXPECT_EQ(ParseDmyDate("01/04/2024"), Date());
  EXPECT_EQ(ParseDmyDate("01-04"), Date());
  EXPECT_EQ(ParseDmyDate("01-04-2024-1"), Date());
  EXPECT_EQ(ParseDmyDate("13-13-2024"), Date()) << "a month out of range is the zero date";
}

TEST(ParseDmyDate, RaisesWhenAPartIsNotANumberOrTheDayDoesNotExist) {
  EXPECT_THROW(ParseDmyDate("aa-04-2024"), RunTimeError);
  EXPECT_THROW(ParseDmyDate("-04-2024"), RunTimeError);
  EXPECT_THROW(ParseDmyDate("01-04-99999"), RunTimeError) << "year beyond 16 bits";
  EXPECT_THROW(ParseDmyDate("31-02-2024"), RunTimeError);
  EXPECT_THROW(ParseDmyDate("29-02-2023"), RunTimeError);
}

TEST(MakeDate, WidensShortYearsAndRejectsDaysAndMonthsOutOfRange) {
  int16_t type = 1;
  EXPECT_EQ(MakeDate(5, 3, 24, type, nullptr), Date::FromYmd(2024, 3, 5));
  EXPECT_EQ(MakeDate(5, 3, 85, type, nullptr), Date::FromYmd(1985, 3, 5));
  EXPECT_EQ(MakeDate(5, 3, 0, type, nullptr), Date::FromYmd(2000, 3, 5));
  EXPECT_EQ(MakeDate(5, 3, 7, type, nullptr), Date::FromYmd(2007, 3, 5));
  EXPECT_EQ(MakeDate(5, 3, 2024, type, nullptr), Date::FromYmd(2024, 3, 5));
  EXPECT_EQ(MakeDate(5, 3, 199, type, nullptr), Date::FromYmd(2019, 3, 5))
      << "a three-digit year is read by its first two digits";
  EXPECT_EQ(MakeDate(5, 13, 2024, type, nullptr), Date());
  EXPECT_EQ(MakeDate(0, 3, 2024, type, nullptr), Date());
  EXPECT_EQ(MakeDate(32, 3, 2024, type, nullptr), Date());
  EXPECT_EQ(MakeDate(-1, -1, -1, type, nullptr), Date());
  EXPECT_THROW(MakeDate(31, 4, 2024, type, nullptr), RunTimeError);
  EXPECT_THROW(MakeDate(1, 1, 32767, type, nullptr), RunTimeError);
  EXPECT_EQ(type, 1);
}

TEST(MakeDate, TypeZeroTakesTheCompanysTypeAndWritesItBack) {
  Conventions c;
  c.DateType = 2;
  c.DateFormat = 0;
  c.DateSeperator = "/";
  int16_t type = 0;
  EXPECT_EQ(MakeDate(5, 3, 2024, type, &c), Date::FromYmd(2024, 3, 5));
  EXPECT_EQ(type, 2);
  c.DateFormat = 1;
  EXPECT_EQ(MakeDate(5, 3, 2024, type, &c), Date::FromYmd(2024, 3, 5));
  EXPECT_THROW(MakeDate(5, 13, 2024, type, &c), RunTimeError);
  int16_t unknown = 0;
  EXPECT_THROW(MakeDate(5, 3, 2024, unknown, nullptr), RunTimeError) << "no company to ask";
}

TEST(ExpandYear, CenturyWindow) {
  EXPECT_EQ(ExpandYear(79), 2079);
  EXPECT_EQ(ExpandYear(80), 1980);
  EXPECT_EQ(ExpandYear(99), 1999);
  EXPECT_EQ(ExpandYear(100), 100);
  EXPECT_EQ(ExpandYear(2024), 2024);
  EXPECT_EQ(ExpandYear(-5), 1995);
}

TEST(ParseDateTime, ReadsDateAndTimeOrGivesTheZeroValue) {
  DateTime t = ParseDateTime("5-4-2024 13:07:09");
  EXPECT_EQ(t.date, Date::FromYmd(2024, 4, 5));
  EXPECT_EQ(t.seconds, 13 * 3600 + 7 * 60 + 9);
  EXPECT_DOUBLE_EQ(t.Serial(), t.date.Serial() + t.seconds / 86400.0);
  EXPECT_EQ(ParseDateTime("05-04-2024"), DateTime());
  EXPECT_EQ(ParseDateTime("05-04-2024  13:07:09"), DateTime()) << "two blanks make three parts";
  EXPECT_EQ(ParseDateTime("05-04-2024 13:07"), DateTime());
  EXPECT_THROW(ParseDateTime("05-04-2024 25:00:00"), RunTimeError);
  EXPECT_THROW(ParseDateTime("05-xx-2024 10:00:00"), RunTimeError);
}

TEST(NormalizeTime, GroupsDigitsAndKeepsTheSuffixWithItsBlank) {
  EXPECT_EQ(NormalizeTime("9:5 PM"), "9:5:00  PM");
  EXPECT_EQ(NormalizeTime("10:30:15"), "10:30:15 ");
  EXPECT_EQ(NormalizeTime("7am"), "7:00:00 am");
  EXPECT_EQ(NormalizeTime("1:2:3:4"), "");
  EXPECT_EQ(NormalizeTime("123:00"), "") << "three digits in a group";
  EXPECT_EQ(NormalizeTime("12\xC2\xB7"
                          "30"),
            "12:30:00 ")
      << "a two-byte separator counts once";
  EXPECT_EQ(NormalizeTime("1\xE2\x80\xA2\xE2\x80\xA2"
                          "2"),
            "1:00:2 ");
}

}  // namespace
}  // namespace vodare
