// An inventory voucher's figures agree with what the builders write for the same voucher.
#include "vouchers/voucher_figures.h"

#include <gtest/gtest.h>

#include "common/helpers.h"
#include "vouchers/fixed_lookups.h"
#include "vouchers/voucher_values.h"

namespace vodare {
namespace {

using testing::Header;
using testing::Line;

// The figures of a sale, checked against the quantities and lines AddItemEntries writes.
InventoryVoucherFigures SaleFigures(const InventoryVoucherHeader& h,
                                    const std::vector<ItemLine>& lines) {
  const InventoryVoucherFigures f = WorkOutInventoryFigures(kVchSale, h, lines);
  testing::FixedLookups lookups;
  RecordWriter record("Voucher");
  ItemEntriesOutcome outcome;
  AddItemEntries(record.root(), kVchSale, lines, SumHeaderCharges(h), InventoryBillAmount(h),
                 Num(h.staxamo), false, lookups, outcome);
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(record.Finish().c_str()));
  const pugi::xml_node root = doc.first_child();
  double quantity = 0;
  int64_t written = 0;
  for (pugi::xpath_node d : root.select_nodes("ItemEntries/ItemDetail")) {
    ++written;
    quantity += TextToDouble(d.node().child_value("Qty"));
  }
  EXPECT_DOUBLE_EQ(f.item_quantity, quantity);
  EXPECT_EQ(f.item_lines, written);
  return f;
}

TEST(InventoryVoucherFigures, BillAmountAndQuantitiesAreTheOnesTheVoucherIsBuiltWith) {
  // A cash sale of 90 in packs of 10, with free goods and a returned line.
  std::vector<ItemLine> lines = {Line("30", "10", "40"), Line("10", "10", "40"),
                                 Line("20", "10", "5")};
  lines[0].free = "10";
  lines[1].flg = "R";
  InventoryVoucherFigures f = SaleFigures(Header("0", "90"), lines);
  EXPECT_DOUBLE_EQ(f.bill_amount, 90);
  EXPECT_DOUBLE_EQ(f.party_amount, 90);
  EXPECT_DOUBLE_EQ(f.item_quantity, 4 + 1 + 2);
  // Lines that do not explain the bill are rebuilt from their amounts.
  f = SaleFigures(Header("77", "0"), {Line("3", "0", "10", "55"), Line("4", "0", "0", "12")});
  EXPECT_DOUBLE_EQ(f.item_quantity, 5.5);
  EXPECT_EQ(f.item_lines, 1);

  // Bill and cash together make the bill; a purchase return books it without its sign.
  f = WorkOutInventoryFigures(kVchPurchaseReturn, Header("-60", "-40"), lines);
  EXPECT_DOUBLE_EQ(f.bill_amount, -100);
  EXPECT_DOUBLE_EQ(f.party_amount, 100);
  // A stock challan books no ledger side, whatever its bill column says.
  f = WorkOutInventoryFigures(kVchMaterialIssue, Header("500", "0"), lines);
  EXPECT_DOUBLE_EQ(f.party_amount, 0);
  EXPECT_EQ(f.item_lines, 3);
}

}  // namespace
}  // namespace vodare
