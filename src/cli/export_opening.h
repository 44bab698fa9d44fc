#pragma once
// Opening an export folder for the subcommands that read it: as the program opens it, with the
// opening's entries sorted into what stops the command and what is only worth a warning.

#include <memory>
#include <string>
#include <vector>

namespace vodare {
class SourceDb;
}

namespace vodare::cli {

struct OpenedExport {
  std::shared_ptr<SourceDb> db;  // null when the folder could not be opened
  std::string failure;           // why, when db is null
  // Tables that could not be read ("Error reading table X: why"), and reader warnings.
  std::vector<std::string> table_errors;
  std::vector<std::string> warnings;
};

OpenedExport OpenExportFolder(const std::string& folder);

}  // namespace vodare::cli
