// The connection and the configuration step against a real local company: every statement the
// step sends passes the store's door, and what it sets is what the company then reads.

#include <gtest/gtest.h>

#include "destination/configure.h"
#include "destination/connection.h"
#include "destination/local/local_factory.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

struct Connected {
  explicit Connected(const testing::LocalCompany& c) : factory(c.program_folder), ctx(ui) {
    ctx.factory = &factory;
    ok = ConnectDestination(ctx, c.program_folder, c.data_folder, c.code,
                            static_cast<int16_t>(c.year));
  }
  local::LocalAutomationFactory factory;
  testing::RecordingRunUi ui;
  RunContext ctx;
  bool ok = false;
};

TEST(LocalStoreConfigure, connects_reads_settings_and_configures_a_real_company) {
  testing::LocalCompany company =
      testing::CreateLocalCompany({.name = "Configured Co", .state = "KARNATAKA", .years = {2024}});
  Connected run(company);
  ASSERT_TRUE(run.ok) << run.ctx.ErrorText;
  CompanySettings settings = ReadCompanySettings(run.ctx.destination);
  EXPECT_EQ(settings.CompanyName, "Configured Co");
  EXPECT_EQ(settings.State, "KARNATAKA");
  EXPECT_EQ(settings.GstRegime, 1);
  EXPECT_EQ(settings.CurFY.ToText(), "01-04-2024");
  EXPECT_GT(settings.CountryCode, 0);
  EXPECT_GT(settings.StateCode, 0);

  run.ui.Answer(kFeatureConfirmationCaption, true);   // batch-wise stock
  run.ui.Answer(kFeatureConfirmationCaption, false);  // alternate units
  ConfigureResult result = ConfigureDestination(run.ctx, 1);
  EXPECT_TRUE(result.AllSeriesCreated()) << result.description;
  EXPECT_TRUE(result.features_set) << result.features_error;

  CCompany& c = *run.ctx.destination.CompanyApi;
  std::string text;
  c.Load(text);
  EXPECT_TRUE(c.batchbybatch);
  EXPECT_FALSE(c.AlternateUnit);
  EXPECT_FALSE(c.MultiGodown);  // no export, so fewer than three godowns
  EXPECT_TRUE(c.EnableFreeQty);
  EXPECT_TRUE(c.EnableItemMastNotes);
  EXPECT_TRUE(c.EnableAccMastNotes);
  EXPECT_TRUE(c.DLNoEnabled);
  EXPECT_TRUE(c.EnableSalesReturnInSales);
  EXPECT_TRUE(c.EnablePurcReturnInPurchase);

  std::vector<std::pair<std::string, int16_t>> series = {
      {"Purchase", 2}, {"Sales", 9},     {"S_Return", 3}, {"Breakage", 3}, {"P_Return", 10},
      {"M_Issue", 11}, {"M_Receipt", 4}, {"Payment", 19}, {"Receipt", 14}, {"Dr_Note", 17},
      {"Cr_Note", 18}, {"Journal", 16},  {"Contra", 15}};
  std::vector<int32_t> codes;
  for (auto& [name, type] : series) {
    codes.push_back(run.ctx.destination.FixedApi1->SaveVchSeriesForMultiSeriesCreation(name, type));
  }

  // A second run on the same company: the same series codes, and the step still succeeds.
  Connected second(company);
  ASSERT_TRUE(second.ok) << second.ctx.ErrorText;
  ConfigureResult again = ConfigureDestination(second.ctx, 0);
  EXPECT_TRUE(again.AllSeriesCreated()) << again.description;
  for (size_t i = 0; i < series.size(); ++i) {
    EXPECT_EQ(second.ctx.destination.FixedApi1->SaveVchSeriesForMultiSeriesCreation(
                  series[i].first, series[i].second),
              codes[i])
        << series[i].first;
  }
}

TEST(LocalStoreConfigure, a_company_or_year_that_is_not_there_does_not_connect) {
  testing::LocalCompany company = testing::CreateLocalCompany({.years = {2023}});
  company.year = 2024;
  Connected wrong_year(company);
  EXPECT_FALSE(wrong_year.ok);
  EXPECT_EQ(wrong_year.ctx.ErrorText, "Unable to connect to database._");
}

}  // namespace
}  // namespace vodare
