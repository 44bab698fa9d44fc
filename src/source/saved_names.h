#pragma once
// The name under which a master is saved in the destination. The master stages and the name
// caches of the voucher stages build it with this one class, so that a voucher names a ledger
// or an item exactly as it was saved.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "common/keyed_collection.h"

namespace vodare {

// Names sent to the destination hold at most this many characters.
inline constexpr size_t kSavedNameLength = 40;

struct SavedName {
  std::string full;   // the name with "<" ">" turned to round brackets, uncut
  std::string print;  // that name cut to 40 characters (the print name)
  std::string name;   // the print name made unique: the name the master is saved under
};

// name + "#" + n, the name first cut so that the whole holds at most 40 characters.
std::string SuffixedName(std::string_view name, int n);

// Hands out unique saved names over one walk of a table. The n-th repeat of a name (compared
// without regard to case, after the cut to 40) is offered as name + "#" + n; when that name,
// or the plain name, is already taken by an earlier record (a real "ABC#1" among two "ABC"),
// the next count that gives a free name is taken, so no two records share a saved name.
class SavedNameAllocator {
 public:
  // The names for a record whose name field reads trimmed_name (NzTrim of the field).
  SavedName Take(std::string_view trimmed_name);
  // The unique name for a name already cleaned and cut to 40.
  std::string TakeCut(std::string_view cut_name);
  bool IsTaken(std::string_view name) const;
  void Clear();

 private:
  KeyedCollection<int16_t> counters_;
  std::unordered_set<std::string> taken_;  // folded keys
};

}  // namespace vodare
