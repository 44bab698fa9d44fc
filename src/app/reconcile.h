#pragma once
// After a migration an accountant checks that the books arrived: the export's vouchers of the
// range, per voucher type, counted and totalled beside the vouchers the company holds; each
// voucher that did not arrive, or arrived with another amount, named with the error-list entry
// that explains it; the masters per kind, and each ledger whose opening balance differs.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/error_entries.h"
#include "common/text.h"

namespace vodare {

struct RunContext;
class CompanyBooks;

// One voucher as the figures see it. Sales, purchases and returns are held by the amount their
// party is booked with; stock challans, which book no ledger side, by their item lines and
// quantity; accounting vouchers by the sum of their debits.
struct ReconciledVoucher {
  int type = 0;
  std::string number;
  Date date;
  std::string date_text;  // as the export holds it
  double amount = 0;
  int64_t item_lines = 0;
  double quantity = 0;
};

// One voucher type's figures: amounts, or item quantities for stock challans.
struct VoucherTypeFigures {
  int type = 0;
  bool by_quantity = false;
  int64_t source_count = 0;
  double source_total = 0;
  int64_t stored_count = 0;
  double stored_total = 0;
};

// A voucher of the export that is missing from the company, or stored with other figures.
struct VoucherDifference {
  ReconciledVoucher source;
  bool missing = true;
  ReconciledVoucher stored;  // when not missing
  std::string explanation;   // its error-list entry, or empty
  std::string skip_rule;     // the run's own rule that passed it over, or empty
};

struct MasterFigures {
  std::string kind;
  int64_t source = 0;  // records the export holds
  int64_t stored = 0;  // of those, the ones the company holds under their saved name
};

struct OpeningDifference {
  std::string ledger;
  double source = 0;  // as the ledger was to be saved (credit positive)
  double stored = 0;
  std::string explanation;  // the error-list entry of the ledger, or empty
};

struct Reconciliation {
  std::vector<VoucherTypeFigures> types;  // by type number
  std::vector<VoucherDifference> differences;
  std::vector<MasterFigures> masters;
  std::vector<OpeningDifference> openings;
  int64_t inventory_source = 0, inventory_arrived = 0;
  int64_t accounting_source = 0, accounting_arrived = 0;
  // Ledger voucher numbers of the range that carry an inventory voucher's postings: they moved
  // with that voucher, not as accounting vouchers of their own.
  int64_t inventory_postings = 0;

  bool Agrees() const;
  // "2,038 of 2,046 inventory vouchers and 1,524 of 1,528 accounting vouchers arrived with
  // their amounts; the 12 others are in the error list"; the others that the run passed over
  // by its own rules, and those nothing explains, are counted apart.
  std::string Verdict() const;
  // The whole report as text lines.
  std::string Render() const;
};

// Compares the export open in ctx (vouchers dated from..to) with the company. errors is the
// run's error list (empty when there is none): a voucher or ledger is explained by the entry
// filed under it. The export is read as the voucher stages read it, so ctx must be a context of
// its own: its inventory voucher identifiers are rebuilt here.
Reconciliation Reconcile(RunContext& ctx, CompanyBooks& books, const Date& from, const Date& to,
                         const ErrorList& errors);

// The same from the folders: opens the export and the books of the local company in the data
// folder.
// Throws std::runtime_error, naming what, when either cannot be opened.
Reconciliation ReconcileFolders(const std::string& export_dir, const std::string& data_folder,
                                const std::string& company_code, const Date& from, const Date& to,
                                const ErrorList& errors);

// The lines of an error list file written by an earlier run, as entries. The file keeps no
// stage or record: such entries explain a voucher or a ledger whose line names it.
ErrorList ErrorListOfFile(const std::string& text);

// Numbers with thousands separators: 2046 -> "2,046".
std::string GroupedCount(int64_t n);

}  // namespace vodare
