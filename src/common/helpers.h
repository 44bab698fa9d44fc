#pragma once
// Small stateless helpers that every stage uses the same way: field values without tripping over
// Null, text tests, making text safe for a record or a SQL literal, amounts against the zero
// tolerance.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/text.h"
#include "common/value.h"

namespace vodare {

// Amounts within this of zero are zero.
inline constexpr double kZeroTolerance = 1e-9;

// Null gives empty text; otherwise the value as text, trimmed at both ends / untrimmed.
std::string NzTrim(const Value& v);
std::string NzText(const Value& v);
bool IsBlank(std::string_view s);
// -1, 0 or 1 after trimming both and, unless case_sensitive, upper-casing both.
int CompareText(std::string_view a, std::string_view b, bool case_sensitive = false);
bool StartsWithTwoBlanks(std::string_view s);
double TextToDouble(std::string_view s);
int32_t TextToLong(std::string_view s);
// Rewrites both texts as dd-mm-yyyy and tells whether a is on or before b.
bool IsDateNotAfter(std::string& a, std::string& b);

// Mode 1: "&" -> "&amp;" then code 2 removed; 2: "<" ">" -> "(" ")" then code 2 removed;
// 3: "'" doubled; 4: code 255 removed; 5: EscapeAmpersands then code 2 removed.
std::string& CleanText(std::string& text, int mode);
std::string CleanTextCopy(std::string_view text, int mode);
// Each "&" that does not begin "&amp;" becomes "&amp;".
std::string EscapeAmpersands(std::string_view text);
// A value placed in a record built as text: "&" "<" ">" as entities, code 2 removed.
std::string EscapeRecordValue(std::string_view text);
// Only the removal of code 2, for records whose serialiser has already escaped them.
std::string& RemoveCode2(std::string& text);

bool IsZero(double x);
bool IsNotPositive(double x);
double NegateAmount(double x);

}  // namespace vodare
