#pragma once
// What the inventory voucher stage reads from the export: the keys of the date range, the
// header records of one key, the item lines of a voucher, and the lookups its builders ask for,
// each through the run's caches first.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/keyed_collection.h"
#include "common/text.h"
#include "source/recordset.h"
#include "vouchers/item_entries.h"
#include "vouchers/voucher_header.h"
#include "vouchers/voucher_lookups.h"

namespace vodare {

struct RunContext;
class SourceCursor;

// One voucher key of the range (the number, or the challan of receipts and issues) with the
// records the listing counted under it.
struct VoucherKey {
  std::string key;
  // The challans counted under the key as stored, where that differs from the key itself
  // (leading blanks): the records are found under each form.
  std::vector<std::string> stored_forms;
  int64_t records = 0;
  // Where the listing met the key's first record: its place among the range's records in
  // listing order, from 0.
  int64_t first_record = -1;
};

// A record of the range the listing passed over, with the rule that did.
struct PassedOverRecord {
  std::string rule;
  std::string type_letter;
  std::string number;  // vcn, or the challan of receipts and issues
  std::string date;    // its voucher date as text, possibly blank
};

// What the listing saw.
struct VoucherKeyList {
  std::vector<VoucherKey> keys;            // in listing order
  int64_t range_records = 0;               // records dated in the range
  int64_t counted = 0;                     // records counted under a key
  std::map<std::string, int64_t> skipped;  // rule -> records passed over
  std::vector<PassedOverRecord> passed_over;
};

inline constexpr const char* kSkipNotInventory = "type not an inventory voucher";
inline constexpr const char* kSkipBlankDate = "blank voucher date";
inline constexpr const char* kSkipBlankNumber = "blank voucher number";

// True for a code written as a plain decimal number, the only text that may stand unquoted in
// a query against a numeric column. Any other code matches no row.
bool IsPlainNumber(std::string_view code);

// The listing: the records of the range in date and number order; each record of a known type
// with a date and a key is counted under its key, and its `Voucher` identifier joins the run's
// InventoryVoucherIds. Shows its progress. Returns the number of records counted.
int32_t ListInventoryVoucherKeys(RunContext& ctx, VoucherKeyList& list, const Date& from,
                                 const Date& to);

// The header records counted under one key, in record order, each once.
std::vector<InventoryVoucherHeader> ReadKeyRecords(RunContext& ctx, const VoucherKey& key,
                                                   const Date& from, const Date& to);

// The header records of the listing's keys, asked in listing order, each as ReadKeyRecords
// gives them. A key counted under one record takes it from one walk over the range in the
// listing's order, read beside the stage's other queries: a year of vouchers is not a query
// each. Any other key, and every key once the walk has failed, is read by its own query.
class KeyRecordReader {
 public:
  KeyRecordReader(RunContext& ctx, const Date& from, const Date& to);
  ~KeyRecordReader();
  std::vector<InventoryVoucherHeader> Read(const VoucherKey& key);

 private:
  bool FromWalk(const VoucherKey& key, InventoryVoucherHeader& out);
  void NextBatch();

  RunContext& ctx_;
  Date from_, to_;
  std::unique_ptr<SourceCursor> walk_;
  bool walk_failed_ = false;
  Recordset batch_;
  int64_t batch_start_ = 0;  // the listing place of the batch's first row
  int64_t at_ = 0;           // the listing place of the batch's current row; -1 past the last
};

// The item lines of a voucher identifier, in table order.
std::vector<ItemLine> ReadItemLines(RunContext& ctx, const std::string& voucher_id);

// The builders' lookups over the run's caches and the export. Answers read from the export are
// kept for the stage: the export does not change during a run.
class SourceVoucherLookups : public VoucherLookups {
 public:
  explicit SourceVoucherLookups(RunContext& ctx) : ctx_(ctx) {}
  std::string ItemName(const std::string& item_code) override;
  std::string MaterialCentreName(const std::string& godown_code) override;
  std::string AccountName(const std::string& account_code) override;
  std::string ItemPackingText(int32_t item_code) override;
  std::string BatchUnit(const std::string& item_code) override;
  std::string BatchSalePrice(const std::string& batch_no) override;
  // The two-character state code kept for an account.
  std::string PartyStateCode(const std::string& account_code);

 private:
  RunContext& ctx_;
  std::unordered_map<std::string, std::string> accounts_;
  std::unordered_map<std::string, std::string> state_codes_;
  std::unordered_map<int32_t, std::string> packing_;
  std::unordered_map<std::string, std::string> units_;
  std::unordered_map<std::string, std::string> sale_prices_;
};

// The first field of the first row as trimmed text, or empty text when there is no row.
std::string FirstFieldText(RunContext& ctx, const std::string& jet_sql);

}  // namespace vodare
