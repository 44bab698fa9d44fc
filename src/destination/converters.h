#pragma once
// Turning the destination company's setting texts (and a few export texts) into numbers, flags,
// dates and times, following the company's own conventions for digit grouping and dates.
// The Parse* functions that "never fail" give 0, False or empty text on bad input; the date
// readers raise RunTimeError ("Type mismatch") when a part is not a number or the date does
// not exist, and their callers turn that into the default value.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/text.h"
#include "destination/automation.h"

namespace vodare {

// A date with a time of day, as the settings' date-and-time texts carry it.
struct DateTime {
  Date date;
  int32_t seconds = 0;  // since midnight
  // Whole days since the base date plus the fraction of the day, as the system holds them.
  double Serial() const { return date.Serial() + seconds / 86400.0; }
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// An amount text: grouping symbol of the company removed, its decimal mark made ".", " Dr" and
// " Cr" removed. Text of asterisks only (an overflowing printed field) is 10^12. Anything that
// does not convert is 0. company may be null (then nothing converts but the asterisks).
double ParseAmount(std::string_view text, const CCompany* company);
// Trimmed; the first character that is neither a digit nor "-" becomes ".".
std::string NormalizeDecimalPoint(std::string_view text);
// Whole numbers, halves to even; 0 for text that is not a number or does not fit.
int16_t ParseInteger(std::string_view text);
int32_t ParseLong(std::string_view text);
// "True", "Y" or "T", trimmed and ignoring case.
bool ParseFlag(std::string_view text);
// "d-m-y" through MakeDate with date type 1; the zero date without exactly two "-".
Date ParseDmyDate(std::string_view text);
// "d-m-y h:m:s"; the zero date and time when the text is not of that shape.
DateTime ParseDateTime(std::string_view text);
// Digits grouped as hours, minutes, seconds by any other separator; "a p m A P M" and blanks
// kept as a suffix: "9:5 PM" gives "9:5:00  PM". Empty when the text does not read as a time.
std::string NormalizeTime(std::string_view text);

// A date from its parts. Date type 0 takes the company's DateType (written back). Type 2 follows
// the company's DateFormat (1 day first) and separator; any other type reads the parts as day,
// month and year, a short year widened by ExpandYear. A day outside 1..31 or a month outside
// 1..12 gives the zero date. company may be null unless the type is 0 or 2.
Date MakeDate(int16_t day, int16_t month, int16_t year, int16_t& date_type,
              const CCompany* company);
// Two-digit years: 80..99 are 19xx, the rest below 100 are 20xx; 100 and above stay.
int32_t ExpandYear(int32_t year);

}  // namespace vodare
