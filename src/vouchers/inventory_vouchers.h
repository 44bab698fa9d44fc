#pragma once
// The inventory voucher stage: every sale, purchase, return and stock challan of the date range
// becomes one voucher of the destination company, with its item lines, bill sundries, ledger
// entries and bill references. A voucher that cannot move becomes one line of the error text;
// the stage never stops the run for one bad voucher.

#include <string>

#include "common/text.h"

namespace vodare {

struct RunContext;

// The stage's tally in the run summary.
inline constexpr const char* kInventoryVoucherStage = "Inventory vouchers";
inline constexpr const char* kSkipTooManyItems = "more than 999 item lines";

// The range as the window gives it (dd-mm-yyyy); both texts are rewritten as mm-dd-yyyy, the
// form the stage's queries carry them in.
void ImportInventoryVouchers(RunContext& ctx, std::string& from_date, std::string& to_date);
void ImportInventoryVouchers(RunContext& ctx, const Date& from, const Date& to);

}  // namespace vodare
