// Master records, the groups' save order and opening stock from plain values (master_records.txt).
#include <gtest/gtest.h>

#include <sstream>

#include "common/run_error.h"
#include "common/text.h"
#include "masters/account_groups.h"
#include "masters/items.h"
#include "masters/ledgers.h"
#include "masters/material_centres.h"
#include "masters/opening_stock.h"
#include "masters/record_text.h"
#include "support/golden.h"

namespace vodare {
namespace {

// A field as the kept copy writes it: "text" in quotes, a date, a number or Null.
Value Field(const std::string& in) {
  if (in == "Null") return Value();
  if (in.size() > 1 && in.front() == '"') return Value(in.substr(1, in.size() - 2));
  if (in.size() == 10 && in[4] == '-')
    return Value(Date::FromYmd(std::stoi(in), std::stoi(in.substr(5)), std::stoi(in.substr(8))));
  return Value(std::stod(in));
}

ItemRecordValues SampleItem() {
  ItemRecordValues v;
  v.name = v.print_name = v.full_name = "Para 500 & Co";
  v.units = ItemUnitsFor("TAB", "STRIP", true);
  v.opening = ComputeItemOpening("25", "4", "10", v.units);
  v.hsn = "3004";
  v.gst_rate = 12;
  v.mrp = "20";
  v.purchase_price = "4";
  v.purchase_discount = "0";
  v.sale_price = "15";
  return v;
}

std::string Answer(const std::string& function, const std::string& in) {
  const std::vector<std::string> parts = testing::InputParts(in, 2);
  const std::string &first = parts[0], &second = parts[1];
  if (function == "LedgerOpeningText") return LedgerOpeningText(Field(in));
  if (function == "LedgerTaxType") return LedgerTaxType(first, second);
  if (function == "ItemGstRate") return DoubleToText(ItemGstRate(Field(in)));
  if (function == "LeadingNumber") return DoubleToText(LeadingNumber(in));
  if (function == "DateFieldText") return DateFieldText(Field(in));
  if (function == "GetMappedName") return GetMappedName(in);
  if (function == "ResolveMappedGroup with Capital paired") {
    KeyedCollection<std::string> mapping;
    mapping.Add("Capital", "Capital|Capital Account");
    return ResolveMappedGroup(in, mapping);
  }
  if (function == "BlockConversionFactor")
    return DoubleToText(BlockConversionFactor(first, std::stod(second)));
  if (function == "BatchTotalMatches")
    return BatchTotalMatches(first, std::stod(second)) ? "True" : "False";
  if (function == "BuildAccountGroupRecord") return BuildAccountGroupRecord(first, second);
  if (function == "BuildMaterialCentreRecord") return BuildMaterialCentreRecord(in);
  if (function == "Item units and opening") {
    const std::vector<std::string> f = testing::InputParts(in, 6);
    const ItemUnits u = ItemUnitsFor(f[0], f[1], f[2] == "on");
    const ItemOpening o = ComputeItemOpening(f[3], f[4], f[5], u);
    return "main " + u.main + (u.alt_present ? ", alt " + u.alt : "") + ", openings " +
           o.alt_opening + " and " + o.main_opening + ", factor " + o.factor + ", amount " +
           o.amount;
  }
  if (function == "GroupSaveOrder") {  // "name>parent, ..." in table order, "!" marks a paired one
    std::vector<std::string> names, parents;
    std::vector<bool> wanted;
    std::istringstream groups(in);
    for (std::string g; std::getline(groups >> std::ws, g, ',');) {
      wanted.push_back(g[0] != '!');
      names.push_back(g.substr(!wanted.back(), g.find('>') - !wanted.back()));
      parents.push_back(g.find('>') == std::string::npos ? "" : g.substr(g.find('>') + 1));
    }
    std::string order = "order";
    for (size_t i : GroupSaveOrder(names, parents, wanted)) order += " " + std::to_string(i);
    return order;
  }
  if (function == "Opening stock") {  // factor|alt unit|"no,opening,rate[,mfd[,exp]]; ..."
    const std::vector<std::string> f = testing::InputParts(in, 3);
    std::vector<BatchRow> rows;
    std::istringstream batches(f[2]);
    for (std::string batch; std::getline(batches >> std::ws, batch, ';');) {
      std::vector<Value> v;
      std::istringstream cells(batch);
      for (std::string cell; std::getline(cells, cell, ',');) v.push_back(Field(cell));
      v.resize(5);
      rows.push_back({v[0], v[2], v[3], v[4], v[1], Value(20.0), Value(15.0)});
    }
    OpeningStockResult r;
    std::string block;
    try {
      block = BuildOpeningStockBlock(rows, std::stod(f[0]), f[1] == "on", r);
    } catch (const RunTimeError& e) {
      block = std::string("raises ") + e.Description();
    }
    return std::string(r.has_batches ? "batches" : "no batches") + (r.mfg_dates ? ", made" : "") +
           (r.expiry_dates ? ", expiring" : "") + ", " + std::to_string(r.batches) + " of " +
           DoubleToText(r.total_qty) + ": " + block;
  }
  // The elements between the stock block and the notes.
  ItemRecordValues v = SampleItem();
  v.stock_block = "<OPStockDetails></OPStockDetails>";
  v.has_batches = in[0] == '1';
  v.expiry_dates = in[2] == '1';
  v.mfg_dates = in[4] == '1';
  const std::string r = BuildItemRecord(v);
  const size_t from = r.find(v.stock_block) + v.stock_block.size();
  return r.substr(from, r.find("<MasterNotes>") - from);
}

TEST(MasterRecords, EachInputGivesTheKeptAnswer) {
  testing::ExpectKeptAnswers("master_records.txt", Answer);
  // Forty characters of packing stay on one line, counted as characters, not bytes.
  ItemRecordValues v = SampleItem();
  v.packing = std::string(38, 'x') + "é€";
  EXPECT_NE(BuildItemRecord(v).find("<Address1>" + v.packing + "</Address1><OF>"),
            std::string::npos);
}

}  // namespace
}  // namespace vodare
