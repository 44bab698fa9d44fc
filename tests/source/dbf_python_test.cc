// Tables of an independent implementation (Debian's python3-dbf) and ours, read by the other.

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

// The output of the helper script that drives the independent writer and readers.
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

// Checked against the script's values when kept (the currency field's writer truncated 12.3456).
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

// "read" is python3-dbf, "readiv" python3-dbfread (dBASE IV memos); checked value for value.
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
