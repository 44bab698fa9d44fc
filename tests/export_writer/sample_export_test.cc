// The sample export that the demo and many stage tests run on: its columns and its books.

#include "export_writer/sample_export.h"

#include <map>

#include "common/helpers.h"
#include "source/dbf_test_util.h"
#include "support/golden.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using dbf_test::ReadBytes;
using dbf_test::ScratchDir;
using dbf_test::TableRead;

const std::vector<std::string> kTableFiles = {
    "pro.dbf",     "probat.dbf", "ACGROUP.dbf", "order.dbf", "SaleType.dbf",
    "support.dbf", "mdis.dbf",   "dis.dbf",     "pend.dbf",  "Gledger.dbf"};

int64_t Voucher(const TableRead& t, size_t r) { return t.Paise(r, "Voucher") / 100; }
std::string Str(const TableRead& t, size_t r, const std::string& name) {
  return NzText(t.At(r, name));
}

// One sample of 600 vouchers, written and read once for the tests of this file.
const TableRead& T(const std::string& file) {
  static const ScratchDir dir;
  static const std::map<std::string, TableRead> tables = [] {
    SampleExportOptions options;
    options.vouchers = 600;
    WriteSampleExport(dir.str(), options);
    std::map<std::string, TableRead> read;
    for (const std::string& f : kTableFiles) read[f] = dbf_test::ReadTable(dir / f);
    return read;
  }();
  return tables.at(file);
}

// Types are kept: a column of the wrong type only changes results.
TEST(SampleExport, EveryTableHasTheKeptFields) {
  std::string fields;
  for (const std::string& file : kTableFiles) {
    fields += file + ":";
    for (const DbfField& f : T(file).header.fields)
      fields +=
          " " + f.name + " " + f.type + std::to_string(f.length) + "." + std::to_string(f.decimals);
    fields += "\n";
  }
  testing::ExpectGolden("sample_export_fields.txt", fields);
}

TEST(SampleExport, SameOptionsGiveIdenticalFilesAndAnotherSeedOtherOnes) {
  ScratchDir base;
  SampleExportOptions options;
  options.vouchers = 150;
  options.seed = 7;
  WriteSampleExport(base / "a", options);
  WriteSampleExport(base / "b", options);
  options.seed = 8;
  WriteSampleExport(base / "c", options);
  bool any_differs = false;
  for (const std::string& f : kTableFiles) {
    const std::string a = ReadBytes(base.path() / "a" / f);
    EXPECT_FALSE(a.empty()) << f;
    EXPECT_EQ(a, ReadBytes(base.path() / "b" / f)) << f;
    any_differs = any_differs || a != ReadBytes(base.path() / "c" / f);
  }
  EXPECT_TRUE(any_differs);
}

TEST(SampleExport, InventoryVouchersAddUpAndPostTheirBill) {
  const TableRead& m = T("mdis.dbf");
  const TableRead& d = T("dis.dbf");
  const TableRead& g = T("Gledger.dbf");
  std::map<int64_t, int64_t> line_sum;
  for (size_t r = 0; r < d.rows.size(); ++r) {
    const int64_t v = Voucher(d, r);
    const int sign = EqualsNoCase(Trim(Str(d, r, "flg")), "R") ? -1 : 1;  // a returned line
    line_sum[v] += sign * d.Paise(r, "Ammmount");
  }
  std::map<int64_t, std::vector<size_t>> postings;
  for (size_t r = 0; r < g.rows.size(); ++r) postings[Voucher(g, r)].push_back(r);

  int checked = 0, without_lines = 0;
  for (size_t r = 0; r < m.rows.size(); ++r) {
    const int64_t v = Voucher(m, r);
    const std::string type = Str(m, r, "Type");
    if (!line_sum.count(v)) {
      ++without_lines;
      continue;
    }
    SCOPED_TRACE("voucher " + std::to_string(v));
    if (type == "D" || type == "L") {
      EXPECT_FALSE(postings.count(v)) << "a challan has ledger postings";
      EXPECT_FALSE(Str(m, r, "Challan").empty());
      continue;
    }
    const int64_t bill = m.Paise(r, "final") + m.Paise(r, "cash");
    int64_t charges = 0;
    for (const char* c : {"Freight", "Packing", "Other", "staxamo", "Round"})
      charges += m.Paise(r, c);
    const int64_t tax = m.Paise(r, "taxamo"), lines = line_sum[v];
    EXPECT_TRUE(lines + tax + charges == bill || lines + charges == bill)
        << "lines " << lines << " tax " << tax << " charges " << charges << " bill " << bill;
    EXPECT_EQ(bill % 100, 0) << "bills are rounded to whole rupees";
    EXPECT_TRUE(m.Paise(r, "Cgstamo") == 0 || tax == 2 * m.Paise(r, "Cgstamo"));

    // Postings: balanced, of the voucher's own type, the party's first row carries the bill.
    ASSERT_TRUE(postings.count(v)) << "no ledger postings";
    int64_t sum = 0;
    for (size_t p : postings[v]) {
      sum += g.Paise(p, "DEBIT") - g.Paise(p, "CREDIT");
      EXPECT_EQ(Str(g, p, "Type"), type);
    }
    EXPECT_EQ(sum, 0);
    const size_t first = postings[v].front();
    EXPECT_EQ(Str(g, first, "code"), Str(m, r, "Codep"));
    EXPECT_EQ(g.Paise(first, "DEBIT") + g.Paise(first, "CREDIT"), bill);
    ++checked;
  }
  EXPECT_EQ(without_lines, 1);  // the one header whose lines are missing
  EXPECT_GT(checked, 400);
}

TEST(SampleExport, ScalesWithTheVoucherCountAndTheMasterCounts) {
  ScratchDir dir;
  SampleExportOptions options;
  options.vouchers = 3000;
  options.items = 300;
  options.batches = 500;
  options.ledgers = 120;
  options.ledger_vouchers = 900;
  SampleExportSummary s = WriteSampleExport(dir / "large", options);
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
  EXPECT_EQ(WriteSampleExport(dir / "small", options).RowsOf("mdis.dbf"), kSampleFixedVouchers);
  // A folder that cannot be made is an error.
  dbf_test::WriteBytes(dir.path() / "file", "x");
  EXPECT_THROW(WriteSampleExport(dir / "file/sub", SampleExportOptions()), std::runtime_error);
}

}  // namespace
}  // namespace vodare
