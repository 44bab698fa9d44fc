#pragma once
// The subcommands of vodare-cli. Each is registered in commands.cc's table and lives in a file
// of its own, so that a new subcommand touches one line of the table.

#include <string>
#include <vector>

namespace vodare::cli {

using Args = std::vector<std::string>;

// Runs the subcommand named by args[0]; returns the process exit status.
int Dispatch(const Args& args);

// Subcommands (args without the subcommand's own name).
int SampleExportCommand(const Args& args);
int TablesCommand(const Args& args);
int CheckExportCommand(const Args& args);
int QueryCommand(const Args& args);
int CompanyCommand(const Args& args);
int ConvertCommand(const Args& args);
int DemoCommand(const Args& args);
int ReconcileCommand(const Args& args);

// Prints one clear line on stderr and returns 2 (the usual exit for bad input).
int Fail(const std::string& message);

}  // namespace vodare::cli
