// The mapping step of a run over a real export and a real local company.
#include "mapping/mapping_step.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "context/run_context.h"
#include "source/sample_export.h"
#include "source/source_db.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

class MappingStep : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = testing::CreateLocalCompany();
    std::string folder = (company_.dir->path() / "sample").string();
    SampleExportOptions options;
    options.vouchers = 30;
    WriteSampleExport(folder, options);
    session_ = testing::OpenLocalCompany(company_);
    ctx_.destination.FixedApi = std::move(session_.fixed);
    std::string errors;
    ASSERT_TRUE(OpenSourceDb(ctx_, folder, errors)) << errors;
  }
  testing::LocalCompany company_;
  testing::LocalSessionObjects session_;
  testing::RecordingRunUi ui_;
  RunContext ctx_{ui_};
};

TEST_F(MappingStep, OkayHandsThePairsToTheRunAndQuitHandsNothing) {
  ui_.MappingAnswer({{"Sundry Debtors", "Sundry Debtors"}, {"Provisions", "Duties & Taxes"}});
  MapAccountGroupsStep(ctx_);
  EXPECT_EQ(ui_.mapping_vodori_groups, LoadVodoriGroups(ctx_));
  EXPECT_EQ(ui_.mapping_vuvoda_groups, LoadVuvodaGroups(ctx_));
  EXPECT_EQ(ui_.mapping_vuvoda_groups.front(), "Capital Account");
  ASSERT_EQ(ctx_.GroupMapping.Count(), 2u);
  EXPECT_EQ(*ctx_.GroupMapping.Find("Provisions"), "Provisions|Duties & Taxes");

  testing::RecordingRunUi quitting;
  RunContext other(quitting);
  other.source = ctx_.source;
  other.destination.FixedApi = std::move(ctx_.destination.FixedApi);
  other.GroupMapping.Add("Kept", "Kept|Capital Account");
  MapAccountGroupsStep(other);
  EXPECT_EQ(other.GroupMapping.Count(), 1u);
}

TEST_F(MappingStep, TheAutomaticMatcherPairsTheCompanysOwnGroups) {
  std::vector<std::string> vodori = LoadVodoriGroups(ctx_);
  // Each group once, in table order.
  EXPECT_EQ(std::set<std::string>(vodori.begin(), vodori.end()).size(), vodori.size());
  GroupPairs pairs = AutoMapGroupLists(vodori, LoadVuvodaGroups(ctx_));
  auto has = [&](const std::string& a, const std::string& b) {
    return std::find(pairs.begin(), pairs.end(), std::make_pair(a, b)) != pairs.end();
  };
  EXPECT_TRUE(has("Sundry Debtors", "Sundry Debtors"));
  EXPECT_TRUE(has("Duties & Taxes", "Duties & Taxes"));
  EXPECT_TRUE(has("Provisions", "Provisions/Expenses Payable"));
  for (const auto& [a, b] : pairs) EXPECT_FALSE(b.empty()) << a;
}

}  // namespace
}  // namespace vodare
