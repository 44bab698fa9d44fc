#pragma once
// Field values as JSON for the query subcommand: numbers as numbers, texts as strings, dates in
// the program's date text form, Null as null.

#include <string>
#include <string_view>

#include "common/json_text.h"
#include "common/value.h"

namespace vodare::cli {

using vodare::JsonString;
std::string JsonValue(const Value& value);

}  // namespace vodare::cli
