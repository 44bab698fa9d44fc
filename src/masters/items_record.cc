// The record rules of the item stage, apart from its loop.
#include <string>

#include "common/helpers.h"
#include "masters/items.h"
#include "masters/record_text.h"

namespace vodare {

namespace {
constexpr size_t kUnitLength = 10;
}

ItemUnits ItemUnitsFor(std::string_view unit, std::string_view unit2, bool alternate_unit_on) {
  ItemUnits u;
  u.main = Left(alternate_unit_on ? unit2 : unit, kUnitLength);
  u.alt = Left(alternate_unit_on ? unit : unit2, kUnitLength);
  u.alt_present = !IsBlank(u.alt) && TrimView(u.alt) != "NA";
  return u;
}

ItemOpening ComputeItemOpening(std::string_view opening, std::string_view purchase_rate,
                               std::string_view pack, const ItemUnits& units) {
  ItemOpening o;
  o.amount = DoubleToText(LeadingNumber(opening) * LeadingNumber(purchase_rate));
  o.factor = std::string(pack);
  o.main_opening = std::string(opening);
  if (LeadingNumber(o.factor) <= 0) {
    if (units.alt_present) {
      o.alt_opening = std::string(opening);
      o.factor = "1";
    } else {
      o.alt_opening.clear();
      o.factor = "0";
    }
  } else {
    o.alt_opening = DoubleToText(LeadingNumber(opening));
    o.main_opening = DoubleToText(LeadingNumber(o.alt_opening) / LeadingNumber(o.factor));
  }
  if (CompareText(units.main, units.alt) == 0) {
    o.factor = "1";
    o.main_opening = o.alt_opening;
  } else if (IsBlank(units.alt)) {
    o.factor = "0";
  }
  return o;
}

double ItemGstRate(const Value& igst) { return FieldNumber(igst); }

std::string BuildItemRecord(const ItemRecordValues& v) {
  std::string r;
  r.reserve(1024 + v.stock_block.size());
  r += "<Item>";
  AppendElement(r, "Name", v.name);
  AppendElement(r, "PrintName", v.print_name);
  if (!IsBlank(v.group)) AppendElement(r, "ParentGroup", v.group);
  AppendElement(r, "MainUnit", v.units.main);
  if (v.units.alt_present) {
    r += "<AltUnitReq>True</AltUnitReq>";
    AppendElement(r, "AltUnit", v.units.alt);
    if (!IsBlank(v.opening.alt_opening))
      AppendElement(r, "OPStockInAltUnit", v.opening.alt_opening);
    AppendElement(r, "ConversionFactor", Trim(v.opening.factor));
    r += "<ConFactorType></ConFactorType>";
  }
  if (!IsBlank(v.opening.main_opening)) {
    AppendElement(r, "OPStockInMainUnit", v.opening.main_opening);
    AppendElement(r, "OPAmount", v.opening.amount);
  }
  r += v.stock_block;  // escaped where it was built
  if (v.has_batches) {
    r += "<BatchByBatchDetails>True</BatchByBatchDetails>";
    if (v.expiry_dates && !v.mfg_dates) {
      r += "<BatchSpecifyDate>1</BatchSpecifyDate>";
    } else if (!v.expiry_dates && v.mfg_dates) {
      r += "<BatchSpecifyDate>2</BatchSpecifyDate>";
    } else if (!v.expiry_dates && !v.mfg_dates) {
      r += "<BatchSpecifyDate>3</BatchSpecifyDate>";
    }
  }
  AppendElement(r, "MasterNotes", v.full_name);
  AppendElement(r, "HSNCode", v.hsn);
  std::string g = DoubleToText(v.gst_rate);
  if (Trim(g) != "0") {
    r += "<TaxCategory>GST " + EscapeRecordValue(g) + "%</TaxCategory>";
    AppendElement(r, "TaxRateLocal", DoubleToText(v.gst_rate / 2));
    AppendElement(r, "TaxRateLocal1", DoubleToText(v.gst_rate / 2));
    AppendElement(r, "TaxRateCentral", g);
  }
  AppendElement(r, "MRP", v.mrp);
  AppendElement(r, "PurchasePrice", v.purchase_price);
  AppendElement(r, "PurcDiscount", v.purchase_discount);
  AppendElement(r, "SalePrice", v.sale_price);
  AppendElement(r, "MasterNotes", v.full_name);
  bool rack = !IsBlank(v.rack_no);
  bool alias = !IsBlank(v.alias_name);
  if (rack) {
    AppendElement(r, "Alias", v.rack_no);
  } else if (alias) {
    AppendElement(r, "Alias", v.alias_name);
  }
  if (rack && alias) {
    r += "<MultipleItemAliases><MultipleAlias>";
    AppendElement(r, "Alias", v.alias_name);
    r += "</MultipleAlias></MultipleItemAliases>";
  }
  r += "<Address>";
  if (Len(v.packing) <= kMasterNameLength) {
    AppendElement(r, "Address1", v.packing);
  } else {
    AppendElement(r, "Address1", Left(v.packing, kMasterNameLength));
    AppendElement(r, "Address2", Mid(v.packing, kMasterNameLength + 1));
  }
  r += "<OF>";
  AppendElement(r, "OF0", v.salt);
  AppendElement(r, "OF1", v.category);
  AppendElement(r, "OF2", v.third_field);
  r += "</OF></Address></Item>";
  return r;
}

}  // namespace vodare
