#pragma once
// Whole-number and date arguments of the subcommands.

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/text.h"

namespace vodare::cli {

// A count given on the command line: decimal digits only, no sign, at most 18 digits.
std::optional<int64_t> ParseCount(std::string_view text);

// A date given on the command line, in the system's short date form only: DD-MM-YYYY (one-digit
// day and month taken). Another form (2024-04-01, 01/04/2024) is refused rather than guessed.
std::optional<Date> ParseShortDate(std::string_view text);

}  // namespace vodare::cli
