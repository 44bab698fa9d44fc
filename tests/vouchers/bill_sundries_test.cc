// Bill sundries of an inventory voucher: the branches, the per-voucher list the accounting
// entries read, the masters created once per stage, and the tax percentage.
#include "vouchers/bill_sundries.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/run_error.h"
#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using testing::FixedLookups;

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

// Every branch (local and central tax, tax-inclusive bills, other charges with and without an
// account, discounts, sales tax) as the kept copy tests/data/inventory_bill_sundries.txt holds
// it: the list the accounting entries read, the sundries written, the masters saved (once per
// stage) and the error list.
TEST(AddBillSundries, EachBranchGivesTheKeptSundriesAndMasters) {
  const std::vector<std::pair<const char*, std::function<void(Fixture&)>>> cases = {
      {"local tax with a round-off",
       [](Fixture& f) {
         InventoryVoucherHeader h = Header();
         h.cgstamo = "90";
         h.taxamo = "180";
         h.round = "-0.4";
         f.Run(h, Inputs("Local-MultiRate Consolidated"));
       }},
      {"tax-inclusive bill with a percentage of nothing",
       [](Fixture& f) {
         InventoryVoucherHeader h = Header();
         h.cgstamo = "90";
         h.final_amount = "180";
         h.taxamo = "180";
         h.freight = "30";
         h.packing = "20";
         f.Run(h, Inputs("Local-TaxIncl.", true));
       }},
      {"local tax of nothing",
       [](Fixture& f) { f.Run(Header(), Inputs("Local-MultiRate Consolidated")); }},
      {"central tax and freight",
       [](Fixture& f) {
         InventoryVoucherHeader h = Header();
         h.taxamo = "118.0";
         h.freight = "50";
         f.Run(h, Inputs("Central-MultiRate Consolidated"));
       }},
      {"other charges with their account, twice",
       [](Fixture& f) {
         f.lookups.accounts["55"] = "Cartage";
         InventoryVoucherHeader h = Header();
         h.other = "15";
         h.othun = "55";
         f.Run(h, Inputs("VAT/MultiRate (R)"));
         f.Run(h, Inputs("VAT/MultiRate (R)"));
       }},
      {"other charges below zero without an account",
       [](Fixture& f) {
         InventoryVoucherHeader h = Header();
         h.other = "-15";
         f.Run(h, Inputs("VAT/MultiRate (R)"));
       }},
      {"cash discount",
       [](Fixture& f) {
         f.lookups.accounts["9"] = "Cash Discount";
         InventoryVoucherHeader h = Header();
         h.other = "-15";
         h.othun = "9";
         f.Run(h, Inputs("VAT/MultiRate (R)"));
       }},
      {"reconciled discount",
       [](Fixture& f) {
         SundryInputs in = Inputs("VAT/MultiRate (R)");
         in.discount_total = -12.5;
         f.Run(Header(), in);
       }},
      {"discount not reconciled",
       [](Fixture& f) {
         SundryInputs in = Inputs("VAT/MultiRate (R)");
         in.discount_total = -12.5;
         in.not_reconciled = true;
         f.Run(Header(), in);
       }},
      {"sales tax, twice",
       [](Fixture& f) {
         InventoryVoucherHeader h = Header();
         h.staxamo = "7";
         f.Run(h, Inputs("VAT/MultiRate (R)"));
         f.Run(h, Inputs("VAT/MultiRate (R)"));
       }},
  };
  std::string text;
  for (const auto& [name, run] : cases) {
    Fixture f;
    run(f);
    text += std::string("== ") + name + "\nlist:";
    for (const std::string& item : f.list) text += " [" + item + "]";
    text += "\n";
    for (pugi::xpath_node d : f.Details()) {
      for (pugi::xml_node field : d.node().children())
        text += std::string(" ") + field.name() + "=" + field.text().get();
      text += "\n";
    }
    for (const Saved& s : f.saved) text += "saved " + std::to_string(s.kind) + " " + s.xml + "\n";
    text += "errors: " + f.errors.Text() + "\n";
  }
  testing::ExpectGolden("inventory_bill_sundries.txt", text);
}

TEST(AddBillSundries, AWrittenPercentageOfNothingIsTheVouchersRunTimeError) {
  Fixture f;
  InventoryVoucherHeader h = Header();
  h.cgstamo = "90";
  h.final_amount = "180";
  h.taxamo = "180";
  EXPECT_THROW(f.Run(h, Inputs("Local-TaxIncl.", false)), RunTimeError);
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
