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

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;

std::vector<std::string> SplitLines(const std::string& s) {
  std::vector<std::string> lines;
  std::istringstream in(s);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

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

TEST_F(ExportCommandsTest, tables_lists_every_table_with_its_columns_and_live_rows) {
  auto sx = RunCli({"sample-export", (*root_ / "counted").string(), "--vouchers", "80"});
  ASSERT_EQ(sx.status, 0);
  auto run = RunCli({"tables", Sample()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = SplitLines(run.out);
  // Each table's head line carries the same count sample-export reported.
  for (const std::string& reported : SplitLines(sx.out)) {
    std::istringstream in(reported);
    std::string file;
    long long rows = 0;
    in >> file >> rows;
    std::string table = file.substr(0, file.size() - 4);
    std::string head = table + " (" + file + "): " + std::to_string(rows) + " rows";
    EXPECT_TRUE(std::count(lines.begin(), lines.end(), head)) << head << "\n" << run.out;
  }
  // Columns: name, dBASE type, width, decimals.
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find("AMMMOUNT") != std::string::npos && l.find(" N ") != std::string::npos &&
           l.find(" 12 ") != std::string::npos && l.back() == '2';
  })) << run.out;
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find("CHDATE") != std::string::npos && l.find(" D ") != std::string::npos;
  }));
}

TEST_F(ExportCommandsTest, query_prints_one_json_object_per_row_with_keys_in_select_order) {
  auto run = RunCli({"query", Sample(),
                     "SELECT billname, code, Igst, Opening FROM pro WHERE code = 3 or code = 22 "
                     "ORDER BY code"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 2u) << run.out;
  // numbers as numbers, Null as null, UTF-8 text as it is
  EXPECT_EQ(lines[0].find("{\""), 0u);
  EXPECT_NE(lines[0].find("\":\"Cough Syrup Sugar Free 100ml\","), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("\":3,"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("\":12,"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("\":null}"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"Crème Rash Relief 30g\""), std::string::npos) << lines[1];
  // keys in select order, whatever their letter case
  std::string upper = lines[0];
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  size_t b = upper.find("\"BILLNAME\":"), c = upper.find("\"CODE\":"), i = upper.find("\"IGST\":"),
         o = upper.find("\"OPENING\":");
  EXPECT_TRUE(b < c && c < i && i < o) << lines[0];

  // Dates in the program's form, a quoted literal, an empty result.
  run = RunCli({"query", Sample(), "SELECT [Date], final FROM mdis WHERE Voucher = 1"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\":\"01-04-2024\","), std::string::npos) << run.out;
  run = RunCli({"query", Sample(), "SELECT Parnam FROM [order] WHERE ordno = 'DS''01'"});
  EXPECT_NE(run.out.find("\"D'Souza Medicals\"}"), std::string::npos) << run.out;
  run = RunCli({"query", Sample(), "SELECT Parnam FROM [order] WHERE ordno = 'nobody'"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
}

TEST_F(ExportCommandsTest, query_escapes_what_json_needs_escaped) {
  fs::path dir = Folder("escapes");
  {
    DbfWriter w(
        (dir / "notes.dbf").string(),
        {{"ID", 'N', 4, 0}, {"NOTE", 'C', 40, 0}, {"AMT", 'N', 12, 3}, {"NOTEDATE", 'D', 8, 0}});
    w.Add({Value(1), Value("say \"hi\" \\ back"), Value(-2.5), Value(Date::FromYmd(2025, 3, 31))});
    w.Add({Value(2), Value(std::string("tab\there")), Value(), Value()});
    w.Close();
  }
  auto run = RunCli({"query", dir.string(), "SELECT NOTE, AMT, NOTEDATE FROM notes ORDER BY ID"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("\"say \\\"hi\\\" \\\\ back\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(":-2.5,"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(":\"31-03-2025\"}"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"tab\\there\""), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find(":null,"), std::string::npos) << lines[1];
}

TEST_F(ExportCommandsTest, bad_input_gives_one_clear_line_and_a_failing_status) {
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
TEST_F(ExportCommandsTest, check_export_exits_by_the_worst_of_its_findings) {
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
