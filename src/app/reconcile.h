#pragma once
// After a migration an accountant checks that the books arrived: the export's vouchers of the
// range, per voucher type, counted and totalled beside the vouchers the company holds; each
// voucher that did not arrive, or arrived with another amount, named with the error-list entry
// that explains it; the masters per kind, and each ledger whose opening balance differs.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/text.h"

namespace vodare {

struct RunContext;
namespace local {
class CompanyStore;
}

// One voucher as the figures see it.
struct ReconciledVoucher {
  int type = 0;
  std::string number;
  Date date;
  double amount = 0;
};

// One voucher type's figures.
struct VoucherTypeFigures {
  int type = 0;
  int64_t source_count = 0;
  double source_total = 0;
  int64_t stored_count = 0;
  double stored_total = 0;
};

// A voucher of the export that is missing from the company, or stored with another amount.
struct VoucherDifference {
  ReconciledVoucher source;
  bool missing = true;
  double stored_amount = 0;
  std::string explanation;  // its error-list entry, or empty
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
};

struct Reconciliation {
  std::vector<VoucherTypeFigures> types;  // by type number
  std::vector<VoucherDifference> differences;
  std::vector<MasterFigures> masters;
  std::vector<OpeningDifference> openings;
  int64_t inventory_source = 0, inventory_arrived = 0;
  int64_t accounting_source = 0, accounting_arrived = 0;

  bool Agrees() const;
  // "2,038 of 2,046 inventory vouchers and 1,524 of 1,528 accounting vouchers arrived with
  // their amounts; the 12 others are in the error list"
  std::string Verdict() const;
  // The whole report as text lines.
  std::string Render() const;
};

// Compares the export open in ctx (vouchers dated from..to) with the company. error_list is
// the run's error list, one entry per line (empty when there is none).
Reconciliation Reconcile(RunContext& ctx, local::CompanyStore& store, const Date& from,
                         const Date& to, const std::string& error_list);

// The same from the folders: opens the export and the company's books of the data folder.
// Throws std::runtime_error, naming what, when either cannot be opened.
Reconciliation ReconcileFolders(const std::string& export_dir, const std::string& data_folder,
                                const std::string& company_code, const Date& from, const Date& to,
                                const std::string& error_list);

// The text of the newest error list a run left in the folder, or empty text when none.
std::string NewestErrorList(const std::string& folder, std::string* path = nullptr);

// Numbers with thousands separators: 2046 -> "2,046".
std::string GroupedCount(int64_t n);

}  // namespace vodare
