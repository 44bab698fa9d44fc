// The ledger side of inventory vouchers: sides, tax-inclusive splits, cash settlement, the
// round-off that balances the bill, and the limits on sundry items.
#include "vouchers/acc_entries.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/run_error.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using testing::At;
using testing::Has;
using testing::SignedSum;

InventoryAccInputs Sale(std::string amount) {
  InventoryAccInputs in;
  in.party_name = "Ram Traders";
  in.type = 9;
  in.amount_text = std::move(amount);
  in.date = "05-03-2024";
  in.voucher_no = "S1";
  in.type_name = "VAT/MultiRate (R)";
  return in;
}

struct Entry {
  std::string account, side, amount;
};

std::vector<Entry> Entries(pugi::xml_node root) {
  std::vector<Entry> out;
  for (auto d : root.select_nodes("AccEntries/AccDetail"))
    out.push_back(
        {At(d.node(), "AccountName"), At(d.node(), "AmountType"), At(d.node(), "AmtMainCur")});
  return out;
}

MATCHER_P3(IsEntry, account, side, amount, "") {
  return arg.account == account && arg.side == side && arg.amount == amount;
}

TEST(SignAmount, DebitsCarryAMinusSignAndTinyAmountsBecomeZero) {
  double a = 25;
  EXPECT_EQ(SignAmount(1, a), -25);
  EXPECT_EQ(a, -25);
  a = -25;
  EXPECT_EQ(SignAmount(2, a), 25);
  a = -5e-10;
  EXPECT_EQ(SignAmount(1, a), 0);
  EXPECT_EQ(GetChargeKind(" rounded off (-) "), 3);
  EXPECT_EQ(GetChargeAccountName(2, "cgst"), "CGST Input");
  EXPECT_EQ(GetChargeAccountName(11, "CGST"), "");
  EXPECT_EQ(GetChargeAccountName(9, "Freight Charges (+)"), "Miscellaneous Expenses");
  EXPECT_EQ(GetChargeAccountName(10, "Cartage"), "Cartage");
}

TEST(AddInventoryAccEntries, APlainSaleDebitsThePartyAndCreditsSales) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  AddInventoryAccEntries(root, Sale("1180"));
  auto e = Entries(root);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_THAT(e[0], IsEntry("Ram Traders", "1", "-1180"));
  EXPECT_THAT(e[1], IsEntry("Sales", "2", "1180"));
  EXPECT_EQ(At(root, "AccEntries/AccDetail/Date"), "05-03-2024");
  EXPECT_EQ(At(root, "AccEntries/AccDetail[2]/SrNo"), "2");
}

TEST(AddInventoryAccEntries, TaxInclusiveSaleSplitsTheTaxOutOfSales) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  InventoryAccInputs in = Sale("1180");
  in.type_name = "Local-TaxIncl.";
  in.sundries = {"SGST|90", "CGST|90"};
  AddInventoryAccEntries(root, in);
  auto e = Entries(root);
  ASSERT_EQ(e.size(), 4u);
  EXPECT_THAT(e[1], IsEntry("Sales", "2", "1000"));
  EXPECT_THAT(e[2], IsEntry("SGST Output", "2", "90"));
  EXPECT_THAT(e[3], IsEntry("CGST Output", "2", "90"));
  EXPECT_NEAR(SignedSum(root), 0, 1e-9);
}

TEST(AddInventoryAccEntries, CashSettlementOfAPurchaseWholeOrSplit) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Purchase");
  InventoryAccInputs in = Sale("500");
  in.type = 2;
  in.carry_settlement = true;
  AddInventoryAccEntries(root, in);
  auto e = Entries(root);
  ASSERT_EQ(e.size(), 4u);
  EXPECT_THAT(e[0], IsEntry("Ram Traders", "2", "500"));
  EXPECT_THAT(e[1], IsEntry("Purchase", "1", "-500"));
  EXPECT_THAT(e[2], IsEntry("Cash", "2", "500"));
  EXPECT_THAT(e[3], IsEntry("Ram Traders", "1", "-500"));
  EXPECT_EQ(At(root, "AccEntries/AccDetail[4]/CashFlow"), "-500");
  EXPECT_EQ(At(root, "AccEntries/AccDetail[4]/SettlementAcc"), "True");
  EXPECT_FALSE(Has(root, "AccEntries/AccDetail[3]/CashFlow"));

  pugi::xml_document split_doc;
  pugi::xml_node split = split_doc.append_child("Sale");
  in = Sale("500");
  in.carry_settlement = in.split_payment = true;
  in.cash_amount = 200;
  AddInventoryAccEntries(split, in);
  e = Entries(split);
  EXPECT_THAT(e[2], IsEntry("Cash", "1", "-200"));
  EXPECT_THAT(e[3], IsEntry("Ram Traders", "2", "200"));
  EXPECT_NEAR(SignedSum(split), 0, 1e-9);
}

TEST(AddInventoryAccEntries, RoundOffBalancesTheBillWithFreightCountedOnce) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  InventoryAccInputs in = Sale("1000");
  in.type_name = "Local-MultiRate Consolidated";
  in.sundries = {
      "SGST|45",    "CGST|45",       "Freight & Forwarding Charges|50", "Rounded Off (-)|-0.4",
      "Cartage|10", "Suspense A/c|5"};
  in.round_off = -0.4;
  in.freight = 50;
  in.other = 10;
  in.sales_tax = 5;
  AddInventoryAccEntries(root, in);
  auto e = Entries(root);
  ASSERT_EQ(e.size(), 8u);
  EXPECT_THAT(e[1], IsEntry("Sales", "2", "845.4"));
  EXPECT_THAT(e[4], IsEntry("Freight & Forwarding Charges", "2", "50"));
  EXPECT_EQ(e[5].account, "Rounded Off");
  EXPECT_EQ(e[5].side, "1");
  EXPECT_NEAR(std::stod(e[5].amount), -0.4, 1e-9);
  EXPECT_THAT(e[6], IsEntry("Cartage", "2", "10"));
  EXPECT_THAT(e[7], IsEntry("Suspense Account", "2", "5"));
  EXPECT_NEAR(SignedSum(root), 0, 1e-9);
}

// A bill rounded up: the sales entry carries the goods alone and the round-off is a credit.
TEST(AddInventoryAccEntries, ABillRoundedUpCreditsTheRoundOff) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  InventoryAccInputs in = Sale("8458");
  in.type_name = "Local-MultiRate Consolidated";
  in.sundries = {"SGST|510.09", "CGST|510.09", "Rounded Off (+)|0.34"};
  in.round_off = 0.34;
  AddInventoryAccEntries(root, in);
  auto e = Entries(root);
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[1].account, "Sales");
  EXPECT_NEAR(std::stod(e[1].amount), 7437.48, 1e-9);
  EXPECT_EQ(e[4].account, "Rounded Off");
  EXPECT_EQ(e[4].side, "2");
  EXPECT_NEAR(std::stod(e[4].amount), 0.34, 1e-9);
  EXPECT_NEAR(SignedSum(root), 0, 1e-9);

  // On a purchase the same round-off is a debit.
  pugi::xml_document purchase_doc;
  pugi::xml_node purchase = purchase_doc.append_child("Purchase");
  in = Sale("1000");
  in.type = 2;
  in.sundries = {"Rounded Off (+)|0.25"};
  in.round_off = 0.25;
  AddInventoryAccEntries(purchase, in);
  e = Entries(purchase);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_NEAR(std::stod(e[1].amount), -999.75, 1e-9);
  EXPECT_EQ(e[2].side, "1");
  EXPECT_NEAR(std::stod(e[2].amount), -0.25, 1e-9);
  EXPECT_NEAR(SignedSum(purchase), 0, 1e-9);
}

TEST(AddInventoryAccEntries, ARoundOffWithNothingToBalanceGoesOnThePartySide) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  InventoryAccInputs in = Sale("100");
  // Freight without a sundry of its own leaves the entries balanced before the round-off.
  in.sundries = {"Rounded Off (-)|-0.5"};
  in.round_off = -0.5;
  in.freight = 0.5;
  AddInventoryAccEntries(root, in);
  auto e = Entries(root);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_THAT(e[1], IsEntry("Sales", "2", "100"));
  EXPECT_THAT(e[2], IsEntry("Rounded Off", "1", "0.5"));
}

TEST(AddInventoryAccEntries, OnlyFiveItemsOrSixForLocalTaxAreWritten) {
  std::vector<std::string> items = {"SGST|1", "CGST|1", "A|1", "B|1", "C|1", "D|1", "E|1"};
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  InventoryAccInputs in = Sale("100");
  in.sundries = items;
  AddInventoryAccEntries(root, in);
  EXPECT_EQ(Entries(root).size(), 2u + 5u);

  pugi::xml_document doc2;
  pugi::xml_node local = doc2.append_child("Sale");
  in.type_name = "Local-MultiRate Consolidated";
  AddInventoryAccEntries(local, in);
  EXPECT_EQ(Entries(local).size(), 2u + 6u);
}

TEST(AddInventoryAccEntries, ChallansHaveNoLedgerSideAndBrokersMarkThePartyOnly) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("MaterialIssue");
  InventoryAccInputs in = Sale("100");
  in.type = 11;
  EXPECT_EQ(AddInventoryAccEntries(root, in), "");
  EXPECT_FALSE(root.first_child());

  pugi::xml_node sale = doc.append_child("Sale");
  in = Sale("100");
  in.broker_name = "Mohan";
  AddInventoryAccEntries(sale, in);
  EXPECT_EQ(At(sale, "AccEntries/AccDetail[1]/BrokerAssigned"), "True");
  EXPECT_EQ(At(sale, "AccEntries/AccDetail[1]/BrokerName"), "Mohan");
  EXPECT_FALSE(Has(sale, "AccEntries/AccDetail[2]/BrokerName"));
}

// Other charges below zero (a cash discount, or an allowance deducted from the bill) are debits
// on a sale and credits on a purchase, and the goods are worth the bill less them.
TEST(AddInventoryAccEntries, OtherChargesBelowZeroKeepTheirSign) {
  struct Case {
    int16_t type;
    const char* bill;
    const char* item;
    double other;
    Entry goods, charge;
  };
  const Case cases[] = {
      {9, "985", "CASH DISCOUNT|-15", -15, {"Sales", "2", "1000"}, {"CASH DISCOUNT", "1", "-15"}},
      {9,
       "985",
       "Other Charges|-15",
       -15,
       {"Sales", "2", "1000"},
       {"Miscellaneous Expenses", "1", "-15"}},
      {9, "1015", "Cartage|15", 15, {"Sales", "2", "1000"}, {"Cartage", "2", "15"}},
      {2,
       "985",
       "Other Charges|-15",
       -15,
       {"Purchase", "1", "-1000"},
       {"Miscellaneous Expenses", "2", "15"}},
      {3, "985", "CASH DISCOUNT|-15", -15, {"Sales", "1", "-1000"}, {"CASH DISCOUNT", "2", "15"}},
  };
  for (const Case& c : cases) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Voucher");
    InventoryAccInputs in = Sale(c.bill);
    in.type = c.type;
    in.sundries = {c.item};
    in.other = c.other;
    AddInventoryAccEntries(root, in);
    auto e = Entries(root);
    ASSERT_EQ(e.size(), 3u) << c.item;
    EXPECT_THAT(e[1], IsEntry(c.goods.account, c.goods.side, c.goods.amount)) << c.item;
    EXPECT_THAT(e[2], IsEntry(c.charge.account, c.charge.side, c.charge.amount)) << c.item;
    EXPECT_NEAR(SignedSum(root), 0, 1e-9) << c.item;
  }
}

// A cash sale whose return line and cash discount outweigh the goods: the customer is paid 19
// in cash. Every entry keeps the side the books of the export give it.
TEST(AddInventoryAccEntries, ABillBelowZeroTurnsThePartyAndTheCashToTheOtherSide) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  InventoryAccInputs in = Sale("-19");
  in.type_name = "Local-MultiRate Consolidated";
  in.carry_settlement = true;
  in.sundries = {"SGST|2.74", "CGST|2.74", "CASH DISCOUNT|-70"};
  in.other = -70;
  in.other_account_name = "CASH DISCOUNT";
  AddInventoryAccEntries(root, in);
  auto e = Entries(root);
  ASSERT_EQ(e.size(), 7u);
  EXPECT_THAT(e[0], IsEntry("Ram Traders", "2", "19"));
  EXPECT_THAT(e[1], IsEntry("Sales", "2", "45.52"));
  EXPECT_THAT(e[2], IsEntry("Cash", "2", "19"));
  EXPECT_THAT(e[3], IsEntry("Ram Traders", "1", "-19"));
  EXPECT_EQ(At(root, "AccEntries/AccDetail[4]/CashFlow"), "-19");
  EXPECT_THAT(e[4], IsEntry("SGST Output", "2", "2.74"));
  EXPECT_THAT(e[5], IsEntry("CGST Output", "2", "2.74"));
  EXPECT_THAT(e[6], IsEntry("CASH DISCOUNT", "1", "-70"));
  EXPECT_NEAR(SignedSum(root), 0, 1e-9);

  // Goods taken back worth more than those sold, on credit: the taxes come back as debits.
  pugi::xml_document credit_doc;
  pugi::xml_node credit = credit_doc.append_child("Sale");
  in = Sale("-112");
  in.type_name = "Local-MultiRate Consolidated";
  in.sundries = {"SGST|-6", "CGST|-6"};
  AddInventoryAccEntries(credit, in);
  e = Entries(credit);
  ASSERT_EQ(e.size(), 4u);
  EXPECT_THAT(e[0], IsEntry("Ram Traders", "2", "112"));
  EXPECT_THAT(e[1], IsEntry("Sales", "1", "-100"));
  EXPECT_THAT(e[2], IsEntry("SGST Output", "1", "-6"));
  EXPECT_THAT(e[3], IsEntry("CGST Output", "1", "-6"));
  EXPECT_NEAR(SignedSum(credit), 0, 1e-9);

  // The same on a purchase: the supplier owes the difference and pays it back in cash.
  pugi::xml_document purchase_doc;
  pugi::xml_node purchase = purchase_doc.append_child("Purchase");
  in = Sale("-250");
  in.type = 2;
  in.carry_settlement = true;
  AddInventoryAccEntries(purchase, in);
  e = Entries(purchase);
  ASSERT_EQ(e.size(), 4u);
  EXPECT_THAT(e[0], IsEntry("Ram Traders", "1", "-250"));
  EXPECT_THAT(e[1], IsEntry("Purchase", "2", "250"));
  EXPECT_THAT(e[2], IsEntry("Cash", "1", "-250"));
  EXPECT_THAT(e[3], IsEntry("Ram Traders", "2", "250"));
  EXPECT_NEAR(SignedSum(purchase), 0, 1e-9);
}

// The round-off counts the cash discount as its own entry carries it, a debit, so it is left with
// the rounding alone, whether the bill is above or below zero.
TEST(AddInventoryAccEntries, ARoundOffBesideACashDiscountTakesOnlyTheRounding) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  InventoryAccInputs in = Sale("985");
  in.sundries = {"Rounded Off (-)|-0.3", "CASH DISCOUNT|-15"};
  in.round_off = -0.3;
  in.other = -15;
  in.other_account_name = "CASH DISCOUNT";
  AddInventoryAccEntries(root, in);
  auto e = Entries(root);
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[1].account, "Sales");
  EXPECT_NEAR(std::stod(e[1].amount), 1000.3, 1e-9);
  EXPECT_EQ(e[2].account, "Rounded Off");
  EXPECT_EQ(e[2].side, "1");
  EXPECT_NEAR(std::stod(e[2].amount), -0.3, 1e-9);
  EXPECT_THAT(e[3], IsEntry("CASH DISCOUNT", "1", "-15"));
  EXPECT_NEAR(SignedSum(root), 0, 1e-9);

  pugi::xml_document below_doc;
  pugi::xml_node below = below_doc.append_child("Sale");
  in = Sale("-52");
  in.type_name = "Local-MultiRate Consolidated";
  in.carry_settlement = true;
  in.sundries = {"SGST|2.16", "CGST|2.16", "Rounded Off (-)|-0.29", "CASH DISCOUNT|-80"};
  in.round_off = -0.29;
  in.other = -80;
  in.other_account_name = "CASH DISCOUNT";
  AddInventoryAccEntries(below, in);
  e = Entries(below);
  ASSERT_EQ(e.size(), 8u);
  EXPECT_THAT(e[0], IsEntry("Ram Traders", "2", "52"));
  EXPECT_NEAR(std::stod(e[1].amount), 23.97, 1e-9);
  EXPECT_THAT(e[2], IsEntry("Cash", "2", "52"));
  EXPECT_EQ(e[6].side, "1");
  EXPECT_NEAR(std::stod(e[6].amount), -0.29, 1e-9);
  EXPECT_THAT(e[7], IsEntry("CASH DISCOUNT", "1", "-80"));
  EXPECT_NEAR(SignedSum(below), 0, 1e-9);
}

TEST(AddInventoryAccEntries, AnAmountThatIsNotANumberIsARunTimeError) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  EXPECT_THROW(AddInventoryAccEntries(root, Sale("12a")), RunTimeError);
  InventoryAccInputs in = Sale("100");
  in.sundries = {"SGST|x"};
  EXPECT_THROW(AddInventoryAccEntries(root, in), RunTimeError);
}

}  // namespace
}  // namespace vodare
