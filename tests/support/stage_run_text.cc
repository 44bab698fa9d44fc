#include "support/stage_run_text.h"

#include "destination/local/reports.h"

namespace vodare::testing {

std::string StageRunText(const LocalCompany& company, const std::string& operation,
                         const RunContext& ctx) {
  std::string out;
  if (!operation.empty())
    for (const local::JournalRow& row : JournalOf(company, operation)) {
      out += row.accepted ? "+ " : "- " + row.message + "\n  ";
      out += row.text + "\n";
    }
  out += "errors:\n";
  for (const ErrorEntry& e : ctx.errors.entries())
    out += "  [" + e.stage + "] " + e.key + ": " + e.message +
           (e.end == "_" ? "" : " (ends " + std::to_string(e.end.size()) + ")") + "\n";
  for (const StageTally& t : ctx.summary.stages()) {
    out += "tally " + t.stage + ": read " + std::to_string(t.read) + " saved " +
           std::to_string(t.saved) + " refused " + std::to_string(t.refused) + " failed " +
           std::to_string(t.failed) + " not reached " + std::to_string(t.not_reached);
    for (const auto& [rule, n] : t.skipped) out += "; " + rule + " " + std::to_string(n);
    out += t.Balanced() ? "\n" : " (unbalanced)\n";
  }
  return out;
}

}  // namespace vodare::testing
