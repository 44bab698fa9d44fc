#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "destination/local/reports.h"

namespace vodare::testing {
namespace {

std::string GoldenPath(const std::string& name) {
  return std::string(VODARE_SOURCE_DIR) + "/tests/data/" + name;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

}  // namespace

void ExpectGolden(const std::string& name, const std::string& actual) {
  const char* update = std::getenv("VODARE_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::ofstream(GoldenPath(name), std::ios::binary) << actual;
    return;
  }
  std::ifstream in(GoldenPath(name), std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "no kept copy tests/data/" << name << " (VODARE_UPDATE_GOLDEN=1 writes it)";
    return;
  }
  std::ostringstream kept;
  kept << in.rdbuf();
  if (kept.str() == actual) return;
  const std::vector<std::string> want = Lines(kept.str()), got = Lines(actual);
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  ADD_FAILURE() << "tests/data/" << name << " differs at line " << i + 1 << "\n  kept: "
                << (i < want.size() ? want[i] : "(end)")
                << "\n  now:  " << (i < got.size() ? got[i] : "(end)");
}

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
    out += "  [" + e.stage + "] " + e.key + ": " + e.message + (e.end == "_" ? "" : " (ends " + std::to_string(e.end.size()) + ")") + "\n";
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
