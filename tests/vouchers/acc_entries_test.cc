// The ledger side of inventory vouchers: sides, tax-inclusive splits, cash settlement, the
// round-off that balances the bill, and the limits on sundry items. Each case's entries and
// balance are compared with the kept copy tests/data/inventory_acc_entries.txt.
#include "vouchers/acc_entries.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "common/run_error.h"
#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

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

// Charges below zero (a cash discount, an allowance) are debits on a sale and credits on a
// purchase; a bill below zero turns the party and the cash to the other side; the round-off is
// left with the rounding alone, a cash discount beside it or not; freight is counted once.
TEST(AddInventoryAccEntries, EachBillShapeGivesTheKeptEntries) {
  const std::string local = "Local-MultiRate Consolidated";
  const std::vector<std::pair<const char*, std::function<void(InventoryAccInputs&)>>> cases = {
      {"plain sale", [](auto& in) { in = Sale("1180"); }},
      {"tax-inclusive sale",
       [](auto& in) {
         in = Sale("1180");
         in.type_name = "Local-TaxIncl.";
         in.sundries = {"SGST|90", "CGST|90"};
       }},
      {"purchase settled in cash",
       [](auto& in) {
         in = Sale("500");
         in.type = 2;
         in.carry_settlement = true;
       }},
      {"sale paid partly in cash",
       [](auto& in) {
         in = Sale("500");
         in.carry_settlement = in.split_payment = true;
         in.cash_amount = 200;
       }},
      {"round-off with freight and other charges",
       [&](auto& in) {
         in = Sale("1000");
         in.type_name = local;
         in.sundries = {"SGST|45",
                        "CGST|45",
                        "Freight & Forwarding Charges|50",
                        "Rounded Off (-)|-0.4",
                        "Cartage|10",
                        "Suspense A/c|5"};
         in.round_off = -0.4;
         in.freight = 50;
         in.other = 10;
         in.sales_tax = 5;
       }},
      {"sale rounded up",
       [&](auto& in) {
         in = Sale("8458");
         in.type_name = local;
         in.sundries = {"SGST|510.09", "CGST|510.09", "Rounded Off (+)|0.34"};
         in.round_off = 0.34;
       }},
      {"purchase rounded up",
       [](auto& in) {
         in = Sale("1000");
         in.type = 2;
         in.sundries = {"Rounded Off (+)|0.25"};
         in.round_off = 0.25;
       }},
      {"round-off with nothing to balance",
       [](auto& in) {
         in = Sale("100");
         in.sundries = {"Rounded Off (-)|-0.5"};
         in.round_off = -0.5;
         in.freight = 0.5;
       }},
      {"only five sundry items",
       [](auto& in) {
         in = Sale("100");
         in.sundries = {"SGST|1", "CGST|1", "A|1", "B|1", "C|1", "D|1", "E|1"};
       }},
      {"six sundry items for local tax",
       [&](auto& in) {
         in = Sale("100");
         in.type_name = local;
         in.sundries = {"SGST|1", "CGST|1", "A|1", "B|1", "C|1", "D|1", "E|1"};
       }},
      {"material issue",
       [](auto& in) {
         in = Sale("100");
         in.type = 11;
       }},
      {"broker marks the party only",
       [](auto& in) {
         in = Sale("100");
         in.broker_name = "Mohan";
       }},
      {"sale cash discount",
       [](auto& in) {
         in = Sale("985");
         in.sundries = {"CASH DISCOUNT|-15"};
         in.other = -15;
       }},
      {"sale allowance",
       [](auto& in) {
         in = Sale("985");
         in.sundries = {"Other Charges|-15"};
         in.other = -15;
       }},
      {"sale cartage",
       [](auto& in) {
         in = Sale("1015");
         in.sundries = {"Cartage|15"};
         in.other = 15;
       }},
      {"purchase allowance",
       [](auto& in) {
         in = Sale("985");
         in.type = 2;
         in.sundries = {"Other Charges|-15"};
         in.other = -15;
       }},
      {"sale return cash discount",
       [](auto& in) {
         in = Sale("985");
         in.type = 3;
         in.sundries = {"CASH DISCOUNT|-15"};
         in.other = -15;
       }},
      {"cash sale below zero",
       [&](auto& in) {
         in = Sale("-19");
         in.type_name = local;
         in.carry_settlement = true;
         in.sundries = {"SGST|2.74", "CGST|2.74", "CASH DISCOUNT|-70"};
         in.other = -70;
         in.other_account_name = "CASH DISCOUNT";
       }},
      {"credit sale below zero",
       [&](auto& in) {
         in = Sale("-112");
         in.type_name = local;
         in.sundries = {"SGST|-6", "CGST|-6"};
       }},
      {"cash purchase below zero",
       [](auto& in) {
         in = Sale("-250");
         in.type = 2;
         in.carry_settlement = true;
       }},
      {"round-off beside a cash discount",
       [](auto& in) {
         in = Sale("985");
         in.sundries = {"Rounded Off (-)|-0.3", "CASH DISCOUNT|-15"};
         in.round_off = -0.3;
         in.other = -15;
         in.other_account_name = "CASH DISCOUNT";
       }},
      {"round-off beside a cash discount below zero",
       [&](auto& in) {
         in = Sale("-52");
         in.type_name = local;
         in.carry_settlement = true;
         in.sundries = {"SGST|2.16", "CGST|2.16", "Rounded Off (-)|-0.29", "CASH DISCOUNT|-80"};
         in.round_off = -0.29;
         in.other = -80;
         in.other_account_name = "CASH DISCOUNT";
       }},
  };
  std::string text;
  for (const auto& [name, arrange] : cases) {
    InventoryAccInputs in;
    arrange(in);
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Sale");
    const std::string returned = AddInventoryAccEntries(root, in);
    text += std::string("== ") + name + (returned.empty() ? " (no entries)" : "") + "\n";
    for (pugi::xpath_node d : root.select_nodes("AccEntries/AccDetail")) {
      for (pugi::xml_node f : d.node().children())
        text += std::string(" ") + f.name() + "=" + f.text().get();
      text += "\n";
    }
    char sum[32];
    std::snprintf(sum, sizeof sum, "%.9f", testing::SignedSum(root) + 0.0);
    text +=
        std::string("balance ") + (std::string(sum) == "-0.000000000" ? "0.000000000" : sum) + "\n";
  }
  testing::ExpectGolden("inventory_acc_entries.txt", text);
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
