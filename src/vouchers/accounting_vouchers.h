#pragma once
// The accounting voucher stage: the receipts, payments, contras, journals, debit and credit
// notes of the export's ledger table (`Gledger`, one row per ledger line) become one voucher of
// the destination company per voucher number, with their ledger entries and bill references.
// Ledger numbers that carry an inventory voucher's postings are left to the inventory stage.
// A voucher that cannot move becomes one line of the error text; the stage never stops the run
// for one bad voucher.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "common/xml.h"

namespace vodare {

struct RunContext;
class Recordset;

// The stage's tally in the run summary, and the rule under which it passes over the ledger
// numbers of inventory vouchers.
inline constexpr const char* kAccountingVoucherStage = "Accounting vouchers";
inline constexpr const char* kSkipInventoryPostings = "inventory voucher's ledger postings";
// A voucher an earlier run already saved (a run after an interrupted one): the company refuses
// it as already there, which is no failure.
inline constexpr const char* kSkipAlreadyPresent = "already in the company";

// The destination type number of the ledger table's type letters (trimmed, case-sensitive);
// 0 for letters it does not know, which the stage sends as a journal.
int16_t GetLedgerVoucherType(std::string_view type_letters);

// One voucher number of the range as the listing first met it.
struct LedgerVoucherKey {
  std::string number;        // `Voucher`, trimmed
  std::string type_letters;  // `Type` of its first row in listing order
  std::string date_text;     // `Date` of that row
};

// What the listing saw: the numbers to convert, in first-seen order of date and number, and
// the numbers of the range passed over because an inventory voucher carries them.
struct LedgerVoucherList {
  std::deque<LedgerVoucherKey> vouchers;  // grows in blocks: a long list is never copied whole
  int64_t range_vouchers = 0;             // distinct numbers with a dated row in the range
  int64_t inventory_postings = 0;         // of those, the ones an inventory voucher carries
};

// Lists every voucher number with a dated row in the range that is not a key of
// InventoryVoucherIds. Dates as mm-dd-yyyy. Shows its progress. Returns the count listed.
int32_t ListAccountingVouchers(RunContext& ctx, LedgerVoucherList& list,
                               const std::string& from_mdy, const std::string& to_mdy);

// Writes the two entries of a voucher of one row (the recordset stands on it): entry 1 on
// `code1` on the row's side, entry 2 on `code` on the other side, each in an `AccEntries` of
// its own, dated date_text, as journal lines without a number. The two functions turn a code
// into the account name and the broker name the entries carry.
using NameOfCode = std::function<std::string(const std::string&)>;
void AddSingleRowEntries(RecordElement root, const std::string& date_text, const Recordset& rs,
                         const NameOfCode& account_name, const NameOfCode& broker_name);

// The range as the window gives it (dd-mm-yyyy); both texts are rewritten as mm-dd-yyyy, the
// form the stage's queries carry them in.
void ImportAccountingVouchers(RunContext& ctx, std::string& from_date, std::string& to_date);
void ImportAccountingVouchers(RunContext& ctx, const Date& from, const Date& to);

}  // namespace vodare
