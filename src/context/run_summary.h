#pragma once
// What became of every source record a stage read: saved, refused by the destination, failed
// with a run-time error line, skipped by the program's own rules (per rule), or not reached
// because an error ended the stage. read = saved + refused + failed + skipped + not_reached.
// Records that come from no source row (brokers, tax types, bill sundries made on the fly) are
// tallied on lines of their own.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vodare {

// The skip rule of records the company holds already (an earlier run saved them, or a new
// company comes with them): in the company, yet not by this run.
inline constexpr const char* kAlreadyPresentRule = "already in the company";

struct StageTally {
  std::string stage;  // e.g. "Items", "Ledgers", "Brokers (from ledgers)"
  int64_t read = 0;
  int64_t saved = 0;
  int64_t refused = 0;
  int64_t failed = 0;
  int64_t not_reached = 0;
  std::map<std::string, int64_t> skipped;  // rule -> records

  int64_t Skipped() const {
    int64_t n = 0;
    for (const auto& [rule, count] : skipped) n += count;
    return n;
  }
  int64_t AlreadyPresent() const {
    auto it = skipped.find(kAlreadyPresentRule);
    return it == skipped.end() ? 0 : it->second;
  }
  // Passed over by the program's own rules, those already present apart.
  int64_t SkippedByRules() const { return Skipped() - AlreadyPresent(); }
  bool Balanced() const { return read == saved + refused + failed + Skipped() + not_reached; }
  // At a stage's end: what it read and did not account for otherwise was not reached (the
  // stage stopped before it).
  void CountRestAsNotReached() {
    not_reached = std::max<int64_t>(0, read - saved - refused - failed - Skipped());
  }
};

class RunSummary {
 public:
  // The tally of a stage, created on first use; stages keep the order they first appear in.
  // The reference stays valid while other stages are added, so a stage may hold several.
  StageTally& Stage(const std::string& name) {
    for (auto& s : stages_)
      if (s.stage == name) return s;
    StageTally tally;
    tally.stage = name;
    stages_.push_back(std::move(tally));
    return stages_.back();
  }
  const StageTally* Find(const std::string& name) const {
    for (const auto& s : stages_)
      if (s.stage == name) return &s;
    return nullptr;
  }
  const std::deque<StageTally>& stages() const { return stages_; }
  void Clear() { stages_.clear(); }

 private:
  std::deque<StageTally> stages_;
};

}  // namespace vodare
