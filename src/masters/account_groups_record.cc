// The record rules of the account group stage, apart from its loop.
#include <string>
#include <unordered_map>

#include "common/run_error.h"
#include "common/text.h"
#include "masters/account_groups.h"
#include "masters/record_text.h"

namespace vodare {

std::string GetMappedName(std::string_view value) {
  size_t bar = value.find('|');
  if (bar == std::string_view::npos) throw RunTimeError("Subscript out of range", 9);
  return std::string(value.substr(bar + 1));
}

std::string ResolveMappedGroup(const std::string& group,
                               const KeyedCollection<std::string>& group_mapping) {
  std::string pairing;
  if (!group_mapping.Empty() && CollectionLookup(group_mapping, Trim(group), &pairing))
    return GetMappedName(pairing);
  return group;
}

std::string BuildAccountGroupRecord(std::string_view name, std::string_view parent) {
  std::string record = "<AccountGroup>";
  AppendElement(record, "Name", name);
  if (TrimView(parent).empty()) {
    record += "<PrimaryGroup> True </PrimaryGroup>";
  } else {
    record += "<PrimaryGroup> False </PrimaryGroup>";
    AppendElement(record, "ParentGroupName", parent);
  }
  record += "</AccountGroup>";
  return record;
}

std::vector<size_t> GroupSaveOrder(const std::vector<std::string>& names,
                                   const std::vector<std::string>& parents,
                                   const std::vector<bool>& wanted) {
  const size_t n = names.size();
  std::unordered_map<std::string, size_t> first_row;
  for (size_t i = 0; i < n; ++i)
    if (wanted[i]) first_row.try_emplace(FoldKey(Trim(names[i])), i);

  std::vector<size_t> order;
  order.reserve(n);
  std::vector<bool> emitted(n, false);
  std::vector<std::vector<size_t>> waiting(n);

  // Saves a group, then every group that waited for it, depth first, in table order.
  auto emit = [&](size_t root) {
    std::vector<size_t> stack{root};
    while (!stack.empty()) {
      size_t i = stack.back();
      stack.pop_back();
      order.push_back(i);
      emitted[i] = true;
      for (auto it = waiting[i].rbegin(); it != waiting[i].rend(); ++it) stack.push_back(*it);
    }
  };

  for (size_t i = 0; i < n; ++i) {
    if (wanted[i] && !TrimView(parents[i]).empty()) {
      auto hit = first_row.find(FoldKey(Trim(parents[i])));
      if (hit != first_row.end() && hit->second != i && !emitted[hit->second]) {
        waiting[hit->second].push_back(i);
        continue;
      }
    }
    emit(i);
  }
  // Whatever still waits hangs in a loop of parents: table order, and the company decides.
  for (size_t i = 0; i < n; ++i)
    if (!emitted[i]) {
      order.push_back(i);
      emitted[i] = true;
    }
  return order;
}

}  // namespace vodare
