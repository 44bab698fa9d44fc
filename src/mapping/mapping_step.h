#pragma once
// The mapping step of a run: the two group lists, the dialog (or the automatic matcher of the
// command line), and the pairs the stages then follow.

#include <string>
#include <vector>

#include "common/run_ui.h"

namespace vodare {

struct RunContext;

// The Vodori group names of the export in table order, each once (ignoring case). A query that
// fails leaves the list empty.
std::vector<std::string> LoadVodoriGroups(RunContext& ctx);
// The company's account groups in the server's order.
std::vector<std::string> LoadVuvodaGroups(RunContext& ctx);

// The automatic matcher over plain lists, as the command line runs it without a window: the
// Vodori groups are taken in the dialog's sorted order and matched from the last to the first.
// Each pair is (Vodori group, Vuvoda group as stored).
GroupPairs AutoMapGroupLists(const std::vector<std::string>& vodori_groups,
                             const std::vector<std::string>& vuvoda_groups);

// Shows the mapping dialog through the run's window and, when the user accepts it, makes its
// pairs the run's GroupMapping. Quitting hands nothing over.
void MapAccountGroupsStep(RunContext& ctx);

}  // namespace vodare
