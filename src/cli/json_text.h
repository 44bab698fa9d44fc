#pragma once
// Field values as JSON for the query subcommand: numbers as numbers, texts as strings, dates in
// the program's date text form, Null as null.

#include <string>
#include <string_view>

#include "common/value.h"

namespace vodare::cli {

// A JSON string literal: quotes, backslashes and control characters escaped, the rest (UTF-8)
// kept as it is.
std::string JsonString(std::string_view text);
std::string JsonValue(const Value& value);

}  // namespace vodare::cli
