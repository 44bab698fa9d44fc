// Code-to-name lookups, remarks of `support`, and the name caches the master stages save by.
#include "source/lookups.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "source/source_db.h"
#include "source/text_tables.h"
#include "support/golden.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {
using testing::RecordingRunUi;

class LookupsTest : public ::testing::Test, public testing::TextExport {
 protected:
  RecordingRunUi ui_;
  KeyedCollection<std::string> cache_;
};

TEST_F(LookupsTest, NamesByKindAndCodeAndRemarksOfSupport) {
  ASSERT_TRUE(testing::ReadKeptTables(
      "source_lookups_tables.txt",
      [&](const std::string& file, const std::string& fields,
          const std::vector<std::string>& rows) { Table(file, fields, rows); }));
  SourceDb* db = Db();
  testing::ExpectKeptAnswers("source_lookups.txt",
                             [&](const std::string& f, const std::string& in) {
                               const std::vector<std::string> p = testing::InputParts(in, 2);
                               if (f == "GetSourceName") return GetSourceName(db, ui_, p[0], p[1]);
                               if (f == "GetAccountName") return GetAccountName(db, ui_, in);
                               if (f == "GetPartyEmail") return GetPartyEmail(db, ui_, in);
                               if (f == "GetPartyStateCode") return GetPartyStateCode(db, ui_, in);
                               return GetFieldList(static_cast<int16_t>(std::stoi(in)));
                             });
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(LookupsTest, AQueryThatFailsReachesTheCallerAsARunTimeError) {
  Table("pro.dbf", "CODE N 6 0;BILLNAME C 40 0", {"7|Soap"});
  SourceDb* db = Db();
  EXPECT_THROW(GetSourceName(db, ui_, "ITEM", ""), RunTimeError);
  EXPECT_THROW(GetSourceName(db, ui_, "ACGROUP", "G1"), RunTimeError);  // no ACGROUP table
  EXPECT_THROW(GetSourceName(db, ui_, "ACGROUP", "G2"), RunTimeError);
  EXPECT_EQ(ui_.messages.size(), 2u);  // one box per distinct error text
  EXPECT_THROW(BuildAccountNameCache(db, ui_, cache_), RunTimeError);
  EXPECT_TRUE(cache_.Empty());
}

// Both caches, each code's cached name kept in tests/data/source_name_caches.txt.
TEST_F(LookupsTest, TheCachesGiveTheSavedNamesAndTheAccountsFollowTheLedgerStageRules) {
  ASSERT_TRUE(testing::ReadKeptTables(
      "source_name_cache_tables.txt",
      [&](const std::string& file, const std::string& fields,
          const std::vector<std::string>& rows) { Table(file, fields, rows); }));
  KeyedCollection<std::string> accounts;
  accounts.Add("R2", "kept");
  BuildItemNameCache(Db(), ui_, cache_);
  BuildAccountNameCache(Db(), ui_, accounts);
  EXPECT_EQ(cache_.Count(), 7u);
  EXPECT_EQ(accounts.Count(), 7u);
  testing::ExpectKeptAnswers("source_name_caches.txt",
                             [&](const std::string& f, const std::string& code) {
                               std::string name = "<missing>";
                               CollectionLookup(f == "Item" ? cache_ : accounts, code, &name);
                               return name;
                             });
}

}  // namespace
}  // namespace vodare
