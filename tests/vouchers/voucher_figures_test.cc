// An inventory voucher's figures worked out from its header and lines agree with what the
// builders write: the party is booked with the bill amount, the lines with their quantities.
#include "vouchers/voucher_figures.h"

#include <gtest/gtest.h>

#include <string>

#include "common/helpers.h"
#include "common/xml.h"
#include "vouchers/fixed_lookups.h"
#include "vouchers/voucher_values.h"

namespace vodare {
namespace {

InventoryVoucherHeader Header(std::string final_amount, std::string cash) {
  InventoryVoucherHeader h;
  h.final_amount = std::move(final_amount);
  h.cash = std::move(cash);
  h.round = h.other = h.staxamo = h.taxamo = h.cgstamo = "0";
  return h;
}

ItemLine Line(std::string qty, std::string pack, std::string rate, std::string amount = "0") {
  ItemLine l;
  l.date = "05-03-2024";
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

// The main quantities AddItemEntries writes for the same voucher.
double WrittenQuantity(int16_t type, const InventoryVoucherHeader& h,
                       const std::vector<ItemLine>& lines, int64_t* written_lines) {
  testing::FixedLookups lookups;
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Voucher");
  ItemEntriesOutcome outcome;
  AddItemEntries(root, type, lines, SumHeaderCharges(h), InventoryBillAmount(h), Num(h.staxamo),
                 false, lookups, outcome);
  double total = 0;
  *written_lines = 0;
  for (pugi::xpath_node d : root.select_nodes("ItemEntries/ItemDetail")) {
    ++*written_lines;
    total += TextToDouble(d.node().child_value("Qty"));
  }
  return total;
}

TEST(InventoryVoucherFigures, BillAmountAndQuantitiesAreTheOnesTheVoucherIsBuiltWith) {
  // A cash sale of 90 in packs of 10, with free goods and a returned line.
  std::vector<ItemLine> lines = {Line("30", "10", "40"), Line("10", "10", "40"),
                                 Line("20", "10", "5")};
  lines[0].free = "10";
  lines[1].flg = "R";
  InventoryVoucherHeader cash_sale = Header("0", "90");
  InventoryVoucherFigures f = WorkOutInventoryFigures(kVchSale, cash_sale, lines);
  int64_t written = 0;
  EXPECT_DOUBLE_EQ(f.bill_amount, 90);
  EXPECT_DOUBLE_EQ(f.party_amount, 90);
  EXPECT_DOUBLE_EQ(f.item_quantity, WrittenQuantity(kVchSale, cash_sale, lines, &written));
  EXPECT_DOUBLE_EQ(f.item_quantity, 4 + 1 + 2);
  EXPECT_EQ(f.item_lines, written);

  // Bill and cash together make the bill; a purchase return books it without its sign.
  f = WorkOutInventoryFigures(kVchPurchaseReturn, Header("-60", "-40"), lines);
  EXPECT_DOUBLE_EQ(f.bill_amount, -100);
  EXPECT_DOUBLE_EQ(f.party_amount, 100);

  // Lines that do not explain the bill are rebuilt from their amounts; one without a rate is
  // left out.
  std::vector<ItemLine> odd = {Line("3", "0", "10", "55"), Line("4", "0", "0", "12")};
  InventoryVoucherHeader sale = Header("77", "0");
  f = WorkOutInventoryFigures(kVchSale, sale, odd);
  EXPECT_DOUBLE_EQ(f.item_quantity, WrittenQuantity(kVchSale, sale, odd, &written));
  EXPECT_DOUBLE_EQ(f.item_quantity, 5.5);
  EXPECT_EQ(f.item_lines, 1);
  EXPECT_EQ(written, 1);

  // A stock challan books no ledger side, whatever its bill column says.
  f = WorkOutInventoryFigures(kVchMaterialIssue, Header("500", "0"), lines);
  EXPECT_DOUBLE_EQ(f.party_amount, 0);
  EXPECT_EQ(f.item_lines, 3);
}

}  // namespace
}  // namespace vodare
