#include <exception>

#include "destination/configure.h"
#include "source/source_db.h"

namespace vodare {

// Godowns are the SaleType rows coded "GODWON". The count is taken again after walking to the
// last row, as the engine's count is only sure once every row has been reached.
int32_t CountGodowns(RunContext& ctx) {
  // Without an open export there is nothing to count, and nothing to tell the user about.
  if (!ctx.source) return 0;
  try {
    Recordset rs = GetRecordset(ctx, "Select Parnam,Scode from saletype where Sgcode = 'GODWON'");
    int64_t count = rs.RecordCount();
    if (count > 0) {
      rs.MoveLast();
      rs.MoveFirst();
      count = rs.RecordCount();
    }
    return static_cast<int32_t>(count);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace vodare
