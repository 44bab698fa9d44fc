// Values worked out from a voucher's header alone (tests/data/voucher_values.txt).
#include "vouchers/voucher_header.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "common/xml.h"
#include "support/golden.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/fixed_lookups.h"
#include "vouchers/voucher_record.h"
#include "vouchers/voucher_types.h"

namespace vodare {
namespace {

using testing::Header;

std::string Answer(const std::string& function, const std::string& in) {
  if (function == "GetInventoryVoucherType") return std::to_string(GetInventoryVoucherType(in));
  if (function == "GetLedgerVoucherType") return std::to_string(GetLedgerVoucherType(in));
  if (function == "FormatLongDate") return FormatLongDate(in);
  if (function == "SumHeaderCharges") {
    const std::vector<std::string> f = testing::InputParts(in, 6);
    InventoryVoucherHeader h = Header("0", "0");
    h.round = f[0];
    h.other = f[1];
    h.staxamo = f[2];
    h.taxamo = f[3];
    h.freight = f[4];
    h.packing = f[5];
    return DoubleToText(SumHeaderCharges(h)) + ", freight and packing " +
           DoubleToText(FreightPlusPacking(h));
  }
  if (function == "DecideSettlement") {
    const std::vector<std::string> f = testing::InputParts(in, 2);
    const Settlement s = DecideSettlement(Header(f[0], f[1]));
    return s.amount_text + (s.carry_settlement ? " in cash" : "") +
           (s.split_payment ? " partly, " + DoubleToText(s.cash_amount) : "");
  }
  if (function == "ChooseSalePurchaseTypeName") {
    const std::vector<std::string> f = testing::InputParts(in, 8);
    InventoryVoucherHeader h = Header("100", "0");
    h.cgstamo = f[5];
    h.taxamo = f[6];
    std::string name = f[7];  // as the voucher before left it
    ChooseSalePurchaseTypeName(static_cast<int16_t>(std::stoi(f[0])),
                               static_cast<int16_t>(std::stoi(f[1])), {f[2], f[3]}, f[4], h, name);
    return name;
  }
  const int16_t type = static_cast<int16_t>(std::stoi(in));
  if (function == "GetVoucherSeriesName") return GetVoucherSeriesName(type);
  if (function == "GetVoucherElementName") return GetVoucherElementName(type);
  if (function == "GetVoucherTypeName") return GetVoucherTypeName(type);
  if (function == "GetVoucherShortName") return GetVoucherShortName(type);
  return IsInventoryVoucherType(type) ? "True" : "False";
}

TEST(VoucherValues, EachInputGivesTheKeptAnswer) {
  testing::ExpectKeptAnswers("voucher_values.txt", Answer);
}

// The leading elements and cash blocks as tests/data/voucher_headline.txt holds them.
TEST(AddVoucherHeadline, ElementsInOrderWithTheOptionalBlocks) {
  VoucherHeadline h;
  h.type = 2;
  h.series_name = "Purchase";
  h.date = "05-03-2024";
  h.number = "P/7";
  h.party_name = "Shah & Sons <Pune>";
  h.centre_name = "MAIN STORE";
  h.series_code = 12;
  h.billing_name = BillingName("Walk in 98200 customer 98200", "98200");
  h.mobile = "98200";
  h.broker_name = "Mohan";
  h.supplier_bill_no = "INV-1";
  std::string text;
  auto add = [&](const char* root, auto&& build) {
    RecordWriter record(root);
    build(record.root());
    text += record.Finish() + "\n";
  };
  add("Purchase", [&](RecordElement e) { AddVoucherHeadline(e, h); });
  h.type = 9;
  add("Sale", [&](RecordElement e) { AddVoucherHeadline(e, h); });
  for (const auto& [bill, cash] : {std::pair{"0", "250"}, {"300", "200"}, {"100", "0"}})
    add("Pos", [&](RecordElement e) { AddPosVchData(e, DecideSettlement(Header(bill, cash))); });
  testing::ExpectGolden("voucher_headline.txt", text);
}

}  // namespace
}  // namespace vodare
