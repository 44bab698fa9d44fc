#include "vouchers/voucher_record.h"

#include "common/helpers.h"
#include "common/text.h"
#include "common/xml.h"
#include "vouchers/voucher_types.h"
#include "vouchers/voucher_values.h"

namespace vodare {

std::string BillingName(const std::string& docu, const std::string& phone) {
  if (phone.empty()) return docu;
  return ReplaceAll(docu, phone, "");
}

void AddVoucherHeadline(RecordElement root, const VoucherHeadline& h) {
  AddXmlElement(root, "VchType", Value(static_cast<int>(h.type)), 2);
  AddXmlElement(root, "VchSeriesName", Value(h.series_name), 1);
  AddXmlElement(root, "Date", Value(h.date), 6);
  AddXmlElement(root, "VchNo", Value(h.number), 1);
  AddXmlElement(root, "MasterName1", Value(h.party_name), 1);
  AddXmlElement(root, "MasterName2", Value(h.centre_name), 1);
  AddXmlElement(root, "tmpVchSeriesCode", Value(static_cast<int64_t>(h.series_code)), 3);
  if (!IsBlank(h.billing_name)) {
    RecordElement billing = root.append_child("BillingDetails");
    AddXmlElement(billing, "PartyName", Value(h.billing_name), 1);
    AddXmlElement(billing, "MobileNo", Value(h.mobile), 1);
    AddXmlElement(billing, "Address1", Value(h.address), 1);
  }
  const bool broker = !IsBlank(h.broker_name);
  if (broker) {
    AddXmlElement(root, "BrokerInvolved", Value(true), 7);
    AddXmlElement(root, "BrokerName", Value(h.broker_name), 1);
  }
  if (!IsBlank(h.supplier_bill_no) && h.type == kVchPurchase) {
    RecordElement info = root.append_child("VchOtherInfoDetails");
    AddXmlElement(info, "PurchaseBillNo", Value(h.supplier_bill_no), 1);
    AddXmlElement(info, "PurchaseBillDate", Value(h.date), 6);
  }
  if (broker) {
    RecordElement b = root.append_child("Brokers").append_child("Broker");
    AddXmlElement(b, "Name", Value(h.broker_name), 1);
    AddXmlElement(b, "PrintName", Value(h.broker_name), 1);
    AddXmlElement(b, "BrokerCreditAccName", Value(h.party_name), 1);
  }
  root.append_child("BillingDetails");
}

void AddPosVchData(RecordElement root, const Settlement& s) {
  RecordElement pos = root.append_child("POSVchData");
  if (s.carry_settlement) {
    if (s.split_payment)
      AddXmlElement(pos, "CashAmt", Value(Finite(s.cash_amount)), 5);
    else
      AddXmlElement(pos, "CashAmt", Value(s.amount_text), 5);
  }
  AddXmlElement(pos, "CarrySettlement", Value(true), 7);
  if (s.carry_settlement) AddXmlElement(pos, "CashAccName", Value("Cash"), 3);
}

}  // namespace vodare
