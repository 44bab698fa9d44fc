// Bill sundries of an inventory voucher and the masters they create once per stage.
#include "vouchers/bill_sundries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using H = InventoryVoucherHeader;

struct Fixture {
  testing::FixedLookups lookups;
  ErrorList errors;
  std::vector<std::string> saved;  // "kind record" of each master saved
  std::string refuse;              // a name the destination refuses
  BillSundryMasters masters;

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
};

// A bill as a line of tests/data/inventory_bill_sundries.txt describes it.
std::string Answer(const std::string&, const std::string& bill) {
  static const std::map<std::string, std::string H::*> fields = {
      {"cgstamo", &H::cgstamo},    {"taxamo", &H::taxamo},   {"round", &H::round},
      {"final", &H::final_amount}, {"freight", &H::freight}, {"packing", &H::packing},
      {"other", &H::other},        {"othun", &H::othun},     {"staxamo", &H::staxamo}};
  H h = testing::Header("1180", "0");  // every charge 0 unless the line gives it
  h.date = "05-03-2024";
  h.freight = h.packing = "0";
  std::string type_name = "VAT/MultiRate (R)";
  bool inclusive = false, unreconciled = false;
  double discount = 0;
  int runs = 1;
  std::istringstream parts(bill);
  for (std::string part; std::getline(parts >> std::ws, part, ';');) {
    const std::string key = part.substr(0, part.find(' ')),
                      value = part.substr(std::min(part.size(), key.size() + 1));
    if (fields.count(key)) h.*fields.at(key) = value;
    if (key == "taxes") type_name = value;
    if (key == "discount") discount = std::stod(value);
    inclusive |= key == "inclusive";
    unreconciled |= key == "unreconciled";
    runs += key == "twice";
  }
  Fixture f;
  f.lookups.accounts = {{"55", "Cartage"}, {"9", "Cash Discount"}};
  std::vector<std::string> list;
  pugi::xml_document doc;  // the last voucher's record, read back
  for (int i = 0; i < runs; ++i) {
    list.clear();
    RecordWriter record("Sale");
    AddBillSundries(record.root(), h, {9, "S1", unreconciled, discount, type_name, inclusive},
                    f.masters, f.lookups, list);
    EXPECT_TRUE(doc.load_string(record.Finish().c_str()));
  }
  std::string text = "list:";
  for (const std::string& item : list) text += " [" + item + "]";
  for (pugi::xpath_node d : doc.first_child().select_nodes("BillSundries/BSDetail")) {
    text += " /";
    for (pugi::xml_node field : d.node().children())
      text += std::string(" ") + field.name() + "=" + field.text().get();
  }
  for (const std::string& s : f.saved) text += " / saved " + s;
  return text + " / errors: " + f.errors.Text();
}

TEST(AddBillSundries, EachBranchGivesTheKeptSundriesAndMasters) {
  testing::ExpectKeptAnswers("inventory_bill_sundries.txt", Answer);
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
