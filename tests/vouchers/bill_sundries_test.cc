// Bill sundries of an inventory voucher and the masters they create once per stage.
#include "vouchers/bill_sundries.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using H = InventoryVoucherHeader;

// A bill of 1180 with every charge 0, the header fields given changed.
H Header(const std::vector<std::pair<std::string H::*, const char*>>& changes = {}) {
  H h = testing::Header("1180", "0");
  h.date = "05-03-2024";
  h.freight = h.packing = "0";
  for (const auto& [field, value] : changes) h.*field = value;
  return h;
}

struct Fixture {
  pugi::xml_document doc;  // the last run's record, read back
  pugi::xml_node root;
  testing::FixedLookups lookups;
  ErrorList errors;
  std::vector<std::string> saved;  // "kind record" of each master saved
  std::string refuse;              // a name the destination refuses
  BillSundryMasters masters;
  std::vector<std::string> list;

  Fixture() {
    masters.errors = &errors;
    masters.save_master = [this](int16_t kind, std::string& xml, std::string& message) {
      saved.push_back(std::to_string(kind) + " " + xml);
      if (refuse.empty() || xml.find("<Name>" + refuse + "</Name>") == std::string::npos)
        return true;
      message = "Bill sundry refused";
      return false;
    };
  }
  void Run(const H& h, const std::string& type_name, bool tax_inclusive = false,
           double discount_total = 0, bool not_reconciled = false) {
    list.clear();
    SundryInputs in{9, "S1", not_reconciled, discount_total, type_name, tax_inclusive};
    RecordWriter record("Sale");
    AddBillSundries(record.root(), h, in, masters, lookups, list);
    EXPECT_TRUE(doc.load_string(record.Finish().c_str()));
    root = doc.first_child();
  }
};

constexpr const char* kLocal = "Local-MultiRate Consolidated";
constexpr const char* kVat = "VAT/MultiRate (R)";

// Every branch as tests/data/inventory_bill_sundries.txt holds it.
TEST(AddBillSundries, EachBranchGivesTheKeptSundriesAndMasters) {
  struct Case {
    const char* name;
    H header;
    const char* type_name = kVat;
    bool tax_inclusive = false;
    double discount_total = 0;
    bool not_reconciled = false;
    int runs = 1;
  };
  const std::vector<Case> cases = {
      {"local tax with a round-off",
       Header({{&H::cgstamo, "90"}, {&H::taxamo, "180"}, {&H::round, "-0.4"}}), kLocal},
      {"tax-inclusive bill with a percentage of nothing",
       Header({{&H::cgstamo, "90"},
               {&H::final_amount, "180"},
               {&H::taxamo, "180"},
               {&H::freight, "30"},
               {&H::packing, "20"}}),
       "Local-TaxIncl.", true},
      {"local tax of nothing", Header(), kLocal},
      {"central tax and freight", Header({{&H::taxamo, "118.0"}, {&H::freight, "50"}}),
       "Central-MultiRate Consolidated"},
      {"other charges with their account, twice", Header({{&H::other, "15"}, {&H::othun, "55"}}),
       kVat, false, 0, false, 2},
      {"other charges below zero without an account", Header({{&H::other, "-15"}})},
      {"cash discount", Header({{&H::other, "-15"}, {&H::othun, "9"}})},
      {"reconciled discount", Header(), kVat, false, -12.5},
      {"discount not reconciled", Header(), kVat, false, -12.5, true},
      {"sales tax, twice", Header({{&H::staxamo, "7"}}), kVat, false, 0, false, 2},
  };
  std::string text;
  for (const Case& c : cases) {
    Fixture f;
    f.lookups.accounts = {{"55", "Cartage"}, {"9", "Cash Discount"}};
    for (int i = 0; i < c.runs; ++i)
      f.Run(c.header, c.type_name, c.tax_inclusive, c.discount_total, c.not_reconciled);
    text += std::string("== ") + c.name + "\nlist:";
    for (const std::string& item : f.list) text += " [" + item + "]";
    text += "\n";
    for (pugi::xpath_node d : f.root.select_nodes("BillSundries/BSDetail")) {
      for (pugi::xml_node field : d.node().children())
        text += std::string(" ") + field.name() + "=" + field.text().get();
      text += "\n";
    }
    for (const std::string& s : f.saved) text += "saved " + s + "\n";
    text += "errors: " + f.errors.Text() + "\n";
  }
  testing::ExpectGolden("inventory_bill_sundries.txt", text);
  // A percentage of nothing that would be written fails the voucher.
  Fixture f;
  EXPECT_THROW(f.Run(Header({{&H::cgstamo, "90"}, {&H::final_amount, "180"}, {&H::taxamo, "180"}}),
                     "Local-TaxIncl."),
               RunTimeError);
}

// Sundry names: cut to forty keeping their suffix, blank, refused once, escaped.
TEST(EnsureBillSundryMaster, NamesAreCutEscapedAndSavedOnce) {
  Fixture f;
  std::string name(38, 'a'), freight = "Freight & Forwarding Charges", blank = "  ";
  EnsureBillSundryMaster(f.masters, name, true);
  EXPECT_EQ(name, std::string(34, 'a') + " (+)");
  EnsureBillSundryMaster(f.masters, freight, true);
  EXPECT_EQ(freight, "Freight & Forwarding Charges");
  EnsureBillSundryMaster(f.masters, blank, true);
  EXPECT_EQ(f.saved.size(), 2u);

  f.refuse = "Loading &amp; &lt;Unloading&gt;";
  for (int i = 0; i < 2; ++i) {
    std::string loading = "Loading & <Unloading>";
    EnsureBillSundryMaster(f.masters, loading, false);
  }
  ASSERT_EQ(f.saved.size(), 3u);
  EXPECT_NE(f.saved[2].find("<SalesAccName>Loading &amp; &lt;Unloading&gt;</SalesAccName>"),
            std::string::npos);
  EXPECT_EQ(f.errors.Text(), "Bill Sundry Name : Loading & <Unloading> - Bill sundry refused_");
}

}  // namespace
}  // namespace vodare
