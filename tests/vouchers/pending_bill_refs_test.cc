// Bill-by-bill references: methods, generated and repeated reference numbers, signs.
#include "vouchers/pending_bill_refs.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "common/xml.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

using testing::At;
using testing::Has;

PendingBillRow Row(std::string type, std::string vcn, std::string amount,
                   std::string due = "30-04-2024") {
  return {std::move(type), std::move(due), std::move(amount), std::move(vcn)};
}

struct Refs {
  std::string no, method, ref, value;
};

std::vector<Refs> Collect(pugi::xml_node root) {
  std::vector<Refs> out;
  for (auto r : root.select_nodes("PendingBillDetails/BillDetail/BillRefs"))
    out.push_back({At(r.node(), "SrNo"), At(r.node(), "Method"), At(r.node(), "RefNo"),
                   At(r.node(), "Value1")});
  return out;
}

TEST(AppendPendingBillRefs, NoRowsAddNothingAndZeroAmountsOnlyTheHeader) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  EXPECT_EQ(AppendPendingBillRefs(root, {}, "1045", "Ram", "05-03-2024", "100", "", 9), "");
  EXPECT_FALSE(root.first_child());
  std::string xml = AppendPendingBillRefs(root, {Row("N", "A1", "0"), Row("N", "A2", "0")}, "1045",
                                          "Ram", "05-03-2024", "0", "", 9);
  EXPECT_EQ(xml,
            "<PendingBillDetails><BillDetail><MasterName1>Ram</MasterName1>"
            "<Value1>0</Value1></BillDetail></PendingBillDetails>");
}

TEST(AppendPendingBillRefs, RepeatedReferencesShareOneCounterPerVoucher) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Receipt");
  AppendPendingBillRefs(
      root, {Row("N", "A12", "2500.5"), Row("n ", "A12", "-800"), Row("x", "a12", "10")}, "77",
      "Ram", "05-03-2024", "100", "", 14);
  auto r = Collect(root);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].ref, "A12");
  EXPECT_EQ(r[0].value, "-2500.5");
  EXPECT_EQ(r[1].ref, "A12|1");
  EXPECT_EQ(r[1].method, "1");
  EXPECT_EQ(r[1].value, "800");
  EXPECT_EQ(r[2].ref, "a12|2");
  EXPECT_EQ(r[2].method, "2");
  EXPECT_EQ(r[2].no, "3");
  EXPECT_EQ(At(root, "PendingBillDetails/BillDetail/BillRefs/Date"), "05-03-2024");
  EXPECT_EQ(At(root, "PendingBillDetails/BillDetail/BillRefs/DueDate"), "30/04/2024");
}

TEST(AppendPendingBillRefs, BlankReferencesAreGeneratedForMethodOneAndDroppedOtherwise) {
  pugi::xml_document doc;
  pugi::xml_node payment = doc.append_child("Payment");
  AppendPendingBillRefs(payment, {Row("N", "", "5"), Row("B", "", "5"), Row("N", "", "5")}, "88",
                        "Ram", "05-03-2024", "10", "", 19);
  auto r = Collect(payment);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].ref, "Pymt/1");
  EXPECT_EQ(r[1].ref, "Pymt/2");
  EXPECT_EQ(r[1].no, "3");

  pugi::xml_node sale = doc.append_child("Sale");
  AppendPendingBillRefs(sale, {Row("N", "", "5")}, "1045", "Ram", "05-03-2024", "5", "", 9);
  EXPECT_EQ(Collect(sale)[0].ref, "1045/1");

  // A purchase takes the supplier's bill number for every row.
  pugi::xml_node purchase = doc.append_child("Purchase");
  AppendPendingBillRefs(purchase, {Row("N", "X", "5"), Row("N", "Y", "5")}, "9", "Ram",
                        "05-03-2024", "10", "R", 2);
  r = Collect(purchase);
  EXPECT_EQ(r[0].ref, "R");
  EXPECT_EQ(r[1].ref, "R|1");
}

TEST(AppendPendingBillRefs, ADueDateThatIsNotADateIsARunTimeError) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Sale");
  EXPECT_THROW(AppendPendingBillRefs(root, {Row("N", "A", "5", "someday")}, "1", "Ram",
                                     "05-03-2024", "5", "", 9),
               RunTimeError);
}

}  // namespace
}  // namespace vodare
