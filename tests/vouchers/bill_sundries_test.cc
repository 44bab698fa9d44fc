// Bill sundries of an inventory voucher: the branches, the per-voucher list the accounting
// entries read, the masters created once per stage, and the tax percentage.
#include "vouchers/bill_sundries.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using testing::At;
using testing::FixedLookups;
using testing::Has;

InventoryVoucherHeader Header() {
  InventoryVoucherHeader h;
  h.date = "05-03-2024";
  h.final_amount = "1180";
  h.cash = "0";
  h.round = "0";
  h.other = "0";
  h.freight = "0";
  h.packing = "0";
  h.staxamo = "0";
  h.cgstamo = "0";
  h.taxamo = "0";
  return h;
}

struct Saved {
  int16_t kind;
  std::string xml;
};

struct Fixture {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  FixedLookups lookups;
  ErrorList errors;
  std::vector<Saved> saved;
  std::string refuse;  // a name the destination refuses
  BillSundryMasters masters;
  std::vector<std::string> list;

  Fixture() {
    masters.errors = &errors;
    masters.save_master = [this](int16_t kind, std::string& xml, std::string& message) {
      saved.push_back({kind, xml});
      if (!refuse.empty() && xml.find("<Name>" + refuse + "</Name>") != std::string::npos) {
        message = "Bill sundry refused";
        return false;
      }
      return true;
    };
  }

  void Run(const InventoryVoucherHeader& h, SundryInputs in) {
    root.remove_children();
    list.clear();
    AddBillSundries(root, h, in, masters, lookups, list);
  }
  pugi::xpath_node_set Details() { return root.select_nodes("BillSundries/BSDetail"); }
};

SundryInputs Inputs(std::string type_name, bool tax_inclusive = false) {
  SundryInputs in;
  in.type = 9;
  in.voucher_no = "S1";
  in.type_name = std::move(type_name);
  in.tax_inclusive = tax_inclusive;
  return in;
}

TEST(AddBillSundries, LocalBranchListsBothHalvesOfTheTaxAndWritesThemWithTheirPercentage) {
  Fixture f;
  InventoryVoucherHeader h = Header();
  h.cgstamo = "90";
  h.taxamo = "180";
  h.round = "-0.4";
  f.Run(h, Inputs("Local-MultiRate Consolidated"));
  EXPECT_EQ(f.list, (std::vector<std::string>{"SGST|90", "CGST|90", "Rounded Off (-)|-0.4"}));
  auto d = f.Details();
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(At(d[0].node(), "BSName"), "SGST");
  EXPECT_EQ(At(d[0].node(), "PercentVal"), "9");  // 90 of 1180 - 180
  EXPECT_EQ(At(d[0].node(), "Amt"), "90");
  EXPECT_EQ(At(d[0].node(), "Date"), "05-03-2024");
  EXPECT_EQ(At(d[2].node(), "SrNo"), "3");
  EXPECT_EQ(At(d[2].node(), "BSName"), "Rounded Off (-)");
  EXPECT_EQ(At(d[2].node(), "Amt"), "0.4");
  EXPECT_FALSE(Has(d[2].node(), "PercentVal"));
}

TEST(AddBillSundries, TaxInclusiveBillsListTheTaxButWriteNoTaxSundryNorCountIt) {
  Fixture f;
  InventoryVoucherHeader h = Header();
  h.cgstamo = "90";
  // The percentage would divide by nothing: it is not needed, so it does not fail the voucher.
  h.final_amount = "180";
  h.taxamo = "180";
  h.freight = "30";
  h.packing = "20";
  f.Run(h, Inputs("Local-TaxIncl.", true));
  EXPECT_EQ(f.list,
            (std::vector<std::string>{"SGST|90", "CGST|90", "Freight & Forwarding Charges|50"}));
  auto d = f.Details();
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(At(d[0].node(), "SrNo"), "1");
  EXPECT_EQ(At(d[0].node(), "BSName"), "Freight & Forwarding Charges");
  EXPECT_TRUE(f.saved.empty());

  // Written, the same percentage is the voucher's run-time error.
  Fixture g;
  EXPECT_THROW(g.Run(h, Inputs("Local-TaxIncl.", false)), RunTimeError);
}

TEST(AddBillSundries, CentralBranchWhenTheVoucherHasNoCentralTax) {
  Fixture f;
  InventoryVoucherHeader h = Header();
  f.Run(h, Inputs("Local-MultiRate Consolidated"));
  EXPECT_TRUE(f.list.empty());
  EXPECT_EQ(f.Details().size(), 0u);

  h.taxamo = "118.0";
  h.freight = "50";
  f.Run(h, Inputs("Central-MultiRate Consolidated"));
  // The central freight sundry is listed under its master's name.
  EXPECT_EQ(f.list, (std::vector<std::string>{"IGST|118", "Freight Charges (+)|50"}));
  auto d = f.Details();
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(At(d[0].node(), "PercentVal"), "11.1");  // 118 / 1062
  EXPECT_EQ(At(d[1].node(), "BSName"), "Freight Charges (+)");
  ASSERT_EQ(f.saved.size(), 1u);
  EXPECT_EQ(f.saved[0].kind, 9);
  EXPECT_NE(f.saved[0].xml.find("<Name>Freight Charges (+)</Name>"), std::string::npos);
}

TEST(AddBillSundries, OtherChargesTakeTheirAccountsNameAndMakeItsMasterOncePerStage) {
  Fixture f;
  f.lookups.accounts["55"] = "Cartage";
  InventoryVoucherHeader h = Header();
  h.other = "15";
  h.othun = "55";
  f.Run(h, Inputs("VAT/MultiRate (R)"));
  f.Run(h, Inputs("VAT/MultiRate (R)"));
  EXPECT_EQ(f.list, (std::vector<std::string>{"Cartage|15"}));
  EXPECT_EQ(At(f.root, "BillSundries/BSDetail/BSName"), "Cartage (+)");
  ASSERT_EQ(f.saved.size(), 1u);
  EXPECT_EQ(f.saved[0].xml,
            "<BillSundry><Name>Cartage (+)</Name><PrintName>Cartage (+)</PrintName><Type>1</Type>"
            "<RoundOffNearestVal>1</RoundOffNearestVal><PercentOfAmount>100</PercentOfAmount>"
            "<IncludeListAmt>True</IncludeListAmt>"
            "<tmpAffectBillAmtInPurc>True</tmpAffectBillAmtInPurc>"
            "<tmpAffectBillAmtInSale>True</tmpAffectBillAmtInSale><NoOfPBS>1</NoOfPBS>"
            "<IncludeTaxAmt>True</IncludeTaxAmt><IncludeSTAmt>True</IncludeSTAmt>"
            "<AffectAccountingInSale>True</AffectAccountingInSale>"
            "<AffectAccountingInPurc>True</AffectAccountingInPurc>"
            "<AdjustSaleInPartyAmt>True</AdjustSaleInPartyAmt>"
            "<AdjustPurcInPartyAmt>True</AdjustPurcInPartyAmt>"
            "<AffectAccountingInSale>True</AffectAccountingInSale>"
            "<AffectAccountingInPurc>True</AffectAccountingInPurc>"
            "<SalesAccName>Cartage</SalesAccName><PurcAccName>Cartage</PurcAccName>"
            "<SalesAccName>Cartage</SalesAccName><PurcAccName>Cartage</PurcAccName>"
            "</BillSundry>");
}

TEST(AddBillSundries, NegativeOtherChargesWithoutAnAccountGoToMiscellaneousExpenses) {
  Fixture f;
  InventoryVoucherHeader h = Header();
  h.other = "-15";
  f.Run(h, Inputs("VAT/MultiRate (R)"));
  EXPECT_EQ(f.list, (std::vector<std::string>{"Other Charges|15"}));
  EXPECT_EQ(At(f.root, "BillSundries/BSDetail/BSName"), "Other Charges");
  ASSERT_EQ(f.saved.size(), 1u);
  EXPECT_EQ(f.saved[0].xml.find("<Type>1</Type>"), std::string::npos);
  EXPECT_NE(f.saved[0].xml.find("<SalesAccName>Miscellaneous Expenses</SalesAccName>"
                                "<PurcAccName>Miscellaneous Expenses</PurcAccName></BillSundry>"),
            std::string::npos);

  // A cash discount keeps its sign in the list.
  Fixture g;
  g.lookups.accounts["9"] = "Cash Discount";
  h.othun = "9";
  g.Run(h, Inputs("VAT/MultiRate (R)"));
  EXPECT_EQ(g.list, (std::vector<std::string>{"Cash Discount|-15"}));
}

TEST(AddBillSundries, DiscountOnlyWhenReconciledAndAdditiveWhenNegative) {
  Fixture f;
  InventoryVoucherHeader h = Header();
  SundryInputs in = Inputs("VAT/MultiRate (R)");
  in.discount_total = -12.5;
  f.Run(h, in);
  EXPECT_TRUE(f.list.empty());
  EXPECT_EQ(At(f.root, "BillSundries/BSDetail/BSName"), "Absolute Discount (+)");
  EXPECT_EQ(At(f.root, "BillSundries/BSDetail/Amt"), "12.5");
  ASSERT_EQ(f.saved.size(), 1u);
  EXPECT_NE(f.saved[0].xml.find("<AffactSale>True</AffactSale>"), std::string::npos);

  in.not_reconciled = true;
  f.Run(h, in);
  EXPECT_EQ(f.Details().size(), 0u);
}

TEST(AddBillSundries, SalesTaxGoesToSuspenseWithItsLedgerOfferedEachVoucher) {
  Fixture f;
  InventoryVoucherHeader h = Header();
  h.staxamo = "7";
  f.Run(h, Inputs("VAT/MultiRate (R)"));
  f.Run(h, Inputs("VAT/MultiRate (R)"));
  EXPECT_EQ(f.list, (std::vector<std::string>{"Suspense A/c|7"}));
  EXPECT_EQ(At(f.root, "BillSundries/BSDetail/BSName"), "Suspense A/c (+)");
  ASSERT_EQ(f.saved.size(), 3u);
  EXPECT_EQ(f.saved[0].kind, 2);
  EXPECT_EQ(f.saved[0].xml,
            "<Account><Name>Suspense A/c</Name><PrintName>Suspense A/c</PrintName>"
            "<ParentGroup>Suspense Account</ParentGroup></Account>");
  EXPECT_EQ(f.saved[1].kind, 9);
  EXPECT_EQ(f.saved[2].kind, 2);
}

TEST(EnsureBillSundryMaster, LongNamesKeepTheirSuffixWithinFortyCharacters) {
  Fixture f;
  std::string name(38, 'a');
  EnsureBillSundryMaster(f.masters, name, true);
  EXPECT_EQ(name, std::string(34, 'a') + " (+)");
  std::string freight = "Freight & Forwarding Charges";
  EnsureBillSundryMaster(f.masters, freight, true);
  EXPECT_EQ(freight, "Freight & Forwarding Charges");
  std::string blank = "  ";
  EnsureBillSundryMaster(f.masters, blank, true);
  EXPECT_EQ(f.saved.size(), 2u);
}

TEST(EnsureBillSundryMaster, ARefusalIsReportedOnceAndNamesAreEscapedInTheRecord) {
  Fixture f;
  f.refuse = "Loading &amp; &lt;Unloading&gt;";
  std::string name = "Loading & <Unloading>";
  EnsureBillSundryMaster(f.masters, name, false);
  std::string again = "Loading & <Unloading>";
  EnsureBillSundryMaster(f.masters, again, false);
  ASSERT_EQ(f.saved.size(), 1u);
  EXPECT_NE(f.saved[0].xml.find("<SalesAccName>Loading &amp; &lt;Unloading&gt;</SalesAccName>"),
            std::string::npos);
  EXPECT_EQ(f.errors.Text(), "Bill Sundry Name : Loading & <Unloading> - Bill sundry refused_");
}

}  // namespace
}  // namespace vodare
