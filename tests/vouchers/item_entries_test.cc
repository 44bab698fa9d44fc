// Item lines of an inventory voucher: the reconciliation bases, returned and free lines,
// batches, descriptions and the line limits.
#include "vouchers/item_entries.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "common/xml.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using testing::At;
using testing::FixedLookups;
using testing::Has;

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

TEST(ReconcileItemAmounts, PackBasisAgreesAndMarksTheBillTaxInclusive) {
  FixedLookups lookups;
  lookups.items["101"] = "Tea";
  Built b;
  Build(b, {Line("25", "10", "40")}, 100, lookups);
  EXPECT_FALSE(b.outcome.not_reconciled);
  EXPECT_TRUE(b.outcome.tax_inclusive);
  EXPECT_FALSE(b.outcome.unit_basis);
  EXPECT_EQ(At(b.root, "ItemEntries/ItemDetail/Qty"), "2.5");
  EXPECT_EQ(At(b.root, "ItemEntries/ItemDetail/Price"), "40");
  EXPECT_EQ(At(b.root, "ItemEntries/ItemDetail/Amt"), "100");
  EXPECT_EQ(At(b.root, "ItemEntries/ItemDetail/QtyAltUnit"), "25");
}

TEST(ReconcileItemAmounts, UnitBasisTakesOverAndNamesTheUnitFromTheBatchTable) {
  FixedLookups lookups;
  lookups.units["101"] = "Kilogrammes";
  Built b;
  Build(b, {Line("25", "10", "40")}, 1000, lookups);
  EXPECT_FALSE(b.outcome.not_reconciled);
  EXPECT_TRUE(b.outcome.unit_basis);
  EXPECT_EQ(At(b.root, "ItemEntries/ItemDetail/Qty"), "25");
  EXPECT_EQ(At(b.root, "ItemEntries/ItemDetail/Amt"), "1000");
  EXPECT_EQ(At(b.root, "ItemEntries/ItemDetail/tmpMainUnitName"), "Kilogramme");
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

TEST(AddItemEntries, UnreconciledLinesAreRebuiltFromTheirAmountsAndZeroRatesLeftOut) {
  FixedLookups lookups;
  std::vector<ItemLine> lines = {Line("3", "0", "20", "90"), Line("4", "0", "0", "50"),
                                 Line("1", "0", "5", "5")};
  lines[0].svdis = "10";
  Built b;
  Build(b, lines, 5000, lookups);
  EXPECT_TRUE(b.outcome.not_reconciled);
  auto details = b.root.select_nodes("ItemEntries/ItemDetail");
  ASSERT_EQ(details.size(), 2u);
  EXPECT_EQ(At(details[0].node(), "Qty"), "5");
  EXPECT_EQ(At(details[0].node(), "Amt"), "100");
  EXPECT_EQ(At(details[0].node(), "SrNo"), "1");
  EXPECT_EQ(At(details[1].node(), "SrNo"), "2");
  EXPECT_DOUBLE_EQ(b.outcome.discount_total, 10);
}

TEST(AddItemEntries, FreeQuantityOnThePackBasisIsDividedByThePack) {
  FixedLookups lookups;
  std::vector<ItemLine> lines = {Line("20", "10", "40")};
  lines[0].free = "5";
  Built b;
  Build(b, lines, 80, lookups);
  EXPECT_TRUE(b.outcome.free_qty_used);
  pugi::xml_node d = b.root.select_node("ItemEntries/ItemDetail").node();
  EXPECT_EQ(At(d, "Qty"), "2.5");
  EXPECT_EQ(At(d, "Amt"), "80");
  EXPECT_FALSE(Has(d, "QtyAltUnit"));
  EXPECT_EQ(At(d, "ItemDescInfo/tmpSrNo"), "1");
  EXPECT_EQ(At(d, "ItemDescInfo/FreeQty"), "0.5");
  EXPECT_EQ(At(d, "ItemDescInfo/FreeQtyMainUnit"), "0.5");
}

TEST(AddItemEntries, ALineReturnedInASaleIsPositiveInQuantityAndNegativeInAmount) {
  FixedLookups lookups;
  std::vector<ItemLine> lines = {Line("5", "0", "10"), Line("2", "0", "10")};
  lines[1].flg = "R";
  Built sale;
  Build(sale, lines, 30, lookups, 9);
  EXPECT_TRUE(sale.outcome.return_lines);
  pugi::xml_node d = sale.root.select_nodes("ItemEntries/ItemDetail")[1].node();
  EXPECT_EQ(At(d, "Qty"), "2");
  EXPECT_EQ(At(d, "Amt"), "-20");
  EXPECT_EQ(At(d, "NettAmount"), "-20");
  EXPECT_EQ(At(d, "IsReturnQty"), "True");

  Built ret;
  Build(ret, lines, 70, lookups, 3);
  EXPECT_FALSE(ret.outcome.return_lines);
  d = ret.root.select_nodes("ItemEntries/ItemDetail")[1].node();
  EXPECT_EQ(At(d, "Amt"), "20");
  EXPECT_FALSE(Has(d, "IsReturnQty"));
}

TEST(AddItemEntries, BatchesDescriptionsAndNamesOfTheLine) {
  FixedLookups lookups;
  lookups.items["101"] = "Soap & <Co> 'Fresh'";
  lookups.centres["7"] = "Back Room";
  lookups.sale_prices["B-7"] = "12.5";
  lookups.packing[101] = std::string(50, 'x');
  std::vector<ItemLine> lines = {Line("2", "0", "10"), Line("1", "0", "10"), Line("1", "0", "10")};
  lines[0].batch = lines[0].batch_raw = "B-7";
  lines[0].godown = "7";
  lines[0].mfd = "01-01-2024";
  lines[0].exp = "";
  lines[0].mrp = "15";
  lines[1].batch = "B-8";
  lines[1].batch_raw = "  B-8";  // two leading blanks: no batch
  lines[1].code = "";
  lines[1].nera = "Loose tea";
  lines[2].code = "";
  Built b;
  Build(b, lines, 40, lookups, 9, 0, 0);
  auto details = b.root.select_nodes("ItemEntries/ItemDetail");
  ASSERT_EQ(details.size(), 3u);
  pugi::xml_node first = details[0].node();
  EXPECT_EQ(At(first, "MC"), "Back Room");
  EXPECT_EQ(At(first, "BatchEntries/BatchDetails/BatchNo"), "B-7");
  EXPECT_EQ(At(first, "BatchEntries/BatchDetails/MfgDate"), "01-01-2024");
  // A batch without an expiry date keeps the element, empty.
  EXPECT_EQ(At(first, "BatchEntries/BatchDetails/ExpiryDate"), "");
  EXPECT_EQ(At(first, "BatchEntries/BatchDetails/ItemMRP"), "15");
  EXPECT_EQ(At(first, "BatchEntries/BatchDetails/SalesPrice"), "12.5");
  EXPECT_EQ(At(first, "ItemDescInfo/Description1"), std::string(40, 'x'));
  EXPECT_EQ(At(first, "ItemDescInfo/Description2"), std::string(10, 'x'));
  EXPECT_FALSE(Has(details[1].node(), "BatchEntries"));
  EXPECT_EQ(At(details[1].node(), "MC"), "MAIN STORE");
  // A line without a nameable item takes its description, then the previous line's name.
  EXPECT_EQ(At(details[1].node(), "ItemName"), "Loose tea");
  EXPECT_EQ(At(details[2].node(), "ItemName"), "Loose tea");
  // The record text escapes what the names hold.
  std::string xml = XmlText(b.root);
  EXPECT_NE(xml.find("<ItemName>Soap &amp; &lt;Co&gt; 'Fresh'</ItemName>"), std::string::npos);
  EXPECT_EQ(xml.find("\n"), std::string::npos);

  Built breakage;
  Build(breakage, lines, 40, lookups, 3, 0, 0, true);
  EXPECT_EQ(At(breakage.root, "ItemEntries/ItemDetail/MC"), "Scrap Store");
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
