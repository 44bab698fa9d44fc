#include "destination/local/reports.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "common/json_text.h"
#include "common/text.h"
#include "destination/local/journal_text.h"

namespace vodare::local {

namespace {

std::string Fixed2(double x) {
  if (std::fabs(x) < 0.005) x = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", x);
  return buf;
}

// Quantities keep their decimals but not the noise of binary fractions.
std::string Quantity(double x) {
  if (std::fabs(x) < 5e-7) x = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", x);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

std::string JsonNumber(double x) {
  if (!std::isfinite(x)) return "null";
  return DoubleToText(x);
}

// A plain text table: columns padded to their widest cell; numbers right-aligned.
std::string Table(const std::vector<std::string>& header, const std::vector<bool>& right,
                  const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width(header.size());
  for (size_t c = 0; c < header.size(); ++c) width[c] = Len(header[c]);
  for (const auto& r : rows) {
    for (size_t c = 0; c < r.size() && c < width.size(); ++c)
      width[c] = std::max(width[c], Len(r[c]));
  }
  auto line = [&](const std::vector<std::string>& r) {
    std::string out;
    for (size_t c = 0; c < header.size(); ++c) {
      std::string cell = c < r.size() ? r[c] : "";
      std::string pad(width[c] - Len(cell), ' ');
      if (c) out += "  ";
      out += right[c] ? pad + cell : cell + pad;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
  };
  std::string out = line(header);
  std::vector<std::string> rule;
  for (size_t w : width) rule.push_back(std::string(w, '-'));
  out += line(rule);
  for (const auto& r : rows) out += line(r);
  return out;
}

std::string DebitCell(double credit_positive) {
  return credit_positive < -0.005 ? Fixed2(-credit_positive) : "";
}
std::string CreditCell(double credit_positive) {
  return credit_positive > 0.005 ? Fixed2(credit_positive) : "";
}

}  // namespace

std::vector<MasterRow> ListMasters(CompanyStore& store, std::optional<int> kind) {
  std::vector<MasterRow> rows;
  auto& st = store.db().Cached(
      "SELECT m.code, m.kind, m.name, COALESCE(p.name, ''), m.op_bal FROM master m "
      "LEFT JOIN master p ON p.code = m.parent_code WHERE ?1 IS NULL OR m.kind = ?1 "
      "ORDER BY m.kind, m.code");
  if (kind)
    st.Bind(1, *kind);
  else
    st.BindNull(1);
  while (st.Step()) {
    rows.push_back({static_cast<int32_t>(st.Int(0)), static_cast<int>(st.Int(1)), st.Text(2),
                    st.Text(3), st.Real(4)});
  }
  st.Reset();
  return rows;
}

std::vector<VoucherTotalRow> ListVoucherTotals(CompanyStore& store) {
  std::vector<VoucherTotalRow> rows;
  // One pass over each part table, grouped by voucher: the lines keep no index on their
  // voucher, so a lookup per voucher would read the whole table each time.
  auto& st = store.db().Cached(
      "SELECT v.vch_type, v.vch_no, v.date, COALESCE(ABS(fe.amount), 0), COALESCE(e.debits, 0), "
      "COALESCE(i.n, 0), COALESCE(i.qty, 0) FROM voucher v "
      "LEFT JOIN (SELECT voucher_id, MIN(rowid) AS first, "
      "SUM(CASE WHEN amount_type = 1 THEN ABS(amount) ELSE 0 END) AS debits "
      "FROM voucher_entry GROUP BY voucher_id) e ON e.voucher_id = v.id "
      "LEFT JOIN voucher_entry fe ON fe.rowid = e.first "
      "LEFT JOIN (SELECT voucher_id, COUNT(*) AS n, SUM(qty) AS qty FROM voucher_item "
      "GROUP BY voucher_id) i ON i.voucher_id = v.id "
      "ORDER BY v.date, v.id");
  while (st.Step()) {
    VoucherTotalRow r;
    r.type = static_cast<int>(st.Int(0));
    r.number = st.Text(1);
    r.date = Date::FromSerial(static_cast<int32_t>(st.Int(2)));
    r.first_entry = st.Real(3);
    r.debit_total = st.Real(4);
    r.item_lines = st.Int(5);
    r.item_quantity = st.Real(6);
    rows.push_back(std::move(r));
  }
  st.Reset();
  return rows;
}

std::vector<VoucherRow> ListVouchers(CompanyStore& store, std::optional<int> type) {
  std::vector<VoucherRow> rows;
  // Counted per voucher in one pass over each part table: no index on the voucher of a line
  // is kept, so that saving stays cheap.
  auto& st = store.db().Cached(
      "SELECT v.id, v.vch_type, s.name, v.vch_no, v.date, COALESCE(p.name, ''), "
      "COALESCE(mc.name, ''), COALESCE(i.n, 0), COALESCE(e.n, 0), COALESCE(ABS(fe.amount), 0) "
      "FROM voucher v JOIN series s ON s.code = v.series_code "
      "LEFT JOIN master p ON p.code = v.party_code LEFT JOIN master mc ON mc.code = v.mc_code "
      "LEFT JOIN (SELECT voucher_id, COUNT(*) AS n FROM voucher_item GROUP BY voucher_id) i "
      "ON i.voucher_id = v.id "
      "LEFT JOIN (SELECT voucher_id, COUNT(*) AS n, MIN(rowid) AS first FROM voucher_entry "
      "GROUP BY voucher_id) e ON e.voucher_id = v.id "
      "LEFT JOIN voucher_entry fe ON fe.rowid = e.first "
      "WHERE ?1 IS NULL OR v.vch_type = ?1 ORDER BY v.date, v.id");
  if (type)
    st.Bind(1, *type);
  else
    st.BindNull(1);
  while (st.Step()) {
    VoucherRow r;
    r.id = st.Int(0);
    r.type = static_cast<int>(st.Int(1));
    r.series = st.Text(2);
    r.number = st.Text(3);
    r.date = Date::FromSerial(static_cast<int32_t>(st.Int(4))).ToText();
    r.party = st.Text(5);
    r.material_centre = st.Text(6);
    r.item_lines = static_cast<int>(st.Int(7));
    r.entries = static_cast<int>(st.Int(8));
    r.amount = st.Real(9);
    rows.push_back(std::move(r));
  }
  st.Reset();
  return rows;
}

TrialBalance ComputeTrialBalance(CompanyStore& store) {
  std::map<int64_t, TrialBalanceRow> by_code;
  auto& ledgers = store.db().Cached(
      "SELECT m.code, m.name, COALESCE(g.name, ''), m.op_bal FROM master m "
      "LEFT JOIN master g ON g.code = m.parent_code WHERE m.kind = 2");
  std::map<int64_t, TrialBalanceRow> all;
  while (ledgers.Step()) {
    TrialBalanceRow r;
    r.ledger = ledgers.Text(1);
    r.group = ledgers.Text(2);
    r.opening = ledgers.Real(3);
    all[ledgers.Int(0)] = r;
  }
  ledgers.Reset();
  auto& moves = store.db().Cached(
      "SELECT ledger_code, SUM(CASE WHEN amount < 0 THEN -amount ELSE 0 END), "
      "SUM(CASE WHEN amount > 0 THEN amount ELSE 0 END) FROM voucher_entry GROUP BY ledger_code");
  while (moves.Step()) {
    auto it = all.find(moves.Int(0));
    if (it == all.end()) continue;
    it->second.debit = moves.Real(1);
    it->second.credit = moves.Real(2);
  }
  moves.Reset();

  TrialBalance tb;
  for (auto& [code, r] : all) {
    if (r.opening == 0 && r.debit == 0 && r.credit == 0) continue;
    tb.rows.push_back(r);
  }
  std::sort(tb.rows.begin(), tb.rows.end(), [](const TrialBalanceRow& a, const TrialBalanceRow& b) {
    return CompareNoCase(a.ledger, b.ledger) < 0;
  });
  double opening_sum = 0;
  for (const TrialBalanceRow& r : tb.rows) {
    if (r.opening < 0)
      tb.opening_debit -= r.opening;
    else
      tb.opening_credit += r.opening;
    opening_sum += r.opening;
    tb.debit += r.debit;
    tb.credit += r.credit;
    double closing = r.Closing();
    if (closing < 0)
      tb.closing_debit -= closing;
    else
      tb.closing_credit += closing;
  }
  // The opening balances need not agree; what they lack is shown apart and completes the totals.
  tb.opening_difference = std::fabs(opening_sum) < 0.005 ? 0 : -opening_sum;
  if (tb.opening_difference < 0) {
    tb.opening_debit -= tb.opening_difference;
    tb.closing_debit -= tb.opening_difference;
  } else {
    tb.opening_credit += tb.opening_difference;
    tb.closing_credit += tb.opening_difference;
  }
  return tb;
}

std::vector<StockRow> ComputeStockSummary(CompanyStore& store) {
  std::map<std::pair<int64_t, int64_t>, StockRow> rows;
  std::map<int64_t, std::string> names;
  auto& n = store.db().Cached("SELECT code, name FROM master WHERE kind IN (6, 11)");
  while (n.Step()) names[n.Int(0)] = n.Text(1);
  n.Reset();
  auto row = [&](int64_t item, int64_t mc) -> StockRow& {
    StockRow& r = rows[{item, mc}];
    if (r.item.empty()) {
      r.item = names[item];
      r.material_centre = names.count(mc) ? names[mc] : "";
    }
    return r;
  };
  auto& open = store.db().Cached(
      "SELECT item_code, mc_code, SUM(qty), SUM(amount) FROM item_opening GROUP BY 1, 2");
  while (open.Step()) {
    StockRow& r = row(open.Int(0), open.Int(1));
    r.opening += open.Real(2);
    r.opening_amount += open.Real(3);
  }
  open.Reset();
  auto& moves = store.db().Cached(
      "SELECT i.item_code, COALESCE(i.mc_code, 0), v.vch_type, i.is_return, SUM(i.qty) "
      "FROM voucher_item i JOIN voucher v ON v.id = i.voucher_id GROUP BY 1, 2, 3, 4");
  while (moves.Step()) {
    int type = static_cast<int>(moves.Int(2));
    bool inward = type == 2 || type == 3 || type == 4;
    bool outward = type == 9 || type == 10 || type == 11;
    if (!inward && !outward) continue;             // orders and other types move no stock here
    if (moves.Int(3)) std::swap(inward, outward);  // a returned line moves the other way
    StockRow& r = row(moves.Int(0), moves.Int(1));
    (inward ? r.inward : r.outward) += moves.Real(4);
  }
  moves.Reset();
  std::vector<StockRow> out;
  for (auto& [key, r] : rows) out.push_back(r);
  std::sort(out.begin(), out.end(), [](const StockRow& a, const StockRow& b) {
    int c = CompareNoCase(a.item, b.item);
    return c != 0 ? c < 0 : CompareNoCase(a.material_centre, b.material_centre) < 0;
  });
  return out;
}

void ForEachJournalRow(CompanyStore& store, const std::function<void(const JournalRow&)>& f) {
  auto& st = store.db().Cached(
      "SELECT seq, at, operation, kind, text, accepted, message FROM journal ORDER BY seq");
  JournalRow r;
  while (st.Step()) {
    r.seq = st.Int(0);
    r.at = st.Text(1);
    r.operation = st.Text(2);
    r.kind = st.IsNull(3) ? std::nullopt : std::optional<int>(static_cast<int>(st.Int(3)));
    r.text = st.IsBlob(4) ? UnpackJournalText(st.Blob(4)) : st.Text(4);
    r.accepted = st.Int(5) != 0;
    r.message = st.Text(6);
    f(r);
  }
  st.Reset();
}

std::vector<JournalRow> ReadJournal(CompanyStore& store) {
  std::vector<JournalRow> rows;
  ForEachJournalRow(store, [&](const JournalRow& r) { rows.push_back(r); });
  return rows;
}

std::string RenderMasters(const std::vector<MasterRow>& rows, bool json) {
  if (json) {
    std::string out = "[";
    for (size_t i = 0; i < rows.size(); ++i) {
      const MasterRow& r = rows[i];
      out += (i ? ",\n " : "") + std::string("{\"code\":") + std::to_string(r.code) +
             ",\"kind\":" + std::to_string(r.kind) +
             ",\"kind_name\":" + JsonString(KindName(r.kind)) + ",\"name\":" + JsonString(r.name) +
             ",\"parent\":" + JsonString(r.parent);
      if (r.kind == 2) out += ",\"opening_balance\":" + JsonNumber(r.opening_balance);
      out += "}";
    }
    return out + "]\n";
  }
  std::vector<std::vector<std::string>> cells;
  for (const MasterRow& r : rows) {
    cells.push_back({std::to_string(r.code), KindName(r.kind), r.name, r.parent,
                     r.kind == 2 ? DebitCell(r.opening_balance) : "",
                     r.kind == 2 ? CreditCell(r.opening_balance) : ""});
  }
  return Table({"Code", "Kind", "Name", "Parent", "Opening Dr", "Opening Cr"},
               {true, false, false, false, true, true}, cells);
}

std::string RenderVouchers(const std::vector<VoucherRow>& rows, bool json) {
  if (json) {
    std::string out = "[";
    for (size_t i = 0; i < rows.size(); ++i) {
      const VoucherRow& r = rows[i];
      out += (i ? ",\n " : "") + std::string("{\"id\":") + std::to_string(r.id) +
             ",\"type\":" + std::to_string(r.type) +
             ",\"type_name\":" + JsonString(VoucherTypeDisplayName(r.type)) +
             ",\"series\":" + JsonString(r.series) + ",\"number\":" + JsonString(r.number) +
             ",\"date\":" + JsonString(r.date) + ",\"party\":" + JsonString(r.party) +
             ",\"material_centre\":" + JsonString(r.material_centre) +
             ",\"item_lines\":" + std::to_string(r.item_lines) +
             ",\"entries\":" + std::to_string(r.entries) + ",\"amount\":" + JsonNumber(r.amount) +
             "}";
    }
    return out + "]\n";
  }
  std::vector<std::vector<std::string>> cells;
  for (const VoucherRow& r : rows) {
    cells.push_back({r.date, VoucherTypeDisplayName(r.type), r.series, r.number, r.party,
                     r.material_centre, std::to_string(r.item_lines), Fixed2(r.amount)});
  }
  return Table({"Date", "Type", "Series", "No.", "Party", "Material centre", "Items", "Amount"},
               {false, false, false, false, false, false, true, true}, cells);
}

std::string RenderTrialBalance(const TrialBalance& tb, bool json) {
  if (json) {
    std::string out = "{\"ledgers\":[";
    for (size_t i = 0; i < tb.rows.size(); ++i) {
      const TrialBalanceRow& r = tb.rows[i];
      out += (i ? ",\n " : "") + std::string("{\"ledger\":") + JsonString(r.ledger) +
             ",\"group\":" + JsonString(r.group) + ",\"opening\":" + JsonNumber(r.opening) +
             ",\"debit\":" + JsonNumber(r.debit) + ",\"credit\":" + JsonNumber(r.credit) +
             ",\"closing\":" + JsonNumber(r.Closing()) + "}";
    }
    out += "],\n\"opening_difference\":" + JsonNumber(tb.opening_difference) +
           ",\"totals\":{\"opening_debit\":" + JsonNumber(tb.opening_debit) +
           ",\"opening_credit\":" + JsonNumber(tb.opening_credit) +
           ",\"debit\":" + JsonNumber(tb.debit) + ",\"credit\":" + JsonNumber(tb.credit) +
           ",\"closing_debit\":" + JsonNumber(tb.closing_debit) +
           ",\"closing_credit\":" + JsonNumber(tb.closing_credit) + "}}\n";
    return out;
  }
  std::vector<std::vector<std::string>> cells;
  for (const TrialBalanceRow& r : tb.rows) {
    cells.push_back({r.ledger, r.group, DebitCell(r.opening), CreditCell(r.opening),
                     r.debit ? Fixed2(r.debit) : "", r.credit ? Fixed2(r.credit) : "",
                     DebitCell(r.Closing()), CreditCell(r.Closing())});
  }
  if (tb.opening_difference != 0) {
    cells.push_back({"Difference in opening balances", "", DebitCell(tb.opening_difference),
                     CreditCell(tb.opening_difference), "", "", DebitCell(tb.opening_difference),
                     CreditCell(tb.opening_difference)});
  }
  cells.push_back({"Total", "", Fixed2(tb.opening_debit), Fixed2(tb.opening_credit),
                   Fixed2(tb.debit), Fixed2(tb.credit), Fixed2(tb.closing_debit),
                   Fixed2(tb.closing_credit)});
  return Table({"Ledger", "Group", "Opening Dr", "Opening Cr", "Debit", "Credit", "Closing Dr",
                "Closing Cr"},
               {false, false, true, true, true, true, true, true}, cells);
}

std::string RenderStockSummary(const std::vector<StockRow>& rows, bool json) {
  if (json) {
    std::string out = "[";
    for (size_t i = 0; i < rows.size(); ++i) {
      const StockRow& r = rows[i];
      out += (i ? ",\n " : "") + std::string("{\"item\":") + JsonString(r.item) +
             ",\"material_centre\":" + JsonString(r.material_centre) +
             ",\"opening\":" + JsonNumber(r.opening) +
             ",\"opening_amount\":" + JsonNumber(r.opening_amount) +
             ",\"inward\":" + JsonNumber(r.inward) + ",\"outward\":" + JsonNumber(r.outward) +
             ",\"closing\":" + JsonNumber(r.Closing()) + "}";
    }
    return out + "]\n";
  }
  std::vector<std::vector<std::string>> cells;
  for (const StockRow& r : rows) {
    cells.push_back({r.item, r.material_centre, Quantity(r.opening), Fixed2(r.opening_amount),
                     Quantity(r.inward), Quantity(r.outward), Quantity(r.Closing())});
  }
  return Table(
      {"Item", "Material centre", "Opening", "Opening value", "Inward", "Outward", "Closing"},
      {false, false, true, true, true, true, true}, cells);
}

std::string RenderJournalRow(const JournalRow& r, bool json, bool first) {
  if (json) {
    return std::string(first ? "" : ",\n ") + "{\"seq\":" + std::to_string(r.seq) +
           ",\"at\":" + JsonString(r.at) + ",\"operation\":" + JsonString(r.operation) +
           ",\"kind\":" + (r.kind ? std::to_string(*r.kind) : "null") +
           ",\"accepted\":" + (r.accepted ? "true" : "false") +
           ",\"message\":" + JsonString(r.message) + ",\"text\":" + JsonString(r.text) + "}";
  }
  std::string out = "#" + std::to_string(r.seq) + " " + r.at + " " + r.operation;
  if (r.kind) out += " " + std::to_string(*r.kind);
  out += r.accepted ? " accepted" : " refused: " + r.message;
  return out + "\n  " + r.text + "\n";
}

std::string RenderJournal(const std::vector<JournalRow>& rows, bool json) {
  std::string out = json ? "[" : "";
  for (size_t i = 0; i < rows.size(); ++i) out += RenderJournalRow(rows[i], json, i == 0);
  return json ? out + "]\n" : out;
}

}  // namespace vodare::local
