// The chart a new company starts with: the account groups, ledgers, material centre, bill
// sundries and sale/purchase types that a new company of the product already holds and that
// the conversion posts to without creating them.

#include <string>
#include <utility>
#include <vector>

#include "common/helpers.h"
#include "common/run_error.h"
#include "destination/local/company_store.h"

namespace vodare::local {

namespace {

// Primary groups, then groups under them (parent first).
const std::vector<std::pair<const char*, const char*>> kGroups = {
    {"Capital Account", ""},
    {"Current Assets", ""},
    {"Current Liabilities", ""},
    {"Fixed Assets", ""},
    {"Investments", ""},
    {"Loans (Liability)", ""},
    {"Pre-Operative Expenses", ""},
    {"Profit & Loss", ""},
    {"Revenue Accounts", ""},
    {"Suspense Account", ""},
    {"Reserves & Surplus", "Capital Account"},
    {"Bank Accounts", "Current Assets"},
    {"Cash-in-hand", "Current Assets"},
    {"Loans & Advances (Asset)", "Current Assets"},
    {"Securities & Deposits (Asset)", "Current Assets"},
    {"Stock-in-hand", "Current Assets"},
    {"Sundry Debtors", "Current Assets"},
    {"Duties & Taxes", "Current Liabilities"},
    {"Provisions/Expenses Payable", "Current Liabilities"},
    {"Sundry Creditors", "Current Liabilities"},
    {"Bank O/D Account", "Loans (Liability)"},
    {"Secured Loans", "Loans (Liability)"},
    {"Unsecured Loans", "Loans (Liability)"},
    {"Expenses (Direct/Mfg.)", "Revenue Accounts"},
    {"Expenses (Indirect/Admn.)", "Revenue Accounts"},
    {"Income (Direct/Opr.)", "Revenue Accounts"},
    {"Income (Indirect)", "Revenue Accounts"},
    {"Purchase", "Revenue Accounts"},
    {"Sale", "Revenue Accounts"},
};

const std::vector<std::pair<const char*, const char*>> kLedgers = {
    {"Cash", "Cash-in-hand"},
    {"Sales", "Sale"},
    {"Purchase", "Purchase"},
    {"CGST Output", "Duties & Taxes"},
    {"SGST Output", "Duties & Taxes"},
    {"IGST Output", "Duties & Taxes"},
    {"CGST Input", "Duties & Taxes"},
    {"SGST Input", "Duties & Taxes"},
    {"IGST Input", "Duties & Taxes"},
    {"Rounded Off", "Expenses (Indirect/Admn.)"},
    {"Miscellaneous Expenses", "Expenses (Indirect/Admn.)"},
    {"Suspense Account", "Suspense Account"},
    {"Profit & Loss", "Profit & Loss"},
    {"Freight & Forwarding Charges", "Expenses (Direct/Mfg.)"},
};

// Bill sundries: name, additive, the ledger it posts to.
struct SundryEntry {
  const char* name;
  bool additive;
  const char* account;
};
const std::vector<SundryEntry> kSundries = {
    {"CGST", true, "CGST Output"},
    {"SGST", true, "SGST Output"},
    {"IGST", true, "IGST Output"},
    {"Rounded Off (+)", true, "Rounded Off"},
    {"Rounded Off (-)", false, "Rounded Off"},
    {"Freight & Forwarding Charges", true, "Freight & Forwarding Charges"},
};

const std::vector<const char*> kTaxTypes = {"Local-TaxIncl.", "Central-TaxIncl.",
                                            "VAT/MultiRate (R)"};

std::string Element(const char* name, const std::string& value) {
  return std::string("<") + name + ">" + EscapeRecordValue(value) + "</" + name + ">";
}

void Save(CompanyStore& store, int16_t kind, const std::string& xml) {
  StoreAnswer answer = store.SaveMaster(kind, xml);
  if (!answer.saved) throw RunTimeError("Standard chart: " + answer.message);
}

}  // namespace

void BuildStandardChart(CompanyStore& store) {
  for (const auto& [name, parent] : kGroups) {
    std::string parent_text = parent;
    std::string xml = "<AccountGroup>" + Element("Name", name) +
                      Element("PrimaryGroup", parent_text.empty() ? "True" : "False");
    if (!parent_text.empty()) xml += Element("ParentGroupName", parent_text);
    Save(store, 1, xml + "</AccountGroup>");
  }
  for (const auto& [name, group] : kLedgers) {
    Save(store, 2,
         "<Account>" + Element("Name", name) + Element("PrintName", name) +
             Element("ParentGroup", group) + "</Account>");
  }
  Save(store, 11,
       "<MaterialCenter>" + Element("Name", "Main Store") + Element("PrintName", "Main Store") +
           Element("PrimaryGroup", "True") + "</MaterialCenter>");
  for (const SundryEntry& s : kSundries) {
    std::string xml = "<BillSundry>" + Element("Name", s.name) + Element("PrintName", s.name);
    if (s.additive) xml += Element("Type", "1");
    xml += Element("SalesAccName", s.account) + Element("PurcAccName", s.account);
    Save(store, 9, xml + "</BillSundry>");
  }
  for (const char* name : kTaxTypes) {
    Save(store, 13, "<SaleType>" + Element("Name", name) + "</SaleType>");
    Save(store, 14, "<PurchaseType>" + Element("Name", name) + "</PurchaseType>");
  }
}

}  // namespace vodare::local
