// Reading an item's batches for its opening stock block.
#include "masters/opening_stock.h"

#include "common/helpers.h"
#include "context/run_source.h"
#include "destination/converters.h"
#include "masters/stage_support.h"
#include "source/source_db.h"

namespace vodare {

std::string BuildItemOpeningStock(RunContext &ctx, const std::string &item_name,
                                  std::string &main_opening, const std::string &factor_text,
                                  const std::string &alt_unit, OpeningStockResult &result) {
  try {
    result.total_qty = 0;
    const double factor = BlockConversionFactor(
        factor_text, ParseAmount(factor_text, ctx.destination.CompanyApi.get()));
    const bool alt_present = !IsBlank(alt_unit) && Trim(alt_unit) != "NA";
    Recordset rs = GetRecordset(ctx,
                                "select BatchNo,pRate,Mfd,Exp,Opening,Mrp,Ratea from "
                                "probat where Billname = '" +
                                    CleanTextCopy(item_name, 3) + "'");
    std::vector<BatchRow> rows;
    if (rs.RecordCount() >= 1) {
      rows.reserve(static_cast<size_t>(rs.RecordCount()));
      for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        rows.push_back(BatchRow{rs.Field("BatchNo"), rs.Field("pRate"), rs.Field("Mfd"),
                                rs.Field("Exp"), rs.Field("Opening"), rs.Field("Mrp"),
                                rs.Field("Ratea")});
      }
    }
    std::string block = BuildOpeningStockBlock(rows, factor, alt_present, result);
    if (IsBlank(main_opening)) main_opening = DoubleToText(result.total_qty);
    return block;
  } catch (const std::exception &e) {
    result.failed = true;
    ctx.errors.Add(kTallyBatchDetails, item_name, "Error in Batch Details: " + ErrorDescription(e));
    return {};
  }
}

}  // namespace vodare
