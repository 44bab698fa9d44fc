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
using testing::RunCli;

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"sample-export"},
                                             {"sample-export", dir / "bad", "--vouchers"},
                                             {"sample-export", dir / "bad", "--vouchers", "many"},
                                             {"sample-export", dir / "bad", "--vouchers", "-5"},
                                             {"sample-export", dir / "bad", "--colour", "red"},
                                             {"sample-export", dir / "bad", "second-folder"},
                                             {"sample-export", dir / "file/export"}}) {
    auto bad = RunCli(args);
    SCOPED_TRACE(args.back());
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
    EXPECT_EQ(bad.err.rfind("vodare-cli: sample-export", 0), 0u) << bad.err;
    EXPECT_EQ(bad.out, "");
  }
  EXPECT_FALSE(fs::exists(dir.path() / "bad"));
}

}  // namespace
}  // namespace vodare
