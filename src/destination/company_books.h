#pragma once
// What a company holds, read back after a run so that a reconciliation can set it beside the
// export: every voucher with the figures it is compared by, and the masters of a kind. The
// local company store answers it; another destination answers it the same way.

#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"

namespace vodare {

// A stored voucher: its first accounting entry's amount without its sign (the party's, which
// carries an inventory voucher's bill), the sum of its debit entries, and its item lines with
// their main quantities.
struct StoredVoucher {
  int type = 0;
  std::string number;
  Date date;
  double first_entry = 0;
  double debit_total = 0;
  int64_t item_lines = 0;
  double item_quantity = 0;
};

struct StoredMaster {
  std::string name;
  double opening_balance = 0;  // ledgers: credit positive, debit negative
};

class CompanyBooks {
 public:
  virtual ~CompanyBooks() = default;
  // Every voucher, by date and then in the order saved.
  virtual std::vector<StoredVoucher> Vouchers() = 0;
  // The masters of a kind (kKindItem, kKindLedger, ...).
  virtual std::vector<StoredMaster> Masters(int kind) = 0;
};

}  // namespace vodare
