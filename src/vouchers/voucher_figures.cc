#include "vouchers/voucher_figures.h"

#include <cmath>

#include "vouchers/voucher_types.h"
#include "vouchers/voucher_values.h"

namespace vodare {

InventoryVoucherFigures WorkOutInventoryFigures(int16_t type, const InventoryVoucherHeader& h,
                                                const std::vector<ItemLine>& lines) {
  InventoryVoucherFigures f;
  f.bill_amount = InventoryBillAmount(h);
  if (!IsChallanType(type)) f.party_amount = std::fabs(f.bill_amount);
  if (lines.size() > kMaxItemLines) {
    f.too_many_items = true;
    return f;
  }
  // The basis the lines are read on, decided as the stage decides it.
  ItemEntriesOutcome basis;
  basis.not_reconciled =
      ReconcileItemAmounts(lines, SumHeaderCharges(h), f.bill_amount, basis.discount_total, type,
                           basis.tax_inclusive, basis.unit_basis, Num(h.staxamo));
  for (const ItemLine& line : lines) {
    const LineQuantities lq = WorkOutLineQuantities(line, type, basis);
    if (!lq.written) continue;
    ++f.item_lines;
    f.item_quantity += lq.qty;
  }
  return f;
}

}  // namespace vodare
