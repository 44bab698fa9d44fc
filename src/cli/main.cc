#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "source/source_db.h"

int main(int argc, char** argv) {
  vodare::ConfigureSqliteForProcess();
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return vodare::cli::Dispatch(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vodare-cli: %s\n", e.what());
    return 2;
  } catch (...) {
    std::fprintf(stderr, "vodare-cli: unexpected failure\n");
    return 2;
  }
}
