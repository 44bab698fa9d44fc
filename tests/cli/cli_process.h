#pragma once
// Runs the built vodare-cli with arguments and an environment of its own, and keeps what it printed
// on stdout and stderr and its exit status.

#include <string>
#include <vector>

namespace vodare::testing {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
  bool interrupted = false;  // SIGINT was sent before the process ended of itself
};

// env holds "NAME=value" entries added to (or replacing) the test's own environment. Once
// interrupt_after (unless empty) appears on its stderr the process gets SIGINT, as from Ctrl-C.
CliRun RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
              const std::string& interrupt_after = "");

// A file's bytes, empty when it cannot be read.
std::string Bytes(const std::string& path);

// The words of a command line split at its blanks, for arguments that hold none.
std::vector<std::string> Words(const std::string& line);

}  // namespace vodare::testing
