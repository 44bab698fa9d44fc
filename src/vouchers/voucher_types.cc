#include "vouchers/voucher_types.h"

#include "common/text.h"

namespace vodare {

int16_t GetInventoryVoucherType(std::string_view type_letter) {
  std::string_view t = TrimView(type_letter);
  if (t == "S") return kVchSale;
  if (t == "R" || t == "W") return kVchSaleReturn;
  if (t == "P") return kVchPurchase;
  if (t == "B" || t == "U") return kVchPurchaseReturn;
  if (t == "D") return kVchMaterialReceipt;
  if (t == "L") return kVchMaterialIssue;
  return 0;
}

namespace {
struct TypeNames {
  int16_t type;
  const char* element;
  const char* series;
  const char* display;
  const char* short_name;
};

constexpr TypeNames kTypeNames[] = {
    {2, "Purchase", "Purchase", "Purchase", "Purchase"},
    {3, "SaleReturn", "S_Return", "Sale Return", "SaleRet"},
    {4, "MaterialReceipt", "Main", "Material Receipt", "MatRec"},
    {5, "StockTransfer", "Main", "", ""},
    {6, "Production", "Main", "", ""},
    {7, "Unassemble", "Main", "", ""},
    {8, "StockJournal", "Main", "", ""},
    {9, "Sale", "Sales", "Sale", "Sale"},
    {10, "PurchaseReturn", "P_Return", "Purchase Return", "PurRet"},
    {11, "MaterialIssue", "Main", "Material Issue", "MatIss"},
    {12, "SaleOrder", "Main", "", ""},
    {13, "PurchaseOrder", "Main", "", ""},
    {14, "Receipt", "Receipt", "Receipt", "Rcpt"},
    {15, "Contra", "Main", "Contra", "Contra"},
    {16, "Journal", "Journal", "Journal", "Jrnl"},
    {17, "DrNote", "Dr_Note", "Debit Note", "DrNote"},
    {18, "CrNote", "Cr_Note", "Credit Note", "CrNote"},
    {19, "Payment", "Payment", "Payment", "Pymt"},
    {61, "PhysicalStock", "Main", "", ""},
};

const TypeNames* FindType(int16_t type) {
  for (const auto& t : kTypeNames)
    if (t.type == type) return &t;
  return nullptr;
}
}  // namespace

std::string GetVoucherElementName(int16_t type) {
  const TypeNames* t = FindType(type);
  return t ? t->element : "";
}

std::string GetVoucherSeriesName(int16_t type) {
  const TypeNames* t = FindType(type);
  return t ? t->series : "Main";
}

std::string GetVoucherTypeName(int16_t type) {
  const TypeNames* t = FindType(type);
  return t ? t->display : "";
}

std::string VoucherEntryKey(int type, std::string_view number) {
  std::string key = std::to_string(type);
  key += '|';
  key += number;
  return key;
}

std::string GetVoucherShortName(int16_t type) {
  const TypeNames* t = FindType(type);
  return t ? t->short_name : "";
}

bool IsInventoryVoucherType(int16_t type) {
  switch (type) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 26:
    case 27:
    case 31:
      return true;
    default:
      return false;
  }
}

std::string FormatLongDate(std::string_view date_text) {
  auto date = TryParseDateText(Trim(date_text));
  if (!date) return "";
  int day = date->Day();
  const char* suffix = "th";
  if (day == 1 || day == 21 || day == 31)
    suffix = "st";
  else if (day == 2 || day == 22)
    suffix = "nd";
  else if (day == 3 || day == 23)
    suffix = "rd";
  return std::to_string(day) + suffix + " " + std::string(MonthName(date->Month())) + " " +
         std::to_string(date->Year());
}

}  // namespace vodare
