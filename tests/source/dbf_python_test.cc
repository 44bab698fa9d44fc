// Tables written by an independent implementation (Debian's python3-dbf) read through our
// reader, and tables of our writer read back by that implementation.

#include <cstdio>

#include "source/dbf_test_util.h"
#include "support/golden.h"

namespace vodare {
namespace {

using dbf_test::ReadTable;
using dbf_test::Rows;
using dbf_test::ScratchDir;
using dbf_test::TableRead;

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
  EXPECT_EQ(t.rows, (Rows{{"A1", "  Leading blanks", 1234.56, 3.0, 0.5, Ymd(2023, 4, 1), true,
                           "Memo line 1\r\nline 2"},
                          // Blank numbers, date and flag are Null; a blank memo too.
                          {"A2", "Café – €5 “quoted” Œuvre", Value(), Value(), Value(), Value(),
                           Value(), Value()},
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

// Our writer's tables as the independent implementation reads them: python3-dbf (dBASE III,
// FoxPro) with "read", python3-dbfread (which also reads dBASE IV memos) with "readiv", each
// printing the table as JSON. The kept readings were checked, value for value, against the
// mixed table's own rows (the deleted record flagged, one tool listing it last) when taken.
TEST(DbfWriterIndependentCheck, WrittenTablesReadTheSameElsewhere) {
  std::string readings;
  for (auto [version, mode] :
       {std::pair<uint8_t, const char*>{0x03, "read"}, {0x03, "readiv"}, {0x8B, "readiv"}}) {
    ScratchDir dir;
    dbf_test::WriteMixed(dir / "ours.dbf", version);
    readings += std::string("== ") + mode + " of version " + std::to_string(version) + "\n" +
                RunPythonTool(std::string(mode) + " " + Quote(dir / "ours.dbf") +
                              (mode == std::string("readiv") ? " cp1252" : ""));
  }
  ScratchDir dir;
  DbfWriteOptions options;
  options.language_driver = 0xC9;
  options.code_page = "CP1251";
  DbfWriter(dir / "ru.dbf", {{"NAME", 'C', 20, 0}}, options).Add({"Привет, мир"});
  readings += "== read of a Windows-1251 table\n" + RunPythonTool("read " + Quote(dir / "ru.dbf"));
  testing::ExpectGolden("dbf_python_readings.txt", readings);
}

}  // namespace
}  // namespace vodare
