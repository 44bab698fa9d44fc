// The ledger side of inventory vouchers (tests/data/inventory_acc_entries.txt).
#include "vouchers/acc_entries.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/run_error.h"
#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

// A sale S1 to Ram Traders (unless the inputs say another type) of the amount given.
InventoryAccInputs Sale(std::string amount, InventoryAccInputs in = {}) {
  in.party_name = "Ram Traders";
  in.amount_text = std::move(amount);
  in.date = "05-03-2024";
  in.voucher_no = "S1";
  if (in.type == 0) in.type = 9;
  if (in.type_name.empty()) in.type_name = "VAT/MultiRate (R)";
  return in;
}

TEST(SignAmount, DebitsCarryAMinusSignTinyAmountsBecomeZeroAndTextsMustBeNumbers) {
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
  RecordWriter record("Sale");
  EXPECT_THROW(AddInventoryAccEntries(record.root(), Sale("12a")), RunTimeError);
  EXPECT_THROW(AddInventoryAccEntries(record.root(), Sale("100", {.sundries = {"SGST|x"}})),
               RunTimeError);
}

// Charges below zero, bills below zero, the round-off and freight counted once.
TEST(AddInventoryAccEntries, EachBillShapeGivesTheKeptEntries) {
  const std::string local = "Local-MultiRate Consolidated";
  const std::vector<std::string> seven = {"SGST|1", "CGST|1", "A|1", "B|1", "C|1", "D|1", "E|1"};
  const std::vector<std::pair<const char*, InventoryAccInputs>> cases = {
      {"plain sale", Sale("1180")},
      {"tax-inclusive sale",
       Sale("1180", {.type_name = "Local-TaxIncl.", .sundries = {"SGST|90", "CGST|90"}})},
      {"purchase settled in cash", Sale("500", {.type = 2, .carry_settlement = true})},
      {"sale paid partly in cash",
       Sale("500", {.carry_settlement = true, .split_payment = true, .cash_amount = 200})},
      {"round-off with freight and other charges",
       Sale("1000", {.type_name = local,
                     .sundries = {"SGST|45", "CGST|45", "Freight & Forwarding Charges|50",
                                  "Rounded Off (-)|-0.4", "Cartage|10", "Suspense A/c|5"},
                     .round_off = -0.4,
                     .other = 10,
                     .freight = 50,
                     .sales_tax = 5})},
      {"sale rounded up",
       Sale("8458", {.type_name = local,
                     .sundries = {"SGST|510.09", "CGST|510.09", "Rounded Off (+)|0.34"},
                     .round_off = 0.34})},
      {"purchase rounded up",
       Sale("1000", {.type = 2, .sundries = {"Rounded Off (+)|0.25"}, .round_off = 0.25})},
      {"round-off with nothing to balance",
       Sale("100", {.sundries = {"Rounded Off (-)|-0.5"}, .round_off = -0.5, .freight = 0.5})},
      {"only five sundry items", Sale("100", {.sundries = seven})},
      {"six sundry items for local tax", Sale("100", {.type_name = local, .sundries = seven})},
      {"material issue", Sale("100", {.type = 11})},
      {"broker marks the party only", Sale("100", {.broker_name = "Mohan"})},
      {"sale cash discount", Sale("985", {.sundries = {"CASH DISCOUNT|-15"}, .other = -15})},
      {"sale allowance", Sale("985", {.sundries = {"Other Charges|-15"}, .other = -15})},
      {"sale cartage", Sale("1015", {.sundries = {"Cartage|15"}, .other = 15})},
      {"purchase allowance",
       Sale("985", {.type = 2, .sundries = {"Other Charges|-15"}, .other = -15})},
      {"sale return cash discount",
       Sale("985", {.type = 3, .sundries = {"CASH DISCOUNT|-15"}, .other = -15})},
      {"cash sale below zero",
       Sale("-19", {.carry_settlement = true,
                    .type_name = local,
                    .sundries = {"SGST|2.74", "CGST|2.74", "CASH DISCOUNT|-70"},
                    .other = -70,
                    .other_account_name = "CASH DISCOUNT"})},
      {"credit sale below zero",
       Sale("-112", {.type_name = local, .sundries = {"SGST|-6", "CGST|-6"}})},
      {"cash purchase below zero", Sale("-250", {.type = 2, .carry_settlement = true})},
      {"round-off beside a cash discount",
       Sale("985", {.sundries = {"Rounded Off (-)|-0.3", "CASH DISCOUNT|-15"},
                    .round_off = -0.3,
                    .other = -15,
                    .other_account_name = "CASH DISCOUNT"})},
      {"round-off beside a cash discount below zero",
       Sale("-52",
            {.carry_settlement = true,
             .type_name = local,
             .sundries = {"SGST|2.16", "CGST|2.16", "Rounded Off (-)|-0.29", "CASH DISCOUNT|-80"},
             .round_off = -0.29,
             .other = -80,
             .other_account_name = "CASH DISCOUNT"})},
  };
  std::string text;
  for (const auto& [name, in] : cases) {
    RecordWriter record("Sale");
    AddInventoryAccEntries(record.root(), in);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(record.Finish().c_str()));
    const pugi::xml_node root = doc.first_child();
    text += std::string("== ") + name + (root.child("AccEntries") ? "" : " (no entries)") + "\n";
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

}  // namespace
}  // namespace vodare
