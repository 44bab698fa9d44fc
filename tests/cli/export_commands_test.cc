// vodare-cli tables and query, run as the user runs them, on a sample export and on small
// tables written here.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_process.h"
#include "export_writer/sample_export.h"
#include "source/dbf.h"
#include "support/golden.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;

class ExportCommandsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new fs::path(fs::temp_directory_path() /
                         ("vodare_cli_export_" + std::to_string(::getpid())));
    fs::remove_all(*root_);
    SampleExportOptions options;
    options.vouchers = 80;
    WriteSampleExport((*root_ / "sample").string(), options);
  }
  static void TearDownTestSuite() {
    fs::remove_all(*root_);
    delete root_;
  }
  static std::string Sample() { return (*root_ / "sample").string(); }
  static fs::path Folder(const std::string& name) {
    fs::path p = *root_ / name;
    fs::create_directories(p);
    return p;
  }
  static fs::path* root_;
};
fs::path* ExportCommandsTest::root_ = nullptr;

// What the commands print, as the kept copy tests/data/cli_export_commands.txt holds it: each
// table's head line with the row count sample-export reported and its columns (name, dBASE type,
// width, decimals); query rows as JSON objects, keys in select order whatever their letter case,
// numbers as numbers, Null as null, UTF-8 text as it is, dates in the program's form, quoted
// literals, an empty result, and what JSON needs escaped.
TEST_F(ExportCommandsTest, TablesAndQueryPrintWhatTheKeptCopyHolds) {
  fs::path dir = Folder("escapes");
  {
    DbfWriter w(
        (dir / "notes.dbf").string(),
        {{"ID", 'N', 4, 0}, {"NOTE", 'C', 40, 0}, {"AMT", 'N', 12, 3}, {"NOTEDATE", 'D', 8, 0}});
    w.Add({Value(1), Value("say \"hi\" \\ back"), Value(-2.5), Value(Date::FromYmd(2025, 3, 31))});
    w.Add({Value(2), Value(std::string("tab\there")), Value(), Value()});
    w.Close();
  }
  const std::vector<std::vector<std::string>> commands = {
      {"sample-export", (*root_ / "counted").string(), "--vouchers", "80"},
      {"tables", Sample()},
      {"query", Sample(),
       "SELECT billname, code, Igst, Opening FROM pro WHERE code = 3 or code = 22 ORDER BY code"},
      {"query", Sample(), "SELECT [Date], final FROM mdis WHERE Voucher = 1"},
      {"query", Sample(), "SELECT Parnam FROM [order] WHERE ordno = 'DS''01'"},
      {"query", Sample(), "SELECT Parnam FROM [order] WHERE ordno = 'nobody'"},
      {"query", dir.string(), "SELECT NOTE, AMT, NOTEDATE FROM notes ORDER BY ID"},
  };
  std::string text;
  for (const auto& args : commands) {
    auto run = RunCli(args);
    text += "$";
    for (const std::string& a : args) text += " " + a;
    text += "\nstatus " + std::to_string(run.status) + ", stderr '" + run.err + "'\n" + run.out;
  }
  for (size_t at; (at = text.find(root_->string())) != std::string::npos;)
    text.replace(at, root_->string().size(), "<root>");
  testing::ExpectGolden("cli_export_commands.txt", text);
}

TEST_F(ExportCommandsTest, BadInputGivesOneClearLineAndAFailingStatus) {
  fs::path file = *root_ / "plain.txt";
  { std::ofstream(file) << "not a folder"; }
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{"tables", (*root_ / "missing").string()}, "no such folder"},
      {{"tables", file.string()}, "not a folder"},
      {{"tables"}, "tables:"},
      {{"query", Sample()}, "query:"},
      {{"query", (*root_ / "missing").string(), "SELECT code FROM pro"}, "no such folder"},
      {{"query", Sample(), "SELEC code FROM pro"}, "query:"},
      {{"query", Sample(), "SELECT nothing FROM pro"}, "query:"},
      {{"query", Sample(), "SELECT code FROM no_such_table"}, "query:"},
  };
  for (const Case& c : cases) {
    auto run = RunCli(c.args);
    SCOPED_TRACE(c.args.back());
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }

  // A table file that is no dBASE table: the others are still listed, the broken one is named.
  fs::path dir = Folder("broken");
  {
    DbfWriter w((dir / "good.dbf").string(), {{"ID", 'N', 4, 0}});
    w.Add({Value(7)});
  }
  { std::ofstream(dir / "bad.dbf") << "this is not a table"; }
  auto run = RunCli({"tables", dir.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("good (good.dbf): 1 rows"), std::string::npos) << run.out;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_NE(run.err.find("bad"), std::string::npos) << run.err;
  run = RunCli({"query", dir.string(), "SELECT * FROM bad"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  run = RunCli({"query", dir.string(), "SELECT ID FROM good"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "{\"ID\":7}\n");
}

}  // namespace
}  // namespace vodare

namespace vodare {
namespace {

// check-export's status says what a run would do: 0 go on, 1 ask, 2 refuse.
TEST_F(ExportCommandsTest, CheckExportExitsByTheWorstOfItsFindings) {
  auto clean = RunCli({"check-export", Sample()});
  EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
  EXPECT_EQ(clean.out, "The export check found nothing wrong.\n");

  fs::path odd = Folder("odd");
  {
    DbfWriter w((odd / "t.dbf").string(), {{"QTY", 'N', 6, 0}});
    w.Add({Value(1.0)});
    w.Add({Value(2.0)});
    w.Close();
  }
  std::string bytes;
  {
    std::ifstream in(odd / "t.dbf", std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bytes.replace(bytes.size() - 7, 6, "   N/A");  // the last record's value; the end mark stays
  std::ofstream(odd / "t.dbf", std::ios::binary | std::ios::trunc) << bytes;
  auto warned = RunCli({"check-export", odd.string()});
  EXPECT_EQ(warned.status, 1) << warned.out << warned.err;
  EXPECT_EQ(warned.out,
            "Warning in table t, field QTY, record 2: holds \"N/A\", which is not a number; the "
            "record is refused by the stage that reads it\n"
            "The export check found 0 errors and 1 warning.\n");

  fs::path cut = Folder("cut");
  std::ofstream(cut / "t.dbf", std::ios::binary | std::ios::trunc)
      << bytes.substr(0, bytes.size() - 4);
  auto refused = RunCli({"check-export", cut.string()});
  EXPECT_EQ(refused.status, 2) << refused.out << refused.err;
  EXPECT_NE(refused.out.find("Error in table t: the header counts 2 records but the file holds "
                             "only 1 whole records"),
            std::string::npos)
      << refused.out;
}

}  // namespace
}  // namespace vodare
