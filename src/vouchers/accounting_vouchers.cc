#include "vouchers/accounting_vouchers.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <unordered_map>

#include "common/helpers.h"
#include "common/key_set.h"
#include "common/run_error.h"
#include "common/xml.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/connection.h"
#include "destination/ordered_saves.h"
#include "source/lookups.h"
#include "source/source_db.h"
#include "vouchers/pending_bill_refs.h"
#include "vouchers/voucher_saves.h"
#include "vouchers/voucher_source.h"
#include "vouchers/voucher_types.h"
#include "vouchers/voucher_values.h"

namespace vodare {

namespace {

constexpr const char* kListingCaption = "Getting Acc Vch Details..";
// Rows of the listing held at a time.
constexpr size_t kListingBatchRows = 8192;

// The side and amount text of a ledger row: a debit of `DEBIT` when `CREDIT` is 0, otherwise
// a credit of `CREDIT`.
struct RowAmount {
  int amount_type = 1;
  std::string text;
};
RowAmount ReadRowAmount(const Recordset& rs) {
  if (Num(NzTrim(rs["CREDIT"])) == 0) return {1, NzTrim(rs["DEBIT"])};
  return {2, NzTrim(rs["CREDIT"])};
}

// One `AccDetail`'s children in the record's order.
void AddEntryChildren(RecordElement detail, const std::string& date_dmy, int16_t type,
                      const std::string& number, int serial, const std::string& account,
                      const RowAmount& amount, const std::string& broker) {
  AddXmlElement(detail, "Date", Value(date_dmy), 6);
  AddXmlElement(detail, "VchType", Value(static_cast<int64_t>(type)), 2);
  AddXmlElement(detail, "VchNo", Value(number), 1);
  AddXmlElement(detail, "SrNo", Value(static_cast<int64_t>(serial)), 2);
  AddXmlElement(detail, "AccountName", Value(Left(account, 40)), 1);
  AddXmlElement(detail, "AmtMainCur", Value(amount.text), 5);
  AddXmlElement(detail, "AmountType", Value(std::to_string(amount.amount_type)), 2);
  if (!broker.empty()) {
    AddXmlElement(detail, "Broker", Value(broker), 1);
    AddXmlElement(detail, "BrokerInvolved", Value("True"), 1);
  }
}

class AccountingVoucherStage {
 public:
  AccountingVoucherStage(RunContext& ctx, const Date& from, const Date& to)
      : ctx_(ctx),
        from_mdy_(from.Format("mm-dd-yyyy")),
        to_mdy_(to.Format("mm-dd-yyyy")),
        tally_(ctx.summary.Stage(kAccountingVoucherStage)) {}

  void Run() {
    if (!Prepare()) return;
    for (const LedgerVoucherKey& key : list_.vouchers) {
      Convert(key);
      if (ctx_.ui.StopRequested()) break;
    }
    saves_.Finish(tally_);
  }

 private:
  // Everything before the first voucher; an error here ends the stage with one entry.
  bool Prepare() {
    try {
      ctx_.settings = ReadCompanySettings(ctx_.destination);
      if (ctx_.ItemNameCache.Empty()) BuildItemNameCache(ctx_);
      if (ctx_.AccountNameCache.Empty()) BuildAccountNameCache(ctx_);
      total_ = ListAccountingVouchers(ctx_, list_, from_mdy_, to_mdy_);
      tally_.read += list_.range_vouchers;
      if (list_.inventory_postings > 0)
        tally_.skipped[kSkipInventoryPostings] += list_.inventory_postings;
      processed_ = 0;
      fields_ = GetFieldList(5);
      return true;
    } catch (const std::exception& e) {
      ctx_.errors.Add(kAccountingVoucherStage, "",
                      std::string("RTE while importing accounting vouchers ") + e.what());
      return false;
    }
  }

  // The name an entry carries for an account code: the name the ledger was saved under, or the
  // export's name with "<" ">" turned to round brackets. Kept for the stage.
  std::string AccountName(const std::string& code) {
    auto it = accounts_.find(code);
    if (it != accounts_.end()) return it->second;
    std::string name;
    if (const std::string* saved = ctx_.AccountNameCache.Find(code))
      name = *saved;
    else
      name = CleanTextCopy(GetAccountName(ctx_, code), 2);
    accounts_.emplace(code, name);
    return name;
  }

  std::string BrokerName(const std::string& mr) {
    std::string code = Trim(mr);
    auto it = brokers_.find(code);
    if (it != brokers_.end()) return it->second;
    std::string name = GetAccountName(ctx_, code);
    brokers_.emplace(code, name);
    return name;
  }

  // What the company answered to a voucher handed to the saving thread.
  void Answered(int16_t type, const std::string& number, const std::string& date,
                const OrderedSaves::Answer& answer) {
    if (answer.error) {
      try {
        std::rethrow_exception(answer.error);
      } catch (const std::exception& e) {
        Failed(type, number, date, e);
      }
      return;
    }
    if (answer.saved && IsBlank(answer.message)) {
      ++tally_.saved;
      return;
    }
    ctx_.errors.Add(kAccountingVoucherStage, VoucherEntryKey(type, number),
                    GetVoucherTypeName(type) + " voucher with Vch No : " + number + " on " + date +
                        " - " + answer.message);
    if (answer.message.find(" already exists") != std::string::npos)
      ++tally_.skipped[kSkipAlreadyPresent];
    else
      ++tally_.refused;
  }

  void Failed(int16_t type, const std::string& number, const std::string& date,
              const std::exception& e) {
    ctx_.errors.Add(kAccountingVoucherStage, VoucherEntryKey(type, number),
                    "RTE error while importing  " + GetVoucherTypeName(type) +
                        " voucher with Vch No : " + number + " on " + date + ": " + e.what());
    ++tally_.failed;
  }

  void Convert(const LedgerVoucherKey& key) {
    // What the error lines name until the voucher's own rows are read.
    int16_t type = GetLedgerVoucherType(Trim(key.type_letters));
    if (type == 0) type = kVchJournal;
    std::string number = key.number;
    std::string date = key.date_text;
    try {
      // A number that is not a number never becomes part of a query.
      if (!IsPlainNumber(key.number)) throw RunTimeError(kTypeMismatch, 13);
      Recordset rs =
          GetRecordset(ctx_, "SELECT " + fields_ + " FROM Gledger WHERE DATE >= #" + from_mdy_ +
                                 "# AND DATE <= #" + to_mdy_ + "# and Voucher = " + Trim(number));
      if (rs.RecordCount() == 0) return;
      rs.MoveFirst();
      number = Trim(NzTrim(rs["Voucher"]));
      type = GetLedgerVoucherType(Trim(NzTrim(rs["Type"])));
      if (type == 0) type = kVchJournal;
      if ((type == kVchJournal || type == kVchDrNote || type == kVchCrNote) &&
          ctx_.InventoryVoucherIds.Contains(number)) {
        ++processed_;
        ++tally_.skipped[kSkipInventoryPostings];
        return;
      }
      date = NzTrim(rs["Date"]);
      ++processed_;
      ctx_.ui.SetProgress(total_ > 0 ? static_cast<int>(std::lround(100.0 * processed_ / total_))
                                     : 0);
      ctx_.ui.SetStatus("Importing Acc Vch.(" + std::to_string(processed_) + " of " +
                        std::to_string(total_) + ")");
      const std::string date_dmy = FormatDmy(date);
      ctx_.ui.SetVoucherDate(FormatLongDate(date_dmy));
      ctx_.ui.ProcessEvents();

      const std::string party = AccountName(NzTrim(rs["code"]));
      const std::string series_name = GetVoucherSeriesName(type);
      std::string asked_name = series_name;  // the record keeps the name it was asked under
      const int32_t series_code = saves_.SeriesCode(asked_name, type);

      RecordWriter record(GetVoucherElementName(type));
      RecordElement root = record.root();
      AddXmlElement(root, "VchType", Value(static_cast<int64_t>(type)), 2);
      AddXmlElement(root, "VchSeriesName", Value(series_name), 1);
      AddXmlElement(root, "Date", Value(date_dmy), 6);
      AddXmlElement(root, "VchNo", Value(number), 1);
      AddXmlElement(root, "tmpVchSeriesCode", Value(static_cast<int64_t>(series_code)), 3);
      AddXmlElement(root, "MasterName1", Value(party), 1);

      std::string last_amount;
      if (rs.RecordCount() < 2) {
        AddSingleRowEntries(
            root, date, rs, [this](const std::string& code) { return AccountName(code); },
            [this](const std::string& code) { return BrokerName(code); });
        last_amount = ReadRowAmount(rs).text;
      } else {
        RecordElement entries = root.append_child("AccEntries");
        int serial = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
          ++serial;
          RecordElement detail = entries.append_child("AccDetail");
          const std::string account = AccountName(NzTrim(rs["code"]));
          const std::string mr = NzTrim(rs["Mr"]);
          const std::string broker = IsBlank(mr) ? std::string() : BrokerName(mr);
          const RowAmount amount = ReadRowAmount(rs);
          last_amount = amount.text;
          // A journal line of nothing keeps its place (and its serial number) but says nothing.
          if (IsZero(Num(amount.text)) && type == kVchJournal) continue;
          AddEntryChildren(detail, date_dmy, type, number, serial, account, amount, broker);
        }
      }

      AddPendingBillRefs(ctx_, root, number, party, date, last_amount, "", type);
      saves_.Submit(type, record.Finish(),
                    [this, type, number, date](const OrderedSaves::Answer& answer) {
                      Answered(type, number, date, answer);
                    });
    } catch (const std::exception& e) {
      saves_.Settle();
      Failed(type, number, date, e);
    }
  }

  RunContext& ctx_;
  const std::string from_mdy_, to_mdy_;
  StageTally& tally_;
  LedgerVoucherList list_;
  std::string fields_;
  int32_t total_ = 0;
  int32_t processed_ = 0;
  std::unordered_map<std::string, std::string> accounts_;
  std::unordered_map<std::string, std::string> brokers_;
  // Last, so that it is gone (its saves answered) before what the answers write to.
  VoucherSaves saves_{ctx_};
};

}  // namespace

int16_t GetLedgerVoucherType(std::string_view type_letters) {
  if (type_letters == "YB" || type_letters == "B") return kVchDrNote;
  if (type_letters == "YF" || type_letters == "F") return kVchCrNote;
  if (type_letters == "G") return kVchPayment;
  if (type_letters == "C") return kVchReceipt;
  if (type_letters == "D") return kVchContra;
  if (type_letters == "Z") return kVchJournal;
  return 0;
}

int32_t ListAccountingVouchers(RunContext& ctx, LedgerVoucherList& list,
                               const std::string& from_mdy, const std::string& to_mdy) {
  ctx.ui.SetStatus(kListingCaption);
  ctx.ui.ProcessEvents();
  const std::string range =
      " FROM Gledger WHERE DATE >= #" + from_mdy + "# AND DATE <= #" + to_mdy + "#";
  // The rows are counted first and then read in batches: a year of ledger rows is never held
  // whole.
  Recordset count = GetRecordset(ctx, "SELECT COUNT(*) AS n" + range);
  if (count.RecordCount() == 0) return 0;
  count.MoveFirst();
  const int64_t total_rows = static_cast<int64_t>(count["n"].ToDouble());
  if (total_rows == 0) return 0;
  KeySet seen;  // folded numbers: a voucher whose rows span dates is listed once
  int64_t rows_read = 0;
  ForEachRecordBatch(
      ctx, "SELECT Voucher,Type,Date" + range + " order by date,Voucher", kListingBatchRows,
      [&](Recordset& rs) {
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
          ++rows_read;
          const std::string date = NzTrim(rs["Date"]);
          if (!IsBlank(date) && TryParseDateText(date)) {
            std::string number = Trim(NzText(rs["Voucher"]));
            if (seen.Insert(FoldKey(number))) {
              ++list.range_vouchers;
              if (ctx.InventoryVoucherIds.Contains(number)) {
                ++list.inventory_postings;
              } else {
                list.vouchers.push_back({number, NzTrim(rs["Type"]), date});
              }
            }
          }
          if (rows_read % 50 == 0) {
            ctx.ui.SetStatus(kListingCaption);
            ctx.ui.SetProgress(static_cast<int>(std::lround(100.0 * rows_read / total_rows)));
            ctx.ui.ProcessEvents();
          }
        }
      });
  return static_cast<int32_t>(list.vouchers.size());
}

void AddSingleRowEntries(RecordElement root, const std::string& date_text, const Recordset& rs,
                         const NameOfCode& account_name, const NameOfCode& broker_name) {
  const RowAmount side = ReadRowAmount(rs);
  const std::string mr = NzTrim(rs["Mr"]);
  const std::string broker = IsBlank(mr) ? std::string() : broker_name(Trim(mr));
  const std::string date_dmy = FormatDmy(date_text);
  for (int serial = 1; serial <= 2; ++serial) {
    RecordElement detail = root.append_child("AccEntries").append_child("AccDetail");
    const std::string code = NzTrim(rs[serial == 1 ? "code1" : "code"]);
    RowAmount amount = side;
    if (serial == 2) amount.amount_type = side.amount_type == 1 ? 2 : 1;
    AddEntryChildren(detail, date_dmy, kVchJournal, "", serial, account_name(code), amount, broker);
  }
}

void ImportAccountingVouchers(RunContext& ctx, const Date& from, const Date& to) {
  AccountingVoucherStage(ctx, from, to).Run();
}

void ImportAccountingVouchers(RunContext& ctx, std::string& from_date, std::string& to_date) {
  Date from, to;
  if (!ReadStageRange(from_date, to_date, from, to)) {
    ctx.errors.Add(kAccountingVoucherStage, "",
                   std::string("RTE while importing accounting vouchers ") + kTypeMismatch);
    return;
  }
  ImportAccountingVouchers(ctx, from, to);
}

}  // namespace vodare
