#pragma once
// The ledger side of an inventory voucher: party, sales or purchase account, taxes and charges,
// round-off and cash settlement, as one `AccEntries` element. Every figure comes from the
// caller; nothing is read or saved here.

#include <cstdint>
#include <string>
#include <vector>

#include "common/xml.h"

namespace vodare {

struct InventoryAccInputs {
  std::string party_name;
  int16_t type = 0;
  std::string amount_text;  // the bill amount
  bool carry_settlement = false;
  std::string date;
  std::string voucher_no;
  bool split_payment = false;
  double cash_amount = 0;
  std::string type_name;              // sale/purchase type name
  std::vector<std::string> sundries;  // "name|amount", as the bill sundries listed them
  double round_off = 0;
  double other = 0;
  double freight = 0;
  double sales_tax = 0;
  std::string broker_name;
  std::string other_account_name;
};

// 1 debit, 2 credit, 0 for types without a ledger side.
int16_t GetPartyAmountType(int16_t type);
int16_t GetSalesAmountType(int16_t type);
std::string GetSalesAccountName(int16_t type);
std::string GetChargeAccountName(int16_t type, const std::string& item_name);
// 1 other charges or freight, 2 "Rounded Off (+)", 3 "Rounded Off (-)", 4 anything else.
int16_t GetChargeKind(const std::string& item_name);
// Replaces the amount by its absolute value, negated for side 1 (debits carry a minus sign).
double SignAmount(int16_t side, double& amount);

// Appends `AccEntries` to the voucher element (nothing for material receipts and issues).
void AddInventoryAccEntries(RecordElement root, InventoryAccInputs in);

}  // namespace vodare
