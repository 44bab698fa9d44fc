// vodare-cli tables, query and check-export, run as the user runs them, on a sample export and on
// small tables written here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli_process.h"
#include "export_writer/sample_export.h"
#include "source/dbf.h"
#include "support/golden.h"
#include "support/temp_dir.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

class ExportCommandsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new testing::TempDir();
    SampleExportOptions options;
    options.vouchers = 80;
    WriteSampleExport(Sample(), options);
  }
  static void TearDownTestSuite() { delete root_; }
  static std::string Sample() { return *root_ / "sample"; }
  static fs::path Folder(const std::string& name) {
    fs::create_directories(root_->path() / name);
    return root_->path() / name;
  }
  static testing::TempDir* root_;
};
testing::TempDir* ExportCommandsTest::root_ = nullptr;

// Table heads and columns, query rows as JSON with what JSON needs escaped, and check-export,
// whose status says what a run would do: 0 go on, 1 ask (a value that is no number), 2 refuse (a
// table cut short).
TEST_F(ExportCommandsTest, TablesQueryAndCheckExportPrintWhatTheKeptCopyHolds) {
  const fs::path dir = Folder("escapes"), odd = Folder("odd"), cut = Folder("cut");
  {
    DbfWriter w(
        (dir / "notes.dbf").string(),
        {{"ID", 'N', 4, 0}, {"NOTE", 'C', 40, 0}, {"AMT", 'N', 12, 3}, {"NOTEDATE", 'D', 8, 0}});
    w.Add({Value(1), Value("say \"hi\" \\ back"), Value(-2.5), Value(Date::FromYmd(2025, 3, 31))});
    w.Add({Value(2), Value(std::string("tab\there")), Value(), Value()});
    DbfWriter t((odd / "t.dbf").string(), {{"QTY", 'N', 6, 0}});
    t.Add({Value(1.0)});
    t.Add({Value(2.0)});
  }
  std::string bytes = testing::Bytes(odd / "t.dbf");
  bytes.replace(bytes.size() - 7, 6, "   N/A");  // the last record's value; the end mark stays
  std::ofstream(odd / "t.dbf", std::ios::binary | std::ios::trunc) << bytes;
  std::ofstream(cut / "t.dbf", std::ios::binary) << bytes.substr(0, bytes.size() - 4);
  const std::vector<std::vector<std::string>> commands = {
      {"sample-export", *root_ / "counted", "--vouchers", "80"},
      {"tables", Sample()},
      {"query", Sample(),
       "SELECT billname, code, Igst, Opening FROM pro WHERE code = 3 or code = 22 ORDER BY code"},
      {"query", Sample(), "SELECT [Date], final FROM mdis WHERE Voucher = 1"},
      {"query", Sample(), "SELECT Parnam FROM [order] WHERE ordno = 'DS''01'"},
      {"query", Sample(), "SELECT Parnam FROM [order] WHERE ordno = 'nobody'"},
      {"query", dir.string(), "SELECT NOTE, AMT, NOTEDATE FROM notes ORDER BY ID"},
      {"check-export", Sample()},
      {"check-export", odd.string()},
      {"check-export", cut.string()},
  };
  std::string text;
  for (const auto& args : commands) {
    auto run = RunCli(args);
    text += "$";
    for (const std::string& a : args) text += " " + a;
    text += "\nstatus " + std::to_string(run.status) + ", stderr '" + run.err + "'\n" + run.out;
  }
  for (size_t at; (at = text.find(root_->str())) != std::string::npos;)
    text.replace(at, root_->str().size(), "<root>");
  testing::ExpectGolden("cli_export_commands.txt", text);
}

TEST_F(ExportCommandsTest, BadInputGivesOneClearLineAndAFailingStatus) {
  const std::string file = *root_ / "plain.txt";
  std::ofstream(file) << "not a folder";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"tables", *root_ / "missing"}, "no such folder"},
      {{"tables", file}, "not a folder"},
      {{"tables"}, "tables:"},
      {{"query", Sample()}, "query:"},
      {{"query", *root_ / "missing", "SELECT code FROM pro"}, "no such folder"},
      {{"query", Sample(), "SELEC code FROM pro"}, "query:"},
      {{"query", Sample(), "SELECT nothing FROM pro"}, "query:"},
      {{"query", Sample(), "SELECT code FROM no_such_table"}, "query:"},
  };
  for (const auto& [args, says] : cases) {
    auto run = RunCli(args);
    SCOPED_TRACE(args.back());
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
  }

  // A table file that is no dBASE table: the others are still listed, the broken one is named.
  const fs::path dir = Folder("broken");
  DbfWriter((dir / "good.dbf").string(), {{"ID", 'N', 4, 0}}).Add({Value(7)});
  std::ofstream(dir / "bad.dbf") << "this is not a table";
  auto run = RunCli({"tables", dir.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("good (good.dbf): 1 rows"), std::string::npos) << run.out;
  EXPECT_EQ(Lines(run.err), 1) << run.err;
  EXPECT_NE(run.err.find("bad"), std::string::npos) << run.err;
  run = RunCli({"query", dir.string(), "SELECT * FROM bad"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Lines(run.err), 1) << run.err;
  EXPECT_EQ(RunCli({"query", dir.string(), "SELECT ID FROM good"}).out, "{\"ID\":7}\n");
}

}  // namespace
}  // namespace vodare
