// Code-to-name lookups, the remark lookups of `support`, and the two name caches that must
// give the very names the master stages save.
#include "source/lookups.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "source/source_db.h"
#include "source/text_tables.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {
using testing::RecordingRunUi;

class LookupsTest : public ::testing::Test, public testing::TextExport {
 protected:
  static std::string Cached(const KeyedCollection<std::string>& cache, const std::string& code) {
    std::string name = "<missing>";
    CollectionLookup(cache, code, &name);
    return name;
  }

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
  EXPECT_EQ(GetSourceName(db, ui_, "ITEM", "7"), "Soap");
  EXPECT_EQ(GetSourceName(db, ui_, "ITEM", "8"), "");
  EXPECT_EQ(GetSourceName(db, ui_, "ACGROUP", "g'1"), "Debtors");
  EXPECT_EQ(GetSourceName(db, ui_, "ACCOUNT", "D'SOUZA"), "D'Souza Traders");
  EXPECT_EQ(GetSourceName(db, ui_, "GODWON", "M1"), "Main Godown");  // Sname blank: PARNAM
  EXPECT_EQ(GetSourceName(db, ui_, "GODWON", "M2"), "Back");
  EXPECT_EQ(GetSourceName(db, ui_, "BROKER", "M1"), "Raju");
  EXPECT_EQ(GetSourceName(db, ui_, "item", "7"), "");  // kinds are compared exactly
  EXPECT_EQ(GetFieldList(6), "");
  // An account's name by its code, the code's quotes doubled.
  EXPECT_EQ(GetAccountName(db, ui_, "D'SOUZA"), "D'Souza Traders");
  EXPECT_EQ(GetAccountName(db, ui_, "x"), "Other");
  EXPECT_EQ(GetAccountName(db, ui_, "' or ''='"), "");
  EXPECT_EQ(GetAccountName(db, ui_, "NONE"), "");
  EXPECT_EQ(GetPartyEmail(db, ui_, "A'1"), "ram@example.com");
  EXPECT_EQ(GetPartyEmail(db, ui_, "D"), "plain@example.com");
  EXPECT_EQ(GetPartyEmail(db, ui_, "B"), "");
  EXPECT_EQ(GetPartyStateCode(db, ui_, "A'1"), "27");
  EXPECT_EQ(GetPartyStateCode(db, ui_, "B"), "24");
  EXPECT_EQ(GetPartyStateCode(db, ui_, "C"), "7");
  EXPECT_EQ(GetPartyStateCode(db, ui_, "Z"), "");
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

TEST_F(LookupsTest, ItemCacheGivesTheSavedNames) {
  const std::string forty(40, 'N');
  Table("pro.dbf", "CODE N 6 0;BILLNAME C 60 0",
        {"3|Soap", "1|SOAP", "2|soap", "4|" + forty, "5|" + forty + "XYZ", "6|Oil <1L>", "7|",
         "3|Repeated code", "8|SOAP#1"});
  SourceDb* db = Db();
  BuildItemNameCache(db, ui_, cache_);
  EXPECT_EQ(Cached(cache_, "1"), "SOAP");
  EXPECT_EQ(Cached(cache_, "2"), "soap#1");
  EXPECT_EQ(Cached(cache_, "3"), "Soap#2");
  EXPECT_EQ(Cached(cache_, "4"), forty);
  EXPECT_EQ(Cached(cache_, "5"), std::string(38, 'N') + "#1");
  EXPECT_EQ(Cached(cache_, "6"), "Oil (1L)");
  EXPECT_EQ(Cached(cache_, "7"), "<missing>");
  EXPECT_EQ(Cached(cache_, "8"), "SOAP#1#1");  // a real SOAP#1 keeps no one's name
  EXPECT_EQ(cache_.Count(), 7u);
}

TEST_F(LookupsTest, AccountCacheUsesTheLedgerStageRulesNotAsterisks) {
  Table("order.dbf", "ORDNO C 10 0;PARNAM C 40 0",
        {"R3|RAM", "R1|RAM", "B'1|Bharat <Agency>", "R2|ram", "|Nameless", "N1|  ", "K|Zebra",
         "M|Mango", "k|Apple", "Z|Zebra"});
  cache_.Add("R2", "kept");
  BuildAccountNameCache(Db(), ui_, cache_);
  // Walked by name, ties in table order: R3, R1, R2.
  EXPECT_EQ(Cached(cache_, "R3"), "RAM");
  EXPECT_EQ(Cached(cache_, "R1"), "RAM#1");
  EXPECT_EQ(Cached(cache_, "R2"), "kept");  // a code already cached keeps its name
  EXPECT_EQ(Cached(cache_, "B'1"), "Bharat (Agency)");
  EXPECT_EQ(Cached(cache_, "N1"), "<missing>");
  // The ledger stage lists codes by name and then reads each code's first record: code K
  // comes in at "Apple" but is saved as "Zebra".
  EXPECT_EQ(Cached(cache_, "K"), "Zebra");
  EXPECT_EQ(Cached(cache_, "M"), "Mango");
  EXPECT_EQ(Cached(cache_, "Z"), "Zebra#1");
  EXPECT_EQ(cache_.Count(), 7u);
}

}  // namespace
}  // namespace vodare
