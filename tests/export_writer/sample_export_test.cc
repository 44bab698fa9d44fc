// The sample export is what the demo, the benchmarks and many stage tests run on: these tests
// hold it to the columns the stages read and to books that add up. What it holds (the awkward
// records, codes that exist, dates in the year) is pinned by the kept journal of a sample run.

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
TEST_F(SampleExportTest, ColumnsComparedAsNumbersAreNumericAndThoseQuotedAreText) {
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

TEST(SampleExport, SameOptionsGiveIdenticalFilesAndAnotherSeedOtherOnes) {
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

// Each inventory voucher: its lines, taxes and charges make its bill, and its ledger postings
// balance with the party carrying the bill.
TEST_F(SampleExportTest, InventoryVouchersAddUpAndPostTheirBill) {
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

TEST_F(SampleExportTest, LedgerVouchersBalanceAndOneRowVouchersNameBothSides) {
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

TEST(SampleExport, ScalesWithTheVoucherCountAndTheMasterCounts) {
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

TEST(SampleExport, AFolderThatCannotBeMadeIsAnError) {
  fs::path file = fs::temp_directory_path() / ("vodare_sample_file_" + std::to_string(::getpid()));
  { std::ofstream(file) << "x"; }
  EXPECT_THROW(WriteSampleExport((file / "sub").string(), SampleExportOptions()),
               std::runtime_error);
  fs::remove(file);
}

}  // namespace
}  // namespace vodare
