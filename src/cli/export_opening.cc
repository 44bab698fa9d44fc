#include "cli/export_opening.h"

#include <filesystem>
#include <string_view>

#include "source/source_db.h"

namespace vodare::cli {

namespace {
bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
}  // namespace

OpenedExport OpenExportFolder(const std::string& folder) {
  OpenedExport opened;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    opened.failure = std::filesystem::exists(folder, ec) ? folder + " is not a folder"
                                                         : "no such folder: " + folder;
    return opened;
  }
  ErrorList errors;
  opened.db = OpenExport(folder, errors);
  for (const ErrorEntry& e : errors.entries()) {
    const std::string& entry = e.message;
    if (StartsWith(entry, "Error reading table "))
      opened.table_errors.push_back(entry);
    else if (StartsWith(entry, "Warning reading table "))
      opened.warnings.push_back(entry);
    else if (StartsWith(entry, "Error in OpenDBCon: "))
      opened.failure = entry.substr(std::string_view("Error in OpenDBCon: ").size());
    // Index entries concern the program's lookups (a table the folder lacks, an index a
    // previous opening made), not what these commands show.
  }
  if (!opened.db && opened.failure.empty()) opened.failure = "the folder could not be opened";
  return opened;
}

}  // namespace vodare::cli
