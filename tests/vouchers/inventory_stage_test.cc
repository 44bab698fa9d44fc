// The inventory voucher stage from a small real export into a real local company.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

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

class InventoryStage : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteTextExport(export_, "inventory_stage_export.txt");
    auto s = testing::OpenLocalCompany(company_);
    std::vector<std::pair<int16_t, std::string>> masters;  // "kind record", a line each
    std::istringstream kept(testing::KeptText("inventory_stage_masters.txt"));
    for (std::string line; std::getline(kept, line);)
      if (line[0] != '#') masters.push_back({std::stoi(line), line.substr(line.find(' ') + 1)});
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
  // The vouchers kept in tests/data/<name>, rows of dis.dbf written again as `repeat` says.
  void ReplaceVouchers(const std::string& name, const std::map<size_t, size_t>& repeat = {}) {
    ASSERT_TRUE(
        testing::ReadKeptTables(name, [&](const std::string& file, const std::string& fields,
                                          const std::vector<std::string>& rows) {
          std::vector<std::string> all = rows;
          for (auto [row, times] : repeat)
            if (file == "dis.dbf") all.insert(all.end(), times, rows.at(row));
          WriteTextDbf(export_ / file, fields, all);
        }));
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
  run->ctx.InventoryVoucherIds.ForEach([&](const std::string& key, bool) { text += " " + key; });
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
  ReplaceVouchers("inventory_stage_keys.txt", {{3, 999}, {4, 998}});
  auto run = RunStage();
  // Keys in date order (a blank challan date sorts first), then the run's entries and tally.
  std::string text;
  for (const auto& row : Vouchers()) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(row.text.c_str()));
    text += std::string(doc.first_child().name()) + " " + doc.first_child().child_value("VchNo") +
            (row.accepted ? "\n" : " refused\n");
  }
  testing::ExpectGolden("inventory_stage_keys_outcome.txt",
                        text + testing::StageRunText(company_, "", run->ctx));
  EXPECT_FALSE(run->ctx.InventoryVoucherIds.Contains("6004"));
  EXPECT_TRUE(run->ctx.InventoryVoucherIds.Contains("6005"));
}

TEST_F(InventoryStage, ABreakageReturnGoesToItsOwnSeriesAndTheScrapStore) {
  ReplaceVouchers("inventory_stage_breakage.txt");
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
  ReplaceVouchers("inventory_stage_features.txt");
  auto run = RunStage();
  std::string shown;
  for (const auto& m : run->ui.messages) shown += m.caption + ": " + m.text + "\n";
  testing::ExpectGolden("inventory_stage_feature_alerts.txt", shown);
  EXPECT_EQ(run->tally().read, 4);
  EXPECT_EQ(run->tally().failed, 0) << run->ctx.errors.Text();
}

TEST_F(InventoryStage, CodesThatAreNotNumbersNeverReachAQuery) {
  testing::RecordingRunUi ui;
  RunContext ctx(ui);
  ErrorList errors;
  ASSERT_TRUE(OpenSourceDb(ctx, export_.string(), errors));
  SourceVoucherLookups lookups(ctx);
  testing::ExpectKeptAnswers("inventory_stage_codes.txt",
                             [&](const std::string& f, const std::string& in) {
                               if (f == "ReadItemLines")
                                 return std::to_string(ReadItemLines(ctx, in).size());
                               if (f == "ReadPendingBillRows")
                                 return std::to_string(ReadPendingBillRows(ctx, in).size());
                               if (f == "ItemName") return lookups.ItemName(in);
                               if (f == "BatchUnit") return lookups.BatchUnit(in);
                               if (f == "BatchSalePrice") return lookups.BatchSalePrice(in);
                               if (f == "ItemPackingText")
                                 return lookups.ItemPackingText(std::stoi(in));
                               return std::string(IsPlainNumber(in) ? "True" : "False");
                             });
  // Not one query failed: nothing was shown to the user.
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace vodare
