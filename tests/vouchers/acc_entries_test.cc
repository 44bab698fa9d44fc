// The ledger side of inventory vouchers (tests/data/inventory_acc_entries.txt).
#include "vouchers/acc_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "common/text.h"
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

TEST(InventoryAccEntries, EachBillAndChargeGivesTheKeptAnswer) {
  testing::ExpectKeptAnswers(
      "inventory_acc_entries.txt", [](const std::string& function, const std::string& bill) {
        const std::vector<std::string> p = testing::InputParts(bill, 2);
        if (function == "GetChargeKind") return std::to_string(GetChargeKind(bill));
        if (function == "GetChargeAccountName")
          return GetChargeAccountName(static_cast<int16_t>(std::stoi(p[0])), p[1]);
        if (function == "SignAmount") {  // the amount is signed in place
          double amount = std::stod(p[1]);
          const double signed_amount = SignAmount(static_cast<int16_t>(std::stoi(p[0])), amount);
          return DoubleToText(signed_amount) + ", left as " + DoubleToText(amount);
        }
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
