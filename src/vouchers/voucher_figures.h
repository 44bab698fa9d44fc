#pragma once
// What one inventory voucher comes to by the stage's own rules, worked out from its header and
// item lines alone: the figures against which a check after the run holds what the company
// keeps of it.

#include <cstdint>
#include <vector>

#include "vouchers/item_entries.h"
#include "vouchers/voucher_header.h"

namespace vodare {

struct InventoryVoucherFigures {
  double bill_amount = 0;  // as the stage books it (InventoryBillAmount)
  // What the party's entry carries: the bill amount without its sign; 0 for a stock challan,
  // which books no ledger side, and for a bill of 0.
  double party_amount = 0;
  int64_t item_lines = 0;    // lines written
  double item_quantity = 0;  // their main quantities, free quantity included
  bool too_many_items = false;
};

// Raises what the stage raises on the same values (a blank or non-numeric amount, a line
// quantity that is no number).
InventoryVoucherFigures WorkOutInventoryFigures(int16_t type, const InventoryVoucherHeader& header,
                                                const std::vector<ItemLine>& lines);

}  // namespace vodare
