// The inventory voucher stage from a small real export into a real local company.
#include <gtest/gtest.h>

#include <filesystem>

#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "source/source_db.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "support/text_dbf.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/fixed_lookups.h"
#include "vouchers/inventory_vouchers.h"
#include "vouchers/pending_bill_refs.h"
#include "vouchers/voucher_source.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::WriteTextDbf;

// The columns of tests/data/inventory_stage_export.txt.
constexpr const char* kMdis =
    "TYPE C 1;VCN C 12;VOUCHER N 10 0;DATE D;CODEP C 10;FINAL N 12 2;CGSTAMO N 12 2;"
    "TAXAMO N 12 2;CASH N 12 2;PACKING N 12 2;FREIGHT N 12 2;ROUND N 12 2;OTHER N 12 2;"
    "STAXAMO N 12 2;CHALLAN C 12;CHDATE D;PM C 15;DOCU C 40;PHONE C 15;DOCU2 C 40;OTHUN C 10;"
    "STAXUN C 10;GODWON C 10;MR C 10";
constexpr const char* kDis =
    "VOUCHER N 10 0;VCN C 12;DATE D;CODE N 8 0;QTY N 12 2;RATE N 12 2;AMMMOUNT N 12 2;"
    "PACK N 12 2;FREE N 12 2;SDISCOUNT N 12 2;SVDIS N 12 2;SVDIS1 N 12 2;MRP N 12 2;BATCH C 15;"
    "MFD D;EXP D;GODWON C 10;NERA C 40;FLG C 1";
// A header without taxes, cash or charges (CGSTAMO to STAXAMO all 0).
std::string Bill(const std::string& key, const std::string& final_amount,
                 const std::string& rest = "") {
  return key + "|" + final_amount + "|0|0|0|0|0|0|0|0|" + rest;
}
// A line of qty at rate without pack, free goods or discounts; rest gives the columns from MRP.
std::string Line(int voucher, const std::string& vcn, const std::string& date, int code, int qty,
                 int rate, const std::string& rest = "0") {
  return std::to_string(voucher) + "|" + vcn + "|" + date + "|" + std::to_string(code) + "|" +
         std::to_string(qty) + "|" + std::to_string(rate) + "|" + std::to_string(qty * rate) +
         "|0|0|0|0|0|" + rest;
}

class InventoryStage : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteTextExport(export_, "inventory_stage_export.txt");
    auto s = testing::OpenLocalCompany(company_);
    std::vector<std::pair<int16_t, std::string>> masters = {
        {2, "<Account><Name>Ram Traders</Name><ParentGroup>Sundry Debtors</ParentGroup></Account>"},
        {2,
         "<Account><Name>Shah Suppliers</Name><ParentGroup>Sundry Creditors</ParentGroup>"
         "</Account>"},
        {6, "<Item><Name>Paracetamol 500</Name></Item>"},
        {6, "<Item><Name>Soap &amp; (Gel) 'Mint'</Name></Item>"}};
    for (auto [kind, element] :
         {std::pair<int16_t, const char*>{13, "SaleType"}, {14, "PurchaseType"}})
      for (const char* region : {"Local", "Central"})
        masters.push_back({kind, std::string("<") + element + "><Name>" + region +
                                     "-MultiRate Consolidated</Name></" + element + ">"});
    testing::SaveMasters(s, masters);
    std::string sales = "Sales";
    sales_series_ = s.fixed1->SaveVchSeriesForMultiSeriesCreation(sales, 9);
  }

  // One run of the stage on a fresh context, as the run driver would make it.
  struct Run {
    std::unique_ptr<AutomationFactory> factory;
    testing::RecordingRunUi ui;
    RunContext ctx{ui};
    const StageTally& tally() const { return *ctx.summary.Find(kInventoryVoucherStage); }
  };
  std::unique_ptr<Run> RunStage() {
    auto run = std::make_unique<Run>();
    ErrorList errors;
    EXPECT_TRUE(OpenSourceDb(run->ctx, export_.string(), errors));
    run->factory = testing::ConnectLocalCompany(run->ctx, company_);
    std::string from = "01-04-2024", to = "31-03-2025";
    ImportInventoryVouchers(run->ctx, from, to);
    EXPECT_EQ(from + " " + to, "04-01-2024 03-31-2025");
    return run;
  }
  void ReplaceVouchers(const std::vector<std::string>& mdis, const std::vector<std::string>& dis) {
    WriteTextDbf(export_ / "mdis.dbf", kMdis, mdis);
    WriteTextDbf(export_ / "dis.dbf", kDis, dis);
  }
  std::vector<local::JournalRow> Vouchers() const {
    return testing::JournalOf(company_, "SaveVchFromXML");
  }
  size_t Accepted() const { return testing::JournalOf(company_, "SaveVchFromXML", true).size(); }

  testing::LocalCompany company_ =
      testing::CreateLocalCompany({"Test Pharma", "MAHARASHTRA", {2024}, false});
  fs::path export_ = company_.dir->path() / "export";
  int32_t sales_series_ = 0;
};

TEST_F(InventoryStage, SendsEachVoucherOfTheRangeOnceAsTheKeptCopyHoldsIt) {
  auto run = RunStage();
  std::string text = testing::StageRunText(company_, "SaveVchFromXML", run->ctx);
  text += "series " + std::to_string(sales_series_) + "\npostings kept with";
  run->ctx.InventoryVoucherIds.ForEach(
      [&](const std::string& key, const std::string&) { text += " " + key; });
  testing::ExpectGolden("inventory_stage_awkward_export.txt", text + "\n");
  // Every voucher the store took balances to the last paisa and beyond.
  for (const auto& row : Vouchers()) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(row.text.c_str())) << row.text;
    if (row.accepted) {
      EXPECT_NEAR(testing::SignedSum(doc.first_child()), 0, 1e-6) << row.text;
    }
  }
  local::CompanyStore store = testing::StoreOf(company_);
  local::TrialBalance tb = local::ComputeTrialBalance(store);
  EXPECT_NEAR(tb.debit, tb.credit, 1e-6);
}

TEST_F(InventoryStage, ASecondRunSavesNothingTwiceAndNamesEveryRefusal) {
  auto first = RunStage();
  const size_t saved_before = Accepted();
  auto second = RunStage();
  EXPECT_EQ(Accepted(), saved_before);
  // What the first run saved is already there; what it could not save is refused again.
  const StageTally& tally = second->tally();
  EXPECT_EQ(tally.saved, 0);
  EXPECT_EQ(tally.skipped.at(kSkipAlreadyPresent), first->tally().saved);
  EXPECT_EQ(tally.refused, first->tally().refused);
  EXPECT_EQ(tally.refused + first->tally().saved, 8);
  EXPECT_TRUE(tally.Balanced());
  // Every refusal of the second run is in the error list with the store's own message.
  const std::string errors = second->ctx.errors.Text();
  auto journal = Vouchers();
  for (size_t i = journal.size() - 8; i < journal.size(); ++i) {
    ASSERT_FALSE(journal[i].accepted);
    if (journal[i].text.find("Ghost Party") == std::string::npos) {
      EXPECT_NE(journal[i].message.find("already exists"), std::string::npos) << journal[i].message;
    }
    EXPECT_NE(errors.find(" - " + journal[i].message), std::string::npos) << journal[i].message;
  }
  // Vouchers already there keep their ids, so the ledger stage does not book them again.
  EXPECT_EQ(second->ctx.InventoryVoucherIds.Count(), first->ctx.InventoryVoucherIds.Count());
}

TEST_F(InventoryStage, KeysFoundAsStoredAndTheLineLimit) {
  std::vector<std::string> dis = {Line(6001, "C9", "2024-04-12", 101, 4, 10),
                                  Line(6002, "S10", "2024-04-12", 101, 1, 100),
                                  Line(6003, "s10", "2024-04-12", 101, 1, 100)};
  // A thousand lines are more than a voucher may carry; 999 are not.
  dis.insert(dis.end(), 1000, Line(6004, "S11", "2024-04-13", 101, 1, 1));
  dis.insert(dis.end(), 999, Line(6005, "S12", "2024-04-13", 101, 1, 1));
  ReplaceVouchers(
      {// A receipt whose challan is stored with leading blanks.
       Bill("D||6001|2024-04-12|2", "0", "  C9|2024-04-12"),
       // Numbers that differ only in case are one key: the second is a duplicate.
       Bill("S|S10|6002|2024-04-12|1", "100"), Bill("S|s10|6003|2024-04-12|1", "100"),
       Bill("S|S11|6004|2024-04-13|1", "1000"), Bill("S|S12|6005|2024-04-13|1", "999"),
       // A blank date and a blank number are passed over by rule.
       Bill("L|S13|6006|2024-04-13|1", "0", "C13"), Bill("S||6007|2024-04-13|1", "100")},
      dis);
  auto run = RunStage();
  // Keys in date order; a blank challan date sorts first.
  std::vector<std::string> sent;
  for (const auto& row : Vouchers()) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(row.text.c_str()));
    sent.push_back(std::string(doc.first_child().name()) + " " +
                   doc.first_child().child_value("VchNo") + (row.accepted ? "" : " refused"));
  }
  EXPECT_EQ(sent,
            (std::vector<std::string>{"Sale S10", "Sale s10/1", "MaterialReceipt C9", "Sale S12"}));
  std::vector<std::string> entries;
  for (const ErrorEntry& e : run->ctx.errors.entries()) entries.push_back(e.message);
  EXPECT_EQ(entries, (std::vector<std::string>{
                         "Duplicate Sale voucher found : It has been saved with vchno - s10/1",
                         "Sale voucher with Vch No : S11 - Maximum number of items present in "
                         "this voucher exceeds 999"}));
  EXPECT_FALSE(run->ctx.InventoryVoucherIds.Contains("6004"));
  EXPECT_TRUE(run->ctx.InventoryVoucherIds.Contains("6005"));
  const StageTally& tally = run->tally();
  EXPECT_EQ(tally.read, 7);
  EXPECT_EQ(tally.saved, 4);
  EXPECT_EQ(tally.skipped.at(kSkipTooManyItems), 1);
  EXPECT_EQ(tally.skipped.at(kSkipBlankDate), 1);
  EXPECT_EQ(tally.skipped.at(kSkipBlankNumber), 1);
  EXPECT_TRUE(tally.Balanced());
}

TEST_F(InventoryStage, ABreakageReturnGoesToItsOwnSeriesAndTheScrapStore) {
  ReplaceVouchers({Bill("W|W1|6101|2024-04-14|1", "100")},
                  {Line(6101, "W1", "2024-04-14", 101, 1, 100, "0||||7")});
  auto run = RunStage();
  auto journal = Vouchers();
  ASSERT_EQ(journal.size(), 1u);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(journal[0].text.c_str()));
  pugi::xml_node root = doc.child("SaleReturn");
  EXPECT_EQ(testing::At(root, "VchSeriesName"), "Breakage");
  EXPECT_EQ(testing::At(root, "MasterName2"), "Scrap Store");
  EXPECT_EQ(testing::At(root, "ItemEntries/ItemDetail/MC"), "Scrap Store");
  // Sale return: the party is credited, sales debited.
  EXPECT_EQ(testing::At(root, "AccEntries/AccDetail[1]/AmtMainCur"), "100");
  EXPECT_EQ(testing::At(root, "AccEntries/AccDetail[2]/AmtMainCur"), "-100");
  // Whatever the company answers is accounted for.
  EXPECT_EQ(run->tally().saved + run->tally().refused, 1);
  if (!journal[0].accepted) {
    EXPECT_EQ(run->ctx.errors.Text(),
              "Sale Return voucher with Vch No : W1 on 14-04-2024 - " + journal[0].message + "_");
  }
}

// Free goods and returned lines the company lacks are written, each pointed out once per run.
TEST_F(InventoryStage, FeaturesTheCompanyLacksArePointedOutOnce) {
  const std::string free_line = "|10|10|100|0|2|0|0|0|0", returned = "|1|10|10|0|0|0|0|0|0||||||R";
  ReplaceVouchers(
      {Bill("S|A1|7001|2024-04-15|1", "90"), Bill("S|A2|7002|2024-04-15|1", "100"),
       Bill("P|B1|7003|2024-04-15|2", "90"), Bill("P|B2|7004|2024-04-15|2", "90")},
      {"7001|A1|2024-04-15|101" + free_line, "7001|A1|2024-04-15|101" + returned,
       "7002|A2|2024-04-15|101" + free_line, Line(7003, "B1", "2024-04-15", 102, 10, 10),
       "7003|B1|2024-04-15|102" + returned, Line(7004, "B2", "2024-04-15", 102, 10, 10),
       "7004|B2|2024-04-15|102" + returned});
  auto run = RunStage();
  std::string shown;
  for (const auto& m : run->ui.messages) shown += m.caption + ": " + m.text + "\n";
  EXPECT_EQ(shown,
            "Feature Alert!: Kindly enable sale return in sales vouchers from Inventory "
            "configurations in Vuvoda!\nFeature Alert!: Kindly enable free quantity in vouchers "
            "from Inventory configurations in Vuvoda!\nFeature Alert!: Kindly enable purchase "
            "return in purchase vouchers from Inventory configurations in Vuvoda!\n");
  EXPECT_EQ(run->tally().read, 4);
  EXPECT_EQ(run->tally().failed, 0) << run->ctx.errors.Text();
}

TEST_F(InventoryStage, CodesThatAreNotNumbersNeverReachAQuery) {
  testing::RecordingRunUi ui;
  RunContext ctx(ui);
  ErrorList errors;
  ASSERT_TRUE(OpenSourceDb(ctx, export_.string(), errors));
  EXPECT_TRUE(ReadItemLines(ctx, "").empty());
  EXPECT_TRUE(ReadItemLines(ctx, "5001 or 1=1").empty());
  EXPECT_EQ(ReadItemLines(ctx, "5001").size(), 1u);
  EXPECT_TRUE(ReadPendingBillRows(ctx, "x").empty());
  EXPECT_EQ(ReadPendingBillRows(ctx, " 5001 ").size(), 1u);
  SourceVoucherLookups lookups(ctx);
  EXPECT_EQ(lookups.ItemName(""), "");
  EXPECT_EQ(lookups.ItemName("101"), "Paracetamol 500");
  EXPECT_EQ(lookups.ItemName("102"), "Soap & (Gel) 'Mint'");
  EXPECT_EQ(lookups.BatchUnit("abc"), "");
  EXPECT_EQ(lookups.BatchUnit("101"), "Strip");
  EXPECT_EQ(lookups.BatchSalePrice("it's"), "");
  EXPECT_EQ(lookups.ItemPackingText(0), "");
  // Not one query failed: nothing was shown to the user.
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(IsPlainNumber(" -12.5 "));
  EXPECT_FALSE(IsPlainNumber("1e3"));
  EXPECT_FALSE(IsPlainNumber("."));
}

}  // namespace
}  // namespace vodare
