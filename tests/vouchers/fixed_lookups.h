#pragma once
// Lookups from small tables, the plain header and line the builder tests start from, and the
// helpers they read records with.

#include <map>
#include <pugixml.hpp>
#include <string>

#include "vouchers/item_entries.h"
#include "vouchers/voucher_header.h"
#include "vouchers/voucher_lookups.h"

namespace vodare::testing {

class FixedLookups : public VoucherLookups {
 public:
  std::map<std::string, std::string> items, centres, accounts, units, sale_prices;
  std::map<int32_t, std::string> packing;

  std::string ItemName(const std::string& c) override { return Get(items, c); }
  std::string MaterialCentreName(const std::string& c) override { return Get(centres, c); }
  std::string AccountName(const std::string& c) override { return Get(accounts, c); }
  std::string ItemPackingText(int32_t c) override { return Get(packing, c); }
  std::string BatchUnit(const std::string& c) override { return Get(units, c); }
  std::string BatchSalePrice(const std::string& b) override { return Get(sale_prices, b); }

 private:
  template <typename Key>
  static std::string Get(const std::map<Key, std::string>& m, const Key& key) {
    auto it = m.find(key);
    return it == m.end() ? "" : it->second;
  }
};

// A header of a bill and its cash, with no charges (freight and packing blank).
inline InventoryVoucherHeader Header(std::string final_amount, std::string cash) {
  InventoryVoucherHeader h;
  h.final_amount = std::move(final_amount);
  h.cash = std::move(cash);
  h.round = h.other = h.staxamo = h.taxamo = h.cgstamo = "0";
  return h;
}

// A line of item 101 in voucher S1, without free goods or discounts.
inline ItemLine Line(std::string qty, std::string pack, std::string rate,
                     std::string amount = "0") {
  ItemLine l;
  l.date = "05-03-2024";
  l.vcn = "S1";
  l.code = "101";
  l.qty = std::move(qty);
  l.pack = std::move(pack);
  l.rate = std::move(rate);
  l.amount = std::move(amount);
  l.free = l.mrp = l.sdiscount = l.svdis = l.svdis1 = "0";
  return l;
}

// The text of the child at a path such as "ItemDetail/Qty" below node; "<none>" when absent.
inline std::string At(pugi::xml_node node, const char* path) {
  pugi::xpath_node found = node.select_node(path);
  return found ? found.node().text().get() : "<none>";
}

// The signed sum of a voucher's accounting entries as the store balances them: a minus sign
// counts as written; an unsigned amount is a debit (negative) for side 1, a credit for side 2.
inline double SignedSum(pugi::xml_node root) {
  double sum = 0;
  for (pugi::xpath_node d : root.select_nodes("AccEntries/AccDetail")) {
    const std::string text = d.node().child_value("AmtMainCur");
    if (text.empty()) continue;
    const double v = std::stod(text);
    sum += text[0] == '-' || std::string(d.node().child_value("AmountType")) != "1" ? v : -v;
  }
  return sum;
}

}  // namespace vodare::testing
