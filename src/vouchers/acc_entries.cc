#include "vouchers/acc_entries.h"

#include <cmath>

#include "common/helpers.h"
#include "common/text.h"
#include "common/xml.h"
#include "vouchers/voucher_types.h"
#include "vouchers/voucher_values.h"

namespace vodare {

int16_t GetPartyAmountType(int16_t type) {
  switch (type) {
    case kVchSale:
    case kVchPurchaseReturn:
      return 1;
    case kVchSaleReturn:
    case kVchPurchase:
      return 2;
    default:
      return 0;
  }
}

int16_t GetSalesAmountType(int16_t type) {
  switch (type) {
    case kVchSale:
    case kVchPurchaseReturn:
      return 2;
    case kVchSaleReturn:
    case kVchPurchase:
      return 1;
    default:
      return 0;
  }
}

std::string GetSalesAccountName(int16_t type) {
  switch (type) {
    case kVchSale:
    case kVchSaleReturn:
      return "Sales";
    case kVchPurchase:
    case kVchPurchaseReturn:
      return "Purchase";
    default:
      return "";
  }
}

namespace {
bool NameIs(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (CompareText(name, n) == 0) return true;
  return false;
}
}  // namespace

std::string GetChargeAccountName(int16_t type, const std::string& item_name) {
  bool sale = type == kVchSale || type == kVchSaleReturn;
  bool purchase = type == kVchPurchase || type == kVchPurchaseReturn;
  if (!sale && !purchase) return "";
  if (NameIs(item_name, {"CGST"})) return sale ? "CGST Output" : "CGST Input";
  if (NameIs(item_name, {"SGST"})) return sale ? "SGST Output" : "SGST Input";
  if (NameIs(item_name, {"IGST"})) return sale ? "IGST Output" : "IGST Input";
  if (NameIs(item_name, {"Rounded Off (+)", "Rounded Off (-)"})) return "Rounded Off";
  // The central freight sundry is listed under its master's name, "Freight Charges (+)".
  if (NameIs(item_name,
             {"Other Charges", "Freight Charges", "Other Charges (+)", "Freight Charges (+)"}))
    return "Miscellaneous Expenses";
  if (NameIs(item_name, {"Suspense A/c (+)", "Suspense A/c"})) return "Suspense Account";
  return item_name;
}

int16_t GetChargeKind(const std::string& item_name) {
  if (NameIs(item_name,
             {"Other Charges", "Freight Charges", "Other Charges (+)", "Freight Charges (+)"}))
    return 1;
  if (NameIs(item_name, {"Rounded Off (+)"})) return 2;
  if (NameIs(item_name, {"Rounded Off (-)"})) return 3;
  return 4;
}

double SignAmount(int16_t side, double& amount) {
  amount = std::fabs(amount);
  if (side == 1) amount = NegateAmount(amount);
  return amount;
}

namespace {

struct Sundry {
  std::string name;
  double amount;
};

Sundry SplitSundry(const std::string& text) {
  size_t bar = text.find('|');
  std::string name = text.substr(0, bar);
  std::string amount = bar == std::string::npos ? std::string() : text.substr(bar + 1);
  size_t bar2 = amount.find('|');
  if (bar2 != std::string::npos) amount.resize(bar2);
  return {name, Num(amount)};
}

// A bill can come out below zero (goods taken back, or a discount, worth more than the goods
// sold): its amount then belongs on the other side, and the entries keep the sign it brings.
int16_t SideOf(int16_t side, double amount) {
  if (amount >= -kZeroTolerance || (side != 1 && side != 2)) return side;
  return side == 1 ? 2 : 1;
}

bool IsTaxName(const std::string& name) { return NameIs(name, {"SGST", "CGST", "IGST"}); }

// The signed amount of an entry that goes on `side` when the amount is positive.
double SidedAmount(int16_t side, double amount) {
  if (side != 1 && side != 2) return SignAmount(side, amount);
  return SignAmount(SideOf(side, amount), amount);
}

class EntryWriter {
 public:
  EntryWriter(RecordElement entries, const InventoryAccInputs& in) : entries_(entries), in_(in) {}

  RecordElement Write(const std::string& account, int16_t side, double amount) {
    ++serial_;
    RecordElement d = entries_.append_child("AccDetail");
    AddXmlElement(d, "Date", Value(FormatDmy(in_.date)), 6);
    AddXmlElement(d, "VchType", Value(static_cast<int>(in_.type)), 2);
    AddXmlElement(d, "VchNo", Value(in_.voucher_no), 1);
    AddXmlElement(d, "SrNo", Value(serial_), 2);
    AddXmlElement(d, "AccountName", Value(account), 1);
    AddXmlElement(d, "AmountType", Value(static_cast<int>(side)), 2);
    AddXmlElement(d, "AmtMainCur", Value(Finite(amount)), 5);
    return d;
  }

 private:
  RecordElement entries_;
  const InventoryAccInputs& in_;
  int serial_ = 0;
};

}  // namespace

void AddInventoryAccEntries(RecordElement root, InventoryAccInputs in) {
  if (in.type == kVchMaterialReceipt || in.type == kVchMaterialIssue) return;
  const int16_t P = GetPartyAmountType(in.type);
  const int16_t S = GetSalesAmountType(in.type);
  const std::string sales_account = GetSalesAccountName(in.type);
  const size_t n = in.sundries.size();
  const bool local = in.type_name == kLocalTaxIncl || in.type_name == kLocalMultiRate;
  const bool central = in.type_name == kCentralTaxIncl || in.type_name == kCentralMultiRate;
  const double bill = Num(in.amount_text);

  // The taxes taken out of the sales amount; their own entries keep the sign they have here.
  double deductions = 0;
  std::vector<bool> deducted(n, false);
  auto deduct = [&](size_t i, const char* name) {
    Sundry item = SplitSundry(in.sundries[i]);
    if (CompareText(item.name, name) != 0) return;
    deductions += item.amount;
    deducted[i] = true;
  };
  if (local && n >= 2) {
    deduct(0, "SGST");
    deduct(1, "CGST");
  } else if (central && n >= 1) {
    deduct(0, "IGST");
  }
  // The other charges count with their sign: a charge raises the bill, an allowance or a cash
  // discount (below zero) lowers it, so the goods are worth that much more.
  deductions += in.other;
  deductions += std::fabs(in.freight) + std::fabs(in.sales_tax);

  // What the other-charges entry will carry: a charge on the sales side, one below zero on the
  // other side with its minus sign (a debit on a sale).
  const double other_entry = SidedAmount(S, in.other);

  RecordElement entries = root.append_child("AccEntries");
  EntryWriter writer(entries, in);
  double running = 0;

  RecordElement party = writer.Write(in.party_name, SideOf(P, bill), SidedAmount(P, bill));
  if (!IsBlank(in.broker_name)) {
    AddXmlElement(party, "BrokerAssigned", Value(true), 7);
    AddXmlElement(party, "BrokerName", Value(in.broker_name), 1);
  }

  // The bill holds the round-off with the sign Vodori gave it (positive when it was rounded up),
  // so the goods are what is left once it is taken out as it stands.
  double amount = Finite(bill - deductions - in.round_off);
  running += SidedAmount(S, amount);
  writer.Write(sales_account, SideOf(S, amount), SidedAmount(S, amount));

  if (in.carry_settlement) {
    // Cash paid out to the customer (or back by the supplier) when the settled amount is
    // below zero: both entries change sides with it.
    const double settled = in.split_payment ? in.cash_amount : bill;
    writer.Write("Cash", SideOf(P, settled), SidedAmount(P, settled));
    amount = SidedAmount(S, settled);
    RecordElement settlement = writer.Write(in.party_name, SideOf(S, settled), amount);
    AddXmlElement(settlement, "CashFlow", Value(Finite(amount)), 5);
    AddXmlElement(settlement, "SettlementAcc", Value(true), 7);
  }

  const size_t limit = local && n >= 2 ? 6 : 5;
  for (size_t i = 0; i < n && i < limit; ++i) {
    Sundry item = SplitSundry(in.sundries[i]);
    double value = item.amount;
    int16_t side = S;
    if (deducted[i] || !IsTaxName(item.name)) {
      // Taxes taken out of the sales amount and every charge keep the sign they bring, and the
      // side that goes with it.
      side = SideOf(S, item.amount);
      value = SidedAmount(S, item.amount);
    } else {
      SignAmount(S, value);
    }
    std::string account = GetChargeAccountName(in.type, item.name);
    int16_t kind = GetChargeKind(item.name);
    if (kind == 2 || kind == 3) {
      // The round-off takes up what the entries do not cover. The freight entry is already in
      // the running total; the other charges and the sales tax come after it and are added here,
      // each as its own entry will carry it.
      running += other_entry;
      double sales_tax = in.sales_tax;
      running += SignAmount(S, sales_tax);
      value = Finite(SidedAmount(S, bill) - running);
      side = value < kZeroTolerance ? 1 : 2;
      if (IsZero(value)) {
        value = std::fabs(in.round_off);
        side = P;
      }
    } else {
      running += value;
    }
    writer.Write(account, side, value);
  }
}

}  // namespace vodare
