// vodare-cli company, run as the user runs it: a company is created with its installation, listed,
// and shows its standard chart; bad input gives one line on stderr and a non-zero exit.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/local_company.h"

namespace vodare {
namespace {

struct Result {
  int status = -1;
  std::string out, err;
};

Result RunCli(const std::string& args, const std::filesystem::path& scratch) {
  std::string err_file = (scratch / "stderr.txt").string();
  std::string command =
      std::string(VODARE_BINARY_DIR) + "/src/vodare-cli " + args + " 2>" + err_file;
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
  int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(err_file);
  std::stringstream ss;
  ss << in.rdbuf();
  r.err = ss.str();
  return r;
}

TEST(CompanyCommand, CreatesListsAndShowsACompany) {
  testing::TempDir dir;
  std::string program = (dir.path() / "Vuvoda").string(), data = (dir.path() / "Data").string();
  Result created = RunCli("company create --program " + program + " --data " + data +
                              " --name 'Sharma & Sons' --state 'tamil nadu' --years 2023,2024",
                          dir.path());
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out, "Comp0001\n");
  Result list = RunCli("company list --data " + data, dir.path());
  EXPECT_EQ(list.out, "Comp0001\tSharma & Sons\tTAMIL NADU\tGST\t2023,2024\n");
  Result masters =
      RunCli("company show --data " + data + " --code Comp0001 masters --kind 11", dir.path());
  ASSERT_EQ(masters.status, 0) << masters.err;
  EXPECT_NE(masters.out.find("Main Store"), std::string::npos);
  Result json =
      RunCli("company show --data " + data + " --code Comp0001 masters --json", dir.path());
  EXPECT_NE(json.out.find("\"name\":\"Freight & Forwarding Charges\""), std::string::npos);
  // The company by its name, in any letter case, as convert takes it.
  Result tb = RunCli("company show --data " + data + " --company 'sharma & sons' trial-balance",
                     dir.path());
  EXPECT_EQ(tb.status, 0);
  // A second company in the same installation gets the next code.
  Result second = RunCli("company create --program " + program + " --data " + data +
                             " --name Second --state Goa --vat --years 2024",
                         dir.path());
  EXPECT_EQ(second.out, "Comp0002\n");
}

TEST(CompanyCommand, BadInputGivesOneLineAndAFailure) {
  testing::TempDir dir;
  std::string data = (dir.path() / "Data").string();
  for (const std::string& args : std::vector<std::string>{
           "company", "company create --program P --data D --name X --state Atlantis --years 2024",
           "company create --program P --data D --name X --state Goa --years 24",
           "company create --data D --name X --state Goa --years 2024",
           "company show --data " + data + " --code Comp0009 masters",
           "company show --data " + data + " --code Comp0001 ledgers",
           "company list --data " + (dir.path() / "nowhere").string(), "company frobnicate"}) {
    Result r = RunCli(args, dir.path());
    EXPECT_NE(r.status, 0) << args;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
  }
}

}  // namespace
}  // namespace vodare
