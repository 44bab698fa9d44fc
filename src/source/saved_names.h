#pragma once
// The name under which an item or a ledger is saved in the company, shared by the master stages
// (which save them) and the name caches (which the voucher stages use to find them again), so
// that both always agree. Names are cut to 40 characters; a name met again gets "#" and its
// repeat count, cut so that the whole stays within 40; a saved name is unique among the names
// already given out (ignoring case), so when a name, suffixed or not, is taken, the next count
// that gives a free name is used.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "common/text.h"

namespace vodare {

class SavedNameAllocator {
 public:
  static constexpr size_t kMaxLength = 40;

  // The saved name for a master whose cleaned name is `name`; the name is taken from now on.
  std::string Allocate(std::string_view name) {
    std::string base = Left(name, kMaxLength);
    std::string folded = FoldKey(base);
    auto [it, first_time] = counts_.try_emplace(folded, 0);
    int64_t k = first_time ? 0 : it->second + 1;
    std::string candidate = WithCount(base, k);
    while (taken_.count(FoldKey(candidate)) != 0) candidate = WithCount(base, ++k);
    it->second = k;
    taken_.insert(FoldKey(candidate));
    return candidate;
  }

  // The name cut to 40 with "#" + k, the name shortened first when the whole would exceed 40.
  // k = 0 gives the name itself.
  static std::string WithCount(const std::string& name, int64_t k) {
    if (k == 0) return name;
    std::string suffix = "#" + std::to_string(k);
    size_t len = Len(name);
    if (len + Len(suffix) > kMaxLength) return Left(name, kMaxLength - Len(suffix)) + suffix;
    return name + suffix;
  }

 private:
  std::unordered_map<std::string, int64_t> counts_;  // folded 40-character name -> last count
  std::unordered_set<std::string> taken_;            // folded saved names
};

}  // namespace vodare
