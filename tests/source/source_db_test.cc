// Opening an export folder: the cache beside the tables, its reuse and rebuilding, the index
// statements and their entries, broken tables, and the "Error" box of failed queries.
#include "source/source_db.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "common/run_error.h"
#include "source/text_tables.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {
namespace fs = std::filesystem;
using testing::RecordingRunUi;
using testing::TempFolder;
using testing::TextTableOptions;
using testing::WriteMinimalExport;
using testing::WriteTextTable;

// What an opening that finds every index of a reused cache reports: one entry per statement.
void ExpectAllIndexesExist(const ErrorList& list) {
  const std::string errors = list.Text();
  const std::string tail = " - Index already exists._";
  size_t entries = 0;
  for (size_t at = 0; (at = errors.find(tail, at)) != std::string::npos; at += tail.size())
    ++entries;
  EXPECT_EQ(entries, 16u) << errors;
  size_t all = 0;  // and nothing else
  for (size_t at = 0; (at = errors.find("._", at)) != std::string::npos; at += 2) ++all;
  EXPECT_EQ(all, 16u) << errors;
  EXPECT_EQ(
      errors.rfind("Error creating index: CREATE INDEX itemname_idx ON pro (billname);" + tail, 0),
      0u)
      << errors;
  EXPECT_NE(
      errors.find("Error creating index: CREATE INDEX accDate_idx ON gledger ([Date]);" + tail),
      std::string::npos);
}

class SourceDbTest : public ::testing::Test {
 protected:
  std::shared_ptr<SourceDb> Open(ErrorList& errors) {
    return OpenExport(folder.str(), errors, TextTableOptions(fallback.str()));
  }
  // Moves a file's modification time, as a later export of the same size would.
  static void Touch(const fs::path& p) {
    fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(5));
  }
  TempFolder folder;
  TempFolder fallback;
};

TEST_F(SourceDbTest, FirstOpeningBuildsTheCacheAndEveryIndexQuietly) {
  WriteMinimalExport(folder.path());
  ErrorList errors;
  auto db = Open(errors);
  ASSERT_TRUE(db);
  EXPECT_EQ(errors.Text(), "");
  EXPECT_TRUE(db->rebuilt());
  EXPECT_EQ(fs::path(db->cache_path()).parent_path(), folder.path());
  EXPECT_EQ(db->OpenSnapshot("SELECT PARNAM FROM [order]").Field("Parnam"), Value("RAM"));
}

TEST_F(SourceDbTest, SecondOpeningReusesTheCacheAndReportsEachIndexAsExisting) {
  WriteMinimalExport(folder.path());
  ErrorList first;
  ASSERT_TRUE(Open(first));
  ErrorList second;
  auto db = Open(second);
  ASSERT_TRUE(db);
  EXPECT_FALSE(db->rebuilt());
  ExpectAllIndexesExist(second);
  EXPECT_EQ(db->OpenSnapshot("select billname from pro where code = 2").Field(0), Value("TEA"));
}

TEST_F(SourceDbTest, AChangedTableOrMemoFileRebuildsTheCache) {
  WriteMinimalExport(folder.path());
  ErrorList errors;
  ASSERT_TRUE(Open(errors));

  WriteTextTable(folder.path() / "pro.dbf", "CODE N 6 0;BILLNAME C 40 0", {"1|SALT", "2|TEA"});
  Touch(folder.path() / "pro.dbf");
  errors.Clear();
  auto db = Open(errors);
  ASSERT_TRUE(db);
  EXPECT_TRUE(db->rebuilt());
  EXPECT_EQ(errors.Text(), "");  // a rebuilt cache has no indexes yet
  EXPECT_EQ(db->OpenSnapshot("select billname from pro where code = 1").Field(0), Value("SALT"));
  db.reset();

  std::ofstream(folder.path() / "PRO.DBT") << "memo";
  EXPECT_TRUE(Open(errors)->rebuilt());
  Touch(folder.path() / "PRO.DBT");
  EXPECT_TRUE(Open(errors)->rebuilt());
  EXPECT_FALSE(Open(errors)->rebuilt());

  std::ofstream(folder.path() / "extra.dbf") << "X C 1 0\n";
  EXPECT_TRUE(Open(errors)->rebuilt());
  fs::remove(folder.path() / "extra.dbf");
  EXPECT_TRUE(Open(errors)->rebuilt());
}

TEST_F(SourceDbTest, AFolderThatCannotHoldTheCacheUsesTheFallbackFolder) {
  WriteMinimalExport(folder.path());
  // A cache folder that is a file can hold nothing, whoever runs the test.
  std::ofstream(fallback.path() / "not-a-folder") << "x";
  SourceOpenOptions options = TextTableOptions(fallback.str() + "/temp");
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
  WriteMinimalExport(folder.path());
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

TEST_F(SourceDbTest, ABrokenTableGetsOneEntryAndTheOthersOpen) {
  WriteMinimalExport(folder.path());
  WriteTextTable(folder.path() / "dis.dbf", "BROKEN header longer than the file", {});
  WriteTextTable(folder.path() / "probat.dbf", "CODE N 6 0;BILLNAME C 40 0;BATCHNO C 10 0",
                 {"1|SOAP|B1", "#fail"});
  WriteTextTable(folder.path() / "pend.dbf", "VOUCHER N 8 0;VCN C 10 0",
                 {"#warn 3 records announced, 1 present", "1|R1"});
  ErrorList errors;
  auto db = Open(errors);
  ASSERT_TRUE(db);
  EXPECT_NE(errors.Text().find("Error reading table dis: "), std::string::npos) << errors.Text();
  EXPECT_NE(errors.Text().find("header longer than the file_"), std::string::npos);
  EXPECT_NE(errors.Text().find("Error reading table probat: record 2 is cut short_"),
            std::string::npos);
  EXPECT_NE(errors.Text().find("Warning reading table pend: 3 records announced, 1 present_"),
            std::string::npos);
  EXPECT_NE(errors.Text().find("Error creating index: CREATE INDEX vchCode_idx ON dis (Voucher); - "
                               "Table 'dis' does not exist._"),
            std::string::npos);
  EXPECT_EQ(db->OpenSnapshot("SELECT * FROM pend").RecordCount(), 1);
  EXPECT_THROW(db->OpenSnapshot("SELECT * FROM probat"), RunTimeError);

  // A reused cache tells the same.
  ErrorList again;
  db = Open(again);
  EXPECT_FALSE(db->rebuilt());
  EXPECT_NE(again.Text().find("Error reading table dis: "), std::string::npos);
  EXPECT_NE(again.Text().find("Warning reading table pend: "), std::string::npos);
}

TEST_F(SourceDbTest, TableFilesAreFoundWhateverTheirLetterCase) {
  WriteTextTable(folder.path() / "ORDER.DBF", "ORDNO C 10 0;PARNAM C 40 0", {"A1|RAM"});
  WriteTextTable(folder.path() / "Pro.Dbf", "CODE N 6 0;BILLNAME C 40 0", {"1|SOAP"});
  ErrorList errors;
  auto db = Open(errors);
  ASSERT_TRUE(db);
  EXPECT_EQ(db->OpenSnapshot("Select Parnam from [order] where OrdNo='a1'").Field(0), Value("RAM"));
  EXPECT_EQ(db->OpenSnapshot("select BILLNAME from PRO").Field(0), Value("SOAP"));
  std::vector<SourceTableInfo> tables = db->Tables();
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].name, "ORDER");
  EXPECT_EQ(tables[1].file, "Pro.Dbf");
  ASSERT_EQ(tables[1].columns.size(), 2u);
  EXPECT_EQ(tables[1].columns[0].name, "CODE");
  EXPECT_EQ(tables[1].columns[0].type, 'N');
  EXPECT_EQ(tables[1].columns[0].width, 6);
  EXPECT_EQ(tables[1].row_count, 1);

  // Two files for one table: the first by name is read, the other reported.
  WriteTextTable(folder.path() / "pro.dbf", "CODE N 6 0;BILLNAME C 40 0", {"1|OTHER"});
  errors.Clear();
  db = Open(errors);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.entries()[0].message,
            "Error reading table pro: the file pro.dbf names the same table as Pro.Dbf and is left "
            "out");
  EXPECT_EQ(db->OpenSnapshot("select BILLNAME from PRO").Field(0), Value("SOAP"));
}

TEST_F(SourceDbTest, AFailingIndexStatementAddsOneEntryAndTheOpeningSucceeds) {
  WriteMinimalExport(folder.path());
  fs::remove(folder.path() / "mdis.dbf");
  ErrorList errors;
  ASSERT_TRUE(Open(errors));
  EXPECT_EQ(errors.Text(),
            "Error creating index: CREATE INDEX vcn_idx ON mdis (vcn); - Table 'mdis' does not "
            "exist._"
            "Error creating index: CREATE INDEX accMaster_idx ON mdis (codeP); - Table 'mdis' "
            "does not exist._"
            "Error creating index: CREATE INDEX invDate_idx ON mdis ([Date]); - Table 'mdis' "
            "does not exist._");
}

TEST_F(SourceDbTest, AMissingFieldFailsItsIndexWithAClearEntry) {
  WriteMinimalExport(folder.path());
  WriteTextTable(folder.path() / "support.dbf", "LCODE C 10 0;PCODE N 3 0", {"A1|0"});
  ErrorList errors;
  ASSERT_TRUE(Open(errors));
  EXPECT_EQ(errors.Text(),
            "Error creating index: CREATE INDEX Remark_idx ON support (Remark); - Field 'Remark' "
            "does not exist in table 'support'._");
}

TEST_F(SourceDbTest, AFolderThatDoesNotExistFailsWithItsEntry) {
  ErrorList errors;
  std::string missing = (folder.path() / "nowhere").string();
  EXPECT_FALSE(OpenExport(missing, errors, TextTableOptions(fallback.str())));
  EXPECT_EQ(errors.Text(), "Error in OpenDBCon: '" + missing + "' is not a valid path._");
}

TEST_F(SourceDbTest, AFailedQueryShowsItsErrorOnceUntilReset) {
  WriteMinimalExport(folder.path());
  RecordingRunUi ui;
  ErrorList errors;
  std::shared_ptr<SourceDb> db = Open(errors);
  ASSERT_TRUE(db);
  for (int i = 0; i < 3; ++i) {
    Recordset rs = GetRecordset(db.get(), ui, "SELECT * FROM nosuch WHERE a = " + std::to_string(i));
    EXPECT_TRUE(rs.IsNothing());
    EXPECT_THROW(rs.Eof(), RunTimeError);
  }
  GetRecordset(db.get(), ui, "SELECT * FROM other");
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Error: Table 'nosuch' does not exist.");
  EXPECT_EQ(ui.messages[0].caption, "Error");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(ui.messages[1].text, "Error: Table 'other' does not exist.");

  db->ResetShownErrors();
  GetRecordset(db.get(), ui, "SELECT * FROM nosuch");
  EXPECT_EQ(ui.messages.size(), 3u);

  // Opening the folder again starts afresh too.
  db = Open(errors);
  ASSERT_TRUE(db);
  GetRecordset(db.get(), ui, "SELECT * FROM nosuch");
  EXPECT_EQ(ui.messages.size(), 4u);
}

TEST_F(SourceDbTest, WithoutAnOpenExportEveryQueryIsNothing) {
  RecordingRunUi ui;
  Recordset rs = GetRecordset(nullptr, ui, "SELECT * FROM pro");
  EXPECT_TRUE(rs.IsNothing());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, std::string("Error: ") + kObjectNotSet);
  try {
    rs.MoveNext();
    FAIL();
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.Description(), kObjectNotSet);
  }
}

}  // namespace
}  // namespace vodare
