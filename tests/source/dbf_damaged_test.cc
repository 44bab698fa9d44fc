// Damaged, truncated and unusual tables: a clear DbfError naming the file, or a reading of what
// is there with a warning; never a crash or a read outside the file (these run under ASan).

#include <algorithm>
#include <map>

#include "source/dbf_test_util.h"
#include "support/golden.h"

namespace vodare {
namespace {

using dbf_test::ReadBytes;
using dbf_test::ReadTable;
using dbf_test::RealFixtures;
using dbf_test::Rows;
using dbf_test::ScratchDir;
using dbf_test::TableRead;
using dbf_test::WriteBytes;
namespace fs = std::filesystem;

struct RawField {
  std::string name;
  char type;
  uint8_t length;
  uint8_t decimals = 0;
};

void Le(std::string& s, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A table put together byte by byte, so that every header value can be made wrong.
std::string BuildTable(const std::vector<RawField>& fields, const std::vector<std::string>& records,
                       uint8_t version = 0x03, uint8_t driver = 0x57) {
  std::string h(32, '\0');
  h.replace(0, 4, {static_cast<char>(version), 124, 1, 2});
  uint32_t record_length = 1;
  for (const auto& f : fields) record_length += f.length + (f.type == 'C' ? f.decimals * 256 : 0);
  Le(h, 4, static_cast<uint32_t>(records.size()), 4);
  Le(h, 8, static_cast<uint32_t>(32 + 32 * fields.size() + 1), 2);
  Le(h, 10, record_length, 2);
  h[29] = static_cast<char>(driver);
  for (const auto& f : fields) {
    std::string d(32, '\0');
    d.replace(0, f.name.size(), f.name);
    d[11] = f.type;
    d[16] = static_cast<char>(f.length);
    d[17] = static_cast<char>(f.decimals);
    h += d;
  }
  h += '\x0D';
  for (const auto& r : records) {
    EXPECT_EQ(r.size(), record_length) << r;
    h += r;
  }
  return h + '\x1A';
}

// Reads a table that may be damaged: either it opens and reads, or DbfError names the file.
// Returns the rows read, or -1 for an error.
int ReadDamaged(const std::string& path, std::string* error = nullptr) {
  try {
    return static_cast<int>(ReadTable(path).rows.size());
  } catch (const DbfError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    if (error) *error = e.what();
    return -1;
  }
}

// What the kept corpus below does not hold: no file, a folder, a later version, a nameless
// field and records of no length.
TEST(DbfDamaged, FilesThatCannotBeTablesAreRefusedNamingWhy) {
  ScratchDir dir;
  fs::create_directory(dir.path() / "folder.dbf");
  std::string zero = BuildTable({{"A", 'C', 3}}, {" abc"});
  Le(zero, 10, 0, 2);
  WriteBytes(dir.path() / "seven.dbf", BuildTable({{"A", 'C', 3}}, {" abc"}, 0x04));
  WriteBytes(dir.path() / "nameless.dbf", BuildTable({{"A", 'C', 3}, {"", 'C', 1}}, {" abcd"}));
  WriteBytes(dir.path() / "zero.dbf", zero);
  for (auto [name, message] : std::vector<std::pair<const char*, const char*>>{
           {"absent.dbf", "cannot open"},
           {"folder.dbf", "this is a folder"},
           {"seven.dbf", "dBASE 7"},
           {"nameless.dbf", "field descriptor 2 has no name"},
           {"zero.dbf", "record length of 0"}}) {
    std::string error;
    EXPECT_EQ(ReadDamaged(dir / name, &error), -1) << message;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
}

TEST(DbfDamaged, HeaderCountAgainstTheData) {
  ScratchDir dir;
  std::string t = BuildTable({{"A", 'C', 3}}, {" one", " two", " six"});
  Le(t, 4, 1000, 4);
  // The last record cut in half, and no end mark: the whole records are read.
  WriteBytes(dir.path() / "short.dbf", t.substr(0, t.size() - 3));
  EXPECT_EQ(ReadTable(dir / "short.dbf").rows, (Rows{{"one"}, {"two"}}));
  // The end mark where a record should start ends the data too.
  WriteBytes(dir.path() / "marked.dbf", t + std::string(7, ' '));
  TableRead m = ReadTable(dir / "marked.dbf");
  EXPECT_EQ(m.rows.size(), 3u);
  EXPECT_EQ(m.warnings.size(), 2u);  // fewer whole records than counted; the mark where one was
  // Records beyond the count are reported, not read.
  Le(t, 4, 2, 4);
  WriteBytes(dir.path() / "stale.dbf", t);
  TableRead stale = ReadTable(dir / "stale.dbf");
  EXPECT_EQ(stale.rows, (Rows{{"one"}, {"two"}}));
  ASSERT_EQ(stale.warnings.size(), 1u);
  EXPECT_TRUE(stale.HasWarning("holds 1 whole records after the 2 the header counts"));
  EXPECT_TRUE(stale.HasWarning(dir / "stale.dbf"));
  // Bytes after the end mark are no records.
  WriteBytes(dir.path() / "padded.dbf", BuildTable({{"A", 'C', 3}}, {" one"}) + "junk junk");
  EXPECT_TRUE(ReadTable(dir / "padded.dbf").warnings.empty());
}

// A kept corpus of real tables cut short or with bytes changed (one of each kind of outcome
// that cuts at every length and random changes gave), each read again: refused with the file's
// name, or read with the warnings the kept copy lists. A memo file beside a table in the corpus
// was changed too; otherwise the table reads the fixture's own.
TEST(DbfDamaged, TheDamagedCorpusIsReadOrRefusedAsKept) {
  const std::map<std::string, std::string> fixture_folder = {
      {"people", "dbfread"},     {"dbase_8b", "ruby-dbf"}, {"dbase_03", "ruby-dbf"},
      {"TEST", "go-foxpro-dbf"}, {"Foxpro2", "php-xbase"}, {"ZeroSizeColumn", "ndbfreader"}};
  const fs::path corpus = dbf_test::SourceDir() / "tests" / "data" / "dbf_damaged";
  std::vector<fs::path> tables;
  for (const auto& e : fs::directory_iterator(corpus))
    if (e.path().extension() == ".dbf") tables.push_back(e.path());
  std::sort(tables.begin(), tables.end());
  ASSERT_GE(tables.size(), 20u);
  std::string outcomes;
  for (const fs::path& table : tables) {
    ScratchDir dir;
    const std::string name = table.filename().string();
    fs::copy_file(table, dir.path() / name);
    const std::string stem = table.stem().string(), source = stem.substr(stem.find('-') + 1);
    for (const auto& e : fs::directory_iterator(RealFixtures() / fixture_folder.at(source))) {
      const std::string ext = e.path().extension().string();
      if (e.path().stem() != source || ext == ".dbf" || ext == ".DBF" || ext == ".json") continue;
      const fs::path changed = corpus / (stem + ext);
      fs::copy_file(fs::exists(changed) ? changed : e.path(), dir.path() / (stem + ext));
    }
    const std::string path = (dir.path() / name).string();
    std::string error;
    outcomes += name + ": ";
    if (ReadDamaged(path, &error) < 0) {
      outcomes += "refused: " + error.substr(error.find(name) + name.size()) + "\n";
      continue;
    }
    TableRead t = ReadTable(path);
    outcomes += std::to_string(t.rows.size()) + " rows\n";
    for (const std::string& w : t.warnings)
      outcomes += "  " + w.substr(w.find(name) + name.size()) + "\n";
  }
  testing::ExpectGolden("dbf_damaged_outcomes.txt", outcomes);
}

TEST(DbfDamaged, AMemoCutShortReadsThePartPresentAndOneWithoutItsEndMarkStopsAtABound) {
  ScratchDir dir;
  {
    DbfWriteOptions options;
    options.version = 0x8B;
    DbfWriter w(dir / "m.dbf", {{"ID", 'C', 2, 0}, {"NOTE", 'M', 10, 0}}, options);
    w.Add({"a", std::string(700, 'a')});
    w.Add({"b", "short"});
  }
  // The second memo's block beyond the end, the first memo's length beyond the end.
  WriteBytes(dir.path() / "m.dbt", ReadBytes(dir.path() / "m.dbt").substr(0, 1000));
  TableRead t = ReadTable(dir / "m.dbf");
  EXPECT_EQ(t.rows, (Rows{{"a", std::string(1000 - 512 - 8, 'a')}, {"b", Value()}}));
  EXPECT_EQ(t.warnings.size(), 2u);
  // A dBASE III memo is read to its end mark, but not to the end of a large file for every
  // record.
  {
    DbfWriter w(dir / "iii.dbf", {{"NOTE", 'M', 10, 0}});
    w.Add({"end marks gone"});
    w.Add({"second"});
  }
  WriteBytes(dir.path() / "iii.dbt", ReadBytes(dir.path() / "iii.dbt").substr(0, 512) +
                                         "end marks gone" + std::string(5 << 20, 'z'));
  TableRead cut = ReadTable(dir / "iii.dbf");
  ASSERT_EQ(cut.rows.size(), 2u);
  EXPECT_EQ(cut.rows[0][0].Text().size(), size_t{4} << 20);
  EXPECT_TRUE(cut.HasWarning("no end mark within 4194304 bytes"));
}

TEST(DbfUnusual, RepeatedNamesWideFieldsUndefinedBytesAndAnUnknownDriver) {
  ScratchDir dir;
  WriteBytes(dir.path() / "rep.dbf",
             BuildTable({{"NAME", 'C', 1}, {"name", 'C', 1}, {"NAME_2", 'C', 1}, {"NAME", 'C', 1}},
                        {" abcd"}));
  TableRead t = ReadTable(dir / "rep.dbf");
  std::vector<std::string> names;
  for (const auto& f : t.header.fields) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"NAME", "name_3", "NAME_2", "NAME_4"}));
  EXPECT_EQ(t.rows, (Rows{{"a", "b", "c", "d"}}));

  // Wide character fields keep the high byte of their width in the decimals byte.
  const std::string value = "  w" + std::string(297, 'w');
  WriteBytes(dir.path() / "wide.dbf",
             BuildTable({{"LONG", 'C', 300 % 256, 300 / 256}, {"N", 'N', 3}}, {" " + value + "  7"}));
  TableRead wide = ReadTable(dir / "wide.dbf");
  ASSERT_EQ(wide.header.fields.size(), 2u);
  EXPECT_EQ(wide.header.fields[0].length, 300);
  EXPECT_EQ(wide.rows, (Rows{{value, 7.0}}));

  // 0x81 and 0x9D have no character in Windows-1252; each is said once with the driver.
  WriteBytes(dir.path() / "u.dbf", BuildTable({{"T", 'C', 4}}, {" a\x81" "b ", " \x9D" "cd ", " \x80xyz"},
                                              0x03, 0xEE));
  TableRead u = ReadTable(dir / "u.dbf");
  EXPECT_EQ(u.header.code_page, "CP1252");
  EXPECT_EQ(u.rows, (Rows{{"a\uFFFDb"}, {"\uFFFDcd"}, {"€xyz"}}));
  ASSERT_EQ(u.warnings.size(), 2u);
  EXPECT_TRUE(u.HasWarning("language driver 0xEE names no known code page"));
  EXPECT_TRUE(u.HasWarning("U+FFFD"));
}

TEST(DbfUnusual, ValuesAtTheEdgesOfTheirTypes) {
  ScratchDir dir;
  auto rec = [](std::string n, std::string d, std::string l, std::string c) {
    return " " + n + d + l + c;
  };
  WriteBytes(dir.path() / "v.dbf",
             BuildTable({{"N", 'N', 8, 2}, {"D", 'D', 8}, {"L", 'L', 1}, {"C", 'C', 4}},
                        {
                            // leading blanks kept, trailing dropped
                            rec("    1.50", "20240229", "T", "  x "),
                            // overflow stars, blank date, unset flag
                            rec("********", "        ", "?", "    "),
                            // decimal comma, zero date, NUL padding
                            rec("   -0,25", "00000000", "n", std::string(4, '\0')),
                            // exponent form; 29 February 2023 is no date
                            rec("  1.5e+1", "20230229", "y", "    "),
                            // no number, no date
                            rec("     abc", "2023130 ", "Y", "    "),
                        }));
  TableRead t = ReadTable(dir / "v.dbf");
  // A value that cannot be read is never Null or 0: it is kept as it stands (the stage that
  // reads it refuses its record) and named with its record.
  EXPECT_EQ(t.rows, (Rows{{1.5, Date::FromYmd(2024, 2, 29), true, "  x"},
                          {"********", Value(), Value(), ""},
                          {-0.25, Value(), false, ""},
                          {15.0, "20230229", true, ""},
                          {"abc", "2023130", true, ""}}));
  EXPECT_EQ(t.warnings.size(), 5u);
  EXPECT_TRUE(t.HasWarning("field N, record 2: holds \"********\", the mark of a number too wide"));
  EXPECT_TRUE(t.HasWarning("field D, record 4: holds \"20230229\", which is not a date"));
  EXPECT_TRUE(t.HasWarning("field N, record 5: holds \"abc\", which is not a number"));
  EXPECT_TRUE(t.HasWarning("field D, record 5: holds \"2023130\", which is not a date"));
  EXPECT_TRUE(t.HasWarning("field D: holds 00000000 in 1 record; read as no date"));
}

}  // namespace
}  // namespace vodare
