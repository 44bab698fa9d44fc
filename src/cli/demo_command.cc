// vodare-cli demo: a sample export converted into a fresh local company, end to end.
#include "cli/commands.h"

namespace vodare::cli {

int DemoCommand(const Args&) {
  return Fail("demo needs the sample export and the local company store, which are not built yet");
}

}  // namespace vodare::cli
