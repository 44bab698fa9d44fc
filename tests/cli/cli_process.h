#pragma once
// Runs the built vodare-cli with arguments and an environment of its own, and keeps what it
// printed on stdout and stderr and its exit status.

#include <string>
#include <vector>

namespace vodare::testing {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// env holds "NAME=value" entries added to (or replacing) the test's own environment.
CliRun RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

// As RunCli, but once the text appears on its stderr the process gets SIGINT, as from Ctrl-C.
// interrupted tells whether the signal was sent before the process ended of itself.
CliRun RunCliInterrupted(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& interrupt_after, bool* interrupted);

}  // namespace vodare::testing
