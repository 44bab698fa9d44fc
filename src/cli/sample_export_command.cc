// vodare-cli sample-export DIR [--vouchers N] [--seed S] [--items N] [--batches N] [--ledgers N]
//                              [--ledger-vouchers N]
#include <cstdio>
#include <exception>
#include <string>

#include "cli/commands.h"
#include "cli/number_args.h"
#include "export_writer/sample_export.h"

namespace vodare::cli {

int SampleExportCommand(const Args& args) {
  SampleExportOptions options;
  std::string dir;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      if (!dir.empty()) return Fail("sample-export: one folder only ('" + a + "' is extra)");
      dir = a;
      continue;
    }
    if (i + 1 >= args.size()) return Fail("sample-export: " + a + " needs a number");
    const std::string& text = args[++i];
    std::optional<int64_t> n = ParseCount(text);
    if (!n) return Fail("sample-export: " + a + " takes a whole number, not '" + text + "'");
    if (a == "--vouchers") {
      options.vouchers = *n;
    } else if (a == "--seed") {
      options.seed = static_cast<uint64_t>(*n);
    } else if (a == "--items") {
      options.items = *n;
    } else if (a == "--batches") {
      options.batches = *n;
    } else if (a == "--ledgers") {
      options.ledgers = *n;
    } else if (a == "--ledger-vouchers") {
      options.ledger_vouchers = *n;
    } else {
      return Fail("sample-export: unknown option " + a);
    }
  }
  if (dir.empty()) return Fail("sample-export: name the folder to write (sample-export DIR)");
  try {
    SampleExportSummary summary = WriteSampleExport(dir, options);
    for (const auto& [file, rows] : summary.tables)
      std::printf("%-12s %10lld rows\n", file.c_str(), static_cast<long long>(rows));
  } catch (const std::exception& e) {
    return Fail(std::string("sample-export: ") + e.what());
  }
  return 0;
}

}  // namespace vodare::cli
