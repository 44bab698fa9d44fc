#pragma once
// The destination's voucher type numbers and the names that go with them, shared by the
// inventory and the accounting voucher stages: the source's type letters, the root element of a
// voucher record, the series a voucher is filed under, the name used in error lines and the
// short name used in generated bill references.

#include <cstdint>
#include <string>
#include <string_view>

namespace vodare {

// Voucher type numbers the stages use.
inline constexpr int16_t kVchPurchase = 2;
inline constexpr int16_t kVchSaleReturn = 3;
inline constexpr int16_t kVchMaterialReceipt = 4;
inline constexpr int16_t kVchSale = 9;
inline constexpr int16_t kVchPurchaseReturn = 10;
inline constexpr int16_t kVchMaterialIssue = 11;
inline constexpr int16_t kVchSaleOrder = 12;
inline constexpr int16_t kVchPurchaseOrder = 13;
inline constexpr int16_t kVchReceipt = 14;
inline constexpr int16_t kVchContra = 15;
inline constexpr int16_t kVchJournal = 16;
inline constexpr int16_t kVchDrNote = 17;
inline constexpr int16_t kVchCrNote = 18;
inline constexpr int16_t kVchPayment = 19;

// The type number of an inventory voucher's one-letter kind (trimmed, case-sensitive); 0 when
// the letter is not one the stage converts.
int16_t GetInventoryVoucherType(std::string_view type_letter);
// Root element of the voucher record; empty for numbers without one.
std::string GetVoucherElementName(int16_t type);
// Series the voucher is filed under; "Main" for numbers without a series of their own.
std::string GetVoucherSeriesName(int16_t type);
// Name used in error lines; empty for numbers the stages do not send.
std::string GetVoucherTypeName(int16_t type);
// Short name used in generated bill references ("Sale", "Jrnl", ...); empty when none.
std::string GetVoucherShortName(int16_t type);
// The record key of an error entry about a voucher: its type number and the number it was sent
// (or was to be sent) under; type 0 when the type was not known yet.
std::string VoucherEntryKey(int type, std::string_view number);
// True for the destination's inventory voucher numbers.
bool IsInventoryVoucherType(int16_t type);

// Material receipts and issues take their number and date from the challan.
inline bool IsChallanType(int16_t type) {
  return type == kVchMaterialReceipt || type == kVchMaterialIssue;
}

// The sale and purchase type names vouchers are filed under.
inline constexpr const char* kLocalMultiRate = "Local-MultiRate Consolidated";
inline constexpr const char* kCentralMultiRate = "Central-MultiRate Consolidated";
inline constexpr const char* kLocalTaxIncl = "Local-TaxIncl.";
inline constexpr const char* kCentralTaxIncl = "Central-TaxIncl.";
inline constexpr const char* kVatMultiRate = "VAT/MultiRate (R)";

// "5th March 2024" for a date text; empty text when the text is not a date.
std::string FormatLongDate(std::string_view date_text);

}  // namespace vodare
