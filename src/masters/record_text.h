#pragma once
// Pieces shared by the master records that are built as text: an element whose value is escaped
// (the tags themselves are fixed), the leading-number reading of quantity and rate fields, the
// date text of a date field, and the cut and suffix of a saved name.

#include <string>
#include <string_view>

#include "common/value.h"

namespace vodare {

// Names sent to the company are cut to this many characters.
inline constexpr size_t kMasterNameLength = 40;

// Appends "<tag>" + value + "</tag>", the value escaped for the record.
void AppendElement(std::string& out, std::string_view tag, std::string_view value);

// The number a text begins with, 0 when it begins with none: blanks are passed over, then an
// optional sign, digits with at most one decimal point and an optional exponent. Reading stops
// at the first character that does not fit.
double LeadingNumber(std::string_view text);

// A date field as "dd-mm-yyyy"; Null or blank gives empty text, and a text that is not a date
// stays as it is.
std::string DateFieldText(const Value& field);

// A field read as a number: Null or blank text gives 0, text that is not a number raises
// "Type mismatch".
double FieldNumber(const Value& field);

}  // namespace vodare
