#pragma once
// What the voucher builders look up by code while they write a voucher: names of items,
// material centres and accounts, and the three batch-table facts of an item line. The stage
// answers them from the run's caches and the export; the builders stay free of any database.

#include <cstdint>
#include <string>

namespace vodare {

class VoucherLookups {
 public:
  virtual ~VoucherLookups() = default;
  // The name the item was saved under, or the export's name with "<" ">" turned to round
  // brackets; empty when the code names no item.
  virtual std::string ItemName(const std::string& item_code) = 0;
  // The material centre the godown was saved as; empty when there is none.
  virtual std::string MaterialCentreName(const std::string& godown_code) = 0;
  // An account's name as the export holds it; empty when no account has the code.
  virtual std::string AccountName(const std::string& account_code) = 0;
  // The packing text of the first batch of the item; empty when it has none.
  virtual std::string ItemPackingText(int32_t item_code) = 0;
  // The unit of the first batch of the item; empty when it has none.
  virtual std::string BatchUnit(const std::string& item_code) = 0;
  // The sale price of the first batch of that number; empty when there is none.
  virtual std::string BatchSalePrice(const std::string& batch_no) = 0;
};

}  // namespace vodare
