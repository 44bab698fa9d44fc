// The mapping step between the export, the company and the dialog.
#include <gtest/gtest.h>

#include "destination/connection.h"
#include "destination/local/local_factory.h"
#include "mapping/mapping_step.h"
#include "source/sample_export.h"
#include "source/source_db.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

class MappingStepOnARealCompany : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = testing::CreateLocalCompany();
    const std::string folder = (company_.dir->path() / "export").string();
    WriteSampleExport(folder, SampleExportOptions{});
    std::string error;
    ASSERT_TRUE(OpenSourceDb(ctx_, folder, error)) << error;
    factory_ = local::MakeLocalAutomationFactory(company_.program_folder);
    ctx_.factory = factory_.get();
    ASSERT_TRUE(ConnectDestination(ctx_, company_.program_folder, company_.data_folder,
                                   company_.code, static_cast<int16_t>(company_.year)));
  }

  testing::LocalCompany company_;
  testing::RecordingRunUi ui_;
  RunContext ctx_{ui_};
  std::unique_ptr<AutomationFactory> factory_;
};

TEST_F(MappingStepOnARealCompany, TheDialogGetsBothListsAndOkayHandsOverItsPairs) {
  ctx_.GroupMapping.Add("Old", "Old|Older");
  ui_.MappingAnswer({{"Sundry Debtors", "Sundry Debtors"}});
  MapAccountGroupsStep(ctx_);
  std::vector<std::string> vodori = LoadVodoriGroups(ctx_);
  EXPECT_EQ(ui_.mapping_vodori_groups, vodori);
  ASSERT_FALSE(vodori.empty());
  // Each group once, whatever its letter case in the table.
  KeyedCollection<int> seen;
  for (const auto& g : vodori) EXPECT_TRUE(seen.Add(g, 0)) << g;
  EXPECT_EQ(ui_.mapping_vuvoda_groups, ctx_.destination.FixedApi->GetMastersCol(kKindAccountGroup));
  EXPECT_EQ(ctx_.GroupMapping.Count(), 1u);
  std::string value;
  ASSERT_TRUE(CollectionLookup(ctx_.GroupMapping, "SUNDRY DEBTORS", &value));
  EXPECT_EQ(value, "Sundry Debtors|Sundry Debtors");
}

TEST_F(MappingStepOnARealCompany, QuitLeavesTheMappingAsItWas) {
  ctx_.GroupMapping.Add("Old", "Old|Older");
  MapAccountGroupsStep(ctx_);  // the recorder quits unless told otherwise
  EXPECT_EQ(ui_.EventsStartingWith("mapping dialog").size(), 1u);
  EXPECT_EQ(ctx_.GroupMapping.Count(), 1u);
  EXPECT_TRUE(ctx_.GroupMapping.Contains("Old"));
}

TEST_F(MappingStepOnARealCompany, WithoutAConnectionTheCompanyListIsEmptyAndNothingBreaks) {
  ctx_.destination = DestinationSession{};
  EXPECT_TRUE(LoadVuvodaGroups(ctx_).empty());
  MapAccountGroupsStep(ctx_);
  EXPECT_TRUE(ui_.mapping_vuvoda_groups.empty());
}

}  // namespace
}  // namespace vodare
