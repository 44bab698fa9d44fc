#include "app/reconcile.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "common/helpers.h"
#include "context/run_context.h"
#include "destination/automation.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "masters/ledgers.h"
#include "source/lookups.h"
#include "source/source_db.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/voucher_types.h"

namespace vodare {

namespace {

constexpr double kAmountTolerance = 0.01;

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

// The rows of a query, or none when the table is not there.
Recordset Rows(RunContext& ctx, const std::string& sql) {
  Recordset rs = GetRecordset(ctx, sql);
  return rs;
}

// The export's inventory vouchers of the range, and the ledger numbers they carry.
void ReadInventoryVouchers(RunContext& ctx, const Date& from, const Date& to,
                           std::vector<ReconciledVoucher>& out,
                           std::unordered_set<std::string>& ledger_numbers) {
  Recordset rs = Rows(ctx, "SELECT Voucher,Type,Vcn,Date,Challan,ChDate,FINAL FROM mdis");
  if (rs.IsNothing() || rs.RecordCount() == 0) return;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    // Ledger postings numbered like any inventory record are its own, never a ledger voucher.
    ledger_numbers.insert(FoldKey(Trim(NzTrim(rs["Voucher"]))));
    const int16_t type = GetInventoryVoucherType(NzTrim(rs["Type"]));
    if (type == 0) continue;
    const bool challan = IsChallanType(type);
    std::optional<Date> date = DateOf(rs[challan ? "ChDate" : "Date"]);
    const std::string number = Trim(NzTrim(rs[challan ? "Challan" : "Vcn"]));
    if (!date || *date < from || *date > to || IsBlank(number)) continue;
    out.push_back({type, number, *date, Amount(rs["FINAL"])});
  }
}

// The export's ledger vouchers of the range that no inventory voucher carries; the amount of
// each is the sum of its debits (of a one-row voucher, its one amount).
void ReadAccountingVouchers(RunContext& ctx, const Date& from, const Date& to,
                            const std::unordered_set<std::string>& inventory_numbers,
                            std::vector<ReconciledVoucher>& out) {
  Recordset rs = Rows(ctx, "SELECT Voucher,Type,Date,DEBIT,CREDIT FROM Gledger WHERE DATE >= #" +
                               from.Format("mm-dd-yyyy") + "# AND DATE <= #" +
                               to.Format("mm-dd-yyyy") + "# order by date,Voucher");
  if (rs.IsNothing() || rs.RecordCount() == 0) return;
  struct Acc {
    size_t index;
    int rows = 0;
    double debits = 0, single = 0;
  };
  std::unordered_map<std::string, Acc> seen;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    std::optional<Date> date = DateOf(rs["Date"]);
    if (!date) continue;
    const std::string number = Trim(NzText(rs["Voucher"]));
    const std::string folded = FoldKey(number);
    if (inventory_numbers.count(folded)) continue;
    auto [it, first] = seen.try_emplace(folded, Acc{out.size()});
    if (first) {
      int type = GetLedgerVoucherType(Trim(NzTrim(rs["Type"])));
      out.push_back({type == 0 ? kVchJournal : type, number, *date, 0});
    }
    const double debit = Amount(rs["DEBIT"]), credit = Amount(rs["CREDIT"]);
    ++it->second.rows;
    it->second.debits += debit;
    it->second.single = credit == 0 ? debit : credit;
  }
  for (auto& [folded, acc] : seen) out[acc.index].amount = acc.rows == 1 ? acc.single : acc.debits;
}

// The error-list entry that names the voucher, or empty text.
std::string ExplanationFor(const std::vector<std::string>& entries, const ReconciledVoucher& v) {
  const std::string needle = "Vch No : " + v.number + " ";
  const std::string needle_end = "Vch No : " + v.number;
  const std::string type_name = GetVoucherTypeName(static_cast<int16_t>(v.type));
  std::string loose;
  for (const std::string& e : entries) {
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

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!IsBlank(line)) lines.push_back(line);
  }
  return lines;
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

bool Reconciliation::Agrees() const {
  if (!differences.empty() || !openings.empty()) return false;
  for (const auto& t : types)
    if (t.source_count != t.stored_count || std::fabs(t.source_total - t.stored_total) > 0.01)
      return false;
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
  int64_t explained = 0;
  for (const auto& d : differences)
    if (!d.explanation.empty()) ++explained;
  if (explained == others)
    return text + "; the " + GroupedCount(others) + (others == 1 ? " other is" : " others are") +
           " in the error list";
  return text + "; of the " + GroupedCount(others) + " others, " + GroupedCount(explained) +
         " are in the error list and " + GroupedCount(others - explained) + " are not";
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
                  static_cast<long long>(t.source_count), Money(t.source_total).c_str(),
                  static_cast<long long>(t.stored_count), Money(t.stored_total).c_str(),
                  t.source_count == t.stored_count &&
                          std::fabs(t.source_total - t.stored_total) <= kAmountTolerance
                      ? ""
                      : "  differs");
    out += line;
  }
  for (const auto& d : differences) {
    std::string name = GetVoucherTypeName(static_cast<int16_t>(d.source.type));
    out += (d.missing ? "missing: " : "amount differs: ") + name + " " + d.source.number + " of " +
           d.source.date.ToText() + " for " + Money(d.source.amount);
    if (!d.missing) out += " (company: " + Money(d.stored_amount) + ")";
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
           Money(o.stored) + "\n";
  out += Verdict() + "\n";
  return out;
}

Reconciliation Reconcile(RunContext& ctx, local::CompanyStore& store, const Date& from,
                         const Date& to, const std::string& error_list) {
  Reconciliation r;
  const std::vector<std::string> entries = SplitLines(error_list);

  std::vector<ReconciledVoucher> inventory, accounting;
  std::unordered_set<std::string> inventory_numbers;
  ReadInventoryVouchers(ctx, from, to, inventory, inventory_numbers);
  ReadAccountingVouchers(ctx, from, to, inventory_numbers, accounting);

  std::map<int, VoucherTypeFigures> types;
  std::unordered_multimap<std::string, double> stored;
  for (const local::VoucherTotalRow& v : local::ListVoucherTotals(store)) {
    if (v.date < from || v.date > to) continue;
    const double amount =
        IsInventoryVoucherType(static_cast<int16_t>(v.type)) ? v.first_entry : v.debit_total;
    stored.emplace(Key(v.type, v.number, v.date), amount);
    VoucherTypeFigures& t = types[v.type];
    t.type = v.type;
    ++t.stored_count;
    t.stored_total += amount;
  }
  auto check = [&](const std::vector<ReconciledVoucher>& list, int64_t& source, int64_t& arrived) {
    for (const ReconciledVoucher& v : list) {
      ++source;
      VoucherTypeFigures& t = types[v.type];
      t.type = v.type;
      ++t.source_count;
      t.source_total += v.amount;
      auto it = stored.find(Key(v.type, v.number, v.date));
      if (it != stored.end() && std::fabs(it->second - v.amount) <= kAmountTolerance) {
        stored.erase(it);
        ++arrived;
        continue;
      }
      VoucherDifference d;
      d.source = v;
      if (it != stored.end()) {
        d.missing = false;
        d.stored_amount = it->second;
        stored.erase(it);
      }
      d.explanation = ExplanationFor(entries, v);
      r.differences.push_back(std::move(d));
    }
  };
  check(inventory, r.inventory_source, r.inventory_arrived);
  check(accounting, r.accounting_source, r.accounting_arrived);
  for (auto& [type, t] : types) r.types.push_back(t);

  // Masters under the names the stages save them by.
  if (ctx.ItemNameCache.Empty()) BuildItemNameCache(ctx);
  if (ctx.AccountNameCache.Empty()) BuildAccountNameCache(ctx);
  auto stored_names = [&](int kind) {
    std::unordered_map<std::string, double> names;
    for (const local::MasterRow& m : local::ListMasters(store, kind))
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

  Recordset rs = Rows(ctx, "Select ordno,opning from [order]");
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
      if (std::fabs(source - it->second) > kAmountTolerance)
        r.openings.push_back({*saved, source, it->second});
    }
  }
  return r;
}

Reconciliation ReconcileFolders(const std::string& export_dir, const std::string& data_folder,
                                const std::string& company_code, const Date& from, const Date& to,
                                const std::string& error_list) {
  SilentRunUi ui;
  RunContext ctx(ui);
  std::string why;
  if (!OpenSourceDb(ctx, export_dir, why))
    throw std::runtime_error("the export " + export_dir + " does not open: " + why);
  std::optional<std::filesystem::path> file = local::FindCompanyFile(data_folder, company_code);
  if (!file)
    throw std::runtime_error("no company " + company_code + " in the data folder " + data_folder);
  local::CompanyStore store(*file);
  return Reconcile(ctx, store, from, to, error_list);
}

std::string NewestErrorList(const std::string& folder, std::string* path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path newest;
  fs::file_time_type newest_time{};
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind("VodoriErrorList_", 0) != 0) continue;
    fs::file_time_type t = fs::last_write_time(it->path(), ec);
    if (ec) continue;
    if (newest.empty() || t > newest_time) {
      newest = it->path();
      newest_time = t;
    }
  }
  if (newest.empty()) return "";
  if (path) *path = newest.string();
  std::ifstream in(newest, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace vodare
