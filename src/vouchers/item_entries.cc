#include "vouchers/item_entries.h"

#include <cmath>
#include <optional>

#include "common/helpers.h"
#include "common/run_error.h"
#include "common/text.h"
#include "common/xml.h"
#include "vouchers/voucher_values.h"

namespace vodare {

bool AmountsAgree(double a, double b) { return std::fabs(a - b) <= 1; }

bool IsReturnedLine(const ItemLine& line, int16_t type) {
  if (type == 3 || type == 10) return false;
  std::string_view flg = TrimView(line.flg);
  return EqualsNoCase(flg, "R") || EqualsNoCase(flg, "B");
}

bool ReconcileItemAmounts(const std::vector<ItemLine>& lines, double header_total,
                          double bill_amount, double& discount_total, int16_t type,
                          bool& tax_inclusive, bool& unit_basis, double staxamo) {
  double pack_total = 0, unit_total = 0, discounts = 0;
  for (const ItemLine& line : lines) {
    double u = TextToDouble(line.qty);
    double p = TextToDouble(line.pack);
    double qp = p != 0 ? Divide(u, p) : u;
    double r = Num(line.rate);
    double pack_amount = Finite(r * qp);
    double unit_amount = Finite(r * u);
    double sdiscount = Num(line.sdiscount);
    double svdis = Num(line.svdis);
    double svdis1 = Num(line.svdis1);
    if (IsReturnedLine(line, type)) {
      pack_amount = NegateAmount(pack_amount);
      unit_amount = NegateAmount(unit_amount);
      sdiscount = NegateAmount(sdiscount);
    }
    pack_total += pack_amount;
    unit_total += unit_amount;
    discounts += sdiscount + svdis + svdis1;
  }
  const double P = Finite(pack_total), U = Finite(unit_total), D = Finite(discounts);
  const double A = bill_amount, H = header_total, S = staxamo;
  discount_total = D;

  if (AmountsAgree(P - D, A) || AmountsAgree(P - D + S, A)) {
    tax_inclusive = true;
    return false;
  }
  if (A == 0) return false;
  if (AmountsAgree(P - D + H, A)) {
    tax_inclusive = false;
    return false;
  }

  if (AmountsAgree(U - D, A)) {
    tax_inclusive = true;
  } else if (A == 0) {
  } else if (AmountsAgree(U - D + H, A)) {
    tax_inclusive = false;
  } else {
    return true;
  }
  unit_basis = true;
  return false;
}

LineQuantities WorkOutLineQuantities(const ItemLine& line, int16_t type,
                                     const ItemEntriesOutcome& basis) {
  LineQuantities lq;
  double q = Num(line.qty);
  const double pack = TextToDouble(line.pack);
  lq.free = line.free;
  lq.rate = Num(line.rate);
  if (basis.not_reconciled) {
    // The bill is explained by the lines' amounts alone: the quantity is what the amount buys.
    const double d = Num(line.svdis) + Num(line.sdiscount) + Num(line.svdis1);
    const double a = Num(line.amount);
    if (lq.rate == 0) return lq;
    q = Divide(a + d, lq.rate);
  } else if (!basis.unit_basis && pack != 0) {
    q = Divide(q, pack);
    if (Num(lq.free) != 0) lq.free = DoubleToText(Divide(Num(lq.free), pack));
  }
  lq.written = true;
  lq.priced = q;
  lq.alt_qty = Num(line.qty);
  lq.has_free = Num(lq.free) != 0;
  if (lq.has_free) {
    q = Finite(q + Num(lq.free));
    lq.alt_qty = 0;
  }
  lq.returned = IsReturnedLine(line, type);
  if (lq.returned) {
    q = std::fabs(q);
    lq.alt_qty = std::fabs(lq.alt_qty);
  }
  lq.qty = q;
  return lq;
}

namespace {

void AddNumber(RecordElement parent, const char* name, double value) {
  AddXmlNumber(parent, name, Finite(value));
}

// The line's own date is written only when it is a date after the base date (or a text that is
// no date at all); a blank one is left out.
void AddLineDate(RecordElement item, const std::string& date_text) {
  const std::string text = FormatDmy(date_text);
  if (IsBlank(text)) return;
  std::optional<Date> date = TryParseDateText(text);
  if (date && *date <= BaseDate()) return;
  AddXmlElement(item, "Date", Value(text), 6);
}

void AddBatch(RecordElement item, const ItemLine& line, double q, double alt_qty,
              VoucherLookups& lookups) {
  RecordElement batch = item.append_child("BatchEntries").append_child("BatchDetails");
  AddXmlElement(batch, "Date", Value(FormatDmy(line.date)), 6);
  AddXmlElement(batch, "SrNo", Value(1), 2);
  AddXmlElement(batch, "BatchNo", Value(line.batch), 1);
  AddXmlElement(batch, "MfgDate", Value(FormatDmy(line.mfd)), 6);
  AddXmlElement(batch, "ExpiryDate", Value(FormatDmy(line.exp)), 6);
  AddNumber(batch, "Qty", q);
  AddNumber(batch, "QtyAltUnit", alt_qty);
  AddNumber(batch, "ItemMRP", TextToDouble(line.mrp));
  AddNumber(batch, "SalesPrice", TextToDouble(lookups.BatchSalePrice(line.batch)));
}

}  // namespace

void AddItemEntries(RecordElement root, int16_t type, const std::vector<ItemLine>& lines,
                    double header_total, double bill_amount, double staxamo, bool breakage,
                    VoucherLookups& lookups, ItemEntriesOutcome& outcome) {
  // The lines are counted before anything else: a voucher without any cannot be sent.
  if (lines.empty()) throw RunTimeError(kNoCurrentRecord, 3021);
  if (lines.size() > kMaxItemLines) {
    outcome.too_many_items = true;
    return;
  }

  RecordElement entries = root.append_child("ItemEntries");
  outcome.not_reconciled =
      ReconcileItemAmounts(lines, header_total, bill_amount, outcome.discount_total, type,
                           outcome.tax_inclusive, outcome.unit_basis, staxamo);

  int line_no = 0;
  std::string last_name;
  for (const ItemLine& line : lines) {
    std::string item_name = lookups.ItemName(line.code);
    if (IsBlank(item_name)) item_name = line.nera;
    if (IsBlank(item_name)) {
      item_name = last_name;
    } else {
      last_name = item_name;
    }
    item_name = Left(item_name, 40);

    std::string centre = lookups.MaterialCentreName(line.godown);
    if (IsBlank(centre)) centre = "MAIN STORE";
    if (breakage) centre = "Scrap Store";

    const LineQuantities lq = WorkOutLineQuantities(line, type, outcome);
    std::string description = lookups.ItemPackingText(TextToLong(line.code));
    if (!lq.written) continue;  // a line that explains nothing of the bill is left out
    std::string unit_name;
    if (!outcome.not_reconciled && outcome.unit_basis)
      unit_name = Left(lookups.BatchUnit(line.code), 10);

    const double rate = lq.rate;
    const double q = lq.qty, alt_qty = lq.alt_qty;
    const std::string& free = lq.free;
    const bool has_free = lq.has_free, returned = lq.returned;
    double amount = Finite(lq.priced * rate);
    if (has_free) outcome.free_qty_used = true;
    if (returned) {
      amount = NegateAmount(amount);
      outcome.return_lines = true;
    }
    const double net_amount = amount;

    ++line_no;
    RecordElement item = entries.append_child("ItemDetail");
    AddLineDate(item, line.date);
    AddXmlElement(item, "VchType", Value(static_cast<int>(type)), 2);
    AddXmlElement(item, "VchNo", Value(line.vcn), 1);
    AddXmlElement(item, "SrNo", Value(line_no), 2);
    AddXmlElement(item, "ItemName", Value(item_name), 1);
    AddNumber(item, "ConFactor", 1);
    AddNumber(item, "Qty", q);
    AddNumber(item, "QtyMainUnit", q);
    AddNumber(item, "QtyAltUnit", alt_qty);
    AddXmlElement(item, "tmpMainUnitName", Value(unit_name), 1);
    AddNumber(item, "Price", rate);
    AddNumber(item, "PriceAltUnit", rate);
    AddNumber(item, "ListPrice", rate);
    AddNumber(item, "Amt", amount);
    AddNumber(item, "NettAmount", net_amount);
    AddXmlElement(item, "MC", Value(centre), 1);
    if (returned) AddXmlElement(item, "IsReturnQty", Value(true), 7);

    if (!StartsWithTwoBlanks(line.batch_raw) && !IsBlank(line.batch) && q != 0)
      AddBatch(item, line, q, alt_qty, lookups);

    RecordElement desc = item.append_child("ItemDescInfo");
    if (Len(description) > 40) {
      AddXmlElement(desc, "Description1", Value(Left(description, 40)), 1);
      AddXmlElement(desc, "Description2", Value(Mid(description, 41)), 1);
    } else {
      AddXmlElement(desc, "Description1", Value(description), 1);
    }
    if (has_free) {
      AddXmlElement(desc, "tmpSrNo", Value("1"), 2);
      AddXmlElement(desc, "FreeQty", Value(free), 5);
      AddXmlElement(desc, "FreeQtyMainUnit", Value(free), 5);
    }
  }
}

}  // namespace vodare
