#include "vouchers/voucher_header.h"

#include "common/helpers.h"
#include "common/text.h"
#include "vouchers/voucher_values.h"

namespace vodare {

double SumHeaderCharges(const InventoryVoucherHeader& h) {
  double total = Num(h.round) + Num(h.other);
  if (!IsBlank(h.packing)) total += Num(h.packing);
  if (!IsBlank(h.freight)) total += Num(h.freight);
  total += Num(h.staxamo) + Num(h.taxamo);
  return Finite(total);
}

double FreightPlusPacking(const InventoryVoucherHeader& h) {
  double total = 0;
  if (!IsBlank(h.packing)) total += Num(h.packing);
  if (!IsBlank(h.freight)) total += Num(h.freight);
  return Finite(total);
}

Settlement DecideSettlement(const InventoryVoucherHeader& h) {
  Settlement s;
  double f = Num(h.final_amount);
  double c = Num(h.cash);
  if (f != 0) {
    s.amount_text = h.final_amount;
  } else {
    s.amount_text = h.cash;
    s.carry_settlement = true;
  }
  if (f != 0 && c != 0) {
    s.split_payment = true;
    s.carry_settlement = true;
    s.amount_text = DoubleToText(Finite(c + f));
    s.cash_amount = c;
  }
  return s;
}

double InventoryBillAmount(const InventoryVoucherHeader& h) {
  return Num(DecideSettlement(h).amount_text);
}

void ChooseSalePurchaseTypeName(int16_t type, int16_t gst_regime, const StateDigits& digits,
                                const std::string& party_state,
                                const InventoryVoucherHeader& header, std::string& type_name) {
  bool sale_side = type == 9 || type == 12 || type == 3;
  bool purchase_side = type == 2 || type == 13 || type == 10;
  if (!sale_side && !purchase_side) return;
  if (gst_regime != 0) {
    type_name =
        CompareText(digits.company, digits.party) != 0 ? kCentralMultiRate : kLocalMultiRate;
  } else if (sale_side) {
    type_name = kVatMultiRate;
  }
  if (IsBlank(party_state)) type_name = kLocalMultiRate;
  double taxamo = Num(header.taxamo);
  double cgstamo = Num(header.cgstamo);
  if (taxamo != 0 || cgstamo != 0) type_name = cgstamo != 0 ? kLocalMultiRate : kCentralMultiRate;
}

}  // namespace vodare
