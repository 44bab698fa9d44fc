#pragma once
// Vodori account groups become Vuvoda account groups. Groups the user paired with an existing
// Vuvoda group are not created; a group whose parent was paired is created under the paired
// group.

#include <string>
#include <string_view>
#include <vector>

#include "common/keyed_collection.h"

namespace vodare {

struct RunContext;

// The Vuvoda group of a pairing value "vodori|vuvoda": the text after the first "|". A text
// without "|" raises "Subscript out of range".
std::string GetMappedName(std::string_view value);

// The parent a group (or a ledger) is filed under: the paired Vuvoda group when the Vodori
// parent was paired, the Vodori parent otherwise.
std::string ResolveMappedGroup(const std::string& group,
                               const KeyedCollection<std::string>& group_mapping);

// The <AccountGroup> record; name and parent are already cut to 40 characters and are escaped
// here. A blank parent makes a primary group.
std::string BuildAccountGroupRecord(std::string_view name, std::string_view parent);

// The order in which the groups are saved: table order, except that a group whose parent comes
// later in the table is saved right after that parent (and its own children after it). Parents
// are found by name, ignoring case; `wanted[i]` false marks a row that is not saved (a paired
// group), which nothing waits for. Groups caught in a loop of parents keep table order at the
// end.
std::vector<size_t> GroupSaveOrder(const std::vector<std::string>& names,
                                   const std::vector<std::string>& parents,
                                   const std::vector<bool>& wanted);

// The account group stage.
void ImportAccountGroups(RunContext& ctx);

}  // namespace vodare
