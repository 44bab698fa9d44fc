// The master stages from a real export into a real local company.
#include <gtest/gtest.h>

#include <filesystem>

#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"
#include "mapping/group_matching.h"
#include "mapping/mapping_step.h"
#include "masters/account_groups.h"
#include "masters/items.h"
#include "masters/ledgers.h"
#include "masters/material_centres.h"
#include "masters/stage_support.h"
#include "source/source_db.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "support/text_dbf.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::ExpectGolden;
using testing::LocalCompany;
using testing::WriteTextDbf;

// A run context over an export and a local company, as a run has it after connecting.
struct MastersRun {
  std::unique_ptr<AutomationFactory> factory;
  testing::RecordingRunUi ui;
  RunContext ctx{ui};
  MastersRun(const LocalCompany& company, const fs::path& export_folder) {
    factory = testing::ConnectLocalCompany(ctx, company);
    ErrorList errors;
    EXPECT_TRUE(OpenSourceDb(ctx, export_folder.string(), errors)) << errors.Text();
  }
  void RunAll() {
    ImportItems(ctx);
    ImportMaterialCentres(ctx);
    ImportAccountGroups(ctx);
    ImportLedgers(ctx);
    ImportTaxTypes(ctx);
  }
};

class MastersStages : public ::testing::Test {
 protected:
  void SetUp() override { testing::WriteTextExport(export_, "masters_edge_export.txt"); }
  std::unique_ptr<MastersRun> Prepare() {
    auto run = std::make_unique<MastersRun>(company_, export_);
    CCompany& c = *run->ctx.destination.CompanyApi;
    c.AlternateUnit = c.EnableItemMastNotes = c.EnableAccMastNotes = c.MultiGodown = true;
    run->ctx.GroupMapping.Add("Sundry Debtors", "Sundry Debtors|Sundry Debtors");
    run->ctx.GroupMapping.Add("Duties & Taxes", "Duties & Taxes|Duties & Taxes");
    return run;
  }
  size_t Accepted() const { return testing::JournalOf(company_, "SaveMasterFromXML", true).size(); }
  std::string Masters() const {
    local::CompanyStore store = testing::StoreOf(company_);
    return local::RenderMasters(local::ListMasters(store, std::nullopt), true);
  }
  LocalCompany company_ = testing::CreateLocalCompany();
  fs::path export_ = company_.dir->path() / "export";
};

// Every record sent for the awkward export, with answers, errors, tallies and name caches.
TEST_F(MastersStages, EveryMasterOfTheAwkwardExportIsSentAsTheKeptCopyHoldsIt) {
  auto run = Prepare();
  run->ctx.destination.CompanyApi->MultiGodown = false;
  run->RunAll();
  std::string text = testing::StageRunText(company_, "SaveMasterFromXML", run->ctx);
  for (auto [label, cache] : {std::pair{"account", &run->ctx.AccountNameCache},
                              {"item", &run->ctx.ItemNameCache},
                              {"material centre", &run->ctx.MaterialCentreNameCache}})
    cache->ForEach([&, label = label](const std::string& key, const std::string& name) {
      text += std::string(label) + " " + key + " = " + name + "\n";
    });
  for (const auto& m : run->ui.messages) text += "message " + m.caption + ": " + m.text + "\n";
  for (const auto& status : run->ui.statuses) text += "status " + status + "\n";
  ExpectGolden("masters_awkward_export.txt", text);
  // A code with a quote is found as stored, never as the query escaped it.
  EXPECT_EQ(run->ctx.AccountNameCache.Find("O''1"), nullptr);
}

TEST_F(MastersStages, ASecondRunIsRefusedRecordByRecordAndChangesNothing) {
  Prepare()->RunAll();
  const std::string masters_before = Masters();
  const size_t accepted_before = Accepted();
  auto second = Prepare();
  second->RunAll();
  EXPECT_EQ(Masters(), masters_before);
  EXPECT_EQ(Accepted(), accepted_before);
  // What the company holds already is counted as present, not as refused.
  int64_t present = 0;
  for (const StageTally& t : second->ctx.summary.stages()) {
    EXPECT_EQ(t.saved, 0) << t.stage;
    EXPECT_EQ(t.refused, 0) << t.stage;
    EXPECT_TRUE(t.Balanced()) << t.stage;
    if (t.stage != kTallyBatchDetails) present += t.AlreadyPresent();
  }
  EXPECT_EQ(present, static_cast<int64_t>(accepted_before));
  // Each refusal and each opening balance that did not arrive has its entry.
  ExpectGolden("masters_second_run.txt", testing::StageRunText(company_, "", second->ctx));
  EXPECT_EQ(second->ctx.summary.Find(kTallyScrapStore)->skipped.at(kSkipAlreadyThere), 1);
}

TEST_F(MastersStages, AnEmptyGroupTableEndsTheStageWithItsEntry) {
  WriteTextDbf(export_ / "ACGROUP.DBF", "ORDNO C 10;PARNAM C 60;GROUP C 10", {});
  auto run = Prepare();
  ImportAccountGroups(run->ctx);
  EXPECT_EQ(run->ctx.errors.Text(), "RTE error while importing Accounts groupNo current record._");
  EXPECT_EQ(Accepted(), 0u);
}

TEST(MastersOnTheSample, EveryMasterIsSavedOrAccountedFor) {
  LocalCompany company = testing::CreateLocalCompany();
  const fs::path export_dir = company.dir->path() / "sample";
  SampleExportOptions options;
  options.vouchers = 30;
  WriteSampleExport(export_dir.string(), options);
  MastersRun run(company, export_dir);
  // The groups the company already has are paired automatically, as `--map-groups auto` does.
  FillGroupMapping(AutoMapGroupLists(LoadVodoriGroups(run.ctx), LoadVuvodaGroups(run.ctx)),
                   run.ctx.GroupMapping);
  EXPECT_GT(run.ctx.GroupMapping.Count(), 5u);
  run.RunAll();
  for (const StageTally& t : run.ctx.summary.stages()) {
    EXPECT_TRUE(t.Balanced()) << t.stage;
    EXPECT_EQ(t.failed + t.not_reached, 0) << t.stage;
  }
  const std::string errors = run.ctx.errors.Text();
  EXPECT_EQ(errors.find("RTE"), std::string::npos) << errors;
  EXPECT_EQ(run.ctx.summary.Find(kTallyAccountGroups)->refused, 0) << errors;
  // Ledgers the company's chart holds already are present, not refused, each with its entry.
  const StageTally* ledgers = run.ctx.summary.Find(kTallyLedgers);
  int64_t already = 0;
  for (size_t at = 0; (at = errors.find(" already exists", at)) != std::string::npos; ++at)
    ++already;
  EXPECT_EQ(ledgers->refused, 0) << errors;
  EXPECT_GT(ledgers->AlreadyPresent(), 0);
  EXPECT_EQ(already, ledgers->AlreadyPresent()) << errors;
  EXPECT_GT(ledgers->saved, 50);
  EXPECT_GT(run.ctx.summary.Find(kTallyItems)->saved, 50);
  EXPECT_EQ(run.ctx.summary.Find(kTallyTaxTypes)->saved, 4);
}

}  // namespace
}  // namespace vodare
