// The master records built from plain values: element order, conditions and escaping.
#include <gtest/gtest.h>

#include "common/run_error.h"
#include "masters/account_groups.h"
#include "masters/items.h"
#include "masters/ledgers.h"
#include "masters/material_centres.h"
#include "masters/opening_stock.h"
#include "masters/record_text.h"

namespace vodare {
namespace {

// Whole records of every kind, as the stages send them, are in the master stages' kept copy.
TEST(AccountGroupRecord, AnEntityInTheNameIsTextAndABlankParentMakesItPrimary) {
  // An entity already in the name is a name of its own, not markup.
  EXPECT_EQ(BuildAccountGroupRecord("A&amp;B\x02", "  "),
            "<AccountGroup><Name>A&amp;amp;B</Name><PrimaryGroup> True </PrimaryGroup>"
            "</AccountGroup>");
}

TEST(AccountGroupRecord, MappedNameIsTheTextAfterTheFirstBar) {
  EXPECT_EQ(GetMappedName("Sundry Debtors|Debtors"), "Debtors");
  EXPECT_EQ(GetMappedName("A|B|C"), "B|C");
  EXPECT_THROW(GetMappedName("no bar"), RunTimeError);
  KeyedCollection<std::string> mapping;
  mapping.Add("Capital", "Capital|Capital Account");
  EXPECT_EQ(ResolveMappedGroup(" capital ", mapping), "Capital Account");
  EXPECT_EQ(ResolveMappedGroup("Other", mapping), "Other");
}

TEST(GroupSaveOrder, ParentsComeBeforeTheirChildren) {
  // C under B under A, listed child first; D stands alone; E's parent never comes.
  std::vector<std::string> names = {"C", "B", "D", "a", "E"};
  std::vector<std::string> parents = {"B", "A", "", "", "Nowhere"};
  std::vector<bool> wanted(5, true);
  EXPECT_EQ(GroupSaveOrder(names, parents, wanted), (std::vector<size_t>{2, 3, 1, 0, 4}));

  // Two children of one later parent keep their table order right after it.
  EXPECT_EQ(GroupSaveOrder({"X1", "X2", "P"}, {"P", "P", ""}, {true, true, true}),
            (std::vector<size_t>{2, 0, 1}));

  // A paired group is not saved, so nothing waits for it; a loop keeps table order at the end.
  EXPECT_EQ(
      GroupSaveOrder({"K", "M", "L1", "L2"}, {"M", "", "L2", "L1"}, {true, false, true, true}),
      (std::vector<size_t>{0, 1, 2, 3}));
  // A group named as its own parent does not wait for itself.
  EXPECT_EQ(GroupSaveOrder({"S"}, {"s"}, {true}), (std::vector<size_t>{0}));
}

TEST(LedgerValues, OpeningBalanceSignAndBlankFields) {
  EXPECT_EQ(LedgerOpeningText(Value(1500.0)), "-1500");
  EXPECT_EQ(LedgerOpeningText(Value(-250.5)), "250.5");
  EXPECT_EQ(LedgerOpeningText(Value(0.0)), "0");
  EXPECT_EQ(LedgerOpeningText(Value()), "");  // no opening balance at all
  EXPECT_EQ(LedgerOpeningText(Value("  ")), "");
  EXPECT_EQ(LedgerOpeningText(Value(" 12.5 ")), "-12.5");
  EXPECT_THROW(LedgerOpeningText(Value("12 Dr")), RunTimeError);
}

TEST(LedgerValues, TaxTypes) {
  EXPECT_EQ(LedgerTaxType("Duties & Taxes", "Output CGST 9%"), "CGST");
  EXPECT_EQ(LedgerTaxType("Duties & Taxes", "Output cgst 9%"), "");
  EXPECT_EQ(LedgerTaxType("Duties & Taxes", "IGST or SGST"), "SGST");
  EXPECT_EQ(LedgerTaxType("Duties & taxes", "Output CGST"), "");
  EXPECT_EQ(LedgerTaxType("Current Liabilities", "Output CGST"), "");
}

TEST(ItemUnitsAndOpening, AlternateUnitSwitchAndPackSize) {
  struct Case {
    const char *unit, *unit2;
    bool alt_switch;
    const char *opening, *rate, *pack;
    const char *main, *alt, *alt_opening, *main_opening, *factor;
  };
  for (const Case &c : {
           // the switch makes the second unit the main one
           Case{"TAB", "STRIP", true, "25", "4", "10", "STRIP", "TAB", "25", "2.5", "10"},
           Case{"PCS", "NA", false, "25", "", "0", "PCS", "", "", "25", "0"},
           Case{"PCS", "pcs", false, "25", "2", "10", "PCS", "pcs", "25", "25", "1"},
           // no pack size but an alternate unit: one to one
           Case{"BOX", "PCS", false, "7", "2", "", "BOX", "PCS", "7", "7", "1"},
           Case{"BOX", "", false, "30", "1", "3", "BOX", "", "30", "10", "0"},
       }) {
    SCOPED_TRACE(std::string(c.unit) + "/" + c.unit2);
    ItemUnits u = ItemUnitsFor(c.unit, c.unit2, c.alt_switch);
    EXPECT_EQ(u.main, c.main);
    EXPECT_EQ(u.alt_present, *c.alt != 0);
    if (u.alt_present) {
      EXPECT_EQ(u.alt, c.alt);
    }
    ItemOpening o = ComputeItemOpening(c.opening, c.rate, c.pack, u);
    EXPECT_EQ(o.alt_opening, c.alt_opening);
    EXPECT_EQ(o.main_opening, c.main_opening);
    EXPECT_EQ(o.factor, c.factor);
  }
  EXPECT_EQ(ComputeItemOpening("25", "4", "10", ItemUnitsFor("TAB", "STRIP", true)).amount, "100");
  // Unit names are cut to 10 characters.
  EXPECT_EQ(ItemUnitsFor("KILOGRAMMES!", "", false).main, "KILOGRAMME");
}

TEST(ItemUnitsAndOpening, GstRateFromTheField) {
  EXPECT_EQ(ItemGstRate(Value(12.0)), 12);
  EXPECT_EQ(ItemGstRate(Value()), 0);  // an item without a rate
  EXPECT_EQ(ItemGstRate(Value(" ")), 0);
  EXPECT_THROW(ItemGstRate(Value("twelve")), RunTimeError);
}

ItemRecordValues SampleItem() {
  ItemRecordValues v;
  v.name = "Para 500 & Co";
  v.print_name = "Para 500 & Co";
  v.full_name = "Para 500 & Co";
  v.units = ItemUnitsFor("TAB", "STRIP", true);
  v.opening = ComputeItemOpening("25", "4", "10", v.units);
  v.hsn = "3004";
  v.gst_rate = 12;
  v.mrp = "20";
  v.purchase_price = "4";
  v.purchase_discount = "0";
  v.sale_price = "15";
  return v;
}

TEST(ItemRecord, BatchDateKindFollowsTheDatesSeen) {
  ItemRecordValues v = SampleItem();
  v.stock_block = "<OPStockDetails></OPStockDetails>";
  auto kind = [&](bool has, bool exp, bool mfg) {
    v.has_batches = has;
    v.expiry_dates = exp;
    v.mfg_dates = mfg;
    std::string r = BuildItemRecord(v);
    size_t at = r.find("<OPStockDetails></OPStockDetails>");
    size_t notes = r.find("<MasterNotes>");
    return r.substr(at + 33, notes - at - 33);
  };
  EXPECT_EQ(kind(false, true, true), "");
  EXPECT_EQ(
      kind(true, true, false),
      "<BatchByBatchDetails>True</BatchByBatchDetails><BatchSpecifyDate>1</BatchSpecifyDate>");
  EXPECT_EQ(
      kind(true, false, true),
      "<BatchByBatchDetails>True</BatchByBatchDetails><BatchSpecifyDate>2</BatchSpecifyDate>");
  EXPECT_EQ(
      kind(true, false, false),
      "<BatchByBatchDetails>True</BatchByBatchDetails><BatchSpecifyDate>3</BatchSpecifyDate>");
  EXPECT_EQ(kind(true, true, true), "<BatchByBatchDetails>True</BatchByBatchDetails>");
}

TEST(ItemRecord, PackingSplitsAtFortyCharactersNotBytes) {
  ItemRecordValues v = SampleItem();
  // Forty characters stay on one line, counted as characters, not bytes.
  v.packing = std::string(38, 'x') + "é€";
  std::string r = BuildItemRecord(v);
  EXPECT_NE(r.find("<Address1>" + v.packing + "</Address1><OF>"), std::string::npos);
}

BatchRow Batch(Value no, Value opening, Value rate, Value mfd = Value(), Value exp = Value()) {
  BatchRow b;
  b.batch_no = std::move(no);
  b.opening = std::move(opening);
  b.p_rate = std::move(rate);
  b.mfd = std::move(mfd);
  b.exp = std::move(exp);
  b.mrp = Value(20.0);
  b.ratea = Value(15.0);
  return b;
}

TEST(OpeningStockBlock, NoRowsGiveAnEmptyListAndZeroTotals) {
  OpeningStockResult res;
  EXPECT_EQ(BuildOpeningStockBlock({}, 1, false, res),
            "<OPStockDetails><OPMCStockDetail><SrNo>1</SrNo><MCName>Main Store</MCName>"
            "<PendingBatches></PendingBatches><OPStockMainUnit>0</OPStockMainUnit>"
            "<Amount>0</Amount></OPMCStockDetail></OPStockDetails>");
  EXPECT_FALSE(res.has_batches);
}

TEST(OpeningStockBlock, LeftOutBatchesStillSetTheDateFlags) {
  OpeningStockResult res;
  Date d = Date::FromYmd(2025, 3, 31);
  std::vector<BatchRow> rows = {
      Batch("", Value(5.0), Value(1.0), Value(d)),              // no number: left out
      Batch("  X", Value(0.0), Value(1.0), Value(), Value(d)),  // zero: left out
      Batch("B<2>", Value(4.0), Value(2.5)),
  };
  std::string block = BuildOpeningStockBlock(rows, 1, false, res);
  EXPECT_TRUE(res.has_batches);
  EXPECT_TRUE(res.mfg_dates);
  EXPECT_TRUE(res.expiry_dates);
  EXPECT_EQ(res.batches, 1);
  EXPECT_NE(block.find("<BatchReference><SrNo>1</SrNo><BatchNo>B&lt;2&gt;</BatchNo>"
                       "<ExpiryDate></ExpiryDate><MfgDate></MfgDate><Qty>4</Qty>"
                       "<MainUnitPrice>10</MainUnitPrice>"),
            std::string::npos);
}

TEST(OpeningStockBlock, AFailingRowKeepsWhatTheEarlierRowsSet) {
  OpeningStockResult res;
  std::vector<BatchRow> rows = {
      Batch("B1", Value(6.0), Value(1.0), Value(), Value(Date::FromYmd(2026, 1, 1))),
      Batch("B2", Value(), Value(1.0)),
  };
  EXPECT_THROW(BuildOpeningStockBlock(rows, 1, false, res), RunTimeError);
  EXPECT_TRUE(res.has_batches);
  EXPECT_TRUE(res.expiry_dates);
  EXPECT_EQ(res.total_qty, 6);
  // A blank rate fails the batch too.
  OpeningStockResult res2;
  EXPECT_THROW(BuildOpeningStockBlock({Batch("B1", Value(6.0), Value())}, 1, false, res2),
               RunTimeError);
}

TEST(OpeningStockBlock, BatchesThatAddUpAreComparedAsNumbers) {
  // 10 units in packs of 3 against two batches of 5.
  ItemUnits units = ItemUnitsFor("BOX", "PCS", true);
  ItemOpening o = ComputeItemOpening("10", "1", "3", units);
  EXPECT_EQ(o.main_opening, "3.33333333333333");
  OpeningStockResult res;
  BuildOpeningStockBlock({Batch("B1", Value(5.0), Value(1.0)), Batch("B2", Value(5.0), Value(1.0))},
                         3, true, res);
  EXPECT_EQ(DoubleToText(res.total_qty), "3.33333333333334");
  EXPECT_TRUE(BatchTotalMatches(o.main_opening, res.total_qty));
  EXPECT_FALSE(BatchTotalMatches("3.3", res.total_qty));
  EXPECT_FALSE(BatchTotalMatches("", 2));
  EXPECT_TRUE(BatchTotalMatches("", 0));
}

TEST(OpeningStockBlock, FactorOfTheBlock) {
  EXPECT_EQ(BlockConversionFactor("0", 0), 1);
  EXPECT_EQ(BlockConversionFactor("", 0), 1);
  EXPECT_EQ(BlockConversionFactor("-2", -2), 1);
  EXPECT_EQ(BlockConversionFactor("10", 10), 10);
}

TEST(MaterialCentreRecord, TheSerialiserEscapesOnce) {
  EXPECT_EQ(BuildMaterialCentreRecord("A &amp; B"),
            "<MaterialCenter><Name>A &amp;amp; B</Name><PrintName>A &amp;amp; B</PrintName>"
            "<PrimaryGroup>True</PrimaryGroup></MaterialCenter>");
  // A blank name still has its Name element; only the print name is left out.
  EXPECT_EQ(BuildMaterialCentreRecord(""),
            "<MaterialCenter><Name></Name><PrimaryGroup>True</PrimaryGroup></MaterialCenter>");
}

TEST(RecordText, LeadingNumbersAndDateFields) {
  EXPECT_EQ(LeadingNumber("12abc"), 12);
  EXPECT_EQ(LeadingNumber("  -2.5 kg"), -2.5);
  EXPECT_EQ(LeadingNumber("1E+15"), 1e15);
  EXPECT_EQ(LeadingNumber("3e"), 3);
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
  EXPECT_EQ(DateFieldText(Value(Date::FromYmd(2024, 4, 1))), "01-04-2024");
  EXPECT_EQ(DateFieldText(Value()), "");
  EXPECT_EQ(DateFieldText(Value("2024-04-01")), "01-04-2024");
  EXPECT_EQ(DateFieldText(Value("soon")), "soon");
}

}  // namespace
}  // namespace vodare
