#include "app/reconcile.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/helpers.h"
#include "common/key_set.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/automation.h"
#include "destination/company_books.h"
#include "masters/ledgers.h"
#include "masters/stage_support.h"
#include "source/lookups.h"
#include "source/source_db.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/inventory_vouchers.h"
#include "vouchers/voucher_figures.h"
#include "vouchers/voucher_source.h"
#include "vouchers/voucher_types.h"

namespace vodare {

namespace {

constexpr double kAmountTolerance = 0.01;
constexpr double kQuantityTolerance = 0.001;

std::string Key(int type, const std::string& number, Date date) {
  return std::to_string(type) + "|" + FoldKey(Trim(number)) + "|" + std::to_string(date.Serial());
}

double Amount(const Value& v) {
  std::string text = NzTrim(v);
  if (IsBlank(text)) return 0;
  std::optional<double> n = TryTextToNumber(text);
  return n ? *n : 0;
}

std::optional<Date> DateOf(const Value& v) {
  if (v.IsNull()) return std::nullopt;
  return TryParseDateText(NzTrim(v));
}

std::string Money(double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", x);
  return buf;
}

std::string Quantity(double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", x);
  std::string text = buf;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

// Stock challans book no ledger side: they are held by their item lines.
bool ByQuantity(int type) { return IsChallanType(static_cast<int16_t>(type)); }

// The figure a voucher is totalled by in its type's line.
double Figure(const ReconciledVoucher& v) { return ByQuantity(v.type) ? v.quantity : v.amount; }

bool SameFigures(const ReconciledVoucher& a, const ReconciledVoucher& b) {
  if (ByQuantity(a.type))
    return a.item_lines == b.item_lines && std::fabs(a.quantity - b.quantity) <= kQuantityTolerance;
  return std::fabs(a.amount - b.amount) <= kAmountTolerance;
}

std::string Describe(const ReconciledVoucher& v) {
  if (ByQuantity(v.type))
    return std::to_string(v.item_lines) + " item lines, quantity " + Quantity(v.quantity);
  return Money(v.amount);
}

// What the company holds of a voucher. An inventory voucher's amount is its first ledger entry,
// the party's, without its sign: the party is booked with the whole bill, so that entry equals
// the bill amount exactly when the voucher arrived whole, whereas its debits also hold the cash
// that settles a cash bill. An accounting voucher's amount is the sum of its debits, as the
// export's rows give it.
ReconciledVoucher StoredFigures(const StoredVoucher& row) {
  ReconciledVoucher v;
  v.type = row.type;
  v.number = row.number;
  v.date = row.date;
  v.amount =
      IsInventoryVoucherType(static_cast<int16_t>(row.type)) ? row.first_entry : row.debit_total;
  v.item_lines = row.item_lines;
  v.quantity = row.item_quantity;
  return v;
}

// One inventory record as the stage converts it: the number it is saved under (repeats of a
// number on a day get "/1", "/2"...), and its figures by the stage's own rules.
struct InventoryRecord {
  ReconciledVoucher voucher;
  std::string voucher_id;
  bool too_many_items = false;
};

std::vector<InventoryRecord> ReadInventoryVouchers(RunContext& ctx, const VoucherKeyList& keys,
                                                   const Date& from, const Date& to) {
  std::vector<InventoryRecord> out;
  NameOccurrences occurrences;
  KeyRecordReader reader(ctx, from, to);
  for (const VoucherKey& key : keys.keys) {
    std::vector<InventoryVoucherHeader> records;
    try {
      records = reader.Read(key);
    } catch (const std::exception&) {
      InventoryRecord r;
      r.voucher.number = key.key;  // the stage fails it the same way, with an entry
      out.push_back(std::move(r));
      continue;
    }
    for (const InventoryVoucherHeader& h : records) {
      InventoryRecord r;
      const int16_t type = GetInventoryVoucherType(h.type_letter);
      const bool challan = IsChallanType(type);
      r.voucher.type = type;
      r.voucher.number = challan ? h.challan : h.vcn;
      r.voucher.date_text = challan ? h.ch_date : h.date;
      r.voucher.date = TryParseDateText(r.voucher.date_text).value_or(Date());
      r.voucher_id = CleanTextCopy(h.voucher_id, 3);
      const int16_t repeat = occurrences.Next(std::to_string(type) + "|" + r.voucher.number + "|" +
                                              r.voucher.date_text);
      if (repeat > 0) r.voucher.number += "/" + std::to_string(repeat);
      try {
        const InventoryVoucherFigures f =
            WorkOutInventoryFigures(type, h, ReadItemLines(ctx, h.voucher_id));
        r.voucher.amount = f.party_amount;
        r.voucher.item_lines = f.item_lines;
        r.voucher.quantity = f.item_quantity;
        r.too_many_items = f.too_many_items;
      } catch (const std::exception&) {
        // The stage fails it the same way, with an entry; it cannot have arrived whole.
      }
      out.push_back(std::move(r));
    }
  }
  return out;
}

// The ledger vouchers the accounting stage converts, in its listing order, with the sum of
// their debits (of a one-row voucher, its one amount). Type and date are those of each
// voucher's first row in table order, as the stage saves it.
std::vector<ReconciledVoucher> ReadAccountingVouchers(RunContext& ctx, const Date& from,
                                                      const Date& to, int64_t& inventory_postings) {
  const std::string from_mdy = from.Format("mm-dd-yyyy"), to_mdy = to.Format("mm-dd-yyyy");
  LedgerVoucherList list;
  try {
    ListAccountingVouchers(ctx, list, from_mdy, to_mdy);
  } catch (const std::exception&) {
    return {};  // an export without a ledger table
  }
  inventory_postings = list.inventory_postings;
  std::vector<ReconciledVoucher> out;
  if (list.vouchers.empty()) return out;
  std::unordered_map<std::string, size_t> index;
  for (const LedgerVoucherKey& k : list.vouchers) {
    index.emplace(FoldKey(k.number), out.size());
    ReconciledVoucher v;
    int type = GetLedgerVoucherType(Trim(k.type_letters));
    v.type = type == 0 ? kVchJournal : type;
    v.number = k.number;
    v.date_text = k.date_text;
    v.date = TryParseDateText(k.date_text).value_or(Date());
    out.push_back(std::move(v));
  }
  Recordset rs = GetRecordset(ctx,
                              "SELECT Voucher,Type,Date,DEBIT,CREDIT FROM Gledger WHERE "
                              "DATE >= #" +
                                  from_mdy + "# AND DATE <= #" + to_mdy + "#");
  if (rs.IsNothing() || rs.RecordCount() == 0) return out;
  struct Acc {
    int rows = 0;
    double debits = 0, single = 0;
  };
  std::unordered_map<size_t, Acc> sums;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    auto it = index.find(FoldKey(Trim(NzText(rs["Voucher"]))));
    if (it == index.end()) continue;
    Acc& acc = sums[it->second];
    if (acc.rows++ == 0) {
      ReconciledVoucher& v = out[it->second];
      int type = GetLedgerVoucherType(Trim(NzTrim(rs["Type"])));
      v.type = type == 0 ? kVchJournal : type;
      v.date_text = NzTrim(rs["Date"]);
      if (std::optional<Date> d = DateOf(rs["Date"])) v.date = *d;
    }
    // A row is a debit of DEBIT when its CREDIT is 0, otherwise a credit of CREDIT.
    const double debit = Amount(rs["DEBIT"]), credit = Amount(rs["CREDIT"]);
    if (credit == 0) acc.debits += std::fabs(debit);
    acc.single = std::fabs(credit == 0 ? debit : credit);
  }
  for (auto& [at, acc] : sums) out[at].amount = acc.rows == 1 ? acc.single : acc.debits;
  return out;
}

// The entries of the run by the record they are about: the vouchers' first entry under each
// key, the ledgers' last (the refusal that follows any other entry of the ledger).
struct EntriesByKey {
  explicit EntriesByKey(const ErrorList& errors) {
    for (const ErrorEntry& e : errors.entries()) {
      if (e.key.empty()) {
        if (e.stage.empty()) unkeyed.push_back(&e);
      } else if (e.stage == kInventoryVoucherStage || e.stage == kAccountingVoucherStage) {
        vouchers.emplace(e.key, &e);
      } else if (e.stage == kTallyLedgers) {
        ledgers[e.key] = &e;
      }
    }
  }
  std::unordered_map<std::string, const ErrorEntry*> vouchers;
  std::unordered_map<std::string, const ErrorEntry*> ledgers;
  // Lines read back from an earlier run's file, which keeps no keys.
  std::vector<const ErrorEntry*> unkeyed;
};

// A line of an earlier run's file that names the voucher by its number, one that names its type
// too first; or empty text.
std::string ListedLineFor(const EntriesByKey& by_key, const ReconciledVoucher& v) {
  const std::string needle = "Vch No : " + v.number + " ";
  const std::string needle_end = "Vch No : " + v.number;
  const std::string type_name = GetVoucherTypeName(static_cast<int16_t>(v.type));
  std::string loose;
  for (const ErrorEntry* entry : by_key.unkeyed) {
    const std::string& e = entry->message;
    bool names_number =
        e.find(needle) != std::string::npos ||
        (e.size() >= needle_end.size() &&
         e.compare(e.size() - needle_end.size(), needle_end.size(), needle_end) == 0);
    if (!names_number) continue;
    if (!type_name.empty() && e.find(type_name + " voucher") != std::string::npos) return e;
    if (loose.empty()) loose = e;
  }
  return loose;
}

// The entry the run filed under the voucher: under its own type and number, else under the
// same number with another type (or with none, when the stage failed before it knew the type).
std::string ExplanationFor(const EntriesByKey& by_key, const ReconciledVoucher& v) {
  auto found = by_key.vouchers.find(VoucherEntryKey(v.type, v.number));
  if (found != by_key.vouchers.end()) return found->second->message;
  for (int type = 0; type <= kVchPayment; ++type) {
    found = by_key.vouchers.find(VoucherEntryKey(type, v.number));
    if (found != by_key.vouchers.end()) return found->second->message;
  }
  return ListedLineFor(by_key, v);
}

}  // namespace

std::string GroupedCount(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

namespace {

bool TypeAgrees(const VoucherTypeFigures& t) {
  return t.source_count == t.stored_count &&
         std::fabs(t.source_total - t.stored_total) <=
             (t.by_quantity ? kQuantityTolerance : kAmountTolerance);
}

std::string TypeTotal(const VoucherTypeFigures& t, double total) {
  return t.by_quantity ? "qty " + Quantity(total) : Money(total);
}

std::string Plural(int64_t n, const char* one, const char* many) {
  return GroupedCount(n) + (n == 1 ? one : many);
}

}  // namespace

bool Reconciliation::Agrees() const {
  if (!differences.empty() || !openings.empty()) return false;
  for (const auto& t : types)
    if (!TypeAgrees(t)) return false;
  for (const auto& m : masters)
    if (m.source != m.stored) return false;
  return true;
}

std::string Reconciliation::Verdict() const {
  const int64_t others = static_cast<int64_t>(differences.size());
  std::string text = GroupedCount(inventory_arrived) + " of " + GroupedCount(inventory_source) +
                     " inventory vouchers and " + GroupedCount(accounting_arrived) + " of " +
                     GroupedCount(accounting_source) +
                     " accounting vouchers arrived with their amounts";
  if (others == 0) return text;
  int64_t listed = 0, ruled = 0;
  for (const auto& d : differences) {
    if (!d.explanation.empty())
      ++listed;
    else if (!d.skip_rule.empty())
      ++ruled;
  }
  const int64_t unexplained = others - listed - ruled;
  const std::string the_others =
      "; the " + (others == 1 ? std::string("other") : GroupedCount(others) + " others");
  if (listed == others)
    return text + the_others + (others == 1 ? " is" : " are") + " in the error list";
  if (ruled == others)
    return text + the_others + (others == 1 ? " was" : " were") +
           " passed over by the run's own rules";
  std::vector<std::string> parts;
  if (listed > 0) parts.push_back(Plural(listed, " is", " are") + " in the error list");
  if (ruled > 0)
    parts.push_back(Plural(ruled, " was", " were") + " passed over by the run's own rules");
  if (unexplained > 0) parts.push_back(Plural(unexplained, " is", " are") + " not");
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i)
    joined += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  return text + "; of the " + GroupedCount(others) + " others, " + joined;
}

std::string Reconciliation::Render() const {
  std::string out;
  char line[256];
  std::snprintf(line, sizeof line, "%-18s %10s %16s %10s %16s\n", "voucher type", "export",
                "export amount", "company", "company amount");
  out += line;
  for (const auto& t : types) {
    std::string name = GetVoucherTypeName(static_cast<int16_t>(t.type));
    if (name.empty()) name = "type " + std::to_string(t.type);
    std::snprintf(line, sizeof line, "%-18s %10lld %16s %10lld %16s%s\n", name.c_str(),
                  static_cast<long long>(t.source_count), TypeTotal(t, t.source_total).c_str(),
                  static_cast<long long>(t.stored_count), TypeTotal(t, t.stored_total).c_str(),
                  TypeAgrees(t) ? "" : "  differs");
    out += line;
  }
  if (inventory_postings > 0)
    out += "ledger vouchers that are inventory vouchers' postings (moved with them): " +
           GroupedCount(inventory_postings) + "\n";
  for (const auto& d : differences) {
    std::string name = GetVoucherTypeName(static_cast<int16_t>(d.source.type));
    if (name.empty()) name = "record";
    const std::string date =
        d.source.date_text.empty() ? d.source.date.ToText() : d.source.date_text;
    if (d.missing && !d.skip_rule.empty() && d.explanation.empty()) {
      out += "passed over: " + name + " " + d.source.number + " of " +
             (IsBlank(date) ? std::string("no date") : date) + " - the run's rule: " + d.skip_rule +
             "\n";
      continue;
    }
    out += (d.missing ? "missing: " : "differs: ") + name + " " + d.source.number + " of " + date +
           " with " + Describe(d.source);
    if (!d.missing) out += " (company: " + Describe(d.stored) + ")";
    out += d.explanation.empty() ? " - not in the error list" : " - " + d.explanation;
    out += "\n";
  }
  std::snprintf(line, sizeof line, "%-18s %10s %10s\n", "masters", "export", "company");
  out += line;
  for (const auto& m : masters) {
    std::snprintf(line, sizeof line, "%-18s %10lld %10lld%s\n", m.kind.c_str(),
                  static_cast<long long>(m.source), static_cast<long long>(m.stored),
                  m.source == m.stored ? "" : "  differs");
    out += line;
  }
  for (const auto& o : openings)
    out += "opening balance differs: " + o.ledger + " export " + Money(o.source) + ", company " +
           Money(o.stored) +
           (o.explanation.empty() ? " - not in the error list" : " - " + o.explanation) + "\n";
  out += Verdict() + "\n";
  return out;
}

Reconciliation Reconcile(RunContext& ctx, CompanyBooks& books, const Date& from, const Date& to,
                         const ErrorList& errors) {
  Reconciliation r;
  const EntriesByKey entries(errors);

  std::map<int, VoucherTypeFigures> types;
  auto type_line = [&](int type) -> VoucherTypeFigures& {
    VoucherTypeFigures& t = types[type];
    t.type = type;
    t.by_quantity = ByQuantity(type);
    return t;
  };
  std::unordered_multimap<std::string, ReconciledVoucher> stored;
  for (const StoredVoucher& row : books.Vouchers()) {
    if (row.date < from || row.date > to) continue;
    ReconciledVoucher v = StoredFigures(row);
    VoucherTypeFigures& t = type_line(v.type);
    ++t.stored_count;
    t.stored_total += Figure(v);
    stored.emplace(Key(v.type, v.number, v.date), std::move(v));
  }
  // The stored voucher under the same type, number and date, one with the same figures first.
  auto take_stored = [&](const ReconciledVoucher& v) -> std::optional<ReconciledVoucher> {
    auto [first, last] = stored.equal_range(Key(v.type, v.number, v.date));
    if (first == last) return std::nullopt;
    auto pick = first;
    for (auto it = first; it != last; ++it)
      if (SameFigures(v, it->second)) {
        pick = it;
        break;
      }
    ReconciledVoucher found = pick->second;
    stored.erase(pick);
    return found;
  };
  // True when the voucher arrived with its figures; otherwise it is listed.
  auto check = [&](const ReconciledVoucher& v, const char* skip_rule) {
    VoucherTypeFigures& t = type_line(v.type);
    ++t.source_count;
    t.source_total += Figure(v);
    std::optional<ReconciledVoucher> found = take_stored(v);
    if (found && SameFigures(v, *found)) return true;
    VoucherDifference d;
    d.source = v;
    if (found) {
      d.missing = false;
      d.stored = *found;
    }
    d.explanation = ExplanationFor(entries, v);
    if (skip_rule) d.skip_rule = skip_rule;
    r.differences.push_back(std::move(d));
    return false;
  };

  // The inventory vouchers, listed and read as the stage lists and reads them.
  ctx.InventoryVoucherIds.Clear();
  VoucherKeyList keys;
  try {
    ListInventoryVoucherKeys(ctx, keys, from, to);
  } catch (const std::exception&) {
    keys = VoucherKeyList();  // an export without inventory vouchers
  }
  for (const PassedOverRecord& p : keys.passed_over) {
    ++r.inventory_source;
    VoucherDifference d;
    d.source.type = GetInventoryVoucherType(p.type_letter);
    d.source.number = p.number;
    d.source.date_text = p.date;
    d.source.date = TryParseDateText(p.date).value_or(Date());
    d.skip_rule = p.rule;
    r.differences.push_back(std::move(d));
  }
  for (const InventoryRecord& rec : ReadInventoryVouchers(ctx, keys, from, to)) {
    ++r.inventory_source;
    if (check(rec.voucher, rec.too_many_items ? kSkipTooManyItems : nullptr)) {
      ++r.inventory_arrived;
    } else if (r.differences.back().missing) {
      // A voucher that did not arrive leaves its postings to the accounting voucher stage.
      ctx.InventoryVoucherIds.Remove(rec.voucher_id);
    }
  }

  for (const ReconciledVoucher& v : ReadAccountingVouchers(ctx, from, to, r.inventory_postings)) {
    ++r.accounting_source;
    if (check(v, nullptr)) ++r.accounting_arrived;
  }
  for (auto& [type, t] : types) r.types.push_back(t);

  // Masters under the names the stages save them by.
  if (ctx.ItemNameCache.Empty()) BuildItemNameCache(ctx);
  if (ctx.AccountNameCache.Empty()) BuildAccountNameCache(ctx);
  auto stored_names = [&](int kind) {
    std::unordered_map<std::string, double> names;
    for (const StoredMaster& m : books.Masters(kind))
      names.emplace(FoldKey(Trim(m.name)), m.opening_balance);
    return names;
  };
  auto count_masters = [&](const char* kind_name, int kind,
                           const KeyedCollection<std::string>& cache) {
    auto names = stored_names(kind);
    MasterFigures m;
    m.kind = kind_name;
    cache.ForEach([&](const std::string&, const std::string& saved) {
      ++m.source;
      if (names.count(FoldKey(Trim(saved)))) ++m.stored;
    });
    r.masters.push_back(m);
    return names;
  };
  count_masters("Items", kKindItem, ctx.ItemNameCache);
  auto ledgers = count_masters("Ledgers", kKindLedger, ctx.AccountNameCache);

  Recordset rs = GetRecordset(ctx, "Select ordno,opning from [order]");
  if (!rs.IsNothing() && rs.RecordCount() > 0) {
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
      const std::string* saved = ctx.AccountNameCache.Find(NzTrim(rs["ordno"]));
      if (!saved) continue;
      auto it = ledgers.find(FoldKey(Trim(*saved)));
      if (it == ledgers.end()) continue;
      double source = 0;
      try {
        std::string text = LedgerOpeningText(rs["opning"]);
        source = IsBlank(text) ? 0 : TextToNumber(text);
      } catch (const std::exception&) {
        continue;
      }
      if (std::fabs(source - it->second) > kAmountTolerance) {
        // A ledger the company refused keeps the opening it had: its entry says why.
        std::string why;
        auto listed = entries.ledgers.find(*saved);
        if (listed != entries.ledgers.end()) {
          why = listed->second->message;
        } else {
          const std::string refused = "Ledger Name : " + *saved + " - ";
          const std::string kept = "Opening balance of ledger '" + *saved + "' (";
          for (const ErrorEntry* e : entries.unkeyed)
            if (e->message.rfind(refused, 0) == 0 || e->message.rfind(kept, 0) == 0)
              why = e->message;
        }
        r.openings.push_back({*saved, source, it->second, why});
      }
    }
  }
  return r;
}

ErrorList ErrorListOfFile(const std::string& text) {
  ErrorList errors;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!IsBlank(line)) errors.Add("", "", line);
  }
  return errors;
}

}  // namespace vodare
