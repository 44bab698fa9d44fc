// vodare-cli sample-export, run as the user runs it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "cli_process.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;

fs::path TempDir(const std::string& name) {
  fs::path p = fs::temp_directory_path() / ("vodare_cli_sx_" + std::to_string(::getpid())) / name;
  fs::remove_all(p);
  return p;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

TEST(SampleExportCommand, WritesTheTenTablesAndListsTheirRowCounts) {
  fs::path dir = TempDir("a");
  auto run = RunCli({"sample-export", dir.string(), "--vouchers", "120", "--seed", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* t : {"pro", "probat", "ACGROUP", "order", "SaleType", "support", "mdis", "dis",
                        "pend", "Gledger"}) {
    EXPECT_TRUE(fs::exists(dir / (std::string(t) + ".dbf"))) << t;
    EXPECT_NE(run.out.find(std::string(t) + ".dbf"), std::string::npos) << t;
  }
  EXPECT_NE(run.out.find("mdis.dbf"), std::string::npos);
  EXPECT_NE(run.out.find(" 120 rows"), std::string::npos) << run.out;

  // The same seed again, in another folder, gives the same bytes; the options may come first.
  fs::path again = TempDir("b");
  auto second = RunCli({"sample-export", "--seed", "3", "--vouchers", "120", again.string()});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, run.out);
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(Bytes(e.path()), Bytes(again / e.path().filename())) << e.path();
  fs::remove_all(dir.parent_path());
}

TEST(SampleExportCommand, BadArgumentsGiveOneLineOnStderrAndStatus2) {
  fs::path dir = TempDir("bad");
  const std::vector<std::vector<std::string>> cases = {
      {"sample-export"},
      {"sample-export", dir.string(), "--vouchers"},
      {"sample-export", dir.string(), "--vouchers", "many"},
      {"sample-export", dir.string(), "--vouchers", "-5"},
      {"sample-export", dir.string(), "--colour", "red"},
      {"sample-export", dir.string(), "second-folder"},
  };
  for (const auto& args : cases) {
    auto run = RunCli(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_EQ(run.err.rfind("vodare-cli: sample-export", 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(fs::exists(dir));

  // A folder that cannot be made: a file stands where its parent should be.
  fs::create_directories(dir);
  { std::ofstream(dir / "file") << "x"; }
  auto run = RunCli({"sample-export", (dir / "file" / "export").string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Lines(run.err), 1) << run.err;
  fs::remove_all(dir.parent_path());
}

}  // namespace
}  // namespace vodare
