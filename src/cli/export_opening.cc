#include "cli/export_opening.h"

#include <filesystem>
#include <string_view>

#include "source/source_db.h"

namespace vodare::cli {

namespace {
constexpr std::string_view kOpenings[] = {
    "Error reading table ", "Warning reading table ",
    "Error creating index: ", "Error in OpenDBCon: ", "Error in CreateIndexes: "};

bool StartsEntry(std::string_view text) {
  for (std::string_view o : kOpenings)
    if (text.substr(0, o.size()) == o) return true;
  return false;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
}  // namespace

std::vector<std::string> SplitErrorEntries(const std::string& error_text) {
  std::vector<std::string> entries;
  std::string_view rest(error_text);
  while (!rest.empty()) {
    size_t end = rest.size();
    for (size_t i = rest.find('_'); i != std::string_view::npos; i = rest.find('_', i + 1)) {
      if (i + 1 == rest.size() || StartsEntry(rest.substr(i + 1))) {
        end = i;
        break;
      }
    }
    entries.emplace_back(rest.substr(0, end));
    rest = end + 1 >= rest.size() ? std::string_view() : rest.substr(end + 1);
  }
  return entries;
}

OpenedExport OpenExportFolder(const std::string& folder) {
  OpenedExport opened;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    opened.failure = std::filesystem::exists(folder, ec) ? folder + " is not a folder"
                                                         : "no such folder: " + folder;
    return opened;
  }
  std::string error_text;
  opened.db = OpenExport(folder, error_text);
  for (const std::string& entry : SplitErrorEntries(error_text)) {
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
