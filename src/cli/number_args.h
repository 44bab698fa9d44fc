#pragma once
// Whole-number arguments of the subcommands.

#include <cstdint>
#include <optional>
#include <string_view>

namespace vodare::cli {

// A count given on the command line: decimal digits only, no sign, at most 18 digits.
std::optional<int64_t> ParseCount(std::string_view text);

}  // namespace vodare::cli
