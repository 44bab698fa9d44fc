// The voucher type tables, the long date caption, and the decisions taken from a voucher's
// header alone: settlement, charge total, sale/purchase type name and the leading elements.
#include "vouchers/voucher_header.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "common/xml.h"
#include "vouchers/fixed_lookups.h"
#include "vouchers/voucher_record.h"
#include "vouchers/voucher_types.h"

namespace vodare {
namespace {

using testing::At;
using testing::Has;

TEST(VoucherTypes, LettersNumbersAndNames) {
  EXPECT_EQ(GetInventoryVoucherType(" S "), 9);
  EXPECT_EQ(GetInventoryVoucherType("s"), 0);
  EXPECT_EQ(GetInventoryVoucherType("W"), 3);
  EXPECT_EQ(GetInventoryVoucherType("U"), 10);
  EXPECT_EQ(GetInventoryVoucherType("L"), 11);
  EXPECT_EQ(GetVoucherElementName(10), "PurchaseReturn");
  EXPECT_EQ(GetVoucherSeriesName(3), "S_Return");
  EXPECT_EQ(GetVoucherSeriesName(42), "Main");
  EXPECT_EQ(GetVoucherElementName(42), "");
  EXPECT_EQ(GetVoucherTypeName(17), "Debit Note");
  EXPECT_EQ(GetVoucherTypeName(61), "");
  EXPECT_EQ(GetVoucherShortName(19), "Pymt");
  EXPECT_EQ(GetVoucherShortName(5), "");
  EXPECT_TRUE(IsInventoryVoucherType(31));
  EXPECT_FALSE(IsInventoryVoucherType(14));
}

TEST(FormatLongDate, OrdinalSuffixes) {
  EXPECT_EQ(FormatLongDate("05-03-2024"), "5th March 2024");
  EXPECT_EQ(FormatLongDate("01-04-2024"), "1st April 2024");
  EXPECT_EQ(FormatLongDate("22-01-2025"), "22nd January 2025");
  EXPECT_EQ(FormatLongDate("23-11-2024"), "23rd November 2024");
  EXPECT_EQ(FormatLongDate("11-11-2024"), "11th November 2024");
  EXPECT_EQ(FormatLongDate("31-12-2024"), "31st December 2024");
  EXPECT_EQ(FormatLongDate("not a date"), "");
}

InventoryVoucherHeader Header(std::string final_amount, std::string cash) {
  InventoryVoucherHeader h;
  h.final_amount = std::move(final_amount);
  h.cash = std::move(cash);
  h.round = h.other = h.staxamo = h.taxamo = h.cgstamo = "0";
  return h;
}

TEST(DecideSettlement, BillCashOrBoth) {
  Settlement s = DecideSettlement(Header("100", "0"));
  EXPECT_EQ(s.amount_text, "100");
  EXPECT_FALSE(s.carry_settlement);
  s = DecideSettlement(Header("0", "250"));
  EXPECT_EQ(s.amount_text, "250");
  EXPECT_TRUE(s.carry_settlement);
  EXPECT_FALSE(s.split_payment);
  s = DecideSettlement(Header("300", "200"));
  EXPECT_EQ(s.amount_text, "500");
  EXPECT_TRUE(s.carry_settlement);
  EXPECT_TRUE(s.split_payment);
  EXPECT_EQ(s.cash_amount, 200);
  EXPECT_THROW(DecideSettlement(Header("", "0")), RunTimeError);
}

TEST(AddPosVchData, CashAmountOnlyWhenTheBillIsSettledInCash) {
  pugi::xml_document doc;
  pugi::xml_node a = doc.append_child("A");
  AddPosVchData(a, DecideSettlement(Header("0", "250")));
  EXPECT_EQ(XmlText(a),
            "<A><POSVchData><CashAmt>250</CashAmt><CarrySettlement>True"
            "</CarrySettlement><CashAccName>Cash</CashAccName></POSVchData></A>");
  pugi::xml_node b = doc.append_child("B");
  AddPosVchData(b, DecideSettlement(Header("300", "200")));
  EXPECT_EQ(At(b, "POSVchData/CashAmt"), "200");
  pugi::xml_node c = doc.append_child("C");
  AddPosVchData(c, DecideSettlement(Header("100", "0")));
  EXPECT_EQ(XmlText(c), "<C><POSVchData><CarrySettlement>True</CarrySettlement></POSVchData></C>");
}

TEST(SumHeaderCharges, BlankFreightAndPackingCountAsNothingOtherBlanksFail) {
  InventoryVoucherHeader h = Header("0", "0");
  h.round = "0.5";
  h.other = "10";
  h.staxamo = "2";
  h.taxamo = "18";
  EXPECT_DOUBLE_EQ(SumHeaderCharges(h), 30.5);
  h.freight = "20";
  h.packing = "5";
  EXPECT_DOUBLE_EQ(SumHeaderCharges(h), 55.5);
  EXPECT_DOUBLE_EQ(FreightPlusPacking(h), 25);
  h.round = "";
  EXPECT_THROW(SumHeaderCharges(h), RunTimeError);
}

TEST(ChooseSalePurchaseTypeName, StatesTaxesAndTheNameCarriedOver) {
  InventoryVoucherHeader h = Header("100", "0");
  std::string name;
  ChooseSalePurchaseTypeName(9, 1, {"27", "24"}, "Gujarat", h, name);
  EXPECT_EQ(name, "Central-MultiRate Consolidated");
  ChooseSalePurchaseTypeName(9, 1, {"27", "27"}, "Maharashtra", h, name);
  EXPECT_EQ(name, "Local-MultiRate Consolidated");
  ChooseSalePurchaseTypeName(9, 1, {"27", ""}, "", h, name);
  EXPECT_EQ(name, "Local-MultiRate Consolidated");
  h.cgstamo = "9";
  ChooseSalePurchaseTypeName(2, 1, {"27", "24"}, "Gujarat", h, name);
  EXPECT_EQ(name, "Local-MultiRate Consolidated");
  h.cgstamo = "0";
  ChooseSalePurchaseTypeName(9, 0, {}, "Gujarat", h, name);
  EXPECT_EQ(name, "VAT/MultiRate (R)");
  // Outside GST a purchase keeps what the previous voucher left, as does a challan.
  ChooseSalePurchaseTypeName(2, 0, {}, "Gujarat", h, name);
  EXPECT_EQ(name, "VAT/MultiRate (R)");
  h.taxamo = "18";
  ChooseSalePurchaseTypeName(11, 1, {"1", "2"}, "", h, name);
  EXPECT_EQ(name, "VAT/MultiRate (R)");
  ChooseSalePurchaseTypeName(10, 0, {}, "Gujarat", h, name);
  EXPECT_EQ(name, "Central-MultiRate Consolidated");
}

TEST(AddVoucherHeadline, ElementsInOrderWithTheOptionalBlocks) {
  VoucherHeadline h;
  h.type = 2;
  h.series_name = "Purchase";
  h.date = "05-03-2024";
  h.number = "P/7";
  h.party_name = "Shah & Sons <Pune>";
  h.centre_name = "MAIN STORE";
  h.series_code = 12;
  h.billing_name = BillingName("Walk in 98200 customer 98200", "98200");
  h.mobile = "98200";
  h.broker_name = "Mohan";
  h.supplier_bill_no = "INV-1";
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Purchase");
  AddVoucherHeadline(root, h);
  EXPECT_EQ(XmlText(root),
            "<Purchase><VchType>2</VchType><VchSeriesName>Purchase</VchSeriesName>"
            "<Date>05-03-2024</Date><VchNo>P/7</VchNo>"
            "<MasterName1>Shah &amp; Sons &lt;Pune&gt;</MasterName1>"
            "<MasterName2>MAIN STORE</MasterName2><tmpVchSeriesCode>12</tmpVchSeriesCode>"
            "<BillingDetails><PartyName>Walk in  customer </PartyName><MobileNo>98200</MobileNo>"
            "</BillingDetails><BrokerInvolved>True</BrokerInvolved><BrokerName>Mohan</BrokerName>"
            "<VchOtherInfoDetails><PurchaseBillNo>INV-1</PurchaseBillNo>"
            "<PurchaseBillDate>05-03-2024</PurchaseBillDate></VchOtherInfoDetails>"
            "<Brokers><Broker><Name>Mohan</Name><PrintName>Mohan</PrintName>"
            "<BrokerCreditAccName>Shah &amp; Sons &lt;Pune&gt;</BrokerCreditAccName></Broker>"
            "</Brokers><BillingDetails/></Purchase>");
  // A sale names no supplier's bill.
  h.type = 9;
  pugi::xml_node sale = doc.append_child("Sale");
  AddVoucherHeadline(sale, h);
  EXPECT_FALSE(Has(sale, "VchOtherInfoDetails"));
}

}  // namespace
}  // namespace vodare
