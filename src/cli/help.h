#pragma once
// What each subcommand takes, shown on stdout for --help (or -h) anywhere among its arguments.

#include <optional>
#include <string>

#include "cli/commands.h"

namespace vodare::cli {

// The whole command line's overview.
extern const char* const kOverview;

// The help of the command the arguments name (args[0], and for "company" its subcommand) when
// they ask for it; nothing otherwise.
std::optional<std::string> HelpFor(const Args& args);

// The usage lines of a command (the first lines of its help), for a message about a bad flag.
std::string UsageOf(const std::string& command);

}  // namespace vodare::cli
