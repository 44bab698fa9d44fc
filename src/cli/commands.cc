#include "cli/commands.h"

#include <cstdio>
#include <functional>
#include <map>

namespace vodare::cli {

int Fail(const std::string& message) {
  std::fprintf(stderr, "vodare-cli: %s\n", message.c_str());
  return 2;
}

namespace {
void PrintUsage() {
  std::fputs(
      "usage: vodare-cli COMMAND ...\n"
      "  sample-export DIR [--vouchers N] [--seed S]   write a sample Vodori export\n"
      "  tables EXPORT_DIR                             list tables, columns and row counts\n"
      "  query EXPORT_DIR \"SQL\"                        rows of one query as JSON lines\n"
      "  company create|list|show ...                  the local company store\n"
      "  convert --program DIR --data DIR ...          one conversion run (convert --help)\n"
      "  demo [DIR]                                    sample export converted end to end\n"
      "  reconcile --export DIR --data DIR ...         did the books arrive (reconcile --help)\n",
      stderr);
}
}  // namespace

int Dispatch(const Args& args) {
  static const std::map<std::string, std::function<int(const Args&)>> kCommands = {
      {"sample-export", SampleExportCommand},
      {"tables", TablesCommand},
      {"query", QueryCommand},
      {"company", CompanyCommand},
      {"convert", ConvertCommand},
      {"demo", DemoCommand},
      {"reconcile", ReconcileCommand},
  };
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintUsage();
    return args.empty() ? 2 : 0;
  }
  auto it = kCommands.find(args[0]);
  if (it == kCommands.end()) return Fail("unknown command '" + args[0] + "' (try --help)");
  return it->second(Args(args.begin() + 1, args.end()));
}

}  // namespace vodare::cli
