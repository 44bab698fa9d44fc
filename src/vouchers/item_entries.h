#pragma once
// The item lines of one inventory voucher (`dis`) as the `ItemEntries` part of its record: the
// reconciliation that decides how the export's rates are to be read, and the lines themselves
// with their batches and descriptions.

#include <cstdint>
#include <string>
#include <vector>

#include "common/xml.h"
#include "vouchers/voucher_lookups.h"

namespace vodare {

// One item line, every column as text (trimmed unless the name says raw).
struct ItemLine {
  std::string date;
  std::string vcn;
  std::string code;
  std::string nera;  // description, the name of an item that cannot be named
  std::string godown;
  std::string qty;
  std::string pack;
  std::string free;
  std::string rate;
  std::string mrp;
  std::string sdiscount;
  std::string svdis;
  std::string svdis1;
  std::string amount;  // Ammmount
  std::string batch;
  std::string batch_raw;
  std::string mfd;
  std::string exp;
  std::string flg;
};

// What the item lines tell the rest of the voucher.
struct ItemEntriesOutcome {
  bool too_many_items = false;  // more than 999 lines: the voucher is not sent
  bool free_qty_used = false;
  bool return_lines = false;  // a written line is a returned line
  bool tax_inclusive = false;
  bool unit_basis = false;
  bool not_reconciled = false;  // neither the pack nor the unit basis explains the bill
  double discount_total = 0;
};

inline constexpr size_t kMaxItemLines = 999;

// True when |a - b| <= 1.
bool AmountsAgree(double a, double b);

// A line flagged "R" or "B" in a voucher that is not itself a return.
bool IsReturnedLine(const ItemLine& line, int16_t type);

// Works out on which basis the lines' rates are read and whether the bill includes the taxes;
// fills the discount total, tax-inclusive and unit-basis flags. Returns not-reconciled.
bool ReconcileItemAmounts(const std::vector<ItemLine>& lines, double header_total,
                          double bill_amount, double& discount_total, int16_t type,
                          bool& tax_inclusive, bool& unit_basis, double staxamo);

// The quantities one line is written with once the basis of the voucher is known: on the pack
// basis the export's pieces become packs (free quantity too); a voucher whose bill the lines do
// not explain takes each line's amount over its rate, and leaves a line without a rate out.
struct LineQuantities {
  bool written = false;
  double rate = 0;
  double priced = 0;   // the quantity the rate is charged on
  double qty = 0;      // the main quantity written: priced plus free, never negative on a return
  double alt_qty = 0;  // the export's own quantity; 0 when free quantity is given
  std::string free;    // the free quantity as written
  bool has_free = false;
  bool returned = false;
};
LineQuantities WorkOutLineQuantities(const ItemLine& line, int16_t type,
                                     const ItemEntriesOutcome& basis);

// Appends `ItemEntries` to the voucher element. A voucher without lines raises "No current
// record." (it is reported and not sent); one with more than 999 lines adds nothing and sets
// too_many_items. The outcome's flags are only ever set here.
void AddItemEntries(RecordElement root, int16_t type, const std::vector<ItemLine>& lines,
                    double header_total, double bill_amount, double staxamo, bool breakage,
                    VoucherLookups& lookups, ItemEntriesOutcome& outcome);

}  // namespace vodare
