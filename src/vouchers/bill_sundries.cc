#include "vouchers/bill_sundries.h"

#include <cmath>

#include "common/helpers.h"
#include "common/text.h"
#include "common/xml.h"
#include "vouchers/voucher_values.h"

namespace vodare {

namespace {

constexpr const char* kMiscAccounts =
    "<SalesAccName>Miscellaneous Expenses</SalesAccName>"
    "<PurcAccName>Miscellaneous Expenses</PurcAccName>";
constexpr const char* kDiscountSwitches =
    "<AffactSale>True</AffactSale><AffactPurc>True</AffactPurc>"
    "<AdjustInSaleAmt>True</AdjustInSaleAmt><AdjustInPurcAmt>True</AdjustInPurcAmt>";

std::string OwnAccounts(const std::string& account) {
  std::string a = EscapeRecordValue(account);
  return "<SalesAccName>" + a + "</SalesAccName><PurcAccName>" + a + "</PurcAccName>";
}

std::string BillSundryRecord(const std::string& name, const std::string& account, bool additive) {
  std::string n = EscapeRecordValue(name);
  std::string xml = "<BillSundry><Name>" + n + "</Name><PrintName>" + n + "</PrintName>";
  if (additive) xml += "<Type>1</Type>";
  xml +=
      "<RoundOffNearestVal>1</RoundOffNearestVal><PercentOfAmount>100</PercentOfAmount>"
      "<IncludeListAmt>True</IncludeListAmt><tmpAffectBillAmtInPurc>True</tmpAffectBillAmtInPurc>"
      "<tmpAffectBillAmtInSale>True</tmpAffectBillAmtInSale><NoOfPBS>1</NoOfPBS>"
      "<IncludeTaxAmt>True</IncludeTaxAmt><IncludeSTAmt>True</IncludeSTAmt>"
      "<AffectAccountingInSale>True</AffectAccountingInSale>"
      "<AffectAccountingInPurc>True</AffectAccountingInPurc>"
      "<AdjustSaleInPartyAmt>True</AdjustSaleInPartyAmt>"
      "<AdjustPurcInPartyAmt>True</AdjustPurcInPartyAmt>"
      "<AffectAccountingInSale>True</AffectAccountingInSale>"
      "<AffectAccountingInPurc>True</AffectAccountingInPurc>";
  if (!additive) {
    if (CompareText(name, "Other Charges") == 0)
      xml += kMiscAccounts;
    else if (CompareText(name, "Absolute Discount") == 0)
      xml += kDiscountSwitches;
    else
      xml += OwnAccounts(account);
  } else {
    if (CompareText(name, "Other Charges (+)") == 0 || CompareText(name, "Freight Charges") == 0)
      xml += kMiscAccounts;
    else if (CompareText(name, "Absolute Discount (+)") == 0)
      xml += kDiscountSwitches;
    else
      xml += OwnAccounts(account);
    xml += OwnAccounts(account);
  }
  xml += "</BillSundry>";
  return xml;
}

// The tax percentage of a tax sundry: the tax against the bill less its taxes.
double TaxPercent(const InventoryVoucherHeader& h, double tax) {
  double c = TextToDouble(h.cash);
  double f = TextToDouble(h.final_amount);
  double base;
  if (c != 0 && f != 0)
    base = Num(h.final_amount) + c - Num(h.taxamo);
  else if (f != 0)
    base = Num(h.final_amount) - Num(h.taxamo);
  else
    base = Num(h.cash) - Num(h.taxamo);
  double percent = Finite(Divide(tax, base) * 100);
  return RoundHalfEven(percent * 10) / 10;
}

class SundryWriter {
 public:
  SundryWriter(RecordElement root, const InventoryVoucherHeader& h, const SundryInputs& in)
      : sundries_(root.append_child("BillSundries")), header_(h), in_(in) {}

  // One `BSDetail`; the percentage only for tax sundries.
  void Write(const std::string& name, const Value& amount, const double* percent = nullptr) {
    ++serial_;
    RecordElement d = sundries_.append_child("BSDetail");
    AddXmlElement(d, "SrNo", Value(serial_), 2);
    AddXmlElement(d, "BSName", Value(name), 1);
    if (percent) AddXmlElement(d, "PercentVal", Value(Finite(*percent)), 5);
    AddXmlElement(d, "Amt", amount, 5);
    AddXmlElement(d, "VchType", Value(static_cast<int>(in_.type)), 2);
    AddXmlElement(d, "VchNo", Value(in_.voucher_no), 1);
    AddXmlElement(d, "Date", Value(FormatDmy(header_.date)), 6);
  }

  // A tax sundry: listed always, written only when the bill does not already include it.
  void WriteTax(const std::string& name, const std::string& amount_text, double tax) {
    if (in_.tax_inclusive) return;
    double percent = TaxPercent(header_, tax);
    Write(name, Value(amount_text), &percent);
  }

 private:
  RecordElement sundries_;
  const InventoryVoucherHeader& header_;
  const SundryInputs& in_;
  int serial_ = 0;
};

std::string Entry(const std::string& name, double amount) {
  return name + "|" + DoubleToText(amount);
}

}  // namespace

void AddBillSundries(RecordElement root, const InventoryVoucherHeader& h, const SundryInputs& in,
                     BillSundryMasters& masters, VoucherLookups& lookups,
                     std::vector<std::string>& list) {
  SundryWriter writer(root, h, in);
  const double freight = FreightPlusPacking(h);
  const double cgst = Num(h.cgstamo);
  const bool local =
      (in.type_name == kLocalTaxIncl || in.type_name == kLocalMultiRate) && cgst != 0;

  if (in.discount_total != 0 && !in.not_reconciled) {
    std::string name = "Absolute Discount";
    EnsureBillSundryMaster(masters, name, in.discount_total < kZeroTolerance);
    writer.Write(name, Value(DoubleToText(std::fabs(in.discount_total))));
  }

  if (local) {
    for (const char* name : {"SGST", "CGST"}) {
      list.push_back(std::string(name) + "|" + h.cgstamo);
      writer.WriteTax(name, h.cgstamo, cgst);
    }
  } else {
    double igst = Num(h.taxamo);
    if (igst != 0) {
      std::string amount = DoubleToText(igst);
      list.push_back("IGST|" + amount);
      writer.WriteTax("IGST", amount, igst);
    }
  }

  if (freight != 0) {
    std::string amount = DoubleToText(std::fabs(freight));
    if (local) {
      std::string name = "Freight & Forwarding Charges";
      list.push_back(name + "|" + amount);
      writer.Write(name, Value(amount));
    } else {
      std::string name = "Freight Charges";
      EnsureBillSundryMaster(masters, name, true);
      list.push_back(name + "|" + amount);
      writer.Write(name, Value(amount));
    }
  }

  if (!IsBlank(h.round) && Num(h.round) != 0) {
    double round = Num(h.round);
    std::string name = round < kZeroTolerance ? "Rounded Off (-)" : "Rounded Off (+)";
    list.push_back(Entry(name, round));
    writer.Write(name, Value(DoubleToText(std::fabs(round))));
  }

  if (!IsBlank(h.other) && Num(h.other) != 0) {
    double other = Num(h.other);
    std::string name = lookups.AccountName(h.othun);
    if (IsBlank(name)) name = lookups.AccountName(h.othun_raw);
    if (IsBlank(name)) name = "Other Charges";
    // Listed with its sign: an allowance below zero is booked on the other side of a charge.
    list.push_back(Entry(name, other));
    EnsureBillSundryMaster(masters, name, other >= kZeroTolerance);
    writer.Write(name, Value(DoubleToText(std::fabs(other))));
  }

  if (!IsBlank(h.staxamo) && Num(h.staxamo) != 0) {
    double stax = Num(h.staxamo);
    std::string name = "Suspense A/c";
    list.push_back(Entry(name, std::fabs(stax)));
    if (!masters.handled.Contains(name)) EnsureLedgerMaster(masters, name, "Suspense Account");
    EnsureBillSundryMaster(masters, name, stax >= kZeroTolerance);
    writer.Write(name, Value(DoubleToText(std::fabs(stax))));
  }
}

void EnsureBillSundryMaster(BillSundryMasters& masters, std::string& name, bool additive) {
  name = Left(name, 40);
  const std::string account = name;
  if (IsBlank(name)) return;
  if (additive && CompareText(name, "Freight & Forwarding Charges") != 0) {
    if (Len(name) > 36) name = Left(name, Len(name) - 4);
    name += " (+)";
  }
  std::string key = Trim(name);
  if (masters.handled.Contains(key)) return;
  // Filed before the save: a refused master is not offered again in this stage.
  masters.handled.Add(key, key);
  std::string xml = BillSundryRecord(key, account, additive);
  std::string message;
  if (!masters.save_master(9, xml, message) && masters.errors)
    masters.errors->Add(masters.stage, name, "Bill Sundry Name : " + name + " - " + message);
}

void EnsureLedgerMaster(BillSundryMasters& masters, const std::string& name,
                        const std::string& parent_group) {
  std::string xml = "<Account><Name>" + EscapeRecordValue(name) + "</Name><PrintName>" +
                    EscapeRecordValue(name) + "</PrintName><ParentGroup>" +
                    EscapeRecordValue(parent_group) + "</ParentGroup></Account>";
  std::string message;
  masters.save_master(2, xml, message);
}

}  // namespace vodare
