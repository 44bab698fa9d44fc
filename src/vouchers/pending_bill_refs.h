#pragma once
// The open bills of a party (`pend`) carried inside a voucher as bill-by-bill references, one
// `PendingBillDetails` element. The inventory and the accounting voucher stages both attach them.

#include <cstdint>
#include <string>
#include <vector>

#include "common/xml.h"

namespace vodare {

struct RunContext;

// One `pend` row, each column as text (trimmed).
struct PendingBillRow {
  std::string type;   // "N" gives method 1, anything else method 2
  std::string ddate;  // due date
  std::string final_amount;
  std::string vcn;  // reference number
};

// Appends `PendingBillDetails` for the rows (nothing when there are none). A due date that is
// not a date, or an amount that is not a number, raises.
void AppendPendingBillRefs(RecordElement root, const std::vector<PendingBillRow>& rows,
                           const std::string& voucher_no, const std::string& party_name,
                           const std::string& voucher_date, const std::string& voucher_amount,
                           const std::string& reference_text, int16_t type);

// The `pend` rows of a ledger voucher number, in table order. A number that is not a number
// matches no row.
std::vector<PendingBillRow> ReadPendingBillRows(RunContext& ctx, const std::string& voucher_no);

// Reads the voucher's `pend` rows and appends them (both steps above).
void AddPendingBillRefs(RunContext& ctx, RecordElement root, const std::string& voucher_no,
                        const std::string& party_name, const std::string& voucher_date,
                        const std::string& voucher_amount, const std::string& reference_text,
                        int16_t type);

}  // namespace vodare
