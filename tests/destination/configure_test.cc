#include "destination/configure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "destination/connection.h"
#include "support/golden.h"
#include "support/recording_run_ui.h"
#include "support/recording_server.h"

namespace vodare {
namespace {

using ::testing::ElementsAre;
using testing::RecordingFactory;

struct Fixture {
  RecordingFactory factory;
  testing::RecordingRunUi ui;
  DestinationSession session;

  Fixture() {
    ErrorList errors;
    EXPECT_TRUE(ConnectDestination(factory, session, "/p/", "/d/", "Comp0001", 2024, errors));
    factory.state.log.clear();
  }
  // The export beside it holds no godowns.
  ConfigureResult Configure(int16_t masters_value) {
    return ConfigureDestination(session, ui, masters_value, [] { return 0; });
  }
};

// The statements' effects on a company, and their count, are held by the tests on a real local
// company (configure_company_test); these hold the calls, their order and the server's failures.
constexpr size_t kStandingStatements = 16;

TEST(ConfigureDestination, MakesTheThirteenSeriesCopiesTemplatesAndAsksForTheFeatures) {
  Fixture f;
  f.ui.Answer("Feature Confirmation", true);
  f.ui.Answer("Feature Confirmation", true);
  ConfigureResult r = f.Configure(1);
  EXPECT_TRUE(r.AllSeriesCreated());
  EXPECT_TRUE(r.features_set);
  // Which series are made and which templates copied, in order, is in the kept journal of a
  // whole sample run (sample_run_journal.txt): the counts are here.
  EXPECT_EQ(f.factory.state.Calls("SaveVchSeries").size(), 13u);
  EXPECT_EQ(f.factory.state.Calls("CopySeriesConfig").size(), 10u);
  // Five series of six statements, the four feature switches answered yes, the standing ones,
  // and the four that name the master fields.
  EXPECT_EQ(f.factory.state.Calls("ExecuteQuery ").size(), 5u * 6 + 4 + kStandingStatements + 4);
  EXPECT_EQ(f.ui.process_events_calls, 13);
  testing::ExpectGolden("configure_feature_questions.txt", f.ui.Dialogue());
}

TEST(ConfigureDestination, ASeriesTheServerDoesNotCreateIsSkippedAndTheRestDone) {
  Fixture f;
  f.factory.state.refused_series = {"Sales", "Journal"};
  ConfigureResult r = f.Configure(0);
  EXPECT_EQ(r.status, ConfigureStatus::kSeriesMissing);
  EXPECT_EQ(f.factory.state.Calls("SaveVchSeries").size(), 13u);
  EXPECT_EQ(f.factory.state.Calls("CopySeriesConfig").size(), 8u);
  EXPECT_EQ(f.factory.state.Calls("ExecuteQuery ").size(), 4u * 6 + kStandingStatements);
  EXPECT_EQ(f.ui.progress_values.back(), 100);
}

TEST(ConfigureDestination, AServerErrorWhileCopyingOrLookingUpCashEndsTheStepWithItsText) {
  for (const char* at :
       {"CopySeriesConfig 2|Purchase|103", "mastername2code", "SaveVchSeries Contra"}) {
    Fixture f;
    f.factory.state.raise_on = at;
    ConfigureResult r = f.Configure(1);
    EXPECT_TRUE(r.EndedByError()) << at;
    EXPECT_EQ(r.description, std::string("Server failure at ") + f.factory.state.log.back());
    EXPECT_TRUE(f.ui.questions.empty()) << "the feature step is not reached";
    EXPECT_TRUE(f.ui.progress_values.empty() || f.ui.progress_values.back() != 100)
        << "the step ended early";
  }
  SilentRunUi ui;
  DestinationSession no_connection;
  EXPECT_TRUE(ConfigureDestination(no_connection, ui, 1, {}).EndedByError());
}

TEST(ConfigureDestination, AFailingStatementEndsOnlyItsOwnProcedure) {
  Fixture f;
  f.factory.state.raise_on =
      "ExecuteQuery Update CONFIG set B107 = -1 WHERE RECTYPE = 1 AND L1 = 100";
  ConfigureResult r = f.Configure(0);
  EXPECT_TRUE(r.AllSeriesCreated());
  auto q = f.factory.state.Calls("ExecuteQuery ");
  EXPECT_THAT(std::vector<std::string>(q.begin(), q.begin() + 3),
              ElementsAre("Update CONFIG set B107 = -1 WHERE RECTYPE = 1 AND L1 = 100",
                          "Update CONFIG set B2=-1 WHERE RECTYPE = 1 AND L1 = 100",
                          "Update CONFIG set B4=1 WHERE RECTYPE = 1 AND L1 = 100"));
  // A failing feature switch leaves the later ones unrun and is reported.
  Fixture g;
  g.factory.state.raise_on = "ExecuteQuery Update CONFIG set B124";
  r = g.Configure(1);
  EXPECT_TRUE(r.AllSeriesCreated());
  EXPECT_FALSE(r.features_set);
  EXPECT_THAT(r.features_error, ::testing::HasSubstr("B124"));
  EXPECT_EQ(g.factory.state.Calls("ExecuteQuery ").back(),
            "Update CONFIG set B124= -1 WHERE RECTYPE = 5 AND TYPE = 0");
  EXPECT_TRUE(g.factory.state.Calls("MastConfig").empty());
  EXPECT_EQ(g.ui.progress_values.back(), 100);
}

}  // namespace
}  // namespace vodare
