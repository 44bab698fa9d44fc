#pragma once
// Pairing Vodori account groups with existing Vuvoda account groups: the automatic matcher and
// the bookkeeping of the pairs, apart from any window.

#include <string>
#include <string_view>
#include <vector>

#include "common/keyed_collection.h"

namespace vodare {

// Finds the Vuvoda group for a Vodori group name. The name is upper-cased in place. A Vuvoda
// group matches when, after both names drop "/", "(", ")", "." and turn " and " into "&", at
// least 90 percent of the Vodori name's characters equal the Vuvoda name's character at the
// same position; the last such group in `vuvoda_groups` wins. Failing that, a fixed table of
// well-known group names is consulted. `vuvoda` receives the group name as stored (or the
// table's name, which may not be a Vuvoda group at all).
bool MatchVuvodaGroup(std::string& vodori_name, const std::vector<std::string>& vuvoda_groups,
                      std::string& vuvoda);
bool MatchVuvodaGroup(std::string& vodori_name, const KeyedCollection<std::string>& vuvoda_groups,
                      std::string& vuvoda);

// The pairing value kept under a Vodori group: vodori + "|" + vuvoda.
std::string GroupPairValue(std::string_view vodori, std::string_view vuvoda);

// One pair made by the automatic matcher.
struct AutoPair {
  std::string vodori;  // the list item's full text: the key of the pairing
  std::string shown;   // the first column of the pair list: the name trimmed, cut, upper-cased
  std::string vuvoda;  // the Vuvoda group as stored
};

// Walks the Vodori list from its last item to its first and pairs every item that matches a
// Vuvoda group, adding the pair to `pending` (which the caller emptied first). A table match
// that names no Vuvoda group makes no pair. Returns the pairs in the order they were made;
// the items not returned stay in the Vodori list.
std::vector<AutoPair> AutoMapGroups(const std::vector<std::string>& vodori_items,
                                    const KeyedCollection<std::string>& vuvoda_groups,
                                    KeyedCollection<std::string>& pending);

// The key of `pending` that a row of the pair list stands for: the row's first-column text
// itself, or, for an automatic pair whose first column was upper-cased and cut, the key that
// shows as that text. Empty text when none does.
std::string FindPairKey(const KeyedCollection<std::string>& pending, std::string_view shown);

// The pairs as the run keeps them: key the Vodori group, value vodori + "|" + vuvoda.
void FillGroupMapping(const std::vector<std::pair<std::string, std::string>>& pairs,
                      KeyedCollection<std::string>& group_mapping);

}  // namespace vodare
