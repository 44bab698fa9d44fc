#include "cli/commands.h"

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "cli/help.h"

namespace vodare::cli {

int Fail(const std::string& message) {
  std::fprintf(stderr, "vodare-cli: %s\n", message.c_str());
  return 2;
}

int Dispatch(const Args& args) {
  static const std::map<std::string, std::function<int(const Args&)>> kCommands = {
      {"sample-export", SampleExportCommand},
      {"tables", TablesCommand},
      {"check-export", CheckExportCommand},
      {"query", QueryCommand},
      {"company", CompanyCommand},
      {"convert", ConvertCommand},
      {"demo", DemoCommand},
      {"reconcile", ReconcileCommand},
  };
  // Asked for, the overview and each command's help go to stdout; unasked, to stderr.
  if (args.empty()) {
    std::fputs(kOverview, stderr);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    std::fputs(kOverview, stdout);
    return 0;
  }
  auto it = kCommands.find(args[0]);
  if (it == kCommands.end()) return Fail("unknown command '" + args[0] + "' (try --help)");
  if (std::optional<std::string> help = HelpFor(args)) {
    std::fputs(help->c_str(), stdout);
    return 0;
  }
  return it->second(Args(args.begin() + 1, args.end()));
}

}  // namespace vodare::cli
