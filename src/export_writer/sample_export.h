#pragma once
// A deterministic sample of what Vodori exports for a small pharmaceutical distributor: the ten
// dBASE tables with the columns the conversion reads, realistic values, consistent amounts, and
// a fixed set of awkward records (odd names, broken batches, duplicate numbers, one-row ledger
// vouchers...) that a real export also holds. The same options always give byte-identical files.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vodare {

struct SampleExportOptions {
  // Inventory voucher headers (mdis rows), the fixed awkward ones included; each carries about
  // five item lines on average.
  int64_t vouchers = 500;
  uint64_t seed = 1;
  // Zero means "scaled from vouchers".
  int64_t items = 0;             // pro rows besides the fixed ones
  int64_t batches = 0;           // probat rows for those items
  int64_t ledgers = 0;           // party accounts besides the fixed ledgers
  int64_t ledger_vouchers = -1;  // receipts, payments, journals...; negative: scaled from vouchers
};

// What was written: each table's file name and its live row count.
struct SampleExportSummary {
  std::vector<std::pair<std::string, int64_t>> tables;
  int64_t RowsOf(const std::string& file_name) const;
};

// Financial year of the sample: 1 April 2024 to 31 March 2025; the company lies in state 27.
inline constexpr int kSampleYear = 2024;
inline constexpr const char* kSampleCompanyName = "Shree Sai Pharma Distributors Pvt Ltd";
// Inventory voucher headers that every sample holds, whatever the voucher count asked for.
inline constexpr int64_t kSampleFixedVouchers = 26;

// Writes the tables into dir (created when missing; tables of the same names are replaced).
// Throws DbfError or std::runtime_error when the folder cannot be written.
SampleExportSummary WriteSampleExport(const std::string& dir, const SampleExportOptions& options);

}  // namespace vodare
