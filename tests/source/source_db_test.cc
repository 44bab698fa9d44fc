// Opening an export folder: the cache, its reuse and rebuilding, broken tables, failed queries.
#include "source/source_db.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/run_error.h"
#include "source/text_tables.h"
#include "support/golden.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {
namespace fs = std::filesystem;
using testing::RecordingRunUi;
using testing::WriteTextTable;

class SourceDbTest : public ::testing::Test {
 protected:
  std::shared_ptr<SourceDb> Open(ErrorList& errors) {
    return OpenExport(folder.str(), errors, testing::TextTableOptions(fallback.str()));
  }
  // Moves a file's modification time, as a later export of the same size would.
  static void Touch(const fs::path& p) {
    fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(5));
  }
  bool Rebuilt() {
    ErrorList errors;
    return Open(errors)->rebuilt();
  }
  testing::TempFolder folder, fallback;
};

TEST_F(SourceDbTest, TheCacheIsBuiltOnceReusedAndRebuiltWhenAFileChanges) {
  testing::WriteMinimalExport(folder.path());
  ErrorList errors;
  auto db = Open(errors);
  ASSERT_TRUE(db);
  EXPECT_EQ(errors.Text(), "");  // every index made quietly
  EXPECT_TRUE(db->rebuilt());
  EXPECT_EQ(fs::path(db->cache_path()).parent_path(), folder.path());
  EXPECT_EQ(db->OpenSnapshot("SELECT PARNAM FROM [order]").Field("Parnam"), Value("RAM"));

  // A reused cache (its error list is kept below).
  ErrorList second;
  db = Open(second);
  EXPECT_FALSE(db->rebuilt());
  EXPECT_EQ(db->OpenSnapshot("select billname from pro where code = 2").Field(0), Value("TEA"));
  db.reset();

  WriteTextTable(folder.path() / "pro.dbf", "CODE N 6 0;BILLNAME C 40 0", {"1|SALT", "2|TEA"});
  Touch(folder.path() / "pro.dbf");
  errors.Clear();
  db = Open(errors);
  EXPECT_TRUE(db->rebuilt());
  EXPECT_EQ(errors.Text(), "");  // a rebuilt cache has no indexes yet
  EXPECT_EQ(db->OpenSnapshot("select billname from pro where code = 1").Field(0), Value("SALT"));
  db.reset();
  std::ofstream(folder.path() / "PRO.DBT") << "memo";
  EXPECT_TRUE(Rebuilt());
  Touch(folder.path() / "PRO.DBT");
  EXPECT_TRUE(Rebuilt());
  EXPECT_FALSE(Rebuilt());
  std::ofstream(folder.path() / "extra.dbf") << "X C 1 0\n";
  EXPECT_TRUE(Rebuilt());
  fs::remove(folder.path() / "extra.dbf");
  EXPECT_TRUE(Rebuilt());
}

TEST_F(SourceDbTest, AFolderThatCannotHoldTheCacheUsesTheFallbackFolder) {
  testing::WriteMinimalExport(folder.path());
  // A cache folder that is a file can hold nothing, whoever runs the test.
  std::ofstream(fallback.path() / "not-a-folder") << "x";
  SourceOpenOptions options = testing::TextTableOptions(fallback.str() + "/temp");
  options.cache_folder = (fallback.path() / "not-a-folder").string();
  ErrorList errors;
  auto db = OpenExport(folder.str(), errors, options);
  ASSERT_TRUE(db);
  EXPECT_EQ(errors.Text(), "");
  EXPECT_EQ(fs::path(db->cache_path()).parent_path(), fallback.path() / "temp");
  EXPECT_EQ(db->OpenSnapshot("SELECT * FROM pro").RecordCount(), 2);
  db.reset();
  EXPECT_FALSE(OpenExport(folder.str() + "/", errors, options)->rebuilt());
  EXPECT_FALSE(OpenExport(folder.str() + "/./", errors, options)->rebuilt());
}

TEST_F(SourceDbTest, AReadOnlyExportFolderStillOpens) {
  testing::WriteMinimalExport(folder.path());
  fs::permissions(folder.path(),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  if (std::ofstream(folder.path() / "probe")) GTEST_SKIP() << "permissions do not bind here";
  ErrorList errors;
  auto db = Open(errors);
  ASSERT_TRUE(db);
  EXPECT_EQ(errors.Text(), "");
  EXPECT_EQ(fs::path(db->cache_path()).parent_path(), fallback.path());
}

// The error list of each opening, as kept (tests/data/source_db_error_lists.txt).
TEST_F(SourceDbTest, TheErrorListOfEachOpeningIsAsKept) {
  const fs::path minimal = folder.path() / "minimal", broken = folder.path() / "broken",
                 cases = folder.path() / "cases", missing = folder.path() / "missing";
  for (const fs::path& f : {minimal, broken, cases, missing}) fs::create_directory(f);
  for (const fs::path& f : {minimal, broken, missing}) testing::WriteMinimalExport(f);
  WriteTextTable(broken / "dis.dbf", "BROKEN header longer than the file", {});
  WriteTextTable(broken / "probat.dbf", "CODE N 6 0;BILLNAME C 40 0;BATCHNO C 10 0",
                 {"1|SOAP|B1", "#fail"});
  WriteTextTable(broken / "pend.dbf", "VOUCHER N 8 0;VCN C 10 0",
                 {"#warn 3 records announced, 1 present", "1|R1"});
  WriteTextTable(cases / "Pro.Dbf", "CODE N 6 0;BILLNAME C 40 0", {"1|SOAP"});
  WriteTextTable(cases / "pro.dbf", "CODE N 6 0;BILLNAME C 40 0", {"1|OTHER"});
  fs::remove(missing / "mdis.dbf");
  WriteTextTable(missing / "support.dbf", "LCODE C 10 0;PCODE N 3 0", {"A1|0"});
  std::string kept;
  int broken_openings = 0;
  for (const fs::path& f :
       {minimal, minimal, broken, broken, cases, missing, folder.path() / "nowhere"}) {
    ErrorList errors;
    auto db = OpenExport(f.string(), errors, testing::TextTableOptions(fallback.str()));
    if (f == broken) {  // the others open, the reused cache as the first
      ASSERT_TRUE(db);
      EXPECT_EQ(db->rebuilt(), broken_openings++ == 0);
      EXPECT_EQ(db->OpenSnapshot("SELECT * FROM pend").RecordCount(), 1);
      EXPECT_THROW(db->OpenSnapshot("SELECT * FROM probat"), RunTimeError);
    }
    if (f == cases) {  // of two files for one table, the first by name is read
      EXPECT_EQ(db->OpenSnapshot("select BILLNAME from PRO").Field(0), Value("SOAP"));
      EXPECT_EQ(db->Tables().at(0).file, "Pro.Dbf");
    }
    kept += "== " + f.filename().string() + "\n";
    for (const ErrorEntry& e : errors.entries()) {
      std::string line = e.message;
      if (size_t at = line.find(folder.str()); at != std::string::npos)
        line.replace(at, folder.str().size(), "<folder>");
      kept += line + e.end + "\n";
    }
  }
  testing::ExpectGolden("source_db_error_lists.txt", kept);
}

TEST_F(SourceDbTest, AFailedQueryShowsItsErrorOnceUntilResetAndNoExportIsNothing) {
  testing::WriteMinimalExport(folder.path());
  RecordingRunUi ui;
  ErrorList errors;
  std::shared_ptr<SourceDb> db = Open(errors);
  ASSERT_TRUE(db);
  for (int i = 0; i < 3; ++i) {
    Recordset rs =
        GetRecordset(db.get(), ui, "SELECT * FROM nosuch WHERE a = " + std::to_string(i));
    EXPECT_TRUE(rs.IsNothing());
    EXPECT_THROW(rs.Eof(), RunTimeError);
  }
  GetRecordset(db.get(), ui, "SELECT * FROM other");
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].caption + ": " + ui.messages[0].text + " / " + ui.messages[1].text,
            "Error: Error: Table 'nosuch' does not exist. / Error: Table 'other' does not exist.");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kExclamation);
  db->ResetShownErrors();
  GetRecordset(db.get(), ui, "SELECT * FROM nosuch");
  EXPECT_EQ(ui.messages.size(), 3u);
  // Opening the folder again starts afresh too.
  db = Open(errors);
  GetRecordset(db.get(), ui, "SELECT * FROM nosuch");
  EXPECT_EQ(ui.messages.size(), 4u);

  Recordset nothing = GetRecordset(nullptr, ui, "SELECT * FROM pro");
  EXPECT_TRUE(nothing.IsNothing());
  EXPECT_EQ(ui.messages.back().text, std::string("Error: ") + kObjectNotSet);
  try {
    nothing.MoveNext();
    ADD_FAILURE() << "MoveNext on no recordset";
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.Description(), kObjectNotSet);
  }
}

}  // namespace
}  // namespace vodare
