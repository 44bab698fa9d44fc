#include "vouchers/inventory_vouchers.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <unordered_map>

#include "common/gst_states.h"
#include "common/helpers.h"
#include "common/key_set.h"
#include "common/run_error.h"
#include "common/xml.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/connection.h"
#include "destination/ordered_saves.h"
#include "source/lookups.h"
#include "vouchers/acc_entries.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/bill_sundries.h"
#include "vouchers/item_entries.h"
#include "vouchers/pending_bill_refs.h"
#include "vouchers/voucher_record.h"
#include "vouchers/voucher_saves.h"
#include "vouchers/voucher_source.h"
#include "vouchers/voucher_types.h"
#include "vouchers/voucher_values.h"

namespace vodare {

namespace {

constexpr const char* kFeatureAlert = "Feature Alert!";

class InventoryVoucherStage {
 public:
  InventoryVoucherStage(RunContext& ctx, const Date& from, const Date& to)
      : ctx_(ctx),
        from_(from),
        to_(to),
        tally_(ctx.summary.Stage(kInventoryVoucherStage)),
        lookups_(ctx) {
    masters_.errors = &ctx.errors;
    masters_.stage = kInventoryVoucherStage;
    masters_.save_master = [this](int16_t kind, std::string& xml, std::string& message) {
      Settle();
      return Fixed().SaveMasterFromXML(kind, xml, message);
    };
  }

  void Run() {
    if (!Prepare()) return;
    KeyRecordReader reader(ctx_, from_, to_);
    for (const VoucherKey& key : keys_.keys) {
      if (ctx_.ui.StopRequested()) break;
      std::vector<InventoryVoucherHeader> records;
      try {
        records = reader.Read(key);
      } catch (const std::exception& e) {
        Settle();
        ctx_.errors.Add(kInventoryVoucherStage, VoucherEntryKey(0, key.key),
                        std::string("RTE error while importing  voucher with Vch No : ") + key.key +
                            " on : " + e.what());
        tally_.failed += key.records;
        continue;
      }
      for (const InventoryVoucherHeader& h : records) {
        Convert(h);
        if (ctx_.ui.StopRequested()) break;
      }
    }
    saves_.Finish(tally_);
  }

 private:
  CFixedInterface& Fixed() { return ctx_.destination.Fixed(); }
  CFixedInterface1& Fixed1() { return ctx_.destination.Fixed1(); }

  void Settle() { saves_.Settle(); }

  // The destination's two-digit code of a state, asked once per state name in a stage.
  std::string StateDigits(const std::string& state_name) {
    std::string key = FoldKey(state_name);
    auto it = state_digits_.find(key);
    if (it != state_digits_.end()) return it->second;
    Settle();
    std::string name = state_name;
    std::string digits = Fixed1().statename2tindigit(name);
    state_digits_.emplace(std::move(key), digits);
    return digits;
  }

  // Everything before the first voucher; an error here ends the stage with one entry.
  bool Prepare() {
    try {
      if (!ctx_.destination.CompanyApi) throw RunTimeError(kObjectNotSet, 91);
      const CCompany& company = *ctx_.destination.CompanyApi;
      enable_free_qty_ = company.EnableFreeQty;
      enable_sales_return_ = company.EnableSalesReturnInSales;
      enable_purchase_return_ = company.EnablePurcReturnInPurchase;
      ctx_.settings = ReadCompanySettings(ctx_.destination);
      if (ctx_.ItemNameCache.Empty()) BuildItemNameCache(ctx_);
      if (ctx_.AccountNameCache.Empty()) BuildAccountNameCache(ctx_);
      total_ = ListInventoryVoucherKeys(ctx_, keys_, from_, to_);
      tally_.read += keys_.range_records;
      for (const auto& [rule, count] : keys_.skipped) tally_.skipped[rule] += count;
      return true;
    } catch (const std::exception& e) {
      ctx_.errors.Add(kInventoryVoucherStage, "",
                      std::string("RTE while importing inventory vouchers ") + e.what());
      return false;
    }
  }

  // What the error lines name: the voucher in hand as far as it got.
  struct Current {
    int16_t type = 0;
    std::string number;
    std::string date;
    std::string voucher_id;
  };

  void Convert(const InventoryVoucherHeader& h) {
    Current cur;
    cur.type = GetInventoryVoucherType(h.type_letter);
    cur.number = IsChallanType(cur.type) ? h.challan : h.vcn;
    cur.date = IsChallanType(cur.type) ? h.ch_date : h.date;
    cur.voucher_id = CleanTextCopy(h.voucher_id, 3);
    try {
      if (Build(h, cur) == Sent::kQueued) return;
    } catch (const std::exception& e) {
      Settle();
      Failed(cur, e);
      return;
    }
    // A voucher that did not arrive leaves its postings to the accounting voucher stage.
    ctx_.InventoryVoucherIds.Remove(cur.voucher_id);
  }

  void Failed(const Current& cur, const std::exception& e) {
    ctx_.errors.Add(kInventoryVoucherStage, VoucherEntryKey(cur.type, cur.number),
                    "RTE error while importing  " + GetVoucherTypeName(cur.type) +
                        " voucher with Vch No : " + cur.number + " on " + cur.date + ": " +
                        e.what());
    ++tally_.failed;
    ctx_.InventoryVoucherIds.Remove(cur.voucher_id);
  }

  // What the company answered to a voucher handed to the saving thread.
  void Answered(const Current& cur, const OrderedSaves::Answer& answer) {
    if (answer.error) {
      try {
        std::rethrow_exception(answer.error);
      } catch (const std::exception& e) {
        Failed(cur, e);
      }
      return;
    }
    if (answer.saved && IsBlank(answer.message)) {
      ++tally_.saved;
      return;
    }
    ctx_.errors.Add(kInventoryVoucherStage, VoucherEntryKey(cur.type, cur.number),
                    GetVoucherTypeName(cur.type) + " voucher with Vch No : " + cur.number + " on " +
                        cur.date + " - " + answer.message);
    if (answer.message.find(" already exists") != std::string::npos) {
      // An earlier run saved it: it is in the company, its postings with it.
      ++tally_.skipped[kSkipAlreadyPresent];
      return;
    }
    ++tally_.refused;
    ctx_.InventoryVoucherIds.Remove(cur.voucher_id);
  }

  // kQueued: handed to the saving thread, booked when it is answered.
  enum class Sent { kQueued, kNotSaved };

  // Builds one voucher and hands it to the saving thread, or says why it was not sent. Error
  // lines of the line limit are written here, of refusals in Answered; run-time errors reach
  // Convert.
  Sent Build(const InventoryVoucherHeader& h, Current& cur) {
    const int16_t type = cur.type;
    ++processed_;
    ctx_.ui.SetProgress(
        std::min(100, RoundToLong(static_cast<double>(processed_) / std::max(total_, 1) * 100)));
    ctx_.ui.SetStatus("Importing Inv Vch.(" + std::to_string(processed_) + " of " +
                      std::to_string(total_) + ")");
    ctx_.ui.SetVoucherDate(FormatLongDate(FormatDmy(cur.date)));
    ctx_.ui.ProcessEvents();

    // Repeated numbers on the same day and type get "/1", "/2"... behind them.
    const int16_t repeat =
        occurrences_.Next(std::to_string(type) + "|" + cur.number + "|" + cur.date);
    if (repeat > 0) {
      cur.number += "/" + std::to_string(repeat);
      // A note on the number it goes under, not what became of it: it names no record, so that
      // the entry of a voucher that did not arrive is the one that says why.
      Settle();
      ctx_.errors.Add(kInventoryVoucherStage, "",
                      "Duplicate " + GetVoucherTypeName(type) +
                          " voucher found : It has been saved with vchno - " + cur.number);
    }

    VoucherHeadline line;
    line.type = type;
    line.number = cur.number;
    line.date = FormatDmy(cur.date);
    line.series_name = GetVoucherSeriesName(type);
    line.series_code = saves_.SeriesCode(line.series_name, type);
    const bool breakage = EqualsNoCase(Trim(h.type_letter), "W");
    if (breakage) {
      line.series_name = "Breakage";
      line.series_code = saves_.SeriesCode(line.series_name, type);
    }

    std::string party;
    if (!CollectionLookup(ctx_.AccountNameCache, h.party_code, &party)) {
      party = GetSourceName(ctx_, "ACCOUNT", h.party_code);
      CleanText(party, 2);
    }
    line.party_name = Left(party, 40);

    const std::string state_code = lookups_.PartyStateCode(h.party_code);
    const std::string party_state = IsBlank(state_code) ? "" : GetStateName(state_code);

    std::string centre;
    CollectionLookup(ctx_.MaterialCentreNameCache, h.godown, &centre);
    if (IsBlank(centre)) centre = "MAIN STORE";
    line.centre_name = breakage ? "Scrap Store" : Left(centre, 40);

    line.billing_name = BillingName(h.docu, h.phone);
    line.mobile = h.phone;
    line.address = h.docu2;
    line.supplier_bill_no = h.pm;

    const Settlement settlement = DecideSettlement(h);
    const double round_off = Num(h.round);
    const double other = Num(h.other);
    const double freight = FreightPlusPacking(h);
    const double sales_tax = Num(h.staxamo);
    if (!IsBlank(h.mr)) line.broker_name = lookups_.AccountName(h.mr);

    vodare::StateDigits digits;
    const bool priced =
        type == 9 || type == 12 || type == 3 || type == 2 || type == 13 || type == 10;
    if (priced && ctx_.settings.GstRegime != 0) {
      digits.company = StateDigits(ctx_.settings.State);
      digits.party = StateDigits(party_state);
    }
    ChooseSalePurchaseTypeName(type, ctx_.settings.GstRegime, digits, party_state, h, type_name_);

    RecordWriter record(GetVoucherElementName(type));
    RecordElement root = record.root();
    AddVoucherHeadline(root, line);

    const double header_total = SumHeaderCharges(h);
    const double bill_amount = InventoryBillAmount(h);
    ItemEntriesOutcome items;
    AddItemEntries(root, type, ReadItemLines(ctx_, h.voucher_id), header_total, bill_amount,
                   sales_tax, breakage, lookups_, items);

    if (items.tax_inclusive)
      type_name_ = type_name_ == kLocalMultiRate ? kLocalTaxIncl : kCentralTaxIncl;
    AddXmlElement(root, "STPTName", Value(type_name_), 1);

    if (items.return_lines) {
      if (!sales_return_alert_shown_ && !enable_sales_return_ && type == kVchSale) {
        ctx_.ui.ShowMessage(
            "Kindly enable sale return in sales vouchers from Inventory configurations in "
            "Vuvoda!",
            kFeatureAlert, MessageIcon::kExclamation);
        sales_return_alert_shown_ = true;
      }
      if (!purchase_return_alert_shown_ && !enable_purchase_return_ && type == kVchPurchase) {
        ctx_.ui.ShowMessage(
            "Kindly enable purchase return in purchase vouchers from Inventory configurations "
            "in Vuvoda!",
            kFeatureAlert, MessageIcon::kExclamation);
        purchase_return_alert_shown_ = true;
      }
    }

    SundryInputs sundry_in;
    sundry_in.type = type;
    sundry_in.voucher_no = cur.number;
    sundry_in.not_reconciled = items.not_reconciled;
    sundry_in.discount_total = items.discount_total;
    sundry_in.type_name = type_name_;
    sundry_in.tax_inclusive = items.tax_inclusive;
    std::vector<std::string> sundries;
    AddBillSundries(root, h, sundry_in, masters_, lookups_, sundries);

    if (bill_amount != 0) {
      InventoryAccInputs acc;
      acc.other_account_name = Left(lookups_.AccountName(h.othun), 40);
      if (IsBlank(acc.other_account_name))
        acc.other_account_name = lookups_.AccountName(h.othun_raw);
      acc.party_name = line.party_name;
      acc.type = type;
      acc.amount_text = settlement.amount_text;
      acc.carry_settlement = settlement.carry_settlement;
      acc.date = cur.date;
      acc.voucher_no = cur.number;
      acc.split_payment = settlement.split_payment;
      acc.cash_amount = settlement.cash_amount;
      acc.type_name = type_name_;
      acc.sundries = std::move(sundries);
      acc.round_off = round_off;
      acc.other = other;
      acc.freight = freight;
      acc.sales_tax = sales_tax;
      acc.broker_name = line.broker_name;
      AddInventoryAccEntries(root, std::move(acc));
      AddPosVchData(root, settlement);
    }

    if (items.free_qty_used) {
      if (!free_qty_alert_shown_ && !enable_free_qty_) {
        ctx_.ui.ShowMessage(
            "Kindly enable free quantity in vouchers from Inventory configurations in Vuvoda!",
            kFeatureAlert, MessageIcon::kExclamation);
        free_qty_alert_shown_ = true;
      }
      AddXmlElement(root, "FreeQtyUsed", Value(true), 7);
    }

    if (items.too_many_items) {
      Settle();
      ctx_.errors.Add(kInventoryVoucherStage, VoucherEntryKey(type, cur.number),
                      GetVoucherTypeName(type) + " voucher with Vch No : " + cur.number +
                          " - Maximum number of items present in this voucher exceeds 999");
      ++tally_.skipped[kSkipTooManyItems];
      return Sent::kNotSaved;
    }

    AddPendingBillRefs(ctx_, root, h.voucher_id, line.party_name, cur.date, settlement.amount_text,
                       h.pm, type);
    saves_.Submit(type, record.Finish(),
                  [this, cur](const OrderedSaves::Answer& answer) { Answered(cur, answer); });
    return Sent::kQueued;
  }

  RunContext& ctx_;
  const Date from_, to_;
  StageTally& tally_;
  SourceVoucherLookups lookups_;
  BillSundryMasters masters_;
  VoucherKeyList keys_;
  NameOccurrences occurrences_;
  int32_t total_ = 0;
  int32_t processed_ = 0;
  std::string type_name_;  // carried from voucher to voucher
  std::unordered_map<std::string, std::string> state_digits_;
  bool enable_free_qty_ = false;
  bool enable_sales_return_ = false;
  bool enable_purchase_return_ = false;
  bool sales_return_alert_shown_ = false;
  bool purchase_return_alert_shown_ = false;
  bool free_qty_alert_shown_ = false;
  // Last, so that it is gone (its saves answered) before what the answers write to.
  VoucherSaves saves_{ctx_};
};

}  // namespace

void ImportInventoryVouchers(RunContext& ctx, const Date& from, const Date& to) {
  InventoryVoucherStage(ctx, from, to).Run();
}

void ImportInventoryVouchers(RunContext& ctx, std::string& from_date, std::string& to_date) {
  Date from, to;
  if (!ReadStageRange(from_date, to_date, from, to)) {
    ctx.errors.Add(kInventoryVoucherStage, "",
                   std::string("RTE while importing inventory vouchers ") + kTypeMismatch);
    return;
  }
  ImportInventoryVouchers(ctx, from, to);
}

}  // namespace vodare
