#pragma once
// What is wrong with an export, as the reader and the opening find it: each fault named by its
// table, the field or record it lies in, and what it is. An error means the table cannot be
// trusted whole (records are missing, it could not be read, two files claim it); a warning is
// something the user may accept before the run books anything.

#include <string>
#include <vector>

namespace vodare {

enum class FindingLevel { kWarning, kError };

struct ExportFinding {
  FindingLevel level = FindingLevel::kWarning;
  std::string table;  // the table's name as spelt on disk (its file name without extension)
  std::string place;  // "field AMMMOUNT", "record 17", "field AMMMOUNT, record 17", or empty
  std::string fault;  // what is wrong, in the user's words

  bool operator==(const ExportFinding&) const = default;
};

// "Error in table dis: the header counts ..." / "Warning in table dis, field QTY: ...".
std::string FindingText(const ExportFinding& finding);

// True when any finding is an error.
bool HasErrors(const std::vector<ExportFinding>& findings);

}  // namespace vodare
