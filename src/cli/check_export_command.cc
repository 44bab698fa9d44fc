// vodare-cli check-export EXPORT_DIR: what the export check finds in an export, before any run.
#include <cstdio>
#include <exception>

#include "app/export_check.h"
#include "cli/commands.h"
#include "cli/export_opening.h"
#include "source/source_db.h"

namespace vodare::cli {

int CheckExportCommand(const Args& args) {
  if (args.size() != 1)
    return Fail("check-export: name one export folder (check-export EXPORT_DIR)");
  OpenedExport opened = OpenExportFolder(args[0]);
  if (!opened.db) return Fail("check-export: " + opened.failure);
  std::vector<ExportFinding> findings;
  try {
    findings = CheckWholeExport(*opened.db);
  } catch (const std::exception& e) {
    return Fail(std::string("check-export: ") + e.what());
  }
  size_t errors = 0;
  for (const ExportFinding& f : findings) {
    std::printf("%s\n", FindingText(f).c_str());
    if (f.level == FindingLevel::kError) ++errors;
  }
  if (findings.empty())
    std::printf("The export check found nothing wrong.\n");
  else
    std::printf("The export check found %zu error%s and %zu warning%s.\n", errors,
                errors == 1 ? "" : "s", findings.size() - errors,
                findings.size() - errors == 1 ? "" : "s");
  std::fflush(stdout);
  return errors > 0 ? 2 : findings.empty() ? 0 : 1;
}

}  // namespace vodare::cli
