// vodare-cli convert as a user runs it: flags, messages, exit status.
#include <gtest/gtest.h>

#include "cli_process.h"

namespace vodare {
namespace {

using testing::RunCli;

TEST(ConvertCommand, BadFlagsAreRefusedBeforeAnyRun) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"convert", "--what"},
                                             {"convert", "--program"},
                                             {"convert", "--same-state", "maybe"},
                                             {"convert", "--map-groups", "all"},
                                             {"convert", "--from", "32-13-2024"}}) {
    auto run = RunCli(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_NE(run.err.find("vodare-cli:"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("run:"), std::string::npos);
  }
}

TEST(ConvertCommand, AYearThatIsNoNumberIsRefusedWithTheYearMessage) {
  auto run = RunCli({"convert", "--program", "/nonexistent", "--masters"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Enter valid Financial Year"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("run: refused"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace vodare
