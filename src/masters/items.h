#pragma once
// Vodori items become Vuvoda item masters with their units, prices, tax rates, aliases, notes
// and opening stock.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "masters/ledgers.h"

namespace vodare {

struct RunContext;

// The two units of an item: which field is the main unit follows the company's alternate-unit
// switch; both are cut to 10 characters.
struct ItemUnits {
  std::string main;
  std::string alt;
  bool alt_present = false;  // alt is not blank and, trimmed, not "NA"
};
ItemUnits ItemUnitsFor(std::string_view unit, std::string_view unit2, bool alternate_unit_on);

// The opening quantities of an item before its batches are read.
struct ItemOpening {
  std::string alt_opening;   // <OPStockInAltUnit>
  std::string main_opening;  // <OPStockInMainUnit>
  std::string factor;        // <ConversionFactor>
  std::string amount;        // <OPAmount>
};
// From the opening quantity (counted in alternate units), the purchase rate and the pack size.
ItemOpening ComputeItemOpening(std::string_view opening, std::string_view purchase_rate,
                               std::string_view pack, const ItemUnits& units);

// Every value of one <Item> record, unescaped; the builder escapes them.
struct ItemRecordValues {
  std::string name;        // the unique saved name
  std::string print_name;  // the name cut to 40, without a suffix
  std::string full_name;   // the name after the bracket clean-up, not cut
  std::string group;       // item group, or empty
  ItemUnits units;
  ItemOpening opening;
  std::string stock_block;  // the <OPStockDetails> block, or empty when dropped
  bool has_batches = false;
  bool mfg_dates = false;
  bool expiry_dates = false;
  std::string hsn;
  double gst_rate = 0;
  std::string mrp, purchase_price, purchase_discount, sale_price;
  std::string rack_no;     // first alias
  std::string alias_name;  // second alias
  std::string packing;
  std::string salt, category, third_field;
};

std::string BuildItemRecord(const ItemRecordValues& v);

// A GST rate field: blank is 0 (an item without a rate), a text that is not a number raises
// "Type mismatch".
double ItemGstRate(const Value& igst);

// One item of the code list: the code as stored (trimmed: the key of ItemNameCache) and the
// text pasted into the row's SQL.
using ItemCode = LedgerCode;

// Lists the item codes in code order. Returns how many were collected.
int64_t CollectItemCodes(RunContext& ctx, std::vector<ItemCode>& codes,
                         CodeListTally* tally = nullptr);

// The item stage.
void ImportItems(RunContext& ctx);

}  // namespace vodare
