// The sample export is what the demo, the benchmarks and many stage tests run on: these tests
// hold it to the columns the stages read and to books that add up.

#include "export_writer/sample_export.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/helpers.h"
#include "common/text.h"
#include "source/dbf.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

// One table read whole through the project's reader.
struct LoadedTable {
  std::vector<DbfField> fields;
  std::vector<std::vector<Value>> rows;
  uint32_t header_count = 0;

  int Col(std::string_view name) const {
    for (size_t i = 0; i < fields.size(); ++i)
      if (EqualsNoCase(fields[i].name, name)) return static_cast<int>(i);
    return -1;
  }
  const Value& At(size_t row, std::string_view name) const {
    int c = Col(name);
    if (c < 0) throw std::runtime_error("no column " + std::string(name));
    return rows[row][static_cast<size_t>(c)];
  }
  std::string Str(size_t row, std::string_view name) const { return NzText(At(row, name)); }
  double Num(size_t row, std::string_view name) const {
    const Value& v = At(row, name);
    return v.IsNull() ? 0.0 : v.ToDouble();
  }
  // Paise, so that sums are exact.
  int64_t Paise(size_t row, std::string_view name) const {
    return std::llround(Num(row, name) * 100.0);
  }
  // Whether some row r makes pred(r) true.
  template <typename Pred>
  bool Any(Pred pred) const {
    for (size_t r = 0; r < rows.size(); ++r)
      if (pred(r)) return true;
    return false;
  }
};

LoadedTable Load(const fs::path& file) {
  LoadedTable t;
  DbfReader reader(file.string());
  t.fields = reader.header().fields;
  t.header_count = reader.header().record_count;
  std::vector<Value> row;
  while (reader.Next(row)) t.rows.push_back(row);
  return t;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::vector<std::string> kTableFiles = {
    "pro.dbf",     "probat.dbf", "ACGROUP.dbf", "order.dbf", "SaleType.dbf",
    "support.dbf", "mdis.dbf",   "dis.dbf",     "pend.dbf",  "Gledger.dbf"};

class SampleExportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ =
        new fs::path(fs::temp_directory_path() / ("vodare_sample_" + std::to_string(::getpid())));
    fs::remove_all(*dir_);
    SampleExportOptions options;
    options.vouchers = 600;
    summary_ = new SampleExportSummary(WriteSampleExport(dir_->string(), options));
    tables_ = new std::map<std::string, LoadedTable>();
    for (const std::string& f : kTableFiles) (*tables_)[f] = Load(*dir_ / f);
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
    delete summary_;
    delete tables_;
  }
  static const LoadedTable& T(const std::string& file) { return tables_->at(file); }

  static fs::path* dir_;
  static SampleExportSummary* summary_;
  static std::map<std::string, LoadedTable>* tables_;
};
fs::path* SampleExportTest::dir_ = nullptr;
SampleExportSummary* SampleExportTest::summary_ = nullptr;
std::map<std::string, LoadedTable>* SampleExportTest::tables_ = nullptr;

// The columns the stages read are held by the stage tests that run on the sample
// (MastersOnTheSample, SampleStage): a missing column fails their queries. The types of the
// columns the queries compare without quotes are held here, as a wrong type only changes results.
TEST_F(SampleExportTest, columns_compared_as_numbers_are_numeric_and_those_quoted_are_text) {
  const std::map<std::string, std::map<std::string, char>> types = {
      {"pro.dbf", {{"code", 'N'}, {"billname", 'C'}}},
      {"probat.dbf", {{"code", 'N'}, {"BatchNo", 'C'}, {"Mfd", 'D'}}},
      {"ACGROUP.dbf", {{"ORDNO", 'C'}}},
      {"order.dbf", {{"ordno", 'C'}, {"Date", 'D'}, {"OPNING", 'N'}}},
      {"SaleType.dbf", {{"Scode", 'C'}, {"Sgcode", 'C'}}},
      {"support.dbf", {{"LCODE", 'C'}, {"PCode", 'N'}}},
      {"mdis.dbf", {{"vcn", 'C'}, {"Challan", 'C'}, {"ChDate", 'D'}, {"Voucher", 'N'}}},
      {"dis.dbf", {{"Voucher", 'N'}, {"code", 'N'}, {"Ammmount", 'N'}}},
      {"pend.dbf", {{"Voucher", 'N'}, {"Ddate", 'D'}}},
      {"Gledger.dbf", {{"Voucher", 'N'}, {"Date", 'D'}, {"DEBIT", 'N'}}},
  };
  for (const auto& [file, columns] : types) {
    const LoadedTable& t = T(file);
    for (const auto& [c, type] : columns) {
      ASSERT_GE(t.Col(c), 0) << file << " lacks " << c;
      EXPECT_EQ(t.fields[static_cast<size_t>(t.Col(c))].type, type) << file << "." << c;
    }
  }
}

TEST_F(SampleExportTest, summary_counts_the_live_rows_and_the_voucher_count_is_kept) {
  for (const std::string& f : kTableFiles)
    EXPECT_EQ(summary_->RowsOf(f), static_cast<int64_t>(T(f).rows.size())) << f;
  EXPECT_EQ(T("mdis.dbf").rows.size(), 600u);
  // About five lines a voucher.
  EXPECT_GT(T("dis.dbf").rows.size(), 600u * 4);
  EXPECT_LT(T("dis.dbf").rows.size(), 600u * 6);
  // Deleted records are in the files but not among the live rows.
  EXPECT_GT(T("pro.dbf").header_count, T("pro.dbf").rows.size());
  EXPECT_GT(T("order.dbf").header_count, T("order.dbf").rows.size());
  EXPECT_GT(T("dis.dbf").header_count, T("dis.dbf").rows.size());
}

TEST(SampleExport, same_options_give_identical_files_and_another_seed_other_ones) {
  fs::path base = fs::temp_directory_path() / ("vodare_sample_det_" + std::to_string(::getpid()));
  fs::remove_all(base);
  SampleExportOptions options;
  options.vouchers = 150;
  options.seed = 7;
  WriteSampleExport((base / "a").string(), options);
  WriteSampleExport((base / "b").string(), options);
  options.seed = 8;
  WriteSampleExport((base / "c").string(), options);
  bool any_differs = false;
  for (const std::string& f : kTableFiles) {
    std::string a = Bytes(base / "a" / f);
    EXPECT_FALSE(a.empty()) << f;
    EXPECT_EQ(a, Bytes(base / "b" / f)) << f;
    any_differs = any_differs || a != Bytes(base / "c" / f);
  }
  EXPECT_TRUE(any_differs);
  fs::remove_all(base);
}

TEST_F(SampleExportTest, every_voucher_date_lies_in_the_financial_year) {
  Date from = Date::FromYmd(2024, 4, 1), to = Date::FromYmd(2025, 3, 31);
  for (const char* f : {"mdis.dbf", "dis.dbf", "Gledger.dbf"}) {
    const LoadedTable& t = T(f);
    for (size_t r = 0; r < t.rows.size(); ++r) {
      const Value& d = t.At(r, "Date");
      ASSERT_TRUE(d.IsDate()) << f << " row " << r;
      EXPECT_TRUE(d.DateValue() >= from && d.DateValue() <= to) << f << " row " << r;
    }
  }
  const LoadedTable& m = T("mdis.dbf");
  bool first = false, last = false;
  for (size_t r = 0; r < m.rows.size(); ++r) {
    first = first || m.At(r, "Date").DateValue() == from;
    last = last || m.At(r, "Date").DateValue() == to;
  }
  EXPECT_TRUE(first && last);
}

// Each inventory voucher: its lines, taxes and charges make its bill, and its ledger postings
// balance with the party carrying the bill.
TEST_F(SampleExportTest, inventory_vouchers_add_up_and_post_their_bill) {
  const LoadedTable& m = T("mdis.dbf");
  const LoadedTable& d = T("dis.dbf");
  const LoadedTable& g = T("Gledger.dbf");
  std::map<int64_t, int64_t> line_sum, pack_sum, discounts;
  std::map<int64_t, int> line_count;
  for (size_t r = 0; r < d.rows.size(); ++r) {
    int64_t v = std::llround(d.Num(r, "Voucher"));
    bool returned = EqualsNoCase(Trim(d.Str(r, "flg")), "R");
    line_sum[v] += returned ? -d.Paise(r, "Ammmount") : d.Paise(r, "Ammmount");
    ++line_count[v];
    // what the rates give when read per pack, as the voucher stage first tries
    double pack = d.Num(r, "pack");
    double qp = pack != 0 ? d.Num(r, "qty") / pack : d.Num(r, "qty");
    int64_t amount = std::llround(d.Num(r, "rate") * qp * 100.0);
    int64_t disc = d.Paise(r, "Sdiscount");
    if (returned) amount = -amount, disc = -disc;
    pack_sum[v] += amount;
    discounts[v] += disc + d.Paise(r, "svdis") + d.Paise(r, "svdis1");
  }
  std::map<int64_t, std::vector<size_t>> postings;
  for (size_t r = 0; r < g.rows.size(); ++r)
    postings[std::llround(g.Num(r, "Voucher"))].push_back(r);

  int checked = 0, reconciled_by_pack = 0, without_lines = 0;
  for (size_t r = 0; r < m.rows.size(); ++r) {
    int64_t v = std::llround(m.Num(r, "Voucher"));
    std::string type = m.Str(r, "Type");
    if (!line_count.count(v)) {
      ++without_lines;
      continue;
    }
    if (type == "D" || type == "L") {
      EXPECT_FALSE(postings.count(v)) << "challan " << v << " has ledger postings";
      EXPECT_FALSE(m.Str(r, "Challan").empty());
      continue;
    }
    int64_t bill = m.Paise(r, "final") + m.Paise(r, "cash");
    int64_t charges = m.Paise(r, "Freight") + m.Paise(r, "Packing") + m.Paise(r, "Other") +
                      m.Paise(r, "staxamo") + m.Paise(r, "Round");
    int64_t tax = m.Paise(r, "taxamo");
    int64_t lines = line_sum[v];
    EXPECT_TRUE(lines + tax + charges == bill || lines + charges == bill)
        << "voucher " << v << ": lines " << lines << " tax " << tax << " charges " << charges
        << " bill " << bill;
    EXPECT_EQ(bill % 100, 0) << "bills are rounded to whole rupees, voucher " << v;
    int64_t cgst = m.Paise(r, "Cgstamo");
    EXPECT_TRUE(cgst == 0 || tax == 2 * cgst) << "voucher " << v;

    // Postings: balanced, of the voucher's own type, the party's first row carries the bill.
    ASSERT_TRUE(postings.count(v)) << "voucher " << v << " has no ledger postings";
    int64_t sum = 0;
    for (size_t p : postings[v]) {
      sum += g.Paise(p, "DEBIT") - g.Paise(p, "CREDIT");
      EXPECT_EQ(g.Str(p, "Type"), type);
    }
    EXPECT_EQ(sum, 0) << "voucher " << v;
    size_t first = postings[v].front();
    EXPECT_EQ(g.Str(first, "code"), m.Str(r, "Codep"));
    EXPECT_EQ(g.Paise(first, "DEBIT") + g.Paise(first, "CREDIT"), bill);

    // The rates, read per pack, give the amounts back in nearly every voucher.
    int64_t header = charges + tax;
    int64_t net = pack_sum[v] - discounts[v];
    if (std::llabs(net + header - bill) <= 100 || std::llabs(net - bill) <= 100)
      ++reconciled_by_pack;
    ++checked;
  }
  EXPECT_EQ(without_lines, 1);  // the one header whose lines are missing
  EXPECT_GT(checked, 400);
  EXPECT_GT(reconciled_by_pack, checked * 9 / 10);
  EXPECT_LT(reconciled_by_pack, checked);  // and a few that do not, on purpose
}

TEST_F(SampleExportTest, ledger_vouchers_balance_and_one_row_vouchers_name_both_sides) {
  const LoadedTable& g = T("Gledger.dbf");
  std::map<int64_t, int64_t> sums;
  std::map<int64_t, int> rows;
  int single = 0;
  std::set<std::string> types;
  for (size_t r = 0; r < g.rows.size(); ++r) {
    int64_t v = std::llround(g.Num(r, "Voucher"));
    sums[v] += g.Paise(r, "DEBIT") - g.Paise(r, "CREDIT");
    ++rows[v];
    types.insert(g.Str(r, "Type"));
    EXPECT_TRUE(g.Paise(r, "DEBIT") == 0 || g.Paise(r, "CREDIT") == 0) << "row " << r;
  }
  for (const auto& [v, n] : rows) {
    if (n == 1) {
      ++single;
      continue;
    }
    EXPECT_EQ(sums[v], 0) << "voucher " << v;
  }
  EXPECT_EQ(single, 1);
  for (size_t r = 0; r < g.rows.size(); ++r)
    if (rows[std::llround(g.Num(r, "Voucher"))] == 1) {
      EXPECT_FALSE(g.Str(r, "code1").empty());
    }
  for (const char* t : {"C", "G", "D", "Z", "z", "S", "P", "R", "W", "B", "U"})
    EXPECT_TRUE(types.count(t)) << t;
  EXPECT_TRUE(types.count("F") || types.count("YF"));
}

TEST_F(SampleExportTest, every_code_a_voucher_or_master_names_exists) {
  std::set<std::string> accounts, groups, godowns, sale_types;
  const LoadedTable& o = T("order.dbf");
  for (size_t r = 0; r < o.rows.size(); ++r) accounts.insert(Trim(o.Str(r, "ordno")));
  const LoadedTable& a = T("ACGROUP.dbf");
  for (size_t r = 0; r < a.rows.size(); ++r) groups.insert(Trim(a.Str(r, "ORDNO")));
  const LoadedTable& s = T("SaleType.dbf");
  for (size_t r = 0; r < s.rows.size(); ++r) {
    sale_types.insert(s.Str(r, "Sgcode") + "|" + s.Str(r, "Scode"));
    if (s.Str(r, "Sgcode") == "GODWON") godowns.insert(s.Str(r, "Scode"));
  }
  std::set<int64_t> items;
  const LoadedTable& p = T("pro.dbf");
  for (size_t r = 0; r < p.rows.size(); ++r) {
    items.insert(std::llround(p.Num(r, "code")));
    for (auto [col, group] : {std::pair{"Gcode", "ZZZZZZ"},
                              {"Gcode3", "SALT"},
                              {"Gcode5", "CATEGO"},
                              {"Gcode6", "COMMCD"}})
      EXPECT_TRUE(sale_types.count(std::string(group) + "|" + p.Str(r, col)))
          << "item " << p.Str(r, "code") << " " << col;
  }
  for (size_t r = 0; r < o.rows.size(); ++r) {
    EXPECT_TRUE(groups.count(o.Str(r, "scode"))) << o.Str(r, "ordno");
    std::string mr = o.Str(r, "Mr");
    if (!mr.empty()) {
      EXPECT_TRUE(accounts.count(mr));
    }
  }
  const LoadedTable& m = T("mdis.dbf");
  for (size_t r = 0; r < m.rows.size(); ++r) {
    EXPECT_TRUE(accounts.count(m.Str(r, "Codep"))) << m.Str(r, "Codep");
    EXPECT_TRUE(godowns.count(m.Str(r, "Godwon"))) << m.Str(r, "Godwon");
    for (const char* c : {"Othun", "Mr", "staxun"})
      if (!m.Str(r, c).empty()) {
        EXPECT_TRUE(accounts.count(m.Str(r, c))) << c;
      }
  }
  const LoadedTable& g = T("Gledger.dbf");
  for (size_t r = 0; r < g.rows.size(); ++r)
    for (const char* c : {"code", "code1", "Mr"})
      if (!g.Str(r, c).empty()) {
        EXPECT_TRUE(accounts.count(g.Str(r, c))) << c << " row " << r;
      }
  const LoadedTable& d = T("dis.dbf");
  int unknown = 0;
  for (size_t r = 0; r < d.rows.size(); ++r)
    if (!items.count(std::llround(d.Num(r, "code")))) ++unknown;
  EXPECT_EQ(unknown, 1);  // the one line with an item code the catalogue lost
  // Every pend row belongs to a voucher that has ledger postings.
  std::set<int64_t> ledger_vouchers;
  for (size_t r = 0; r < g.rows.size(); ++r)
    ledger_vouchers.insert(std::llround(g.Num(r, "Voucher")));
  const LoadedTable& pe = T("pend.dbf");
  for (size_t r = 0; r < pe.rows.size(); ++r)
    EXPECT_TRUE(ledger_vouchers.count(std::llround(pe.Num(r, "Voucher")))) << "pend row " << r;
}

TEST_F(SampleExportTest, holds_the_awkward_records_real_exports_hold) {
  // The company name where the program reads it.
  const LoadedTable& sup = T("support.dbf");
  EXPECT_TRUE(sup.Any([&](size_t r) {
    return sup.Str(r, "Aliase") == "ZORAVIZED3" && sup.Str(r, "Remark") == kSampleCompanyName;
  }));

  auto names = [&](const std::string& file, const char* column) {
    std::vector<std::string> out;
    const LoadedTable& t = T(file);
    for (size_t r = 0; r < t.rows.size(); ++r) out.push_back(t.Str(r, column));
    return out;
  };
  auto any = [](const std::vector<std::string>& v, auto pred) {
    return std::any_of(v.begin(), v.end(), pred);
  };
  for (auto [file, column] :
       {std::pair{"pro.dbf", "billname"}, {"order.dbf", "Parnam"}, {"ACGROUP.dbf", "PARNAM"}}) {
    std::vector<std::string> v = names(file, column);
    SCOPED_TRACE(file);
    EXPECT_TRUE(any(v, [](const std::string& s) { return Len(s) > 40; }));
    EXPECT_TRUE(any(v, [](const std::string& s) { return s.find('&') != std::string::npos; }));
    EXPECT_TRUE(any(v, [](const std::string& s) { return s.find('<') != std::string::npos; }));
    EXPECT_TRUE(any(v, [](const std::string& s) { return s.find('\'') != std::string::npos; }));
    // names met twice, exactly or only in letter case
    std::map<std::string, int> seen;
    for (const std::string& s : v)
      if (!s.empty()) ++seen[UCase(s)];
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](auto& e) { return e.second >= 2; }));
  }
  std::vector<std::string> items = names("pro.dbf", "billname");
  EXPECT_EQ(std::count(items.begin(), items.end(), "SOAP") +
                std::count(items.begin(), items.end(), "soap") +
                std::count(items.begin(), items.end(), "Soap"),
            3);
  EXPECT_TRUE(any(items, [](const std::string& s) { return s.empty(); }));
  EXPECT_TRUE(any(items, [](const std::string& s) { return s.find("Crème") == 0; }));

  // A blank opening balance and a blank GST rate.
  const LoadedTable& o = T("order.dbf");
  EXPECT_TRUE(o.Any([&](size_t r) { return o.At(r, "OPNING").IsNull(); }));
  const LoadedTable& p = T("pro.dbf");
  EXPECT_TRUE(p.Any([&](size_t r) { return p.At(r, "Igst").IsNull(); }));

  // A group listed before its parent.
  const LoadedTable& g = T("ACGROUP.dbf");
  std::map<std::string, size_t> position;
  for (size_t r = 0; r < g.rows.size(); ++r) position[g.Str(r, "ORDNO")] = r;
  EXPECT_TRUE(g.Any([&](size_t r) {
    auto it = position.find(g.Str(r, "Group"));
    return it != position.end() && it->second > r;
  }));

  // Batches whose openings do not add up to their item's, and a batch number with two blanks.
  const LoadedTable& b = T("probat.dbf");
  std::map<std::string, double> batch_total;
  for (size_t r = 0; r < b.rows.size(); ++r)
    batch_total[b.Str(r, "BillName")] += b.Num(r, "Opening");
  EXPECT_TRUE(b.Any([&](size_t r) { return StartsWithTwoBlanks(b.Str(r, "BatchNo")); }));
  EXPECT_TRUE(p.Any([&](size_t r) {
    auto it = batch_total.find(p.Str(r, "billname"));
    return it != batch_total.end() && !p.At(r, "Opening").IsNull() &&
           std::fabs(it->second - p.Num(r, "Opening")) > 1e-6;
  }));

  // Vouchers: the same sale number twice on one day, a purchase numbered like a sale, a sale
  // that names a delivery challan, freight with round-off, cash and split settlements.
  const LoadedTable& m = T("mdis.dbf");
  std::map<std::string, int> sale_numbers;
  std::set<std::string> sale_vcns, purchase_vcns, issue_challans;
  for (size_t r = 0; r < m.rows.size(); ++r) {
    std::string type = m.Str(r, "Type"), vcn = m.Str(r, "vcn");
    if (type == "S") {
      ++sale_numbers[vcn + "|" + m.At(r, "Date").ToText()];
      sale_vcns.insert(vcn);
    }
    if (type == "P") purchase_vcns.insert(vcn);
    if (type == "L") issue_challans.insert(m.Str(r, "Challan"));
  }
  EXPECT_TRUE(m.Any([&](size_t r) {
    return m.Str(r, "Type") == "S" && issue_challans.count(m.Str(r, "Challan"));
  }));
  EXPECT_TRUE(m.Any([&](size_t r) { return m.Paise(r, "Freight") && m.Paise(r, "Round"); }));
  EXPECT_TRUE(m.Any([&](size_t r) { return !m.Paise(r, "final") && m.Paise(r, "cash"); }));
  EXPECT_TRUE(m.Any([&](size_t r) { return m.Paise(r, "final") && m.Paise(r, "cash"); }));
  EXPECT_TRUE(m.Any([&](size_t r) {
    return !m.Str(r, "phone").empty() &&
           m.Str(r, "docu").find(m.Str(r, "phone")) != std::string::npos;
  }));
  EXPECT_TRUE(
      std::any_of(sale_numbers.begin(), sale_numbers.end(), [](auto& e) { return e.second >= 3; }));
  EXPECT_TRUE(std::any_of(purchase_vcns.begin(), purchase_vcns.end(),
                          [&](const std::string& v) { return sale_vcns.count(v) > 0; }));

  // Returned and free lines inside a sale.
  const LoadedTable& d = T("dis.dbf");
  EXPECT_TRUE(d.Any([&](size_t r) { return d.Str(r, "flg") == "R"; }));
  EXPECT_TRUE(d.Any([&](size_t r) { return d.Paise(r, "free") != 0; }));
}

TEST(SampleExport, scales_with_the_voucher_count_and_the_master_counts) {
  fs::path dir = fs::temp_directory_path() / ("vodare_sample_scale_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  SampleExportOptions options;
  options.vouchers = 3000;
  options.items = 300;
  options.batches = 500;
  options.ledgers = 120;
  options.ledger_vouchers = 900;
  SampleExportSummary s = WriteSampleExport(dir.string(), options);
  EXPECT_EQ(s.RowsOf("mdis.dbf"), 3000);
  EXPECT_GT(s.RowsOf("dis.dbf"), 3000 * 4);
  EXPECT_GT(s.RowsOf("pro.dbf"), 300);
  EXPECT_LT(s.RowsOf("pro.dbf"), 340);
  EXPECT_GT(s.RowsOf("probat.dbf"), 500);
  EXPECT_LT(s.RowsOf("probat.dbf"), 530);
  EXPECT_GT(s.RowsOf("order.dbf"), 120);
  // Fewer vouchers than the fixed awkward ones still gives those.
  options = SampleExportOptions();
  options.vouchers = 1;
  s = WriteSampleExport((dir / "small").string(), options);
  EXPECT_EQ(s.RowsOf("mdis.dbf"), kSampleFixedVouchers);
  fs::remove_all(dir);
}

TEST(SampleExport, a_folder_that_cannot_be_made_is_an_error) {
  fs::path file = fs::temp_directory_path() / ("vodare_sample_file_" + std::to_string(::getpid()));
  { std::ofstream(file) << "x"; }
  EXPECT_THROW(WriteSampleExport((file / "sub").string(), SampleExportOptions()),
               std::runtime_error);
  fs::remove(file);
}

}  // namespace
}  // namespace vodare
