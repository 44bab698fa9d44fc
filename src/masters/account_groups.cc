// The account group stage: reads the groups, resolves their parents, and saves
// them parents first.
#include "masters/account_groups.h"

#include <optional>

#include "common/helpers.h"
#include "common/run_error.h"
#include "context/run_source.h"
#include "masters/record_text.h"
#include "masters/stage_support.h"
#include "source/lookups.h"
#include "source/source_db.h"

namespace vodare {

namespace {

struct GroupRow {
  std::string name;    // as read: the key the pairing uses and the error lines show
  std::string parent;  // resolved, paired group applied
  bool mapped = false;
  std::optional<std::string> error;  // the row's run-time error, reported in its turn
};

}  // namespace

void ImportAccountGroups(RunContext &ctx) {
  StageTally &tally = ctx.summary.Stage(kTallyAccountGroups);
  std::vector<GroupRow> rows;
  try {
    Recordset rs = GetRecordset(ctx, "SELECT " + GetFieldList(3) + " FROM ACGROUP");
    rs.MoveLast();
    rs.MoveFirst();
    const int64_t total = rs.RecordCount();
    rows.reserve(static_cast<size_t>(total));
    for (; !rs.Eof(); rs.MoveNext()) {
      GroupRow row;
      try {
        row.name = NzTrim(rs.Field("Parnam"));
        if (CollectionLookup(ctx.GroupMapping, row.name, static_cast<std::string *>(nullptr))) {
          row.mapped = true;
        } else {
          std::string parent_code = NzTrim(rs.Field("Group"));
          if (!IsBlank(parent_code)) row.parent = GetSourceName(ctx, "ACGROUP", parent_code);
          row.parent = ResolveMappedGroup(row.parent, ctx.GroupMapping);
        }
      } catch (const std::exception &e) {
        row.error = ErrorDescription(e);
      }
      rows.push_back(std::move(row));
    }
  } catch (const std::exception &e) {
    ctx.errors.Add(kTallyAccountGroups, "",
                   "RTE error while importing Accounts group" + ErrorDescription(e));
    return;
  }
  tally.read += static_cast<int64_t>(rows.size());

  // Names as saved, so that a child finds the parent it is saved under.
  std::vector<std::string> names, parents;
  std::vector<bool> wanted;
  for (const GroupRow &row : rows) {
    names.push_back(Left(row.name, kMasterNameLength));
    parents.push_back(Left(Trim(row.parent), kMasterNameLength));
    wanted.push_back(!row.mapped && !row.error);
  }
  const std::vector<size_t> order = GroupSaveOrder(names, parents, wanted);

  const int64_t total = static_cast<int64_t>(rows.size());
  int64_t n = 0;
  for (size_t i : order) {
    if (ctx.ui.StopRequested()) break;
    const GroupRow &row = rows[i];
    ++n;
    ShowStageProgress(
        ctx.ui, n, total,
        "Importing Account Groups(" + std::to_string(n) + " of " + std::to_string(total) + ")");
    try {
      if (row.error) throw RunTimeError(*row.error);
      if (row.mapped) {
        ++tally.skipped[kSkipMappedGroup];
        continue;
      }
      std::string parent = IsBlank(row.parent) ? row.parent : Left(row.parent, kMasterNameLength);
      std::string message;
      if (SaveMaster(ctx, kKindAccountGroup, BuildAccountGroupRecord(names[i], parent), message)) {
        ++tally.saved;
      } else {
        CountRefusal(tally, message);
        ctx.errors.Add(kTallyAccountGroups, names[i],
                       "Account Group Name : " + names[i] + " - " + message);
      }
    } catch (const std::exception &e) {
      ++tally.failed;
      ctx.errors.Add(kTallyAccountGroups, row.name,
                     "RTE error while importing " + std::string(" ") + row.name +
                         "[Account Group]" + ": " + ErrorDescription(e));
    }
  }
  tally.not_reached += total - n;
}

}  // namespace vodare
