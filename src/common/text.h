#pragma once
// The one definition of the program's text forms: characters counted as code points, case
// folding beyond ASCII, numbers to and from text, and the date texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vodare {

// ---- Characters (UTF-8 code points) ----
size_t Len(std::string_view s);
// First n characters (Left$).
std::string Left(std::string_view s, size_t n);
// Last n characters (Right$).
std::string Right(std::string_view s, size_t n);
// Characters from 1-based position start, at most count of them (Mid$); npos for "to the end".
std::string Mid(std::string_view s, size_t start, size_t count = std::string_view::npos);
// Byte offset of the character at 0-based index i (s.size() when past the end).
size_t ByteOffsetOfChar(std::string_view s, size_t i);
// Blanks (U+0020) removed at both ends / the left / the right; nothing else counts as blank.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);
std::string_view RTrimView(std::string_view s);
// Upper-cases every letter with a simple upper-case form (Latin, Greek, Cyrillic).
std::string UCase(std::string_view s);
char32_t UpperCodePoint(char32_t c);
// Case-insensitive equality and ordering by upper-cased code points.
bool EqualsNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);
// Case-folded key, for maps that ignore case.
std::string FoldKey(std::string_view s);
// The same key written into out, whose room is kept: for lookups made for every record.
void FoldKeyInto(std::string_view s, std::string& out);
// The character that byte `code` stands for in Windows-1252, as UTF-8 (code 2 is U+0002).
std::string CharOfCode(int code);
char32_t Cp1252ToCodePoint(unsigned char b);
void AppendUtf8(std::string& out, char32_t c);
// Decodes one code point at s[i], advancing i; malformed bytes decode to U+FFFD.
char32_t DecodeUtf8(std::string_view s, size_t& i);
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// ---- Numbers ----
// The default conversion of a double to text: %.15G, and -0 written 0.
std::string DoubleToText(double x);
std::string LongToText(int64_t x);
// The locale's conversion of text to a number: optional blanks and sign, digits, optional
// fraction, optional exponent. Anything else raises "Type mismatch".
double TextToNumber(std::string_view s);
std::optional<double> TryTextToNumber(std::string_view s);
// Whole-number rounding: half to even. Raises "Overflow" outside 32 bits.
int32_t RoundToLong(double x);
double RoundHalfEven(double x);

// ---- Dates ----
// A calendar date held as the count of days since 30 December 1899, so that 1 January 1900
// is day 2 (the base date) and differences are plain subtraction.
class Date {
 public:
  constexpr Date() = default;
  static constexpr Date FromSerial(int32_t serial) { return Date(serial); }
  static Date FromYmd(int year, int month, int day);  // raises "Type mismatch" if invalid
  static std::optional<Date> TryFromYmd(int year, int month, int day);
  int32_t Serial() const { return serial_; }
  int Year() const;
  int Month() const;
  int Day() const;
  // "dd-mm-yyyy", the system short date form.
  std::string ToText() const;
  // Custom formats used by the records: "dd-mm-yyyy", "dd/mm/yyyy", "yyyy-mm-dd".
  std::string Format(std::string_view pattern) const;
  friend constexpr bool operator==(Date a, Date b) { return a.serial_ == b.serial_; }
  friend constexpr auto operator<=>(Date a, Date b) { return a.serial_ <=> b.serial_; }

 private:
  explicit constexpr Date(int32_t serial) : serial_(serial) {}
  int32_t serial_ = 0;
};

// 1 January 1900.
Date BaseDate();
// Reads dd-mm-yyyy, dd/mm/yyyy, yyyy-mm-dd, d Month yyyy and dd-Mon-yyyy.
std::optional<Date> TryParseDateText(std::string_view s);
// As TryParseDateText, raising "Type mismatch" when the text is not a date.
Date ParseDateText(std::string_view s);
std::string_view MonthName(int month);  // "January" ...
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

}  // namespace vodare
