// Code-to-name lookups, the remark lookups of `support`, and the two name caches that must
// give the very names the master stages save.
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
  Table("pro.dbf", "CODE N 6 0;BILLNAME C 40 0", {"7|  Soap  "});
  Table("ACGROUP.dbf", "ORDNO C 5 0;PARNAM C 40 0", {"G'1|Debtors"});
  Table("order.dbf", "ORDNO C 10 0;PARNAM C 40 0", {"D'SOUZA| D'Souza Traders ", "X|Other"});
  Table("SaleType.dbf", "SCODE C 10 0;SGCODE C 10 0;SNAME C 40 0;PARNAM C 40 0",
        {"M1|GODWON||Main Godown", "M2|GODWON|Back|Back Store", "M1|BROKER|Raju|"});
  Table("support.dbf", "LCODE C 10 0;PCODE N 3 0;REMARK C 60 0",
        {"A'1|0|no mail here", "A'1|0|ram@example.com and more words", "A'1|0|x@y.z",
         "A'1|15|Maharashtra 27", "B|15|Gujarat 24 ", "C|15|7", "D|0|plain@example.com"});
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
  const std::string forty(40, 'N');
  Table("pro.dbf", "CODE N 6 0;BILLNAME C 60 0",
        {"3|Soap", "1|SOAP", "2|soap", "4|" + forty, "5|" + forty + "XYZ", "6|Oil <1L>", "7|",
         "3|Repeated code", "8|SOAP#1"});
  Table("order.dbf", "ORDNO C 10 0;PARNAM C 40 0",
        {"R3|RAM", "R1|RAM", "B'1|Bharat <Agency>", "R2|ram", "|Nameless", "N1|  ", "K|Zebra",
         "M|Mango", "k|Apple", "Z|Zebra"});
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
