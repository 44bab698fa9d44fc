// vodare-cli demo: the sample converted end to end into a fresh company, twice in the same folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_process.h"
#include "support/temp_dir.h"

namespace vodare {
namespace {

using testing::RunCli;

TEST(DemoCommand, ConvertsTheSampleAndSummarisesTheJournalAgainAndAgain) {
  testing::TempDir dir;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    auto run = RunCli({"demo", dir / "demo"}, {"TEMP=" + dir.str(), "VODARE_USAGE_ENDPOINT="});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    for (const char* said : {"Created company Comp0001", "What the company's journal holds",
                             "Configuration", "Accounting vouchers", "error list: ",
                             // The verdict: whatever did not arrive, the run said why.
                             " accounting vouchers arrived with their amounts; the "})
      EXPECT_NE(run.out.find(said), std::string::npos) << said << " in\n" << run.out;
    EXPECT_EQ(run.out.find(" not\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find("answered No"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "demo" / "export"));

  auto extra = RunCli({"demo", "a", "b"});
  EXPECT_EQ(extra.status, 2);
  EXPECT_NE(extra.err.find("usage: vodare-cli demo [DIR]"), std::string::npos);
}

}  // namespace
}  // namespace vodare
