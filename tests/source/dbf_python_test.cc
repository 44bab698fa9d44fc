// Tables written by an independent implementation (Debian's python3-dbf) read through our
// reader, and tables of our writer read back by that implementation.

#include "json_for_tests.h"
#include "source/dbf_test_util.h"

namespace vodare {
namespace {

using dbf_test::PythonTool;
using dbf_test::Quote;
using dbf_test::ReadTable;
using dbf_test::ScratchDir;
using dbf_test::TableRead;
using testing_json::Json;
using Rows = std::vector<std::vector<Value>>;

Date Ymd(int y, int m, int d) { return Date::FromYmd(y, m, d); }

// Tables of the independent writer, made once for all tests of this file.
class DbfIndependentTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir();
    int status = 0;
    std::string out =
        dbf_test::Run(PythonTool() + " write " + Quote(dir_->path().string()) + " 2>&1", &status);
    ASSERT_EQ(status, 0) << "python3-dbf could not write the tables (scripts/setup installs it):\n"
                         << out;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::string Path(const std::string& name) { return *dir_ / name; }
  static ScratchDir* dir_;
};
ScratchDir* DbfIndependentTables::dir_ = nullptr;

TEST_F(DbfIndependentTables, DbaseIIIWithMemoInWindows1252) {
  TableRead t = ReadTable(Path("ledger.dbf"));
  EXPECT_EQ(t.header.version, 0x83);
  EXPECT_EQ(t.header.code_page, "CP1252");
  EXPECT_TRUE(t.warnings.empty());
  std::vector<std::string> names;
  for (const auto& f : t.header.fields) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"CODE", "NAME", "AMOUNT", "QTY", "RATE", "VDATE",
                                             "ACTIVE", "NOTES"}));
  Rows want = {
      {"A1", "  Leading blanks", 1234.56, 3.0, 0.5, Ymd(2023, 4, 1), true, "Memo line 1\r\nline 2"},
      // Blank numbers, date and flag are Null; a blank memo too.
      {"A2", "Café – €5 “quoted” Œuvre", Value(), Value(), Value(), Value(), Value(), Value()},
      // (A3 is deleted.)
      {"A4", "Ünïcödé ÿ ß", -98765.43, -42.0, -0.0625, Ymd(1999, 12, 31), false, "Straße – ½ €"},
  };
  EXPECT_EQ(t.rows, want);
}

TEST_F(DbfIndependentTables, OtherCodePagesFromTheDriverByte) {
  TableRead ru = ReadTable(Path("russian.dbf"));
  EXPECT_EQ(ru.header.language_driver, 0xC9);
  EXPECT_EQ(ru.header.code_page, "CP1251");
  EXPECT_EQ(ru.rows, (Rows{{"Привет, мир", "Москва"}, {"Ёжик", "Санкт-Петербург"}}));
  TableRead dos = ReadTable(Path("dos866.dbf"));
  EXPECT_EQ(dos.header.code_page, "CP866");
  EXPECT_EQ(dos.rows, (Rows{{"Жёлтый"}}));
  EXPECT_TRUE(ru.warnings.empty());
  EXPECT_TRUE(dos.warnings.empty());
}

TEST_F(DbfIndependentTables, VisualFoxProBinaryFieldsAndFptMemo) {
  TableRead t = ReadTable(Path("fox.dbf"));
  EXPECT_EQ(t.header.version, 0x30);
  EXPECT_TRUE(t.warnings.empty());
  ASSERT_EQ(t.rows.size(), 2u);
  // The currency field holds 123455 ten-thousandths (the writer truncated 12.3456).
  Rows want = {
      {int64_t{7}, 2.5, 12.3455, Ymd(2021, 5, 6), 1.25, "fox", true, Ymd(2021, 5, 6),
       "vfp memo ünï"},
      {int64_t{-3}, 0.0, 0.0, Value(), Value(), "blank", Value(), Value(), Value()},
  };
  EXPECT_EQ(t.rows, want);
}

// ---- our writer, read by the independent implementation ----

// mode "read" goes through python3-dbf (dBASE III, FoxPro), "readiv" through python3-dbfread
// (which also reads dBASE IV memos); each prints the table as JSON.
Json ReadIndependently(const std::string& path, const std::string& mode = "read") {
  int status = 0;
  std::string args = mode == "read" ? " read " + Quote(path) : " readiv " + Quote(path) + " cp1252";
  std::string out = dbf_test::Run(PythonTool() + args + " 2>&1", &status);
  EXPECT_EQ(status, 0) << out;
  if (status != 0) return Json();
  return testing_json::ParseJson(out);
}

void ExpectSame(const Json& got, const Value& want, char type) {
  if (want.IsNull()) {
    // A blank memo reads as empty text there.
    if (type == 'M' && got.IsString()) {
      EXPECT_EQ(got.String(), "");
    } else {
      EXPECT_TRUE(got.IsNull());
    }
  } else if (want.IsText()) {
    ASSERT_TRUE(got.IsString());
    EXPECT_EQ(got.String(), want.Text());
  } else if (want.IsNumber()) {
    ASSERT_TRUE(got.IsNumber());
    EXPECT_EQ(got.Number(), want.ToDouble());
  } else if (want.IsBool()) {
    ASSERT_TRUE(got.IsBool());
    EXPECT_EQ(got.Bool(), want.Bool());
  } else if (want.IsDate()) {
    ASSERT_TRUE(got.IsString());
    EXPECT_EQ(got.String(), want.DateValue().Format("yyyy-mm-dd"));
  }
}

TEST(DbfWriterIndependentCheck, WrittenTablesReadTheSameElsewhere) {
  std::vector<DbfField> fields = {
      {"CODE", 'C', 10, 0}, {"NAME", 'C', 40, 0}, {"AMOUNT", 'N', 14, 2}, {"QTY", 'N', 8, 0},
      {"RATE", 'F', 12, 4}, {"VDATE", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0},  {"NOTES", 'M', 10, 0}};
  Rows rows = {
      {"A001", "  Two leading blanks", 1234.5, 7.0, 0.125, Ymd(2023, 4, 1), true,
       "First line\r\nsecond line"},
      {"A002", "Café Müller – “quoted” €", -0.01, Value(), Value(), Value(), false, Value()},
      {"A003", "", 0.0, -42.0, 0.0001, Ymd(1999, 12, 31), Value(), std::string(1500, 'x')},
  };
  struct Case {
    uint8_t version;
    const char* mode;
  };
  for (Case c : {Case{0x03, "read"}, Case{0x03, "readiv"}, Case{0x8B, "readiv"}}) {
    SCOPED_TRACE(std::string(c.mode) + " version " + std::to_string(c.version));
    ScratchDir dir;
    std::string path = dir / "ours.dbf";
    {
      DbfWriteOptions options;
      options.version = c.version;
      DbfWriter w(path, fields, options);
      w.Add(rows[0]);
      w.Add({"GONE", "deleted", 1.0, 1.0, 1.0, Value(), true, "gone"}, true);
      w.Add(rows[1]);
      w.Add(rows[2]);
      w.Close();
    }
    Json got = ReadIndependently(path, c.mode);
    ASSERT_TRUE(got.IsObject());
    const auto& f = got["fields"].Array();
    ASSERT_EQ(f.size(), fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
      EXPECT_EQ(f[i]["type"].String(), std::string(1, fields[i].type));
      EXPECT_EQ(f[i]["length"].Number(), fields[i].length);
      EXPECT_EQ(f[i]["decimals"].Number(), fields[i].decimals);
    }
    // Live records in file order; the deleted one is flagged (one tool lists it last).
    const auto& records = got["records"].Array();
    ASSERT_EQ(records.size(), 4u);
    size_t r = 0, deleted = 0;
    for (const Json& record : records) {
      if (record["deleted"].Bool()) {
        ++deleted;
        EXPECT_EQ(record["values"].Array()[0].String(), "GONE");
        continue;
      }
      SCOPED_TRACE(r);
      const auto& values = record["values"].Array();
      ASSERT_EQ(values.size(), fields.size());
      for (size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(fields[i].name);
        ExpectSame(values[i], rows[r][i], fields[i].type);
      }
      ++r;
    }
    EXPECT_EQ(deleted, 1u);
  }
}

TEST(DbfWriterIndependentCheck, OtherCodePageReadsTheSameElsewhere) {
  ScratchDir dir;
  DbfWriteOptions options;
  options.language_driver = 0xC9;
  options.code_page = "CP1251";
  {
    DbfWriter w(dir / "ru.dbf", {{"NAME", 'C', 20, 0}}, options);
    w.Add({"Привет, мир"});
  }
  Json got = ReadIndependently(dir / "ru.dbf");
  ASSERT_TRUE(got.IsObject());
  EXPECT_EQ(got["records"].Array()[0]["values"].Array()[0].String(), "Привет, мир");
}

}  // namespace
}  // namespace vodare
