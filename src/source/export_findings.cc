#include "source/export_findings.h"

#include <algorithm>

namespace vodare {

std::string FindingText(const ExportFinding& f) {
  std::string text = f.level == FindingLevel::kError ? "Error in table " : "Warning in table ";
  text += f.table;
  if (!f.place.empty()) text += ", " + f.place;
  text += ": " + f.fault;
  return text;
}

bool HasErrors(const std::vector<ExportFinding>& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const ExportFinding& f) { return f.level == FindingLevel::kError; });
}

}  // namespace vodare
