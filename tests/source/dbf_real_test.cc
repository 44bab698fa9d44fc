// The reader against tables that other tools wrote. The kept reading (dbf_real_readings.txt)
// was checked against the independent reading beside each table (tests/fixtures/dbf-real, its
// README lists where that reading departs from the file's own bytes) when it was taken.

#include <algorithm>
#include <cstdio>

#include "source/dbf_test_util.h"
#include "support/golden.h"

namespace vodare {
namespace {

using dbf_test::ReadTable;
using dbf_test::RealFixtures;
using dbf_test::ScratchDir;
using dbf_test::TableRead;
namespace fs = std::filesystem;

// A value as one short cell: Null as -, a text quoted with its control bytes escaped, and cut to
// 24 characters with its length and a digest of the whole when longer.
std::string Cell(const Value& v) {
  if (v.IsNull()) return "-";
  if (v.IsDate()) return v.DateValue().Format("yyyy-mm-dd");
  if (!v.IsText()) return v.IsBool() ? (v.Bool() ? "T" : "F") : v.ToText();
  std::string out = "\"";
  char hex[12];
  for (char c : Left(v.Text(), 24)) {
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
    out += static_cast<unsigned char>(c) < 0x20 || c == '"' ? std::string(hex) : std::string(1, c);
  }
  if (Len(v.Text()) <= 24) return out + "\"";
  uint64_t digest = 14695981039346656037ull;
  for (unsigned char c : v.Text()) digest = (digest ^ c) * 1099511628211ull;
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(digest & 0xFFFFFFFF));
  return out + "\"... " + std::to_string(v.Text().size()) + " bytes #" + hex;
}

// The header, the warnings and the records of a table as the reader gives them; of a long
// table the first ten records, and every record's cells in one digest line.
std::string Reading(const fs::path& table, const std::string& shown_as) {
  const TableRead t = ReadTable(table);
  const DbfHeader& h = t.header;
  char facts[160];
  std::snprintf(facts, sizeof facts,
                "version 0x%02X, driver 0x%02X %s, header %u + %u bytes a record, counts %u\n",
                h.version, h.language_driver, h.code_page.c_str(), unsigned{h.header_length},
                unsigned{h.record_length}, unsigned{h.record_count});
  std::string out = "== " + shown_as + ": " + facts + " fields:";
  for (const DbfField& f : h.fields)
    out += " " + f.name + " " + f.type + std::to_string(f.length) + "." + std::to_string(f.decimals);
  out += "\n";
  for (std::string w : t.warnings) {
    for (size_t at; (at = w.find(table.string())) != std::string::npos;)
      w.replace(at, table.string().size(), shown_as);
    out += "  ! " + w + "\n";
  }
  std::string all;
  for (size_t r = 0; r < t.rows.size(); ++r) {
    std::string line = "  " + std::to_string(r + 1) + ":";
    for (const Value& v : t.rows[r]) line += " " + Cell(v);
    if (r < 10) out += line + "\n";
    all += line;
  }
  if (t.rows.size() > 10) out += "  all " + std::to_string(t.rows.size()) + " records " + Cell(all) + "\n";
  return out;
}

TEST(DbfRealFiles, EveryFixtureAndItsCodePageFilesReadAsKept) {
  std::vector<fs::path> all;
  for (const auto& e : fs::recursive_directory_iterator(RealFixtures())) {
    std::string ext = e.path().extension().string();
    if (e.is_regular_file() && UCase(ext) == ".DBF") all.push_back(e.path());
  }
  std::sort(all.begin(), all.end());
  ASSERT_EQ(all.size(), 24u);
  std::string readings;
  for (const auto& table : all)
    readings += Reading(table, fs::relative(table, RealFixtures()).string());

  // A code page file beside a table overrides its language driver: CzechEncoding.dbf records
  // no driver, yet its text is Windows-1250; dbase_03_cyrillic.dbf has an unknown driver byte
  // but UTF-8 text and field names.
  ScratchDir dir;
  fs::copy_file(RealFixtures() / "ndbfreader/CzechEncoding.dbf", dir.path() / "czech.dbf");
  dbf_test::WriteBytes(dir.path() / "CZECH.CPG", "ANSI 1250\r\n");
  readings += Reading(dir.path() / "czech.dbf", "czech.dbf");
  fs::copy_file(RealFixtures() / "ruby-dbf/dbase_03_cyrillic.dbf", dir.path() / "cyr.dbf");
  dbf_test::WriteBytes(dir.path() / "cyr.cpg", "UTF-8\n");
  readings += Reading(dir.path() / "cyr.dbf", "cyr.dbf");
  testing::ExpectGolden("dbf_real_readings.txt", readings);
}

TEST(DbfRealFiles, MemoFormsAgreeAcrossTheSameDataAndMemoFilesAreFoundWhateverTheirCase) {
  // The same three records as dBASE III (end mark), dBASE IV (length in block) and FoxPro
  // (64-byte blocks): the text memos must agree exactly, and the binary ones where the format
  // can hold them (a dBASE III memo cannot hold 0x1A 0x1A, so it is not compared).
  auto iii = ReadTable(RealFixtures() / "php-xbase/dBaseIII.dbf");
  auto iv = ReadTable(RealFixtures() / "php-xbase/dBaseIV.dbf");
  auto fox = ReadTable(RealFixtures() / "php-xbase/Foxpro2.dbf");
  ASSERT_EQ(iii.rows.size(), 3u);
  ASSERT_EQ(iv.rows.size(), 3u);
  ASSERT_EQ(fox.rows.size(), 3u);
  // The three writers ended the texts differently (CR LF, or nothing); the rest is the same.
  auto text = [](const Value& v) { return v.Text().substr(0, v.Text().find_last_not_of("\r\n") + 1); };
  for (size_t r = 0; r < 3; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(text(iii.At(r, "BIO")), text(iv.At(r, "BIO")));
    EXPECT_EQ(text(iv.At(r, "BIO")), text(fox.At(r, "BIO")));
    EXPECT_EQ(iv.At(r, "IMAGE"), fox.At(r, "IMAGE"));
    EXPECT_EQ(iii.At(r, "NAME"), fox.At(r, "NAME"));
    EXPECT_EQ(iii.At(r, "MONEY"), fox.At(r, "MONEY"));
  }
  EXPECT_GT(iv.At(0, "IMAGE").Text().size(), 1000u);

  // memotest.dbf keeps its memo in memotest.FPT; the pair copied with other spellings.
  const dbf_test::Rows original = ReadTable(RealFixtures() / "dbfread/memotest.dbf").rows;
  for (const char* memo_name : {"memotest.fpt", "MEMOTEST.Fpt"}) {
    ScratchDir dir;
    fs::copy_file(RealFixtures() / "dbfread/memotest.dbf", dir.path() / "memotest.dbf");
    fs::copy_file(RealFixtures() / "dbfread/memotest.FPT", dir.path() / memo_name);
    auto t = ReadTable(dir / "memotest.dbf");
    EXPECT_TRUE(t.warnings.empty()) << memo_name;
    EXPECT_EQ(t.rows, original) << memo_name;
  }
}

}  // namespace
}  // namespace vodare
