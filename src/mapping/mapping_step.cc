#include "mapping/mapping_step.h"

#include <algorithm>

#include "common/helpers.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "mapping/group_matching.h"
#include "source/source_db.h"

namespace vodare {

std::vector<std::string> LoadVodoriGroups(RunContext& ctx) {
  std::vector<std::string> groups;
  try {
    Recordset rs = GetRecordset(ctx, "SELECT parnam FROM ACGROUP");
    if (rs.IsNothing() || rs.RecordCount() < 1) return groups;
    KeyedCollection<char> seen;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
      std::string name = NzTrim(rs.Field("parnam"));
      if (seen.Add(name, 0)) groups.push_back(name);
    }
  } catch (const std::exception&) {
    // The dialog opens with what was read.
  }
  return groups;
}

std::vector<std::string> LoadVuvodaGroups(RunContext& ctx) {
  std::vector<std::string> groups;
  if (!ctx.destination.FixedApi) return groups;
  KeyedCollection<char> seen;
  for (std::string& name : ctx.destination.FixedApi->GetMastersCol(kKindAccountGroup))
    if (seen.Add(name, 0)) groups.push_back(std::move(name));
  return groups;
}

GroupPairs AutoMapGroupLists(const std::vector<std::string>& vodori_groups,
                             const std::vector<std::string>& vuvoda_groups) {
  std::vector<std::string> listed = vodori_groups;
  std::stable_sort(listed.begin(), listed.end(), [](const std::string& a, const std::string& b) {
    return CompareNoCase(a, b) < 0;
  });
  KeyedCollection<std::string> vuvoda;
  for (const auto& g : vuvoda_groups) vuvoda.Add(g, g);
  KeyedCollection<std::string> pending;
  GroupPairs pairs;
  for (const AutoPair& p : AutoMapGroups(listed, vuvoda, pending))
    pairs.emplace_back(p.vodori, p.vuvoda);
  return pairs;
}

void MapAccountGroupsStep(RunContext& ctx) {
  std::vector<std::string> vodori = LoadVodoriGroups(ctx);
  std::vector<std::string> vuvoda;
  try {
    vuvoda = LoadVuvodaGroups(ctx);
  } catch (const std::exception& e) {
    ctx.ui.ShowMessage(std::string("Error: ") + e.what(), "Error", MessageIcon::kExclamation);
  }
  GroupPairs pairs;
  if (!ctx.ui.MapAccountGroups(vodori, vuvoda, pairs)) return;
  ctx.GroupMapping.Clear();
  FillGroupMapping(pairs, ctx.GroupMapping);
}

}  // namespace vodare
