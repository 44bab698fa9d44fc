// vodare-cli tables EXPORT_DIR: the export's tables with their columns and live row counts.
#include <cstdio>
#include <exception>

#include "cli/commands.h"
#include "cli/export_opening.h"
#include "source/source_db.h"

namespace vodare::cli {

int TablesCommand(const Args& args) {
  if (args.size() != 1) return Fail("tables: name one export folder (tables EXPORT_DIR)");
  OpenedExport opened = OpenExportFolder(args[0]);
  if (!opened.db) return Fail("tables: " + opened.failure);
  try {
    for (const SourceTableInfo& t : opened.db->Tables()) {
      std::printf("%s (%s): %lld rows\n", t.name.c_str(), t.file.c_str(),
                  static_cast<long long>(t.row_count));
      for (const SourceColumnInfo& c : t.columns)
        std::printf("  %-12s %c %4d %3d\n", c.name.c_str(), c.type, c.width, c.decimals);
    }
  } catch (const std::exception& e) {
    return Fail(std::string("tables: ") + e.what());
  }
  std::fflush(stdout);
  for (const std::string& w : opened.warnings) std::fprintf(stderr, "vodare-cli: %s\n", w.c_str());
  // The tables that did open are listed; the ones that did not make the listing incomplete.
  for (const std::string& e : opened.table_errors)
    std::fprintf(stderr, "vodare-cli: %s\n", e.c_str());
  return opened.table_errors.empty() ? 0 : 1;
}

}  // namespace vodare::cli
