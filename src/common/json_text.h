#pragma once
// JSON text for the reports and listings the command line prints.

#include <string>
#include <string_view>

namespace vodare {

// A JSON string literal: quotes, backslashes and control characters escaped, the rest (UTF-8)
// kept as it is.
std::string JsonString(std::string_view text);

}  // namespace vodare
