#pragma once
// The header charges and taxes of one inventory voucher as the `BillSundries` part of its
// record, the per-voucher list of sundries the accounting entries are made from, and the bill
// sundry and ledger masters those sundries need, created once per stage.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/error_entries.h"
#include "common/keyed_collection.h"
#include "common/xml.h"
#include "vouchers/voucher_header.h"
#include "vouchers/voucher_lookups.h"

namespace vodare {

// Saves a master record of a kind (9 bill sundry, 2 ledger); false with a message when refused.
using SaveMasterFn = std::function<bool(int16_t kind, std::string& xml, std::string& message)>;

// What the sundries of every voucher of one stage share: the masters already handled (value and
// key the trimmed name), the way to save a new one, and the run's error list with the stage
// its entries are filed under.
struct BillSundryMasters {
  KeyedCollection<std::string> handled;
  SaveMasterFn save_master;
  ErrorList* errors = nullptr;
  std::string stage;
};

// What the item lines decided, as the sundries need it.
struct SundryInputs {
  int16_t type = 0;
  std::string voucher_no;
  bool not_reconciled = false;
  double discount_total = 0;
  std::string type_name;  // sale/purchase type name
  bool tax_inclusive = false;
};

// Appends `BillSundries` to the voucher element and fills `sundry_list` with "name|amount"
// texts in the order the accounting entries read them.
void AddBillSundries(RecordElement root, const InventoryVoucherHeader& header,
                     const SundryInputs& in, BillSundryMasters& masters, VoucherLookups& lookups,
                     std::vector<std::string>& sundry_list);

// Cuts the name to 40 characters and, when additive, gives it " (+)" (except "Freight &
// Forwarding Charges"), both in place; then saves the master unless this stage already did.
void EnsureBillSundryMaster(BillSundryMasters& masters, std::string& name, bool additive);

// Saves a ledger under the parent group; a refusal is not reported.
void EnsureLedgerMaster(BillSundryMasters& masters, const std::string& name,
                        const std::string& parent_group);

}  // namespace vodare
