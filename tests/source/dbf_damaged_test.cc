// Damaged and unusual tables: a DbfError naming the file or a reading (these run under ASan).

#include <algorithm>
#include <map>

#include "source/dbf_test_util.h"
#include "support/golden.h"

namespace vodare {
namespace {

using dbf_test::ReadBytes;
using dbf_test::ReadTable;
using dbf_test::RealFixtures;
using dbf_test::ScratchDir;
using dbf_test::TableRead;
using dbf_test::WriteBytes;
namespace fs = std::filesystem;

void Le(std::string& s, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A table put together byte by byte, so that every header value can be made wrong.
std::string BuildTable(const std::vector<DbfField>& fields, const std::vector<std::string>& records,
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

// The rows read, or -1 when DbfError, which must name the file.
int ReadDamaged(const std::string& path, std::string* error = nullptr) {
  try {
    return static_cast<int>(ReadTable(path).rows.size());
  } catch (const DbfError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    if (error) *error = e.what();
    return -1;
  }
}

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

// Real tables cut short or changed, each with its changed memo file or else the fixture's own.
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

// A value that cannot be read is kept as it stands, never Null or 0, and named with its record.
TEST(DbfUnusual, TablesAtTheEdgesReadAsKept) {
  ScratchDir dir;
  auto rec = [](std::string n, std::string d, std::string l, std::string c) {
    return " " + n + d + l + c;
  };
  std::string counted = BuildTable({{"A", 'C', 3}}, {" one", " two", " six"});
  Le(counted, 4, 1000, 4);
  std::string stale = counted;
  Le(stale, 4, 2, 4);
  const std::vector<std::pair<std::string, std::string>> tables = {
      {"repeated.dbf",
       BuildTable({{"NAME", 'C', 1}, {"name", 'C', 1}, {"NAME_2", 'C', 1}, {"NAME", 'C', 1}},
                  {" abcd"})},
      // A character field keeps the high byte of a width over 255 in the decimals byte.
      {"wide.dbf", BuildTable({{"LONG", 'C', 300 % 256, 300 / 256}, {"N", 'N', 3}},
                              {"   w" + std::string(297, 'w') + "  7"})},
      // 0x81 and 0x9D have no character in Windows-1252; driver 0xEE names no code page.
      {"undefined.dbf", BuildTable({{"T", 'C', 4}},
                                   {" a\x81"
                                    "b ",
                                    " \x9D"
                                    "cd ",
                                    " \x80xyz"},
                                   0x03, 0xEE)},
      {"values.dbf", BuildTable({{"N", 'N', 8, 2}, {"D", 'D', 8}, {"L", 'L', 1}, {"C", 'C', 4}},
                                {// leading blanks kept, trailing dropped
                                 rec("    1.50", "20240229", "T", "  x "),
                                 // overflow stars, blank date, unset flag
                                 rec("********", "        ", "?", "    "),
                                 // decimal comma, zero date, NUL padding
                                 rec("   -0,25", "00000000", "n", std::string(4, '\0')),
                                 // exponent form; 29 February 2023 is no date
                                 rec("  1.5e+1", "20230229", "y", "    "),
                                 // no number, no date
                                 rec("     abc", "2023130 ", "Y", "    ")})},
      // Counts more than there are (cut, then end mark early), then fewer.
      {"short.dbf", counted.substr(0, counted.size() - 3)},
      {"marked.dbf", counted + std::string(7, ' ')},
      {"stale.dbf", stale},
      // Bytes after the end mark are no records.
      {"padded.dbf", BuildTable({{"A", 'C', 3}}, {" one"}) + "junk junk"}};
  std::string readings;
  for (const auto& [name, bytes] : tables) {
    WriteBytes(dir.path() / name, bytes);
    readings += dbf_test::Reading(dir.path() / name, name);
  }
  // A dBASE IV memo file cut short inside the first memo, before the second.
  {
    DbfWriteOptions options;
    options.version = 0x8B;
    DbfWriter w(dir / "memo.dbf", {{"ID", 'C', 2, 0}, {"NOTE", 'M', 10, 0}}, options);
    w.Add({"a", std::string(700, 'a')});
    w.Add({"b", "short"});
  }
  WriteBytes(dir.path() / "memo.dbt", ReadBytes(dir.path() / "memo.dbt").substr(0, 1000));
  readings += dbf_test::Reading(dir.path() / "memo.dbf", "memo.dbf");
  // A dBASE III memo without end marks is not read to the end of a large file.
  {
    DbfWriter w(dir / "iii.dbf", {{"NOTE", 'M', 10, 0}});
    w.Add({"end marks gone"});
    w.Add({"second"});
  }
  WriteBytes(dir.path() / "iii.dbt", ReadBytes(dir.path() / "iii.dbt").substr(0, 512) +
                                         "end marks gone" + std::string(5 << 20, 'z'));
  readings += dbf_test::Reading(dir.path() / "iii.dbf", "iii.dbf");
  testing::ExpectGolden("dbf_unusual_readings.txt", readings);
}

}  // namespace
}  // namespace vodare
