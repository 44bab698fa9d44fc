// Rows read in batches, and a failed query or a failing caller told apart.
#include <gtest/gtest.h>

#include <stdexcept>

#include "source/source_db.h"
#include "source/text_tables.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

TEST(RecordBatches, EveryRowOnceInOrderAtAnyBatchSizeAndFailuresToldApart) {
  testing::TextExport e;
  testing::WriteMinimalExport(e.folder.path());
  // Seven rows out of order, one of them with a blank number (read as Null, sorted first).
  e.Table("pro.dbf", "CODE N 6 0;BILLNAME C 40 0",
          {"5|E", "3|C", "7|G", "|N", "1|A", "6|F", "2|B"});
  testing::RecordingRunUi ui;
  SourceDb* db = e.Db();
  ASSERT_TRUE(db);
  const std::string all = "SELECT CODE, BILLNAME FROM pro ORDER BY CODE";
  for (size_t batch : {0, 1, 3, 7, 100}) {
    std::string names;
    size_t batches = 0;
    EXPECT_TRUE(ForEachRecordBatch(db, ui, all, batch, [&](Recordset& rs) {
      ++batches;
      if (batch) EXPECT_LE(rs.RecordCount(), static_cast<int64_t>(batch));
      for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) names += rs["BILLNAME"].Text();
    }));
    EXPECT_EQ(names, "NABCEFG") << "batches of " << batch;
    EXPECT_EQ(batches, batch == 0 ? 1u : (7 + batch - 1) / batch) << "batches of " << batch;
  }
  // A selection of nothing hands on no rows.
  int64_t rows = 0;
  EXPECT_TRUE(ForEachRecordBatch(db, ui, "SELECT CODE FROM pro WHERE CODE > 100", 3,
                                 [&](Recordset& rs) { rows += rs.RecordCount(); }));
  EXPECT_EQ(rows, 0);
  // The export's failure is shown and answered false; the caller's own goes through as it is.
  EXPECT_FALSE(ForEachRecordBatch(db, ui, "SELECT NOPE FROM pro", 3, [](Recordset&) {}));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_THROW(ForEachRecordBatch(db, ui, all, 3,
                                  [](Recordset&) { throw std::logic_error("the caller's"); }),
               std::logic_error);
  EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
}  // namespace vodare
