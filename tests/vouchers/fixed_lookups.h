#pragma once
// Lookups answered from small tables, for the builders that name things by code; and the
// helpers the builder tests read records with.

#include <cmath>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "common/xml.h"
#include "vouchers/voucher_lookups.h"

namespace vodare::testing {

class FixedLookups : public VoucherLookups {
 public:
  std::map<std::string, std::string> items, centres, accounts, units, sale_prices;
  std::map<int32_t, std::string> packing;
  std::vector<std::string> asked;  // every lookup, "kind:key"

  std::string ItemName(const std::string& c) override { return Get(items, "item", c); }
  std::string MaterialCentreName(const std::string& c) override {
    return Get(centres, "centre", c);
  }
  std::string AccountName(const std::string& c) override { return Get(accounts, "account", c); }
  std::string ItemPackingText(int32_t c) override {
    asked.push_back("packing:" + std::to_string(c));
    auto it = packing.find(c);
    return it == packing.end() ? "" : it->second;
  }
  std::string BatchUnit(const std::string& c) override { return Get(units, "unit", c); }
  std::string BatchSalePrice(const std::string& b) override { return Get(sale_prices, "price", b); }

 private:
  std::string Get(const std::map<std::string, std::string>& m, const char* kind,
                  const std::string& key) {
    asked.push_back(std::string(kind) + ":" + key);
    auto it = m.find(key);
    return it == m.end() ? "" : it->second;
  }
};

// The text of the child at a path such as "ItemDetail/Qty" below node; "<none>" when absent.
inline std::string At(pugi::xml_node node, const char* path) {
  pugi::xpath_node found = node.select_node(path);
  if (!found) return "<none>";
  return found.node().text().get();
}

inline bool Has(pugi::xml_node node, const char* path) { return bool(node.select_node(path)); }

// The signed sum of a voucher's accounting entries as the store balances them: a minus sign
// counts as written; an unsigned amount is a debit (negative) for side 1, a credit for side 2.
inline double SignedSum(pugi::xml_node root) {
  double sum = 0;
  for (pugi::xpath_node d : root.select_nodes("AccEntries/AccDetail")) {
    pugi::xml_node amt = d.node().child("AmtMainCur");
    if (!amt) continue;
    std::string text = amt.text().get();
    double v = std::stod(text);
    if (!text.empty() && text[0] == '-')
      sum += v;
    else
      sum += std::string(d.node().child("AmountType").text().get()) == "1" ? -v : v;
  }
  return sum;
}

}  // namespace vodare::testing
