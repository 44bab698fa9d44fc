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

TEST_F(MappingStep, TheDialogGetsBothListsAndOkayReplacesTheMappingWithItsPairs) {
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
}

TEST_F(MappingStep, QuitLeavesTheMappingAsItWas) {
  MapAccountGroupsStep(ctx_);  // the recorder quits unless told otherwise
  EXPECT_EQ(ui_.EventsStartingWith("mapping dialog").size(), 1u);
  EXPECT_EQ(ctx_.GroupMapping.Count(), 1u);
  EXPECT_TRUE(ctx_.GroupMapping.Contains("Old"));
}

TEST_F(MappingStep, TheAutomaticMatcherPairsTheCompanysOwnGroups) {
  GroupPairs pairs = AutoMapGroupLists(LoadVodoriGroups(ctx_), LoadVuvodaGroups(ctx_));
  auto has = [&](const std::string& a, const std::string& b) {
    return std::find(pairs.begin(), pairs.end(), std::make_pair(a, b)) != pairs.end();
  };
  EXPECT_TRUE(has("Sundry Debtors", "Sundry Debtors"));
  EXPECT_TRUE(has("Duties & Taxes", "Duties & Taxes"));
  EXPECT_TRUE(has("Provisions", "Provisions/Expenses Payable"));
  for (const auto& [a, b] : pairs) EXPECT_FALSE(b.empty()) << a;
}

TEST_F(MappingStep, WithoutAConnectionTheCompanyListIsEmptyAndNothingBreaks) {
  ctx_.destination = DestinationSession{};
  EXPECT_TRUE(LoadVuvodaGroups(ctx_).empty());
  MapAccountGroupsStep(ctx_);
  EXPECT_TRUE(ui_.mapping_vuvoda_groups.empty());
}

}  // namespace
}  // namespace vodare
