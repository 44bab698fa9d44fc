// Item lines of an inventory voucher (the line limit is held by the stage's test).
#include "vouchers/item_entries.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "common/xml.h"
#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using testing::Line;

TEST(ReconcileItemAmounts, TheOrderOfTheBasesDecides) {
  std::vector<ItemLine> lines = {Line("25", "10", "40")};
  double d = 0;
  bool incl = false, unit = false;
  // With the header charges the pack basis agrees but the bill is not tax-inclusive.
  EXPECT_FALSE(ReconcileItemAmounts(lines, 18, 118, d, 9, incl, unit, 0));
  EXPECT_FALSE(incl || unit);
  // A bill of nothing reconciles on the pack basis and leaves the flags alone.
  EXPECT_FALSE(ReconcileItemAmounts(lines, 0, 0, d, 9, incl, unit, 0));
  EXPECT_FALSE(incl || unit);
  // The sales tax alone on top of the pack amount still counts as tax-inclusive.
  EXPECT_FALSE(ReconcileItemAmounts(lines, 0, 130, d, 9, incl, unit, 30));
  EXPECT_TRUE(incl);
  // One rupee either way agrees; more does not.
  EXPECT_TRUE(AmountsAgree(100, 101));
  EXPECT_FALSE(AmountsAgree(100, 101.01));

  // Returned lines and discounts count against the bill: 100 - 20, then 5 - 1 + 2.
  incl = unit = false;
  lines = {Line("10", "0", "10"), Line("2", "0", "10")};
  lines[0].sdiscount = "5";
  lines[1].flg = " r ";
  lines[1].sdiscount = "1";
  lines[1].svdis = "2";
  EXPECT_FALSE(ReconcileItemAmounts(lines, 0, 74, d, 9, incl, unit, 0));
  EXPECT_DOUBLE_EQ(d, 6);
  // In a sale return the flag means nothing: 120 less 5 + 1 + 2.
  EXPECT_FALSE(ReconcileItemAmounts(lines, 0, 112, d, 3, incl, unit, 0));
  EXPECT_DOUBLE_EQ(d, 8);
}

// Each shape of line as tests/data/inventory_item_entries.txt holds it.
TEST(AddItemEntries, EachShapeOfLineGivesTheKeptItemEntries) {
  struct Case {
    const char* name;
    std::vector<ItemLine> lines;
    double bill;
    int16_t type = 9;
    bool breakage = false;
  };
  std::vector<Case> cases = {
      {"pack basis, tax-inclusive", {Line("25", "10", "40")}, 100},
      {"unit basis, unit from the batch table", {Line("25", "10", "40")}, 1000},
      {"not reconciled",
       {Line("3", "0", "20", "90"), Line("4", "0", "0", "50"), Line("1", "0", "5", "5")},
       5000},
      {"free quantity on the pack basis", {Line("20", "10", "40")}, 80},
      {"returned line in a sale", {Line("5", "0", "10"), Line("2", "0", "10")}, 30},
      {"returned flag in a sale return", {Line("5", "0", "10"), Line("2", "0", "10")}, 70, 3},
      {"batches, descriptions and names",
       {Line("2", "0", "10"), Line("1", "0", "10"), Line("1", "0", "10")},
       40},
  };
  cases[2].lines[0].svdis = "10";
  cases[3].lines[0].free = "5";
  cases[4].lines[1].flg = cases[5].lines[1].flg = "R";
  std::vector<ItemLine>& named = cases[6].lines;
  named[0].batch = named[0].batch_raw = "B-7";
  named[0].godown = "7";
  named[0].mfd = "01-01-2024";
  named[0].exp = "";  // the batch keeps an empty expiry element
  named[0].mrp = "15";
  named[1].batch = "B-8";
  named[1].batch_raw = "  B-8";  // two leading blanks: no batch
  named[1].code = "";
  named[1].nera = "Loose tea";
  named[2].code = "";
  cases.push_back({"breakage", named, 40, 3, true});
  std::string text;
  for (const Case& c : cases) {
    testing::FixedLookups lookups;
    lookups.items["101"] = c.lines.size() == 3 && c.bill == 40 ? "Soap & <Co> 'Fresh'" : "Tea";
    lookups.units["101"] = "Kilogrammes";
    lookups.centres["7"] = "Back Room";
    lookups.sale_prices["B-7"] = "12.5";
    lookups.packing[101] = std::string(50, 'x');
    RecordWriter record("Sale");
    ItemEntriesOutcome o;
    AddItemEntries(record.root(), c.type, c.lines, 0, c.bill, 0, c.breakage, lookups, o);
    const std::string xml = record.Finish();
    text += std::string("== ") + c.name + "\nfree " + std::to_string(o.free_qty_used) +
            " returns " + std::to_string(o.return_lines) + " incl " +
            std::to_string(o.tax_inclusive) + " unit " + std::to_string(o.unit_basis) +
            " unreconciled " + std::to_string(o.not_reconciled) + " discount " +
            std::to_string(o.discount_total) + "\n";
    for (size_t at = xml.find("<ItemDetail>"), end; at != std::string::npos;
         at = xml.find("<ItemDetail>", end)) {
      end = xml.find("</ItemDetail>", at) + 13;
      text += xml.substr(at, end - at) + "\n";
    }
  }
  testing::ExpectGolden("inventory_item_entries.txt", text);
}

// Lines that cannot make a record fail the voucher.
TEST(AddItemEntries, LinesThatCannotBeWrittenAreTheVouchersRunTimeError) {
  for (const std::vector<ItemLine>& lines : std::vector<std::vector<ItemLine>>{
           {}, {Line("1e300", "1e-300", "1")}, {Line("", "0", "1")}}) {
    testing::FixedLookups lookups;
    RecordWriter record("Sale");
    ItemEntriesOutcome o;
    try {
      AddItemEntries(record.root(), 9, lines, 0, 100, 0, false, lookups, o);
      ADD_FAILURE() << "no run-time error for " << lines.size() << " lines";
    } catch (const RunTimeError& e) {
      if (lines.empty()) {
        EXPECT_STREQ(e.Description(), kNoCurrentRecord);
      }
    }
  }
}

}  // namespace
}  // namespace vodare
