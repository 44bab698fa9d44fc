// vodare-cli sample-export, run as the user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli_process.h"
#include "support/temp_dir.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::RunCli;
using testing::Words;

TEST(SampleExportCommand, WritesTheTenTablesTheSameForASeedAndRefusesBadArguments) {
  testing::TempDir dir;
  auto run = RunCli({"sample-export", dir / "a", "--vouchers", "120", "--seed", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const std::string t : {"pro", "probat", "ACGROUP", "order", "SaleType", "support", "mdis",
                              "dis", "pend", "Gledger"}) {
    EXPECT_TRUE(fs::exists(dir.path() / "a" / (t + ".dbf"))) << t;
    EXPECT_NE(run.out.find(t + ".dbf"), std::string::npos) << t;
  }
  EXPECT_NE(run.out.find(" 120 rows"), std::string::npos) << run.out;
  // The same seed again, in another folder, gives the same bytes; the options may come first.
  auto second = RunCli({"sample-export", "--seed", "3", "--vouchers", "120", dir / "b"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, run.out);
  for (const auto& e : fs::directory_iterator(dir.path() / "a"))
    EXPECT_EQ(Bytes(e.path()), Bytes(dir.path() / "b" / e.path().filename())) << e.path();

  // Bad arguments, and a folder that cannot be made: a file stands where its parent should be.
  std::ofstream(dir.path() / "file") << "x";
  const std::string bad = dir / "bad";
  for (const std::string& line :
       {std::string(), bad + " --vouchers", bad + " --vouchers many", bad + " --vouchers -5",
        bad + " --colour red", bad + " second-folder", dir / "file/export"}) {
    auto run = RunCli(Words("sample-export " + line));
    SCOPED_TRACE(line);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("vodare-cli: sample-export", 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(fs::exists(dir.path() / "bad"));
}

}  // namespace
}  // namespace vodare
