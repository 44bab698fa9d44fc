// vodare-cli company, run as the user runs it: a company is created with its installation, listed,
// and shows its standard chart; bad input gives one line on stderr and a non-zero exit.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli_process.h"
#include "support/temp_dir.h"

namespace vodare {
namespace {

using testing::RunCli;

TEST(CompanyCommand, CreatesListsAndShowsACompany) {
  testing::TempDir dir;
  const std::string program = dir / "Vuvoda", data = dir / "Data";
  auto created = RunCli({"company", "create", "--program", program, "--data", data, "--name",
                         "Sharma & Sons", "--state", "tamil nadu", "--years", "2023,2024"});
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out, "Comp0001\n");
  EXPECT_EQ(RunCli({"company", "list", "--data", data}).out,
            "Comp0001\tSharma & Sons\tTAMIL NADU\tGST\t2023,2024\n");
  auto masters =
      RunCli({"company", "show", "--data", data, "--code", "Comp0001", "masters", "--kind", "11"});
  ASSERT_EQ(masters.status, 0) << masters.err;
  EXPECT_NE(masters.out.find("Main Store"), std::string::npos);
  EXPECT_NE(RunCli({"company", "show", "--data", data, "--code", "Comp0001", "masters", "--json"})
                .out.find("\"name\":\"Freight & Forwarding Charges\""),
            std::string::npos);
  // The company by its name, in any letter case, as convert takes it.
  EXPECT_EQ(
      RunCli({"company", "show", "--data", data, "--company", "sharma & sons", "trial-balance"})
          .status,
      0);
  // A second company in the same installation gets the next code.
  EXPECT_EQ(RunCli({"company", "create", "--program", program, "--data", data, "--name", "Second",
                    "--state", "Goa", "--vat", "--years", "2024"})
                .out,
            "Comp0002\n");

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"company"},
           {"company", "create", "--program", "P", "--data", "D", "--name", "X", "--state",
            "Atlantis", "--years", "2024"},
           {"company", "create", "--program", "P", "--data", "D", "--name", "X", "--state", "Goa",
            "--years", "24"},
           {"company", "create", "--data", "D", "--name", "X", "--state", "Goa", "--years", "2024"},
           {"company", "show", "--data", data, "--code", "Comp0009", "masters"},
           {"company", "show", "--data", data, "--code", "Comp0001", "ledgers"},
           {"company", "list", "--data", dir / "nowhere"},
           {"company", "frobnicate"}}) {
    auto run = RunCli(args);
    SCOPED_TRACE(args.back());
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

}  // namespace
}  // namespace vodare
