// Tables other tools wrote; the kept reading was checked against the one beside each table.

#include <algorithm>

#include "source/dbf_test_util.h"
#include "support/golden.h"

namespace vodare {
namespace {

using dbf_test::ReadTable;
using dbf_test::RealFixtures;
using dbf_test::ScratchDir;
namespace fs = std::filesystem;

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
    readings += dbf_test::Reading(table, fs::relative(table, RealFixtures()).string());

  // A code page file beside a table overrides its language driver (none, or unknown).
  ScratchDir dir;
  fs::copy_file(RealFixtures() / "ndbfreader/CzechEncoding.dbf", dir.path() / "czech.dbf");
  dbf_test::WriteBytes(dir.path() / "CZECH.CPG", "ANSI 1250\r\n");
  readings += dbf_test::Reading(dir.path() / "czech.dbf", "czech.dbf");
  fs::copy_file(RealFixtures() / "ruby-dbf/dbase_03_cyrillic.dbf", dir.path() / "cyr.dbf");
  dbf_test::WriteBytes(dir.path() / "cyr.cpg", "UTF-8\n");
  readings += dbf_test::Reading(dir.path() / "cyr.dbf", "cyr.dbf");
  testing::ExpectGolden("dbf_real_readings.txt", readings);
}

TEST(DbfRealFiles, MemoFormsAgreeAcrossTheSameDataAndMemoFilesAreFoundWhateverTheirCase) {
  // The same records in three memo forms (a dBASE III memo cannot hold the binary ones).
  auto iii = ReadTable(RealFixtures() / "php-xbase/dBaseIII.dbf");
  auto iv = ReadTable(RealFixtures() / "php-xbase/dBaseIV.dbf");
  auto fox = ReadTable(RealFixtures() / "php-xbase/Foxpro2.dbf");
  for (const dbf_test::TableRead* t : {&iii, &iv, &fox}) ASSERT_EQ(t->rows.size(), 3u);
  // The three writers ended the texts differently (CR LF, or nothing); the rest is the same.
  auto text = [](const Value& v) {
    return v.Text().substr(0, v.Text().find_last_not_of("\r\n") + 1);
  };
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
