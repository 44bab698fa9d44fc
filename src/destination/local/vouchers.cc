// Vouchers: the whole voucher is read and checked first (names through the in-memory maps),
// then stored with all its parts and its journal row in one transaction.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>
#include <pugixml.hpp>

#include "common/run_error.h"
#include "common/text.h"
#include "destination/local/company_store.h"
#include "destination/local/journal_text.h"
#include "destination/local/xml_read.h"

namespace vodare::local {

namespace {

// Account entries balance when their signed sum lies within this of zero.
constexpr double kBalanceTolerance = 0.01;

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

std::string Money(double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", std::fabs(x) < 0.005 ? 0.0 : x);
  return buf;
}

// The fields the checks read of a voucher's header, of an item line, of a batch and of an
// accounting entry: each element's are read in one walk over its children.
namespace head_fields {
enum { kVchType, kDate, kSeriesName, kSeriesCode, kVchNo, kParty, kMc, kStpt, kBroker, kFreeQty };
constexpr const char* kNames[] = {"VchType",    "Date",        "VchSeriesName", "tmpVchSeriesCode",
                                  "VchNo",      "MasterName1", "MasterName2",   "STPTName",
                                  "BrokerName", "FreeQtyUsed"};
}  // namespace head_fields
namespace line_fields {
enum { kSrNo, kDate, kItem, kMc, kQty, kQtyMain, kQtyAlt, kPrice, kAmt, kNett, kUnit, kReturn };
constexpr const char* kNames[] = {"SrNo", "Date",        "ItemName",        "MC",
                                  "Qty",  "QtyMainUnit", "QtyAltUnit",      "Price",
                                  "Amt",  "NettAmount",  "tmpMainUnitName", "IsReturnQty"};
}  // namespace line_fields
namespace batch_fields {
enum { kBatchNo, kMfg, kExpiry, kMrp, kSalePrice, kQty, kQtyAlt };
constexpr const char* kNames[] = {"BatchNo",    "MfgDate", "ExpiryDate", "ItemMRP",
                                  "SalesPrice", "Qty",     "QtyAltUnit"};
}  // namespace batch_fields
namespace entry_fields {
enum {
  kAcc,
  kAmount,
  kSrNo,
  kType,
  kBroker,
  kBroker2,
  kAssigned,
  kInvolved,
  kDate,
  kCashFlow,
  kSettle
};
constexpr const char* kNames[] = {"AccountName", "AmtMainCur", "SrNo",           "AmountType",
                                  "BrokerName",  "Broker",     "BrokerAssigned", "BrokerInvolved",
                                  "Date",        "CashFlow",   "SettlementAcc"};
}  // namespace entry_fields

bool IsSaleSide(int type) { return type == 9 || type == 3; }
bool IsPurchaseSide(int type) { return type == 2 || type == 10; }

struct BatchLine {
  std::string batch_no, mfg, expiry, mrp, sale_price;
  std::optional<double> qty, qty_alt;
};

struct ItemLine {
  int line_no = 0;
  std::optional<int64_t> sr_no;
  std::string date, unit, description1, description2;
  int32_t item = 0, mc = 0;
  double qty = 0;
  std::optional<double> qty_alt, free_qty, price, amount, net_amount;
  bool is_return = false;
  std::vector<BatchLine> batches;
};

struct SundryLine {
  std::optional<int64_t> sr_no;
  int32_t code = 0;
  std::optional<double> percent;
  double amount = 0;
};

struct EntryLine {
  std::optional<int64_t> sr_no;
  int32_t ledger = 0;
  std::optional<int64_t> amount_type;
  double amount = 0;  // credit positive, debit negative
  std::string broker, date;
  bool broker_assigned = false;
  std::optional<double> cash_flow;
  bool settlement = false;
};

struct BillRefLine {
  int32_t party = 0;
  std::string bill_value, ref_no, date, due_date;
  std::optional<int64_t> method, sr_no;
  std::optional<double> amount;
};

std::optional<int64_t> WholeNumber(std::string_view text) {
  auto n = NumberText(text);
  if (!n || *n != std::floor(*n) || std::fabs(*n) > 9e15) return std::nullopt;
  return static_cast<int64_t>(*n);
}

}  // namespace

struct CompanyStore::ParsedVoucher {
  int16_t type = 0;
  int32_t series = 0;
  std::string vch_no;
  int32_t date = 0;
  int32_t party = 0, mc = 0, stpt = 0, cash_account = 0;
  std::string broker, billing_name, billing_mobile, billing_address, purchase_bill_no,
      purchase_bill_date;
  std::optional<double> cash_amount;
  bool carry_settlement = false, free_qty_used = false;
  std::vector<ItemLine> items;
  std::vector<SundryLine> sundries;
  std::vector<EntryLine> entries;
  std::vector<BillRefLine> bill_refs;
};

StoreAnswer CompanyStore::RefuseVoucher(int16_t type, const std::string& xml,
                                        const VoucherText& read, const std::string& message) {
  JournalInsert("SaveVchFromXML", type, xml, false, message, read.packed);
  return {false, message};
}

namespace {

// The lists under a record's root, found in one walk over its children in place of a walk for
// each name: the head holds dozens of elements, and each walk compared every name.
struct RootLists {
  explicit RootLists(pugi::xml_node root) {
    for (pugi::xml_node c = root.first_child(); c; c = c.next_sibling()) {
      const char* name = c.name();
      switch (name[0]) {
        case 'A':
          if (std::strcmp(name, "AccEntries") == 0) entries.push_back(c);
          break;
        case 'B':
          if (std::strcmp(name, "BillingDetails") == 0)
            billing.push_back(c);
          else if (std::strcmp(name, "BillSundries") == 0)
            sundries.push_back(c);
          break;
        case 'I':
          if (std::strcmp(name, "ItemEntries") == 0) items.push_back(c);
          break;
        case 'P':
          if (std::strcmp(name, "PendingBillDetails") == 0)
            pending.push_back(c);
          else if (!pos && std::strcmp(name, "POSVchData") == 0)
            pos = c;
          break;
        case 'V':
          if (!other_info && std::strcmp(name, "VchOtherInfoDetails") == 0) other_info = c;
          break;
        default:
          break;
      }
    }
  }
  std::vector<pugi::xml_node> billing, items, sundries, entries, pending;
  pugi::xml_node other_info, pos;  // the first of each
};

// The texts the checks read, gathered while the record is read and not while the saves wait
// for them: the walk is the checks' own, element for element.
template <size_t N>
struct GatheredTexts {
  pugi::xml_node element;
  ChildTexts<N> texts;
};

}  // namespace

struct CompanyStore::VoucherText::Gathered {
  explicit Gathered(pugi::xml_node root)
      : lists(root), head{root, ChildTexts(root, head_fields::kNames)} {
    for (pugi::xml_node entries : lists.items) {
      for (pugi::xml_node d : entries.children("ItemDetail")) {
        lines.push_back({d, ChildTexts(d, line_fields::kNames)});
        for (pugi::xml_node be : d.children("BatchEntries"))
          for (pugi::xml_node b : be.children("BatchDetails"))
            batches.push_back({b, ChildTexts(b, batch_fields::kNames)});
      }
    }
    for (pugi::xml_node list : lists.entries)
      for (pugi::xml_node d : list.children("AccDetail"))
        entries.push_back({d, ChildTexts(d, entry_fields::kNames)});
  }
  RootLists lists;
  GatheredTexts<std::size(head_fields::kNames)> head;
  std::vector<GatheredTexts<std::size(line_fields::kNames)>> lines;
  std::vector<GatheredTexts<std::size(batch_fields::kNames)>> batches;
  std::vector<GatheredTexts<std::size(entry_fields::kNames)>> entries;
};

namespace {

// The children's texts of an element as gathered, taken in turn; an element that the gathering
// did not come to at this turn (or a record read without it) has them read here.
template <size_t N>
class GatheredTurn {
 public:
  explicit GatheredTurn(const std::vector<GatheredTexts<N>>* gathered) : gathered_(gathered) {}
  ChildTexts<N> Of(pugi::xml_node element, const char* const (&names)[N]) {
    if (gathered_ && next_ < gathered_->size() && (*gathered_)[next_].element == element)
      return (*gathered_)[next_++].texts;
    return ChildTexts<N>(element, names);
  }

 private:
  const std::vector<GatheredTexts<N>>* gathered_;
  size_t next_ = 0;
};

}  // namespace

std::unique_ptr<CompanyStore::VoucherText> CompanyStore::ReadVoucherText(const std::string& xml) {
  auto read = std::make_unique<VoucherText>();
  read->parse_error = ParseRecord(read->doc, xml);
  if (!read->parse_error)
    read->gathered = std::make_shared<const VoucherText::Gathered>(read->doc.document_element());
  if (xml.size() >= kPackFrom) read->packed = PackJournalText(xml);
  return read;
}

std::string CompanyStore::ValidateVoucher(int16_t type, const VoucherText& read, int open_year,
                                          ParsedVoucher& v) {
  v.type = type;
  std::string element = VoucherElementName(type);
  if (element.empty()) return "Voucher type " + std::to_string(type) + " is not supported";
  std::string type_name = VoucherTypeDisplayName(type);

  if (read.parse_error) return *read.parse_error;
  pugi::xml_node root = read.doc.document_element();
  if (std::string_view(root.name()) != element) {
    return "Root element " + Quoted(root.name()) + " does not fit voucher type " +
           std::to_string(type) + " (" + type_name + " vouchers are <" + element + ">)";
  }
  const VoucherText::Gathered* gathered = read.gathered.get();
  const bool gathered_here = gathered && gathered->head.element == root;
  std::optional<RootLists> own_lists;
  const RootLists& lists = gathered_here ? gathered->lists : own_lists.emplace(root);
  const ChildTexts head =
      gathered_here ? gathered->head.texts : ChildTexts(root, head_fields::kNames);
  GatheredTurn line_texts(gathered ? &gathered->lines : nullptr);
  GatheredTurn batch_texts(gathered ? &gathered->batches : nullptr);
  GatheredTurn entry_texts(gathered ? &gathered->entries : nullptr);
  if (head.found[head_fields::kVchType]) {
    const std::string_view t = head.text[head_fields::kVchType];
    auto n = WholeNumber(t);
    if (!n || *n != type) {
      return "VchType " + Quoted(t) + " does not fit voucher type " + std::to_string(type);
    }
  }

  // Date and financial year.
  const std::string_view date_text = head.text[head_fields::kDate];
  if (date_text.empty()) return "Voucher date is missing";
  auto date = TryParseDateText(date_text);
  if (!date) return "Voucher date " + Quoted(date_text) + " is not a date";
  Date first = Date::FromYmd(open_year, 4, 1);
  Date last = Date::FromYmd(open_year + 1, 3, 31);
  if (*date < first || *date > last) {
    return "Voucher date " + date->ToText() + " is outside the financial year " + first.ToText() +
           " to " + last.ToText();
  }
  v.date = date->Serial();

  // Series.
  const std::string_view series_name = head.text[head_fields::kSeriesName];
  const std::string_view series_code_text = head.text[head_fields::kSeriesCode];
  auto& series_map = series_[type].codes;
  if (!series_name.empty()) {
    auto it = series_map.find(FoldKey(series_name));
    if (it == series_map.end()) {
      return "Series " + Quoted(series_name) + " does not exist for " + type_name + " vouchers";
    }
    v.series = it->second;
  }
  if (!series_code_text.empty() && series_code_text != "0") {
    auto code = WholeNumber(series_code_text);
    auto found = code ? series_type_.find(static_cast<int32_t>(*code)) : series_type_.end();
    if (found == series_type_.end() || found->second != type) {
      return "Series code " + Quoted(series_code_text) + " does not exist for " + type_name +
             " vouchers";
    }
    if (v.series && v.series != found->first) {
      return "Series code " + Quoted(series_code_text) + " is not the code of series " +
             Quoted(series_name);
    }
    v.series = found->first;
  }
  if (!v.series) {
    auto it = series_map.find(FoldKey("Main"));
    if (it == series_map.end())
      return "Series 'Main' does not exist for " + type_name + " vouchers";
    v.series = it->second;
  }

  v.vch_no = head.text[head_fields::kVchNo];
  {
    auto& st = db_.Cached(
        "SELECT 1 FROM voucher WHERE vch_type = ? AND series_code = ? AND vch_no = ? AND date = ?");
    st.Bind(1, type).Bind(2, v.series).Bind(3, v.vch_no).Bind(4, v.date);
    bool exists = st.Step();
    st.Reset();
    if (exists) {
      const std::string_view series_label = series_name.empty() ? "Main" : series_name;
      return type_name + " voucher No. " + Quoted(v.vch_no) + " dated " + date->ToText() +
             " already exists in series " + Quoted(series_label);
    }
  }

  // Header masters.
  const std::string_view party = head.text[head_fields::kParty];
  if (!party.empty()) {
    v.party = Lookup(party, 2);
    if (!v.party) return "Party " + Quoted(party) + " does not exist";
  }
  const std::string_view mc = head.text[head_fields::kMc];
  if (!mc.empty()) {
    v.mc = Lookup(mc, 11);
    if (!v.mc) return "Material centre " + Quoted(mc) + " does not exist";
  }
  const std::string_view stpt = head.text[head_fields::kStpt];
  if (!stpt.empty() && (IsSaleSide(type) || IsPurchaseSide(type))) {
    int kind = IsSaleSide(type) ? 13 : 14;
    v.stpt = Lookup(stpt, kind);
    if (!v.stpt)
      return (kind == 13 ? "Sale type " : "Purchase type ") + Quoted(stpt) + " does not exist";
  }
  v.broker = head.text[head_fields::kBroker];
  for (pugi::xml_node b : lists.billing) {
    if (!b.first_child()) continue;
    v.billing_name = Child(b, "PartyName");
    v.billing_mobile = Child(b, "MobileNo");
    v.billing_address = Child(b, "Address1");
  }
  if (pugi::xml_node info = lists.other_info) {
    v.purchase_bill_no = Child(info, "PurchaseBillNo");
    v.purchase_bill_date = Child(info, "PurchaseBillDate");
  }
  v.free_qty_used = FlagText(head.text[head_fields::kFreeQty]);

  // A number an element holds, or the message "<what> '<text>' of <whose> is not a number".
  auto number = [](std::string_view text, const std::string& what, const std::string& whose,
                   std::optional<double>& out) -> std::optional<std::string> {
    if (text.empty()) return std::nullopt;
    auto n = NumberText(text);
    if (!n) {
      return what + " " + Quoted(text) + (whose.empty() ? "" : " of " + whose) + " is not a number";
    }
    out = *n;
    return std::nullopt;
  };

  // Item lines with their batches.
  int line_no = 0;
  for (pugi::xml_node entries : lists.items) {
    for (pugi::xml_node d : entries.children("ItemDetail")) {
      ItemLine line;
      line.line_no = ++line_no;
      std::string where = "item line " + std::to_string(line.line_no);
      const ChildTexts l = line_texts.Of(d, line_fields::kNames);
      line.sr_no = WholeNumber(l.text[line_fields::kSrNo]);
      line.date = l.text[line_fields::kDate];
      const std::string_view item = l.text[line_fields::kItem];
      if (item.empty()) return "Item name is missing in item line " + std::to_string(line.line_no);
      line.item = Lookup(item, 6);
      if (!line.item) return "Item " + Quoted(item) + " does not exist";
      const std::string_view line_mc = l.text[line_fields::kMc];
      if (line_mc.empty()) {
        line.mc = v.mc ? v.mc : Lookup("Main Store", 11);
      } else {
        line.mc = Lookup(line_mc, 11);
        if (!line.mc) return "Material centre " + Quoted(line_mc) + " does not exist";
      }
      std::optional<double> qty, qty_main;
      if (auto e = number(l.text[line_fields::kQty], "Quantity", where, qty)) return *e;
      if (auto e = number(l.text[line_fields::kQtyMain], "Quantity", where, qty_main)) return *e;
      line.qty = qty_main ? *qty_main : qty.value_or(0);
      if (auto e = number(l.text[line_fields::kQtyAlt], "Quantity", where, line.qty_alt)) return *e;
      if (auto e = number(l.text[line_fields::kPrice], "Price", where, line.price)) return *e;
      if (auto e = number(l.text[line_fields::kAmt], "Amount", where, line.amount)) return *e;
      if (auto e = number(l.text[line_fields::kNett], "Net amount", where, line.net_amount))
        return *e;
      line.unit = l.text[line_fields::kUnit];
      line.is_return = FlagText(l.text[line_fields::kReturn]);
      if (pugi::xml_node desc = d.child("ItemDescInfo")) {
        line.description1 = Child(desc, "Description1");
        line.description2 = Child(desc, "Description2");
        if (auto e = number(Child(desc, "FreeQty"), "Free quantity", where, line.free_qty))
          return *e;
      }
      for (pugi::xml_node be : d.children("BatchEntries")) {
        for (pugi::xml_node b : be.children("BatchDetails")) {
          const ChildTexts bt = batch_texts.Of(b, batch_fields::kNames);
          BatchLine batch;
          batch.batch_no = bt.text[batch_fields::kBatchNo];
          batch.mfg = bt.text[batch_fields::kMfg];
          batch.expiry = bt.text[batch_fields::kExpiry];
          batch.mrp = bt.text[batch_fields::kMrp];
          batch.sale_price = bt.text[batch_fields::kSalePrice];
          if (auto e = number(bt.text[batch_fields::kQty], "Batch quantity", where, batch.qty))
            return *e;
          if (auto e =
                  number(bt.text[batch_fields::kQtyAlt], "Batch quantity", where, batch.qty_alt))
            return *e;
          line.batches.push_back(std::move(batch));
        }
      }
      v.items.push_back(std::move(line));
    }
  }

  // Bill sundries.
  int sundry_no = 0;
  for (pugi::xml_node list : lists.sundries) {
    for (pugi::xml_node d : list.children("BSDetail")) {
      ++sundry_no;
      SundryLine s;
      s.sr_no = WholeNumber(Child(d, "SrNo"));
      std::string name = Child(d, "BSName");
      if (name.empty())
        return "Bill sundry name is missing in bill sundry line " + std::to_string(sundry_no);
      s.code = Lookup(name, 9);
      if (!s.code) return "Bill sundry " + Quoted(name) + " does not exist";
      if (auto e = number(Child(d, "PercentVal"), "Percentage", "bill sundry " + Quoted(name),
                          s.percent))
        return *e;
      std::optional<double> amount;
      if (auto e = number(Child(d, "Amt"), "Amount", "bill sundry " + Quoted(name), amount))
        return *e;
      s.amount = amount.value_or(0);
      v.sundries.push_back(s);
    }
  }

  // Account entries: the signed sum must balance.
  double debit = 0, credit = 0;
  int entry_no = 0;
  for (pugi::xml_node list : lists.entries) {
    for (pugi::xml_node d : list.children("AccDetail")) {
      ++entry_no;
      const ChildTexts en = entry_texts.Of(d, entry_fields::kNames);
      const std::string_view account = en.text[entry_fields::kAcc];
      const std::string_view amount_text = en.text[entry_fields::kAmount];
      if (account.empty() && amount_text.empty()) continue;  // an entry left empty counts nothing
      EntryLine e;
      e.sr_no = WholeNumber(en.text[entry_fields::kSrNo]);
      std::string label = account.empty() ? "accounting entry " + std::to_string(entry_no)
                                          : "account " + Quoted(account);
      double value = 0;
      if (!amount_text.empty()) {
        auto n = NumberText(amount_text);
        if (!n) return "Amount " + Quoted(amount_text) + " of " + label + " is not a number";
        value = *n;
      }
      const std::string_view type_text = en.text[entry_fields::kType];
      e.amount_type = WholeNumber(type_text);
      if (account.empty()) {
        if (value == 0) continue;
        return "Account name is missing in accounting entry " + std::to_string(entry_no);
      }
      e.ledger = Lookup(account, 2);
      if (!e.ledger) return "Account " + Quoted(account) + " does not exist";
      // A signed amount counts as it stands (debits negative); an unsigned one takes its side
      // from AmountType.
      if (!amount_text.empty() && TrimView(amount_text).front() == '-') {
        // A minus sign is a debit: an entry whose AmountType says otherwise would be booked on
        // the other side by whoever reads the side from AmountType.
        if (value < 0 && !type_text.empty() && e.amount_type != 1)
          return "Amount " + std::string(amount_text) + " of " + label +
                 " does not fit AmountType " + std::string(type_text);
        e.amount = value;
      } else if (value != 0) {
        if (e.amount_type == 1) {
          e.amount = -value;
        } else if (e.amount_type == 2) {
          e.amount = value;
        } else {
          return "AmountType " + Quoted(type_text) + " of " + label +
                 " is neither 1 (debit) nor 2 (credit)";
        }
      }
      if (e.amount < 0)
        debit -= e.amount;
      else
        credit += e.amount;
      // Inventory vouchers name the broker of an entry as BrokerName with BrokerAssigned,
      // accounting vouchers as Broker with BrokerInvolved.
      e.broker = en.text[entry_fields::kBroker];
      if (e.broker.empty()) e.broker = en.text[entry_fields::kBroker2];
      e.broker_assigned =
          FlagText(en.text[entry_fields::kAssigned]) || FlagText(en.text[entry_fields::kInvolved]);
      e.date = en.text[entry_fields::kDate];
      if (auto err = number(en.text[entry_fields::kCashFlow], "Cash flow", label, e.cash_flow))
        return *err;
      e.settlement = FlagText(en.text[entry_fields::kSettle]);
      v.entries.push_back(std::move(e));
    }
  }
  if (std::fabs(credit - debit) > kBalanceTolerance) {
    return "Accounting entries do not balance: debit " + Money(debit) + ", credit " +
           Money(credit) + ", difference " + Money(std::fabs(credit - debit));
  }

  // Cash settlement within the voucher.
  if (pugi::xml_node pos = lists.pos) {
    v.carry_settlement = FlagText(Child(pos, "CarrySettlement"));
    if (auto e = number(Child(pos, "CashAmt"), "Cash amount", "", v.cash_amount)) return *e;
    std::string cash = Child(pos, "CashAccName");
    if (!cash.empty()) {
      v.cash_account = Lookup(cash, 2);
      if (!v.cash_account) return "Account " + Quoted(cash) + " does not exist";
    }
  }

  // Bill-by-bill references.
  for (pugi::xml_node pending : lists.pending) {
    for (pugi::xml_node bill : pending.children("BillDetail")) {
      std::string bill_party = Child(bill, "MasterName1");
      int32_t party_code = 0;
      if (!bill_party.empty()) {
        party_code = Lookup(bill_party, 2);
        if (!party_code) return "Party " + Quoted(bill_party) + " does not exist";
      }
      std::string bill_value = Child(bill, "Value1");
      for (pugi::xml_node ref : bill.children("BillRefs")) {
        BillRefLine r;
        r.party = party_code;
        r.bill_value = bill_value;
        r.method = WholeNumber(Child(ref, "Method"));
        r.sr_no = WholeNumber(Child(ref, "SrNo"));
        r.ref_no = Child(ref, "RefNo");
        r.date = Child(ref, "Date");
        r.due_date = Child(ref, "DueDate");
        if (auto e = number(Child(ref, "Value1"), "Amount", "bill reference " + Quoted(r.ref_no),
                            r.amount))
          return *e;
        v.bill_refs.push_back(std::move(r));
      }
    }
  }
  return {};
}

StoreAnswer CompanyStore::SaveVoucher(int16_t type, const std::string& xml, int open_year) {
  return SaveVoucher(type, xml, *ReadVoucherText(xml), open_year);
}

StoreAnswer CompanyStore::SaveVoucher(int16_t type, const std::string& xml, const VoucherText& read,
                                      int open_year) {
  // One transaction per call, refusals included: its journal row is the call's record.
  Transaction tx(db_);
  RefreshIfChangedElsewhere();
  ParsedVoucher v;
  std::string error = ValidateVoucher(type, read, open_year, v);
  StoreAnswer answer;
  if (!error.empty()) {
    answer = RefuseVoucher(type, xml, read, error);
  } else {
    int64_t seq = JournalInsert("SaveVchFromXML", type, xml, true, "", read.packed);
    StoreVoucher(v, seq);
    answer.saved = true;
  }
  tx.Commit();
  return answer;
}

namespace {
void BindCode(Statement& st, int i, int32_t code) {
  if (code)
    st.Bind(i, code);
  else
    st.BindNull(i);
}
void BindOptional(Statement& st, int i, const std::optional<double>& v) {
  if (v)
    st.Bind(i, *v);
  else
    st.BindNull(i);
}
void BindOptional(Statement& st, int i, const std::optional<int64_t>& v) {
  if (v)
    st.Bind(i, *v);
  else
    st.BindNull(i);
}
}  // namespace

void CompanyStore::StoreVoucher(const ParsedVoucher& v, int64_t journal_seq) {
  auto& head = db_.Cached(
      "INSERT INTO voucher(vch_type, series_code, vch_no, date, party_code, mc_code, stpt_code, "
      "broker, billing_name, billing_mobile, billing_address, purchase_bill_no, "
      "purchase_bill_date, cash_amount, carry_settlement, cash_account_code, free_qty_used, "
      "journal_seq) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  head.Bind(1, v.type).Bind(2, v.series).Bind(3, v.vch_no).Bind(4, v.date);
  BindCode(head, 5, v.party);
  BindCode(head, 6, v.mc);
  BindCode(head, 7, v.stpt);
  head.Bind(8, v.broker)
      .Bind(9, v.billing_name)
      .Bind(10, v.billing_mobile)
      .Bind(11, v.billing_address)
      .Bind(12, v.purchase_bill_no)
      .Bind(13, v.purchase_bill_date);
  BindOptional(head, 14, v.cash_amount);
  head.Bind(15, v.carry_settlement ? 1 : 0);
  BindCode(head, 16, v.cash_account);
  head.Bind(17, v.free_qty_used ? 1 : 0);
  if (journal_seq)
    head.Bind(18, journal_seq);
  else
    head.BindNull(18);
  head.Run();
  int64_t id = db_.LastInsertId();

  // Each kind of row's statement looked up once per voucher, not once per line.
  Statement* item_st = nullptr;
  Statement* batch_st = nullptr;
  for (const ItemLine& l : v.items) {
    if (!item_st)
      item_st = &db_.Cached(
          "INSERT INTO voucher_item(voucher_id, line_no, sr_no, line_date, item_code, mc_code, "
          "qty, qty_alt, free_qty, unit, price, amount, net_amount, is_return, description1, "
          "description2) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    Statement& st = *item_st;
    st.Bind(1, id).Bind(2, l.line_no);
    BindOptional(st, 3, l.sr_no);
    st.Bind(4, l.date).Bind(5, l.item);
    BindCode(st, 6, l.mc);
    st.Bind(7, l.qty);
    BindOptional(st, 8, l.qty_alt);
    BindOptional(st, 9, l.free_qty);
    st.Bind(10, l.unit);
    BindOptional(st, 11, l.price);
    BindOptional(st, 12, l.amount);
    BindOptional(st, 13, l.net_amount);
    st.Bind(14, l.is_return ? 1 : 0).Bind(15, l.description1).Bind(16, l.description2);
    st.Run();
    for (const BatchLine& b : l.batches) {
      if (!batch_st)
        batch_st = &db_.Cached(
            "INSERT INTO voucher_batch(voucher_id, line_no, batch_no, mfg_date, expiry_date, qty, "
            "qty_alt, mrp, sale_price) VALUES(?,?,?,?,?,?,?,?,?)");
      Statement& bt = *batch_st;
      bt.Bind(1, id).Bind(2, l.line_no).Bind(3, b.batch_no).Bind(4, b.mfg).Bind(5, b.expiry);
      BindOptional(bt, 6, b.qty);
      BindOptional(bt, 7, b.qty_alt);
      bt.Bind(8, b.mrp).Bind(9, b.sale_price);
      bt.Run();
    }
  }
  Statement* sundry_st = nullptr;
  for (const SundryLine& s : v.sundries) {
    if (!sundry_st)
      sundry_st = &db_.Cached(
          "INSERT INTO voucher_sundry(voucher_id, sr_no, sundry_code, percent, amount) "
          "VALUES(?,?,?,?,?)");
    Statement& st = *sundry_st;
    st.Bind(1, id);
    BindOptional(st, 2, s.sr_no);
    st.Bind(3, s.code);
    BindOptional(st, 4, s.percent);
    st.Bind(5, s.amount).Run();
  }
  Statement* entry_st = nullptr;
  for (const EntryLine& e : v.entries) {
    if (!entry_st)
      entry_st = &db_.Cached(
          "INSERT INTO voucher_entry(voucher_id, sr_no, ledger_code, amount_type, amount, "
          "broker_assigned, broker, cash_flow, settlement, entry_date) "
          "VALUES(?,?,?,?,?,?,?,?,?,?)");
    Statement& st = *entry_st;
    st.Bind(1, id);
    BindOptional(st, 2, e.sr_no);
    st.Bind(3, e.ledger);
    BindOptional(st, 4, e.amount_type);
    st.Bind(5, e.amount).Bind(6, e.broker_assigned ? 1 : 0).Bind(7, e.broker);
    BindOptional(st, 8, e.cash_flow);
    st.Bind(9, e.settlement ? 1 : 0).Bind(10, e.date).Run();
  }
  Statement* ref_st = nullptr;
  for (const BillRefLine& r : v.bill_refs) {
    if (!ref_st)
      ref_st = &db_.Cached(
          "INSERT INTO voucher_bill_ref(voucher_id, party_code, bill_value, method, sr_no, "
          "ref_no, ref_date, due_date, amount) VALUES(?,?,?,?,?,?,?,?,?)");
    Statement& st = *ref_st;
    st.Bind(1, id);
    BindCode(st, 2, r.party);
    st.Bind(3, r.bill_value);
    BindOptional(st, 4, r.method);
    BindOptional(st, 5, r.sr_no);
    st.Bind(6, r.ref_no).Bind(7, r.date).Bind(8, r.due_date);
    BindOptional(st, 9, r.amount);
    st.Run();
  }
}

}  // namespace vodare::local
