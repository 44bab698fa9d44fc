// vodare-cli demo: the sample converted end to end into a fresh company, twice in the same folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_process.h"
#include "support/local_company.h"

namespace vodare {
namespace {

using testing::RunCli;

TEST(DemoCommand, ConvertsTheSampleAndSummarisesTheJournalAgainAndAgain) {
  testing::TempDir dir;
  const std::string demo = (dir.path() / "demo").string();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    auto run = RunCli({"demo", demo}, {"TEMP=" + dir.path().string(), "VODARE_USAGE_ENDPOINT="});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Created company Comp0001"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("What the company's journal holds"), std::string::npos);
    EXPECT_NE(run.out.find("Configuration"), std::string::npos);
    EXPECT_NE(run.out.find("Accounting vouchers"), std::string::npos);
    EXPECT_NE(run.out.find("error list: "), std::string::npos);
    // The verdict: whatever did not arrive, the run said why.
    EXPECT_NE(run.out.find(" accounting vouchers arrived with their amounts; the "),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find(" not\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find("answered No"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "demo" / "export"));
}

TEST(DemoCommand, ExtraArgumentsAreRefused) {
  auto run = RunCli({"demo", "a", "b"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("usage: vodare-cli demo [DIR]"), std::string::npos);
}

}  // namespace
}  // namespace vodare
