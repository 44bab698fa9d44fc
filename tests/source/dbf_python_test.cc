// Tables written by an independent implementation (Debian's python3-dbf) read through our
// reader, and tables of our writer read back by that implementation.

#include <cstdio>

#include "json_for_tests.h"
#include "source/dbf_test_util.h"

namespace vodare {
namespace {

using dbf_test::ReadTable;
using dbf_test::Rows;
using dbf_test::ScratchDir;
using dbf_test::TableRead;
using testing_json::Json;

Date Ymd(int y, int m, int d) { return Date::FromYmd(y, m, d); }

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the helper script that drives the independent writer and readers; its standard output
// and error, with a failure when it does not exit 0.
std::string RunPythonTool(const std::string& args) {
  const std::string script = dbf_test::SourceDir() / "tests" / "fixtures" / "dbf_python.py";
  std::string out;
  FILE* p = popen(("/usr/bin/python3 " + Quote(script) + " " + args + " 2>&1").c_str(), "r");
  if (!p) return "cannot run python3";
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  EXPECT_EQ(pclose(p), 0) << "python3-dbf failed (scripts/setup installs it):\n" << out;
  return out;
}

TEST(DbfIndependentTables, ReadAsTheirWriterMeantThem) {
  ScratchDir dir;
  RunPythonTool("write " + Quote(dir.str()));
  TableRead t = ReadTable(dir / "ledger.dbf");
  EXPECT_EQ(t.header.version, 0x83);
  EXPECT_EQ(t.header.code_page, "CP1252");
  std::vector<std::string> names;
  for (const auto& f : t.header.fields) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"CODE", "NAME", "AMOUNT", "QTY", "RATE", "VDATE",
                                             "ACTIVE", "NOTES"}));
  EXPECT_EQ(t.rows,
            (Rows{{"A1", "  Leading blanks", 1234.56, 3.0, 0.5, Ymd(2023, 4, 1), true,
                   "Memo line 1\r\nline 2"},
                  // Blank numbers, date and flag are Null; a blank memo too.
                  {"A2", "Café – €5 “quoted” Œuvre", Value(), Value(), Value(), Value(), Value(),
                   Value()},
                  // (A3 is deleted.)
                  {"A4", "Ünïcödé ÿ ß", -98765.43, -42.0, -0.0625, Ymd(1999, 12, 31), false,
                   "Straße – ½ €"}}));

  // Other code pages from the driver byte.
  TableRead ru = ReadTable(dir / "russian.dbf");
  EXPECT_EQ(ru.header.language_driver, 0xC9);
  EXPECT_EQ(ru.header.code_page, "CP1251");
  EXPECT_EQ(ru.rows, (Rows{{"Привет, мир", "Москва"}, {"Ёжик", "Санкт-Петербург"}}));
  TableRead dos = ReadTable(dir / "dos866.dbf");
  EXPECT_EQ(dos.header.code_page, "CP866");
  EXPECT_EQ(dos.rows, (Rows{{"Жёлтый"}}));

  // Visual FoxPro's binary fields and FPT memo; the currency field holds 123455
  // ten-thousandths (the writer truncated 12.3456).
  TableRead fox = ReadTable(dir / "fox.dbf");
  EXPECT_EQ(fox.header.version, 0x30);
  EXPECT_EQ(fox.rows,
            (Rows{{int64_t{7}, 2.5, 12.3455, Ymd(2021, 5, 6), 1.25, "fox", true, Ymd(2021, 5, 6),
                   "vfp memo ünï"},
                  {int64_t{-3}, 0.0, 0.0, Value(), Value(), "blank", Value(), Value(), Value()}}));
  for (const TableRead* read : {&t, &ru, &dos, &fox}) EXPECT_EQ(read->warnings.size(), 0u);
}

// mode "read" goes through python3-dbf (dBASE III, FoxPro), "readiv" through python3-dbfread
// (which also reads dBASE IV memos); each prints the table as JSON.
Json ReadIndependently(const std::string& path, const std::string& mode = "read") {
  return testing_json::ParseJson(
      RunPythonTool(mode == "read" ? "read " + Quote(path) : "readiv " + Quote(path) + " cp1252"));
}

void ExpectSame(const Json& got, const Value& want, char type) {
  if (want.IsNull() && type == 'M' && got.IsString()) {
    EXPECT_EQ(got.String(), "");  // a blank memo reads as empty text there
  } else if (want.IsNull()) {
    EXPECT_TRUE(got.IsNull());
  } else if (want.IsNumber()) {
    EXPECT_EQ(got.Number(), want.ToDouble());
  } else if (want.IsBool()) {
    EXPECT_EQ(got.Bool(), want.Bool());
  } else {
    EXPECT_EQ(got.String(), want.IsDate() ? want.DateValue().Format("yyyy-mm-dd") : want.Text());
  }
}

TEST(DbfWriterIndependentCheck, WrittenTablesReadTheSameElsewhere) {
  const std::vector<DbfField> fields = dbf_test::MixedFields();
  const Rows rows = dbf_test::MixedRows();
  for (auto [version, mode] : {std::pair<uint8_t, const char*>{0x03, "read"},
                               {0x03, "readiv"},
                               {0x8B, "readiv"}}) {
    SCOPED_TRACE(std::string(mode) + " version " + std::to_string(version));
    ScratchDir dir;
    dbf_test::WriteMixed(dir / "ours.dbf", version);
    Json got = ReadIndependently(dir / "ours.dbf", mode);
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
      const auto& values = record["values"].Array();
      if (record["deleted"].Bool()) {
        ++deleted;
        EXPECT_EQ(values[0].String(), "GONE");
        continue;
      }
      ASSERT_EQ(values.size(), fields.size());
      for (size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(r) + " field " + fields[i].name);
        ExpectSame(values[i], rows[r][i], fields[i].type);
      }
      ++r;
    }
    EXPECT_EQ(deleted, 1u);
  }

  ScratchDir dir;
  DbfWriteOptions options;
  options.language_driver = 0xC9;
  options.code_page = "CP1251";
  DbfWriter(dir / "ru.dbf", {{"NAME", 'C', 20, 0}}, options).Add({"Привет, мир"});
  EXPECT_EQ(ReadIndependently(dir / "ru.dbf")["records"].Array()[0]["values"].Array()[0].String(),
            "Привет, мир");
}

}  // namespace
}  // namespace vodare
