// The mapping step of a run between a real export, a real local company and the dialog.
#include "mapping/mapping_step.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "context/run_destination.h"
#include "context/run_source.h"
#include "destination/connection.h"
#include "destination/local/local_factory.h"
#include "export_writer/sample_export.h"
#include "source/source_db.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

class MappingStep : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = testing::CreateLocalCompany();
    const std::string folder = (company_.dir->path() / "export").string();
    SampleExportOptions options;
    options.vouchers = 30;
    WriteSampleExport(folder, options);
    ErrorList error;
    ASSERT_TRUE(OpenSourceDb(ctx_, folder, error)) << error.Text();
    factory_ = local::MakeLocalAutomationFactory(company_.program_folder);
    ctx_.factory = factory_.get();
    ASSERT_TRUE(ConnectDestination(ctx_, company_.program_folder, company_.data_folder,
                                   company_.code, static_cast<int16_t>(company_.year)));
    ctx_.GroupMapping.Add("Old", "Old|Older");
  }

  testing::LocalCompany company_;
  std::unique_ptr<AutomationFactory> factory_;
  testing::RecordingRunUi ui_;
  RunContext ctx_{ui_};
};

TEST_F(MappingStep, QuitKeepsTheMappingOkayReplacesItAndTheMatcherPairsTheCompanysGroups) {
  MapAccountGroupsStep(ctx_);  // the recorder quits unless told otherwise
  EXPECT_EQ(ui_.EventsStartingWith("mapping dialog").size(), 1u);
  EXPECT_EQ(ctx_.GroupMapping.Count(), 1u);
  EXPECT_TRUE(ctx_.GroupMapping.Contains("Old"));

  ui_.MappingAnswer({{"Sundry Debtors", "Sundry Debtors"}, {"Provisions", "Duties & Taxes"}});
  MapAccountGroupsStep(ctx_);
  std::vector<std::string> vodori = LoadVodoriGroups(ctx_);
  EXPECT_EQ(ui_.mapping_vodori_groups, vodori);
  ASSERT_FALSE(vodori.empty());
  // Each group once, whatever its letter case in the table.
  KeyedCollection<int> seen;
  for (const auto& g : vodori) EXPECT_TRUE(seen.Add(g, 0)) << g;
  EXPECT_EQ(ui_.mapping_vuvoda_groups, ctx_.destination.FixedApi->GetMastersCol(kKindAccountGroup));
  EXPECT_EQ(ui_.mapping_vuvoda_groups.front(), "Capital Account");
  ASSERT_EQ(ctx_.GroupMapping.Count(), 2u);
  std::string value;
  ASSERT_TRUE(CollectionLookup(ctx_.GroupMapping, "SUNDRY DEBTORS", &value));
  EXPECT_EQ(value, "Sundry Debtors|Sundry Debtors");
  EXPECT_EQ(*ctx_.GroupMapping.Find("Provisions"), "Provisions|Duties & Taxes");

  GroupPairs pairs = AutoMapGroupLists(vodori, LoadVuvodaGroups(ctx_));
  for (const auto& pair : std::vector<std::pair<std::string, std::string>>{
           {"Sundry Debtors", "Sundry Debtors"},
           {"Duties & Taxes", "Duties & Taxes"},
           {"Provisions", "Provisions/Expenses Payable"}})
    EXPECT_NE(std::find(pairs.begin(), pairs.end(), pair), pairs.end()) << pair.first;
  for (const auto& [a, b] : pairs) EXPECT_FALSE(b.empty()) << a;

  // Without a connection the company's list is empty and nothing breaks.
  ctx_.destination = DestinationSession{};
  EXPECT_TRUE(LoadVuvodaGroups(ctx_).empty());
  MapAccountGroupsStep(ctx_);
  EXPECT_TRUE(ui_.mapping_vuvoda_groups.empty());
}

}  // namespace
}  // namespace vodare
