// Bill-by-bill references (tests/data/pending_bill_refs.txt).
#include "vouchers/pending_bill_refs.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "common/xml.h"
#include "support/golden.h"

namespace vodare {
namespace {

PendingBillRow Row(std::string type, std::string vcn, std::string amount,
                   std::string due = "30-04-2024") {
  return {std::move(type), std::move(due), std::move(amount), std::move(vcn)};
}

TEST(AppendPendingBillRefs, EachShapeOfReferenceGivesTheKeptRecord) {
  struct Case {
    const char *voucher_no, *amount;
    int16_t type;
    const char* reference;
    std::vector<PendingBillRow> rows;
  };
  const std::vector<Case> cases = {
      {"1045", "100", 9, "", {}},
      {"1045", "0", 9, "", {Row("N", "A1", "0"), Row("N", "A2", "0")}},
      {"77",
       "100",
       14,
       "",
       {Row("N", "A12", "2500.5"), Row("n ", "A12", "-800"), Row("x", "a12", "10")}},
      {"88", "10", 19, "", {Row("N", "", "5"), Row("B", "", "5"), Row("N", "", "5")}},
      {"1045", "5", 9, "", {Row("N", "", "5")}},
      {"9", "10", 2, "R", {Row("N", "X", "5"), Row("N", "Y", "5")}},
  };
  std::string text;
  for (const Case& c : cases) {
    RecordWriter record("V");
    AppendPendingBillRefs(record.root(), c.rows, c.voucher_no, "Ram", "05-03-2024", c.amount,
                          c.reference, c.type);
    text += record.Finish() + "\n";
  }
  testing::ExpectGolden("pending_bill_refs.txt", text);
  // A due date that is not a date fails the voucher.
  RecordWriter record("Sale");
  EXPECT_THROW(AppendPendingBillRefs(record.root(), {Row("N", "A", "5", "someday")}, "1", "Ram",
                                     "05-03-2024", "5", "", 9),
               RunTimeError);
}

}  // namespace
}  // namespace vodare
