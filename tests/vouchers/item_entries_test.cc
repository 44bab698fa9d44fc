// Item lines of an inventory voucher (the line limit is held by the stage's test).
#include "vouchers/item_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

#include "common/text.h"
#include "common/xml.h"
#include "support/golden.h"
#include "vouchers/fixed_lookups.h"

namespace vodare {
namespace {

// A voucher as a kept line writes it: "line=qty pack rate [amount]" starts a line of item 101,
// a line's field ("flg=R") sets it on the last line, the rest set the voucher; a value in
// quotes is taken whole, blanks included.
struct Voucher {
  std::vector<ItemLine> lines;
  double header = 0, bill = 0, staxamo = 0;
  int16_t type = 9;
  bool breakage = false;
  std::string item = "Tea";
};
Voucher Parse(const std::string& settings) {
  static const std::map<std::string, std::string ItemLine::*> fields = {
      {"qty", &ItemLine::qty},
      {"code", &ItemLine::code},
      {"nera", &ItemLine::nera},
      {"godown", &ItemLine::godown},
      {"free", &ItemLine::free},
      {"mrp", &ItemLine::mrp},
      {"sdiscount", &ItemLine::sdiscount},
      {"svdis", &ItemLine::svdis},
      {"batch", &ItemLine::batch},
      {"raw", &ItemLine::batch_raw},
      {"mfd", &ItemLine::mfd},
      {"flg", &ItemLine::flg}};
  Voucher v;
  std::istringstream in(settings);
  for (std::string s; std::getline(in >> std::ws, s, ';');) {
    const std::string key = s.substr(0, s.find('='));
    std::string value = s.substr(std::min(s.size(), key.size() + 1));
    if (value.size() > 1 && value.front() == '\'' && value.back() == '\'')
      value = value.substr(1, value.size() - 2);
    std::string qty, pack, rate, amount = "0";  // an amount not given stays 0
    std::istringstream(value) >> qty >> pack >> rate >> amount;
    if (key == "line") v.lines.push_back(testing::Line(qty, pack, rate, amount));
    if (fields.count(key)) v.lines.back().*fields.at(key) = value;
    const double number = std::atof(value.c_str());
    if (key == "header") v.header = number;
    if (key == "bill") v.bill = number;
    if (key == "staxamo") v.staxamo = number;
    if (key == "type") v.type = static_cast<int16_t>(number);
    if (key == "item") v.item = value;
    v.breakage |= key == "breakage";
  }
  return v;
}

// Each voucher of tests/data/inventory_item_entries.txt: how its amounts reconcile, and the
// item entries it gives, a voucher whose lines cannot make a record raising its error.
std::string Answer(const std::string& function, const std::string& in) {
  const Voucher v = Parse(in);
  if (function == "AmountsAgree") return AmountsAgree(v.header, v.bill) ? "True" : "False";
  double discount = 0;
  bool incl = false, unit = false;
  if (function == "ReconcileItemAmounts") {
    const bool unreconciled =
        ReconcileItemAmounts(v.lines, v.header, v.bill, discount, v.type, incl, unit, v.staxamo);
    return "unreconciled " + std::to_string(unreconciled) + " incl " + std::to_string(incl) +
           " unit " + std::to_string(unit) + " discount " + DoubleToText(discount);
  }
  testing::FixedLookups lookups;
  lookups.items["101"] = v.item;
  lookups.units["101"] = "Kilogrammes";
  lookups.centres["7"] = "Back Room";
  lookups.sale_prices["B-7"] = "12.5";
  lookups.packing[101] = std::string(50, 'x');
  RecordWriter record("Sale");
  ItemEntriesOutcome o;
  AddItemEntries(record.root(), v.type, v.lines, 0, v.bill, 0, v.breakage, lookups, o);
  const std::string xml = record.Finish();
  std::string text = "free " + std::to_string(o.free_qty_used) + " returns " +
                     std::to_string(o.return_lines) + " incl " + std::to_string(o.tax_inclusive) +
                     " unit " + std::to_string(o.unit_basis) + " unreconciled " +
                     std::to_string(o.not_reconciled) + " discount " +
                     DoubleToText(o.discount_total);
  for (size_t at = xml.find("<ItemDetail>"), end; at != std::string::npos;
       at = xml.find("<ItemDetail>", end)) {
    end = xml.find("</ItemDetail>", at) + 13;
    text += " / " + xml.substr(at, end - at);
  }
  return text;
}

TEST(ItemEntries, EachVoucherGivesTheKeptAnswer) {
  testing::ExpectKeptAnswers("inventory_item_entries.txt", Answer);
}

}  // namespace
}  // namespace vodare
