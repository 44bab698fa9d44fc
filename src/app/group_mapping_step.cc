#include "app/group_mapping_step.h"

#include <exception>

#include "common/helpers.h"
#include "common/keyed_collection.h"
#include "mapping/group_matching.h"
#include "source/source_db.h"

namespace vodare {

std::vector<std::string> LoadVodoriGroups(RunContext& ctx) {
  std::vector<std::string> groups;
  KeyedCollection<std::string> seen;
  try {
    Recordset rs = GetRecordset(ctx, "SELECT parnam FROM ACGROUP");
    if (rs.IsNothing()) return groups;
    for (; !rs.Eof(); rs.MoveNext()) {
      std::string name = NzTrim(rs["Parnam"]);
      if (seen.Add(name, name)) groups.push_back(name);
    }
  } catch (const std::exception&) {
    groups.clear();
  }
  return groups;
}

std::vector<std::string> LoadVuvodaGroups(RunContext& ctx) {
  std::vector<std::string> groups;
  KeyedCollection<std::string> seen;
  if (!ctx.destination.FixedApi) return groups;
  try {
    for (const std::string& name : ctx.destination.FixedApi->GetMastersCol(kKindAccountGroup))
      if (seen.Add(name, name)) groups.push_back(name);
  } catch (const std::exception&) {
    groups.clear();
  }
  return groups;
}

void ShowGroupMapping(RunContext& ctx) {
  std::vector<std::string> vodori = LoadVodoriGroups(ctx);
  std::vector<std::string> vuvoda = LoadVuvodaGroups(ctx);
  GroupPairs pairs;
  if (!ctx.ui.MapAccountGroups(vodori, vuvoda, pairs)) return;
  // "Okay" hands over exactly the pairs of the dialog.
  ctx.GroupMapping.Clear();
  FillGroupMapping(pairs, ctx.GroupMapping);
}

}  // namespace vodare
