// The export folder opened as the program opens it: real dBASE tables written at test time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "source/dbf.h"
#include "source/lookups.h"
#include "source/source_db.h"
#include "source/text_tables.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

class ExportOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbfWriter items(folder / "pro.dbf", {{"CODE", 'N', 6, 0},
                                         {"BILLNAME", 'C', 30, 0},
                                         {"RATE", 'N', 10, 2},
                                         {"MFD", 'D', 8, 0},
                                         {"ACTIVE", 'L', 1, 0}});
    items.Add({1.0, "  Soap Bar   ", 12.5, Date::FromYmd(2024, 4, 1), true});
    items.Add({2.0, "Crème", Value(), Value(), false});
    items.Add({3.0, "Gone", 1.0, Value(), true}, /*deleted=*/true);
    items.Add({4.0, "", 0.0, Value(), Value()});
    DbfWriteOptions options;
    options.version = 0x8B;
    DbfWriter accounts(folder / "ORDER.DBF",
                       {{"ORDNO", 'C', 10, 0}, {"PARNAM", 'C', 40, 0}, {"NOTES", 'M', 10, 0}},
                       options);
    accounts.Add({"A'1", "Ram & Sons", "first line\nsecond line"});
    accounts.Add({"B2", "ram & sons", Value()});
  }
  bool Open(ErrorList& errors) {
    db = OpenExport(folder.str(), errors);
    return db != nullptr;
  }

  testing::TempFolder folder;
  testing::RecordingRunUi ui;
  std::shared_ptr<SourceDb> db;
};

TEST_F(ExportOpenTest, FieldsReadAsTheStagesExpectTheListingCountsLiveRecordsAndACodePageRebuilds) {
  ErrorList errors;
  ASSERT_TRUE(Open(errors)) << errors.Text();
  Recordset rs = db->OpenSnapshot("select * from pro");
  ASSERT_EQ(rs.RecordCount(), 3);  // the deleted record is invisible
  EXPECT_EQ(rs.Field("billname"), Value("  Soap Bar"));
  EXPECT_EQ(rs.Field("rate"), Value(12.5));
  EXPECT_EQ(rs.Field("mfd"), Value(Date::FromYmd(2024, 4, 1)));
  EXPECT_EQ(rs.Field("active"), Value(true));
  rs.MoveNext();
  EXPECT_TRUE(rs.Field("rate").IsNull());
  EXPECT_TRUE(rs.Field("mfd").IsNull());
  EXPECT_EQ(GetSourceName(db.get(), ui, "ITEM", "2"), "Crème");
  EXPECT_EQ(db->OpenSnapshot("select code from pro where billname = 'CRÈME'").Field(0), Value(2.0));
  Recordset acc = db->OpenSnapshot("select NOTES from [order] where ordno = 'a''1'");
  EXPECT_EQ(acc.Field(0), Value("first line\nsecond line"));
  EXPECT_EQ(GetAccountName(db.get(), ui, "A'1"), "Ram & Sons");

  std::string listing;
  for (const SourceTableInfo& t : db->Tables()) {
    listing += t.name + " " + std::to_string(t.row_count) + ":";
    for (const auto& c : t.columns)
      listing +=
          " " + c.name + " " + c.type + std::to_string(c.width) + "." + std::to_string(c.decimals);
    listing += "\n";
  }
  EXPECT_EQ(listing,
            "ORDER 2: ORDNO C10.0 PARNAM C40.0 NOTES M10.0\n"
            "pro 3: CODE N6.0 BILLNAME C30.0 RATE N10.2 MFD D8.0 ACTIVE L1.0\n");

  // A code page file beside a table rebuilds the cache.
  EXPECT_TRUE(db->rebuilt());
  ASSERT_TRUE(Open(errors));
  EXPECT_FALSE(db->rebuilt());
  std::ofstream(folder.path() / "pro.cpg") << "1252";
  ASSERT_TRUE(Open(errors));
  EXPECT_TRUE(db->rebuilt());
}

}  // namespace
}  // namespace vodare
