// The writer's tables read back through the reader exactly as they were given.

#include "source/dbf_test_util.h"

namespace vodare {
namespace {

using dbf_test::ReadBytes;
using dbf_test::ReadTable;
using dbf_test::ScratchDir;
namespace fs = std::filesystem;

std::vector<DbfField> MixedFields() {
  return {{"CODE", 'C', 10, 0},  {"NAME", 'C', 40, 0}, {"AMOUNT", 'N', 14, 2},
          {"QTY", 'N', 10, 0},   {"RATE", 'F', 12, 4}, {"VDATE", 'D', 8, 0},
          {"ACTIVE", 'L', 1, 0}, {"NOTES", 'M', 10, 0}};
}

std::vector<std::vector<Value>> MixedRows() {
  return {
      {"A001", "  Two leading blanks", 1234.5, 7.0, 0.125, Date::FromYmd(2023, 4, 1), true,
       "First line\r\nsecond line"},
      {"A002", "Café Müller – “quoted” €", -0.01, Value(), Value(), Value(), false, Value()},
      {"", "", 0.0, -42.0, 1e-4, Date::FromYmd(1999, 12, 31), Value(), std::string(1500, 'x')},
  };
}

TEST(DbfWriter, RoundTripThroughTheReader) {
  for (uint8_t version : {uint8_t{0x03}, uint8_t{0x8B}}) {
    SCOPED_TRACE(static_cast<int>(version));
    ScratchDir dir;
    std::string path = dir / "mixed.dbf";
    {
      DbfWriteOptions options;
      options.version = version;
      DbfWriter w(path, MixedFields(), options);
      auto rows = MixedRows();
      w.Add(rows[0]);
      w.Add({"DEL", "deleted", 1.0, 1.0, 1.0, Value(), true, "gone"}, /*deleted=*/true);
      w.Add(rows[1]);
      w.Add(rows[2]);
      w.Close();
    }
    auto t = ReadTable(path);
    EXPECT_TRUE(t.warnings.empty());
    EXPECT_EQ(t.header.version, version == 0x03 ? 0x83 : 0x8B);
    EXPECT_EQ(t.header.record_count, 4u);
    EXPECT_EQ(t.header.language_driver, 0x57);
    ASSERT_EQ(t.header.fields.size(), MixedFields().size());
    EXPECT_EQ(t.rows, MixedRows());
    EXPECT_TRUE(fs::exists(dir / "mixed.dbt"));
  }
}

TEST(DbfWriter, TableWithoutMemoIsVersion3AndEndsWithTheMark) {
  ScratchDir dir;
  std::string path = dir / "plain.dbf";
  DbfWriteOptions options;
  options.version = 0x8B;
  options.last_update = Date::FromYmd(2024, 2, 29);
  {
    DbfWriter w(path, {{"N", 'C', 3, 0}}, options);
    w.Add({"abc"});
  }  // closed by the destructor
  std::string bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 32u + 32 + 1 + 4 + 1);
  EXPECT_EQ(bytes[0], 0x03);
  EXPECT_EQ(bytes[1], 124);
  EXPECT_EQ(bytes[2], 2);
  EXPECT_EQ(bytes[3], 29);
  EXPECT_EQ(bytes.back(), 0x1A);
  EXPECT_FALSE(fs::exists(dir / "plain.dbt"));
  EXPECT_EQ(ReadTable(path).rows, (std::vector<std::vector<Value>>{{"abc"}}));
}

TEST(DbfWriter, RefusesValuesThatDoNotFit) {
  ScratchDir dir;
  DbfWriter w(dir / "t.dbf", {{"NAME", 'C', 5, 0}, {"AMT", 'N', 6, 2}});
  EXPECT_THROW(w.Add({"toolong", 1.0}), DbfError);
  EXPECT_THROW(w.Add({"ok", 1000.0}), DbfError);  // "1000.00" is 7 wide
  EXPECT_THROW(w.Add({"ok"}), DbfError);
  EXPECT_THROW(w.Add({"ok", "twelve"}), DbfError);
  EXPECT_THROW(w.Add({"ok", Date::FromYmd(2020, 1, 1)}), DbfError);
  w.Add({"ok", 999.99});
  w.Close();
  auto t = ReadTable(dir / "t.dbf");
  ASSERT_EQ(t.rows.size(), 1u);  // the refused records left nothing behind
  EXPECT_EQ(t.rows[0][1], Value(999.99));
}

TEST(DbfWriter, RefusesBadDefinitions) {
  ScratchDir dir;
  EXPECT_THROW(DbfWriter(dir / "a.dbf", {{"TOOLONGNAME", 'C', 5, 0}}), DbfError);
  EXPECT_THROW(DbfWriter(dir / "b.dbf", {{"X", 'Q', 5, 0}}), DbfError);
  EXPECT_THROW(DbfWriter(dir / "c.dbf", {{"X", 'C', 0, 0}}), DbfError);
  EXPECT_THROW(DbfWriter(dir / "d.dbf", {{"X", 'N', 4, 3}}), DbfError);
  EXPECT_THROW(DbfWriter(dir / "no/such/folder/e.dbf", {{"X", 'C', 1, 0}}), DbfError);
  DbfWriteOptions seven;
  seven.version = 0x04;
  EXPECT_THROW(DbfWriter(dir / "f.dbf", {{"X", 'C', 1, 0}}, seven), DbfError);
}

TEST(DbfWriter, ValuesOfOtherKindsAreConverted) {
  ScratchDir dir;
  std::string path = dir / "conv.dbf";
  {
    DbfWriter w(path, {{"C", 'C', 12, 0}, {"N", 'N', 8, 2}, {"D", 'D', 8, 0}, {"L", 'L', 1, 0}});
    w.Add({Date::FromYmd(2024, 1, 31), "12.5", "31-01-2024", 1});
    w.Add({2.5, int64_t{-3}, "2024-02-01", 0});
    EXPECT_THROW(w.Add({"x", 1, "not a date", true}), DbfError);
  }
  auto t = ReadTable(path);
  EXPECT_EQ(t.rows,
            (std::vector<std::vector<Value>>{{"31-01-2024", 12.5, Date::FromYmd(2024, 1, 31), true},
                                             {"2.5", -3.0, Date::FromYmd(2024, 2, 1), false}}));
}

TEST(DbfWriter, OtherCodePageAndCharactersItCannotHold) {
  ScratchDir dir;
  DbfWriteOptions options;
  options.language_driver = 0xC9;
  options.code_page = "CP1251";
  {
    DbfWriter w(dir / "ru.dbf", {{"NAME", 'C', 20, 0}}, options);
    w.Add({"Привет"});
    w.Add({"日本"});  // not in Windows-1251
  }
  auto t = ReadTable(dir / "ru.dbf");
  EXPECT_EQ(t.header.code_page, "CP1251");
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[0][0].Text(), "Привет");
  EXPECT_EQ(t.rows[1][0].Text(), "??");
}

}  // namespace
}  // namespace vodare
