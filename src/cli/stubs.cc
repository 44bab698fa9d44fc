// Subcommands whose layers have not landed yet answer plainly instead of failing to link.
#include "cli/commands.h"

namespace vodare::cli {
int TablesCommand(const Args&) { return Fail("tables is not built yet"); }
int QueryCommand(const Args&) { return Fail("query is not built yet"); }
}  // namespace vodare::cli
