#pragma once
// One inventory voucher's header as the export holds it (a record of `mdis`), read once into
// plain texts that every builder receives, and the small decisions taken from it alone:
// settlement, header charge total and the sale/purchase type name.

#include <cstdint>
#include <string>

#include "vouchers/voucher_types.h"

namespace vodare {

// Every column of the header as text: trimmed unless the name says raw (leading blanks kept).
// Numbers are converted where they are used, so a blank or non-numeric amount fails the voucher
// at the point the rules convert it.
struct InventoryVoucherHeader {
  std::string type_letter;  // Type
  std::string date;         // Date (dd-mm-yyyy)
  std::string ch_date;      // ChDate
  std::string vcn;          // vcn
  std::string vcn_raw;      // vcn untrimmed: the listing's key of most types
  std::string challan;      // Challan
  std::string voucher_id;   // Voucher: links the header to its lines, bills and postings
  std::string party_code;   // Codep
  std::string godown;       // Godwon
  std::string docu;         // billing name of a walk-in party
  std::string phone;
  std::string docu2;         // billing address
  std::string pm;            // supplier's bill number
  std::string final_amount;  // final
  std::string cash;
  std::string round;
  std::string other;
  std::string freight;
  std::string packing;
  std::string staxamo;
  std::string cgstamo;
  std::string taxamo;
  std::string mr;     // broker account code
  std::string othun;  // account of the other charges
  std::string othun_raw;
};

// Round + Other + Packing + Freight + Staxamo + taxamo; packing and freight only when not blank.
double SumHeaderCharges(const InventoryVoucherHeader& header);

// Freight and packing together, each only when not blank.
double FreightPlusPacking(const InventoryVoucherHeader& header);

// How the bill is settled: the amount text the voucher carries, and whether (and how much)
// cash settles it within the voucher.
struct Settlement {
  std::string amount_text;
  bool carry_settlement = false;
  bool split_payment = false;
  double cash_amount = 0;
};
Settlement DecideSettlement(const InventoryVoucherHeader& header);

// The bill amount the voucher is booked with: its settlement's amount text as a number (the
// bill, or the cash when there is no bill, or both together when both are given). The party's
// entry carries it, the item lines are reconciled against it, and a voucher of 0 books no
// ledger side. Raises "Type mismatch" when the text is not a number.
double InventoryBillAmount(const InventoryVoucherHeader& header);

// The two-digit tax state codes of the company's state and of the party's, asked of the
// destination only for companies under GST.
struct StateDigits {
  std::string company;
  std::string party;
};

// Sets the sale/purchase type name for sale-side (9, 12, 3) and purchase-side (2, 13, 10)
// types; other types, and purchase-side ones outside GST when no later rule applies, keep the
// name the previous voucher left.
void ChooseSalePurchaseTypeName(int16_t type, int16_t gst_regime, const StateDigits& digits,
                                const std::string& party_state,
                                const InventoryVoucherHeader& header, std::string& type_name);

}  // namespace vodare
