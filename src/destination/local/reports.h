#pragma once
// What the books hold, as lists a user (and a test) can read: masters by kind, vouchers, the
// trial balance, the stock summary and the journal; each as rows and as text or JSON.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "destination/company_books.h"
#include "destination/local/company_store.h"

namespace vodare::local {

struct MasterRow {
  int32_t code = 0;
  int kind = 0;
  std::string name, parent;
  double opening_balance = 0;  // ledgers: credit positive, debit negative
};
std::vector<MasterRow> ListMasters(CompanyStore& store, std::optional<int> kind);

struct VoucherRow {
  int64_t id = 0;
  int type = 0;
  std::string series, number, date, party, material_centre;
  int item_lines = 0, entries = 0;
  double amount = 0;  // of its first accounting entry (the party's)
};
std::vector<VoucherRow> ListVouchers(CompanyStore& store, std::optional<int> type);

// Every voucher with the figures a reconciliation compares (see StoredVoucher).
using VoucherTotalRow = StoredVoucher;
std::vector<VoucherTotalRow> ListVoucherTotals(CompanyStore& store);

// Amounts credit positive, debit negative, as the entries carry them.
struct TrialBalanceRow {
  std::string ledger, group;
  double opening = 0, debit = 0, credit = 0;
  double Closing() const { return opening + credit - debit; }
};
struct TrialBalance {
  std::vector<TrialBalanceRow> rows;  // ledgers with an opening balance or an entry, by name
  double opening_debit = 0, opening_credit = 0;
  double debit = 0, credit = 0;
  double closing_debit = 0, closing_credit = 0;
  // What the opening balances lack to agree: credit positive (shown on its own line).
  double opening_difference = 0;
};
TrialBalance ComputeTrialBalance(CompanyStore& store);

struct StockRow {
  std::string item, material_centre;
  double opening = 0, opening_amount = 0, inward = 0, outward = 0;
  double Closing() const { return opening + inward - outward; }
};
// Per item and material centre: the opening stock and the quantities vouchers moved in and out.
std::vector<StockRow> ComputeStockSummary(CompanyStore& store);

struct JournalRow {
  int64_t seq = 0;
  std::string at, operation;
  std::optional<int> kind;
  std::string text;
  bool accepted = false;
  std::string message;
};
std::vector<JournalRow> ReadJournal(CompanyStore& store);
// Hands each journal row to the callback in order, holding one row at a time.
void ForEachJournalRow(CompanyStore& store, const std::function<void(const JournalRow&)>& f);

std::string RenderMasters(const std::vector<MasterRow>& rows, bool json);
std::string RenderVouchers(const std::vector<VoucherRow>& rows, bool json);
std::string RenderTrialBalance(const TrialBalance& tb, bool json);
std::string RenderStockSummary(const std::vector<StockRow>& rows, bool json);
std::string RenderJournal(const std::vector<JournalRow>& rows, bool json);
// One row of the journal as text; in JSON, an element of the array (first: no comma before).
std::string RenderJournalRow(const JournalRow& row, bool json, bool first);

}  // namespace vodare::local
