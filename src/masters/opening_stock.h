#pragma once
// An item's opening stock in the one material centre "Main Store", broken down into the pending
// batches that the batch table holds for the item's name.

#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"

namespace vodare {

struct RunContext;

// One batch row, as the export gives it.
struct BatchRow {
  Value batch_no, p_rate, mfd, exp, opening, mrp, ratea;
};

// What the block tells the item stage. Filled as the rows are read, so that a row that fails
// leaves what the rows before it set.
struct OpeningStockResult {
  bool has_batches = false;   // some batch number is real (not blank, not led by two blanks)
  bool mfg_dates = false;     // some batch carries a manufacturing date
  bool expiry_dates = false;  // some batch carries an expiry date
  double total_qty = 0;       // main-unit quantity of the included batches
  int batches = 0;            // included batches
  bool failed = false;        // a run-time error ended the reading; the block is empty
};

// The conversion factor of the block: 1 when the factor text read as a leading number is 0 or
// less, otherwise the parsed amount the caller hands in.
double BlockConversionFactor(std::string_view factor_text, double parsed_factor);

// The <OPStockDetails> block for the rows in table order. Raises the run-time error of a row
// whose quantity or rate is not a number; `result` then keeps what the earlier rows set.
std::string BuildOpeningStockBlock(const std::vector<BatchRow>& rows, double factor,
                                   bool alt_unit_present, OpeningStockResult& result);

// Whether an item's opening (main-unit text) and its batches' total agree, as numbers within
// 0.001.
bool BatchTotalMatches(std::string_view main_opening, double batch_total);

// Reads the batches of the item named `item_name` (its name as read, before any clean-up) and
// builds the block. A blank `main_opening` is filled with the batch total. A run-time error
// adds "Error in Batch Details: ..." to the error text and gives an empty block.
std::string BuildItemOpeningStock(RunContext& ctx, const std::string& item_name,
                                  std::string& main_opening, const std::string& factor_text,
                                  const std::string& alt_unit, OpeningStockResult& result);

}  // namespace vodare
