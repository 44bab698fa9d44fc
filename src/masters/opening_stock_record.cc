// The record rules of an item's opening stock block, apart from reading the batches.
#include <cmath>

#include "common/helpers.h"
#include "masters/opening_stock.h"
#include "masters/record_text.h"

namespace vodare {

double BlockConversionFactor(std::string_view factor_text, double parsed_factor) {
  if (LeadingNumber(factor_text) <= 0) return 1;
  return parsed_factor;
}

std::string BuildOpeningStockBlock(const std::vector<BatchRow>& rows, double factor,
                                   bool alt_unit_present, OpeningStockResult& result) {
  result.total_qty = 0;
  std::string block =
      "<OPStockDetails><OPMCStockDetail><SrNo>1</SrNo><MCName>Main Store</MCName>"
      "<PendingBatches>";
  double block_qty = 0;
  double block_amount = 0;
  for (const BatchRow& row : rows) {
    std::string batch_no = NzTrim(row.batch_no);
    if (!StartsWithTwoBlanks(NzText(row.batch_no)) && !batch_no.empty()) result.has_batches = true;
    std::string mfd = DateFieldText(row.mfd);
    std::string exp = DateFieldText(row.exp);
    if (!mfd.empty()) result.mfg_dates = true;
    if (!exp.empty()) result.expiry_dates = true;
    if (batch_no.empty()) continue;
    double q = TextToNumber(NzTrim(row.opening));
    if (q == 0) continue;

    double m = IsZero(factor) ? q : q / factor;
    std::string qty_text = DoubleToText(m);
    double qty = TextToNumber(qty_text);
    result.total_qty += qty;
    block_qty += qty;
    double amount = qty * TextToNumber(NzTrim(row.p_rate));
    block_amount += amount;
    ++result.batches;

    block += "<BatchReference>";
    AppendElement(block, "SrNo", std::to_string(result.batches));
    AppendElement(block, "BatchNo", batch_no);
    if (result.expiry_dates) AppendElement(block, "ExpiryDate", exp);
    if (result.mfg_dates) AppendElement(block, "MfgDate", mfd);
    AppendElement(block, "Qty", qty_text);
    if (alt_unit_present) AppendElement(block, "QtyAltUnit", DoubleToText(q));
    AppendElement(block, "MainUnitPrice", DoubleToText(amount));
    AppendElement(block, "ItemMRP", NzTrim(row.mrp));
    AppendElement(block, "SalesPrice", NzTrim(row.ratea));
    block += "</BatchReference>";
  }
  block += "</PendingBatches>";
  AppendElement(block, "OPStockMainUnit", DoubleToText(block_qty));
  if (alt_unit_present) AppendElement(block, "OPStockAltUnit", DoubleToText(factor * block_qty));
  AppendElement(block, "Amount", DoubleToText(block_amount));
  block += "</OPMCStockDetail></OPStockDetails>";
  return block;
}

bool BatchTotalMatches(std::string_view main_opening, double batch_total) {
  return std::fabs(LeadingNumber(main_opening) - batch_total) < 0.001;
}

}  // namespace vodare
