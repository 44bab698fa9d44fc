// Tables written by an independent implementation (Debian's python3-dbf) read through our
// reader, and tables of our writer read back by that implementation.

#include <cstdio>

#include "source/dbf_test_util.h"
#include "support/golden.h"

namespace vodare {
namespace {

using dbf_test::ReadTable;
using dbf_test::ScratchDir;
using dbf_test::TableRead;

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

// The kept readings were checked against the values the script writes when taken: blank
// numbers, dates, flags and memos read as Null, the deleted record left out, the code page
// taken from the driver byte, Visual FoxPro's binary fields and FPT memo read (the currency
// field holds 123455 ten-thousandths: the writer truncated 12.3456).
TEST(DbfIndependentTables, ReadAsTheirWriterMeantThem) {
  ScratchDir dir;
  RunPythonTool("write " + Quote(dir.str()));
  std::string readings;
  for (const char* table : {"ledger.dbf", "russian.dbf", "dos866.dbf", "fox.dbf"})
    readings += dbf_test::Reading(dir.path() / table, table);
  testing::ExpectGolden("dbf_python_tables.txt", readings);
  // A binary integer reads as a whole number, a number field with no decimals as a double.
  EXPECT_TRUE(ReadTable(dir / "fox.dbf").rows.at(0).at(0).IsInteger());
  EXPECT_TRUE(ReadTable(dir / "ledger.dbf").rows.at(0).at(3).IsDouble());
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
