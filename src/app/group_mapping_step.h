#pragma once
// The account group mapping offered before the masters: the export's groups and the company's
// groups go to the mapping dialog (RunUi::MapAccountGroups); the pairs the user accepts become
// the run's GroupMapping. Quitting the dialog leaves GroupMapping as it was.

#include <string>
#include <vector>

#include "context/run_context.h"

namespace vodare {

// The export's account group names, trimmed, in table order, each once (ignoring case). Empty
// when the groups cannot be read.
std::vector<std::string> LoadVodoriGroups(RunContext& ctx);
// The company's account group names in the server's order, each once. Empty when the server
// cannot list them.
std::vector<std::string> LoadVuvodaGroups(RunContext& ctx);

void ShowGroupMapping(RunContext& ctx);

}  // namespace vodare
