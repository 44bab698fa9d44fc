// The writer's tables read back through the reader exactly as they were given.

#include "source/dbf_test_util.h"
#include "support/golden.h"

namespace vodare {
namespace {

using dbf_test::ReadTable;
using dbf_test::Rows;
using dbf_test::ScratchDir;
namespace fs = std::filesystem;

TEST(DbfWriter, WrittenTablesReadBackAsKept) {
  ScratchDir dir;
  std::string readings;
  for (uint8_t version : {uint8_t{0x03}, uint8_t{0x8B}}) {
    const std::string name = "mixed" + std::to_string(version) + ".dbf";
    dbf_test::WriteMixed(dir / name, version);
    readings += dbf_test::Reading(dir.path() / name, name);
    EXPECT_EQ(ReadTable(dir / name).rows, dbf_test::MixedRows());
  }
  EXPECT_TRUE(fs::exists(dir / "mixed3.dbt") && fs::exists(dir / "mixed139.dbt"));
  {
    DbfWriter w(dir / "conv.dbf",
                {{"C", 'C', 12, 0}, {"N", 'N', 8, 2}, {"D", 'D', 8, 0}, {"L", 'L', 1, 0}});
    w.Add({Date::FromYmd(2024, 1, 31), "12.5", "31-01-2024", 1});
    w.Add({2.5, int64_t{-3}, "2024-02-01", 0});
    EXPECT_THROW(w.Add({"x", 1, "not a date", true}), DbfError);
  }
  DbfWriteOptions options;
  options.language_driver = 0xC9;
  options.code_page = "CP1251";
  {
    DbfWriter w(dir / "ru.dbf", {{"NAME", 'C', 20, 0}}, options);
    w.Add({"Привет"});
    w.Add({"日本"});  // not in Windows-1251
  }
  for (const char* name : {"conv.dbf", "ru.dbf"}) readings += dbf_test::Reading(dir / name, name);
  testing::ExpectGolden("dbf_writer_readings.txt", readings);
}

TEST(DbfWriter, TableWithoutMemoIsVersion3AndEndsWithTheMark) {
  ScratchDir dir;
  DbfWriteOptions options;
  options.version = 0x8B;
  options.last_update = Date::FromYmd(2024, 2, 29);
  {
    DbfWriter w(dir / "plain.dbf", {{"N", 'C', 3, 0}}, options);
    w.Add({"abc"});
  }  // closed by the destructor
  std::string bytes = dbf_test::ReadBytes(dir / "plain.dbf");
  ASSERT_EQ(bytes.size(), 32u + 32 + 1 + 4 + 1);
  EXPECT_EQ(bytes.substr(0, 4), "\x03\x7C\x02\x1D");  // version, then 2024-02-29 as yy mm dd
  EXPECT_EQ(bytes.back(), 0x1A);
  EXPECT_FALSE(fs::exists(dir / "plain.dbt"));
  EXPECT_EQ(ReadTable(dir / "plain.dbf").rows, (Rows{{"abc"}}));
}

TEST(DbfWriter, RefusesValuesThatDoNotFitAndBadDefinitions) {
  ScratchDir dir;
  DbfWriter w(dir / "t.dbf", {{"NAME", 'C', 5, 0}, {"AMT", 'N', 6, 2}});
  for (const std::vector<Value>& refused :
       std::vector<std::vector<Value>>{{"toolong", 1.0},
                                       {"ok", 1000.0} /* 7 wide */,
                                       {"ok"},
                                       {"ok", "twelve"},
                                       {"ok", Date::FromYmd(2020, 1, 1)}})
    EXPECT_THROW(w.Add(refused), DbfError) << ::testing::PrintToString(refused);
  w.Add({"ok", 999.99});
  w.Close();
  // The refused records left nothing behind.
  EXPECT_EQ(ReadTable(dir / "t.dbf").rows, (Rows{{"ok", 999.99}}));

  for (const DbfField& f : std::vector<DbfField>{
           {"TOOLONGNAME", 'C', 5, 0}, {"X", 'Q', 5, 0}, {"X", 'C', 0, 0}, {"X", 'N', 4, 3}})
    EXPECT_THROW(DbfWriter(dir / "a.dbf", {f}), DbfError) << f.name << f.type;
  EXPECT_THROW(DbfWriter(dir / "no/such/folder/e.dbf", {{"X", 'C', 1, 0}}), DbfError);
  DbfWriteOptions seven;
  seven.version = 0x04;
  EXPECT_THROW(DbfWriter(dir / "f.dbf", {{"X", 'C', 1, 0}}, seven), DbfError);
}

}  // namespace
}  // namespace vodare
