// The ledger side of inventory vouchers (tests/data/inventory_acc_entries.txt).
#include "vouchers/acc_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "common/run_error.h"
#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

// A sale S1 to Ram Traders of the amount given, or the bill a kept line describes.
InventoryAccInputs Sale(const std::string& bill) {
  InventoryAccInputs in;
  in.party_name = "Ram Traders";
  in.type = 9;
  in.date = "05-03-2024";
  in.voucher_no = "S1";
  in.type_name = "VAT/MultiRate (R)";
  std::istringstream parts(bill);
  std::getline(parts, in.amount_text, ';');
  for (std::string part; std::getline(parts >> std::ws, part, ';');) {
    const std::string key = part.substr(0, part.find(' ')),
                      value = part.substr(std::min(part.size(), key.size() + 1));
    const double number = std::atof(value.c_str());
    if (key == "type") in.type = static_cast<int16_t>(number);
    if (key == "taxes") in.type_name = value;
    if (key == "settle") in.carry_settlement = true;
    if (key == "split") in.split_payment = true, in.cash_amount = number;
    if (key == "round") in.round_off = number;
    if (key == "freight") in.freight = number;
    if (key == "stax") in.sales_tax = number;
    if (key == "broker") in.broker_name = value;
    if (key == "other") in.other = number;
    if (key == "account") in.other_account_name = value;
    for (std::istringstream list(key == "sundries" ? value : ""); std::getline(list, part, ',');)
      in.sundries.push_back(part);
  }
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
  EXPECT_THROW(AddInventoryAccEntries(record.root(), Sale("100; sundries SGST|x")), RunTimeError);
}

TEST(AddInventoryAccEntries, EachBillShapeGivesTheKeptEntries) {
  testing::ExpectKeptAnswers(
      "inventory_acc_entries.txt", [](const std::string&, const std::string& bill) {
        RecordWriter record("Sale");
        AddInventoryAccEntries(record.root(), Sale(bill));
        pugi::xml_document doc;
        doc.load_string(record.Finish().c_str());
        const pugi::xml_node root = doc.first_child();
        std::string text = root.child("AccEntries") ? "" : "(no entries)";
        for (pugi::xpath_node d : root.select_nodes("AccEntries/AccDetail")) {
          text += " /";
          for (pugi::xml_node f : d.node().children())
            text += std::string(" ") + f.name() + "=" + f.text().get();
        }
        char sum[32];
        std::snprintf(sum, sizeof sum, "%.9f", testing::SignedSum(root) + 0.0);
        return text + " / balance " + (std::string(sum) == "-0.000000000" ? "0.000000000" : sum);
      });
}

}  // namespace
}  // namespace vodare
