// Item lines of an inventory voucher: the reconciliation bases, returned and free lines,
// batches, descriptions and the line limits.
#include "vouchers/item_entries.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "common/xml.h"
#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using testing::FixedLookups;

ItemLine Line(std::string qty, std::string pack, std::string rate, std::string amount = "0") {
  ItemLine l;
  l.date = "05-03-2024";
  l.vcn = "S1";
  l.code = "101";
  l.qty = std::move(qty);
  l.pack = std::move(pack);
  l.free = "0";
  l.rate = std::move(rate);
  l.mrp = "0";
  l.sdiscount = l.svdis = l.svdis1 = "0";
  l.amount = std::move(amount);
  return l;
}

struct Built {
  pugi::xml_document doc;
  pugi::xml_node root;
  ItemEntriesOutcome outcome;
};

void Build(Built& b, const std::vector<ItemLine>& lines, double bill, FixedLookups& lookups,
           int16_t type = 9, double header_total = 0, double staxamo = 0, bool breakage = false) {
  b.root = b.doc.append_child("Sale");
  AddItemEntries(b.root, type, lines, header_total, bill, staxamo, breakage, lookups, b.outcome);
}

TEST(ReconcileItemAmounts, TheOrderOfTheBasesDecides) {
  std::vector<ItemLine> lines = {Line("25", "10", "40")};
  double d = 0;
  bool incl = false, unit = false;
  // With the header charges the pack basis agrees but the bill is not tax-inclusive.
  EXPECT_FALSE(ReconcileItemAmounts(lines, 18, 118, d, 9, incl, unit, 0));
  EXPECT_FALSE(incl);
  EXPECT_FALSE(unit);
  // The sales tax alone on top of the pack amount still counts as tax-inclusive.
  incl = unit = false;
  EXPECT_FALSE(ReconcileItemAmounts(lines, 0, 130, d, 9, incl, unit, 30));
  EXPECT_TRUE(incl);
  // A bill of nothing reconciles on the pack basis and leaves the flags alone.
  incl = unit = false;
  EXPECT_FALSE(ReconcileItemAmounts(lines, 0, 0, d, 9, incl, unit, 0));
  EXPECT_FALSE(incl);
  EXPECT_FALSE(unit);
  // One rupee either way agrees; more does not.
  EXPECT_TRUE(AmountsAgree(100, 101));
  EXPECT_FALSE(AmountsAgree(100, 101.01));
}

TEST(ReconcileItemAmounts, ReturnedLinesAndDiscountsCountAgainstTheBill) {
  std::vector<ItemLine> lines = {Line("10", "0", "10"), Line("2", "0", "10")};
  lines[0].sdiscount = "5";
  lines[1].flg = " r ";
  lines[1].sdiscount = "1";
  lines[1].svdis = "2";
  double d = 0;
  bool incl = false, unit = false;
  // 100 - 20 for the returned line; discounts 5 - 1 + 2 = 6.
  EXPECT_FALSE(ReconcileItemAmounts(lines, 0, 74, d, 9, incl, unit, 0));
  EXPECT_DOUBLE_EQ(d, 6);
  // In a sale return the flag means nothing: 120 less 5 + 1 + 2.
  EXPECT_FALSE(ReconcileItemAmounts(lines, 0, 112, d, 3, incl, unit, 0));
  EXPECT_DOUBLE_EQ(d, 8);
}

// Each shape of line as the kept copy tests/data/inventory_item_entries.txt holds it: the basis
// that reconciles (pack, unit, none: rebuilt from the amounts, zero rates left out), free
// quantities divided by the pack, returned lines in a sale and in a return, batches, centres,
// descriptions, names carried from the line before and escaped, the breakage store.
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
    FixedLookups lookups;
    lookups.items["101"] = c.lines.size() == 3 && c.bill == 40 ? "Soap & <Co> 'Fresh'" : "Tea";
    lookups.units["101"] = "Kilogrammes";
    lookups.centres["7"] = "Back Room";
    lookups.sale_prices["B-7"] = "12.5";
    lookups.packing[101] = std::string(50, 'x');
    Built b;
    Build(b, c.lines, c.bill, lookups, c.type, 0, 0, c.breakage);
    const ItemEntriesOutcome& o = b.outcome;
    text += std::string("== ") + c.name + "\nfree " + std::to_string(o.free_qty_used) +
            " returns " + std::to_string(o.return_lines) + " incl " +
            std::to_string(o.tax_inclusive) + " unit " + std::to_string(o.unit_basis) +
            " unreconciled " + std::to_string(o.not_reconciled) + " discount " +
            std::to_string(o.discount_total) + "\n";
    for (pugi::xpath_node d : b.root.select_nodes("ItemEntries/ItemDetail"))
      text += XmlText(d.node()) + "\n";
  }
  testing::ExpectGolden("inventory_item_entries.txt", text);
}

TEST(AddItemEntries, NineHundredNinetyNineLinesAreWrittenAThousandAreNot) {
  FixedLookups lookups;
  std::vector<ItemLine> lines(999, Line("1", "0", "1"));
  Built ok;
  Build(ok, lines, 999, lookups);
  EXPECT_FALSE(ok.outcome.too_many_items);
  EXPECT_EQ(ok.root.select_nodes("ItemEntries/ItemDetail").size(), 999u);

  lines.push_back(Line("1", "0", "1"));
  Built over;
  Build(over, lines, 1000, lookups);
  EXPECT_TRUE(over.outcome.too_many_items);
  EXPECT_FALSE(over.root.first_child());
}

TEST(AddItemEntries, AVoucherWithoutLinesIsARunTimeError) {
  FixedLookups lookups;
  Built b;
  try {
    Build(b, {}, 100, lookups);
    FAIL() << "expected a run-time error";
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.Description(), kNoCurrentRecord);
  }
}

TEST(AddItemEntries, NumbersThatWouldOverflowFailTheVoucherInsteadOfReachingTheRecord) {
  FixedLookups lookups;
  // A pack of almost nothing makes the quantity infinite.
  std::vector<ItemLine> lines = {Line("1e300", "1e-300", "1")};
  Built b;
  EXPECT_THROW(Build(b, lines, 100, lookups), RunTimeError);
  // A blank quantity is not a number.
  Built c;
  EXPECT_THROW(Build(c, {Line("", "0", "1")}, 100, lookups), RunTimeError);
}

}  // namespace
}  // namespace vodare
