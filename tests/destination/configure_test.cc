#include "destination/configure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "destination/connection.h"
#include "support/recording_server.h"

namespace vodare {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::RecordingFactory;
using testing::ScriptedUi;

struct Fixture {
  RecordingFactory factory;
  ScriptedUi ui;
  RunContext ctx{ui};

  Fixture() {
    ctx.factory = &factory;
    EXPECT_TRUE(ConnectDestination(ctx, "/p/", "/d/", "Comp0001", 2024));
    factory.state.log.clear();
  }
  std::vector<std::string> Lines(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : factory.state.log)
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }
};

std::vector<std::string> SeriesStatements(int code, bool with_cash) {
  std::string c = std::to_string(code);
  std::vector<std::string> q;
  if (with_cash) {
    q = {"Update CONFIG set B107 = -1 WHERE RECTYPE = 1 AND L1 = " + c,
         "Update CONFIG set B102 = -1 WHERE RECTYPE = 1 AND L1 = " + c,
         "Update CONFIG set L13 = 7 WHERE RECTYPE = 1 AND L1 = " + c,
         "Update CONFIG set B115 = -1 WHERE RECTYPE = 1 AND L1 = " + c};
  }
  q.push_back("Update CONFIG set B2=-1 WHERE RECTYPE = 1 AND L1 = " + c);
  q.push_back("Update CONFIG set B4=1 WHERE RECTYPE = 1 AND L1 = " + c);
  return q;
}

const std::vector<std::string> kAlwaysStatements = {
    "Update CONFIG set B78=0 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B102= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B103= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B103= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B99= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B124= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B103= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B137=-1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B5= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B82= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B87= 0 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B88= 0 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B1= -1 WHERE RECTYPE = 111 AND TYPE = 0",
    "Update CONFIG set B2= -1 WHERE RECTYPE = 111 AND TYPE = 0",
    "Update CONFIG set B115= -1 WHERE RECTYPE = 5 AND TYPE = 0",
    "Update CONFIG set B113= -1 WHERE RECTYPE = 5 AND TYPE = 0",
};

TEST(ConfigureDestination, MakesTheThirteenSeriesCopiesTemplatesAndSetsEverySwitch) {
  Fixture f;
  f.ui.answers = {true, true};
  ConfigureResult r = ConfigureDestination(f.ctx, 1);
  EXPECT_TRUE(r.AllSeriesCreated());
  EXPECT_TRUE(r.features_set);
  EXPECT_THAT(
      f.Lines("SaveVchSeries"),
      ElementsAre("SaveVchSeries Purchase|2", "SaveVchSeries Sales|9", "SaveVchSeries S_Return|3",
                  "SaveVchSeries Breakage|3", "SaveVchSeries P_Return|10",
                  "SaveVchSeries M_Issue|11", "SaveVchSeries M_Receipt|4",
                  "SaveVchSeries Payment|19", "SaveVchSeries Receipt|14",
                  "SaveVchSeries Dr_Note|17", "SaveVchSeries Cr_Note|18",
                  "SaveVchSeries Journal|16", "SaveVchSeries Contra|15"));
  EXPECT_THAT(
      f.Lines("CopySeriesConfig"),
      ElementsAre("CopySeriesConfig 2|Purchase|101|9", "CopySeriesConfig 2|Purchase|102|3",
                  "CopySeriesConfig 2|Purchase|103|3", "CopySeriesConfig 2|Purchase|104|10",
                  "CopySeriesConfig 2|Purchase|105|11", "CopySeriesConfig 2|Purchase|106|4",
                  "CopySeriesConfig 19|PAYMENT|109|17", "CopySeriesConfig 19|PAYMENT|110|18",
                  "CopySeriesConfig 19|PAYMENT|111|16", "CopySeriesConfig 19|PAYMENT|112|15"));
  std::vector<std::string> expected;
  for (int code = 100; code <= 104; ++code) {
    auto q = SeriesStatements(code, true);
    expected.insert(expected.end(), q.begin(), q.end());
  }
  expected.insert(expected.end(), {"Update CONFIG set B7= -1 WHERE RECTYPE = 5 AND TYPE = 0",
                                   "Update CONFIG set B130= -1 WHERE RECTYPE = 5 AND TYPE = 0",
                                   "Update CONFIG set B128= -1 WHERE RECTYPE = 5 AND TYPE = 0",
                                   "Update config set B11=-1 WHERE RECTYPE = 5 AND TYPE = 0"});
  expected.insert(expected.end(), kAlwaysStatements.begin(), kAlwaysStatements.end());
  expected.insert(
      expected.end(),
      {"UPDATE CONFIG SET C1 = 'Salt', C2 = 'Category', C3 = 'Rack No', NoOfFld = 3, I29 = 2, "
       "I32 = 30 WHERE RECTYPE = 2 AND TYPE = 6",
       "UPDATE CONFIG SET I1 = 1, I2 = 1, I3 = 1, I11 = 1, I12 = 1, I13 = 1 WHERE RECTYPE = 79 "
       "AND TYPE = 6",
       "UPDATE CONFIG SET C1 = 'Ledger Date', C2 = 'Area', NoOfFld = 2, I29 = 2, I32 = 30 WHERE "
       "RECTYPE = 2 AND TYPE = 2",
       "UPDATE CONFIG SET I1 = 6, I2 = 1, I11 = 0, I12 = 1 WHERE RECTYPE = 79 AND TYPE = 2"});
  EXPECT_THAT(f.factory.state.Queries(), ElementsAreArray(expected));

  EXPECT_THAT(f.ui.progress, ElementsAre(8, 15, 23, 31, 38, 46, 54, 62, 69, 77, 85, 92, 100));
  EXPECT_EQ(f.ui.statuses.size(), 13u);
  EXPECT_TRUE(std::all_of(f.ui.statuses.begin(), f.ui.statuses.end(),
                          [](const std::string& s) { return s == "Creating Configurations..."; }));
  EXPECT_EQ(f.ui.repaints, 13);
  ASSERT_EQ(f.ui.questions.size(), 2u);
  EXPECT_EQ(f.ui.questions[0].first,
            "Do you want to import the batch-wise stock in Vuvoda\r\n\r\nClick 'Yes' to confirm "
            "or 'No' to cancel.");
  EXPECT_EQ(f.ui.questions[1].first,
            "Do you want to import the alternate unit of items in Vuvoda\r\n\r\nClick 'Yes' to "
            "confirm or 'No' to cancel.");
  EXPECT_EQ(f.ui.questions[1].second, "Feature Confirmation");
}

TEST(ConfigureDestination, ASeriesTheServerDoesNotCreateIsSkippedAndTheRestDone) {
  Fixture f;
  f.factory.state.refused_series = {"Sales", "Journal"};
  ConfigureResult r = ConfigureDestination(f.ctx, 0);
  EXPECT_EQ(r.status, ConfigureStatus::kSeriesMissing);
  EXPECT_EQ(f.Lines("SaveVchSeries").size(), 13u);
  EXPECT_EQ(f.Lines("CopySeriesConfig").size(), 8u);
  EXPECT_EQ(f.factory.state.Queries().size(), 4u * 6 + kAlwaysStatements.size());
  EXPECT_EQ(f.ui.progress.back(), 100);
}

TEST(ConfigureDestination, AServerErrorWhileCopyingOrLookingUpCashEndsTheStepWithItsText) {
  for (const char* at :
       {"CopySeriesConfig 2|Purchase|103", "mastername2code", "SaveVchSeries Contra"}) {
    Fixture f;
    f.factory.state.raise_on = at;
    ConfigureResult r = ConfigureDestination(f.ctx, 1);
    EXPECT_TRUE(r.EndedByError()) << at;
    EXPECT_EQ(r.description, std::string("Server failure at ") + f.factory.state.log.back());
    EXPECT_TRUE(f.ui.questions.empty()) << "the feature step is not reached";
    EXPECT_TRUE(f.ui.progress.empty() || f.ui.progress.back() != 100) << "the step ended early";
  }
  SilentRunUi ui;
  RunContext no_connection(ui);
  EXPECT_TRUE(ConfigureDestination(no_connection, 1).EndedByError());
}

TEST(ConfigureDestination, AFailingStatementEndsOnlyItsOwnProcedure) {
  Fixture f;
  f.factory.state.raise_on =
      "ExecuteQuery Update CONFIG set B107 = -1 WHERE RECTYPE = 1 AND L1 = 100";
  ConfigureResult r = ConfigureDestination(f.ctx, 0);
  EXPECT_TRUE(r.AllSeriesCreated());
  auto q = f.factory.state.Queries();
  EXPECT_THAT(std::vector<std::string>(q.begin(), q.begin() + 3),
              ElementsAre("Update CONFIG set B107 = -1 WHERE RECTYPE = 1 AND L1 = 100",
                          "Update CONFIG set B2=-1 WHERE RECTYPE = 1 AND L1 = 100",
                          "Update CONFIG set B4=1 WHERE RECTYPE = 1 AND L1 = 100"));
}

TEST(ConfigureFeatures, AFailingStatementLeavesTheLaterOnesUnrunAndIsReported) {
  Fixture f;
  f.factory.state.raise_on = "ExecuteQuery Update CONFIG set B124";
  ConfigureResult r = ConfigureDestination(f.ctx, 1);
  EXPECT_TRUE(r.AllSeriesCreated());
  EXPECT_FALSE(r.features_set);
  EXPECT_THAT(r.features_error, ::testing::HasSubstr("B124"));
  EXPECT_EQ(f.factory.state.Queries().back(),
            "Update CONFIG set B124= -1 WHERE RECTYPE = 5 AND TYPE = 0");
  EXPECT_TRUE(f.Lines("MastConfig").empty());
  EXPECT_EQ(f.ui.progress.back(), 100);
}

}  // namespace
}  // namespace vodare
