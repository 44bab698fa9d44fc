// The record rules of the ledger stage, apart from its loop.
#include <array>
#include <cmath>
#include <string>

#include "common/helpers.h"
#include "masters/ledgers.h"
#include "masters/record_text.h"

namespace vodare {

std::string LedgerOpeningText(const Value& opning) {
  double o = FieldNumber(opning);
  if (o > 0) return DoubleToText(NegateAmount(o));
  if (o < 0) return DoubleToText(std::fabs(o));
  return NzTrim(opning);
}

std::string LedgerTaxType(std::string_view group, std::string_view ledger_name) {
  if (group != "Duties & Taxes") return {};
  for (std::string_view tax : {"CGST", "SGST", "IGST"})
    if (ledger_name.find(tax) != std::string_view::npos) return std::string(tax);
  return {};
}

std::string BuildLedgerRecord(const LedgerRecordValues& v) {
  std::string r;
  r.reserve(1024);
  r += "<Account>";
  AppendElement(r, "Name", v.name);
  AppendElement(r, "PrintName", v.print_name);
  AppendElement(r, "ParentGroup", v.group);
  AppendElement(r, "OPBal", v.opening);
  if (!IsBlank(v.broker)) {
    r += "<BrokerAssigned>True</BrokerAssigned>";
    AppendElement(r, "BrokerName", v.broker);
  }
  AppendElement(r, "MasterNotes", v.full_name);
  r += "<Address>";
  AppendElement(r, "Address1", v.address1);
  AppendElement(r, "Address2", v.address2);
  AppendElement(r, "Address3", v.address3);
  r += "<Address4> </Address4>";
  AppendElement(r, "PINCode", v.pin_code);
  AppendElement(r, "Email", v.email);
  AppendElement(r, "TINNo", v.tin_no);
  AppendElement(r, "GSTNo", v.gst_no);
  AppendElement(r, "ITPAN", v.it_pan);
  r += "<CountryName> </CountryName>";
  AppendElement(r, "StateName", v.state_name);
  AppendElement(r, "DLNo", v.dl_no);
  r += "<OF>";
  AppendElement(r, "OF0", v.date);
  AppendElement(r, "OF1", v.city);
  r += "</OF>";
  AppendElement(r, "Contact", v.contact);
  AppendElement(r, "TelNo", v.tel_no);
  AppendElement(r, "TelNoRes", v.tel_no_res);
  AppendElement(r, "Fax", v.fax);
  AppendElement(r, "Mobile", v.mobile);
  r += "</Address>";
  if (v.bill_by_bill) r += "<BillByBillBalancing>True</BillByBillBalancing>";
  AppendElement(r, "CreditDaysForSale", v.credit_days);
  AppendElement(r, "CreditDaysForPurc", v.credit_days);
  std::string tax = LedgerTaxType(v.group, v.name);
  if (!tax.empty()) r += "<TaxType>" + tax + "</TaxType>";
  r += "</Account>";
  return r;
}

std::string BuildBrokerRecord(std::string_view broker_name, std::string_view credit_account) {
  std::string r = "<Broker>";
  AppendElement(r, "Name", broker_name);
  AppendElement(r, "PrintName", broker_name);
  AppendElement(r, "BrokerCreditAccName", credit_account);
  r += "</Broker>";
  return r;
}

}  // namespace vodare
