#include "app/export_check.h"

#include <algorithm>
#include <map>

#include "app/export_tables.h"
#include "common/text.h"
#include "masters/stage_support.h"
#include "source/source_db.h"

namespace vodare {

namespace {

// The fields the stages read from each table (queried by name: a table without one cannot be
// converted as the stages convert it).
const std::map<std::string, std::vector<std::string>>& StageFields() {
  static const std::map<std::string, std::vector<std::string>> kFields = {
      {"ACGROUP", {"ORDNO", "PARNAM", "GROUP"}},
      {"order", {"ORDNO",  "PARNAM", "SCODE",   "OPNING",  "DATE",   "RATE",   "MR",    "DLNO",
                 "CITY",   "PARADD", "PARADD1", "PARADD2", "DSM",    "CSTNO",  "GSTNO", "ITNO",
                 "CONFIR", "PHONE1", "PHONE3",  "FAX1",    "PHONE4", "DUEDAYS"}},
      {"SaleType", {"SGCODE", "SCODE", "SNAME", "PARNAM"}},
      {"support", {"LCODE", "PCODE", "REMARK"}},
      {"pro",
       {"CODE", "BILLNAME", "NAME", "RACKNO", "UNIT", "UNIT2", "PACK", "OPENING", "PRATE", "RATEA",
        "MRP", "PURDIS", "IGST", "GCODE", "GCODE3", "GCODE5", "GCODE6", "RACKNO2", "PACKING"}},
      {"probat",
       {"CODE", "BILLNAME", "BATCHNO", "MFD", "EXP", "OPENING", "PRATE", "MRP", "RATEA", "UNIT",
        "PACKING"}},
      {"mdis", {"VOUCHER", "TYPE",  "VCN",     "DATE",   "CHALLAN", "CHDATE",  "CODEP",   "GODWON",
                "PM",      "FINAL", "CASH",    "TAXAMO", "CGSTAMO", "FREIGHT", "PACKING", "ROUND",
                "OTHER",   "OTHUN", "STAXAMO", "STAXUN", "MR",      "DOCU",    "PHONE",   "DOCU2"}},
      {"dis",
       {"VOUCHER", "DATE", "VCN", "CODE", "NERA", "GODWON", "QTY", "PACK", "FREE", "RATE", "MRP",
        "SDISCOUNT", "SVDIS", "SVDIS1", "AMMMOUNT", "BATCH", "MFD", "EXP", "FLG"}},
      {"pend", {"VOUCHER", "TYPE", "VCN", "DDATE", "FINAL"}},
      {"Gledger", {"VOUCHER", "TYPE", "DATE", "CODE", "CODE1", "DEBIT", "CREDIT", "MR"}},
  };
  return kFields;
}

bool NamedIn(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return EqualsNoCase(n, name); });
}

// The findings of the named tables (all of them when names is empty), the opening's first and
// then what the stages need, table by table.
std::vector<ExportFinding> Check(SourceDb& db, const std::vector<std::string>& names) {
  std::vector<ExportFinding> out;
  for (const ExportFinding& f : db.findings())
    if (names.empty() || NamedIn(names, f.table)) out.push_back(f);
  for (const SourceTableInfo& t : db.Tables()) {
    auto wanted = std::find_if(StageFields().begin(), StageFields().end(), [&](const auto& entry) {
      return EqualsNoCase(entry.first, t.name);
    });
    if (wanted == StageFields().end()) continue;
    if (!names.empty() && !NamedIn(names, t.name)) continue;
    std::vector<std::string> have;
    for (const SourceColumnInfo& c : t.columns) have.push_back(c.name);
    for (const std::string& field : wanted->second)
      if (!NamedIn(have, field))
        out.push_back({FindingLevel::kError, t.name, "field " + field,
                       "is missing, and the conversion reads it"});
    if (t.row_count == 0)
      out.push_back({FindingLevel::kWarning, t.name, "",
                     "the table has fields but no records; nothing is converted from it"});
  }
  std::stable_sort(out.begin(), out.end(), [](const ExportFinding& a, const ExportFinding& b) {
    return FoldKey(a.table) < FoldKey(b.table);
  });
  return out;
}

std::string Listing(const std::vector<ExportFinding>& findings, size_t shown) {
  std::string text;
  size_t n = 0;
  for (const ExportFinding& f : findings) {
    if (n++ == shown) break;
    text += FindingText(f) + "\n";
  }
  if (findings.size() > shown)
    text += "... and " + std::to_string(findings.size() - shown) +
            " more; the error list holds them all.\n";
  return text;
}

}  // namespace

std::vector<ExportFinding> CheckExport(SourceDb& db, bool masters, bool vouchers) {
  std::vector<std::string> names;
  if (masters || vouchers) names = kMasterTables;
  if (vouchers) names.insert(names.end(), kVoucherTables.begin(), kVoucherTables.end());
  if (names.empty()) return {};
  return Check(db, names);
}

std::vector<ExportFinding> CheckWholeExport(SourceDb& db) { return Check(db, {}); }

std::string ExportCheckQuestion(const std::vector<ExportFinding>& findings, size_t shown) {
  return "The export check found " + std::to_string(findings.size()) +
         (findings.size() == 1 ? " thing" : " things") +
         " to look at before anything is converted:\n\n" + Listing(findings, shown) +
         "\nConvert the export as it stands?";
}

std::string ExportCheckRefusal(const std::vector<ExportFinding>& findings, size_t shown) {
  std::vector<ExportFinding> errors, rest;
  for (const ExportFinding& f : findings)
    (f.level == FindingLevel::kError ? errors : rest).push_back(f);
  std::string text =
      "The export cannot be converted as it stands, and nothing was converted: a table the "
      "conversion reads is damaged or incomplete.\n\n" +
      Listing(errors, shown);
  if (!rest.empty())
    text += "\nThe check also found " + std::to_string(rest.size()) +
            (rest.size() == 1 ? " warning" : " warnings") + "; the error list holds them.\n";
  text += "\nExport the company again from Vodori, or mend the tables named, and convert again.";
  return text;
}

std::vector<std::string> CountDifferences(SourceDb& db, const RunSummary& summary) {
  static const std::pair<const char*, const char*> kWhole[] = {
      {kTallyItems, "pro"}, {kTallyAccountGroups, "ACGROUP"}, {kTallyLedgers, "order"}};
  std::vector<std::string> out;
  std::vector<SourceTableInfo> tables = db.Tables();
  for (const auto& [stage, table] : kWhole) {
    const StageTally* tally = summary.Find(stage);
    if (!tally) continue;
    auto t = std::find_if(tables.begin(), tables.end(),
                          [&](const SourceTableInfo& i) { return EqualsNoCase(i.name, table); });
    if (t == tables.end() || t->row_count == tally->read) continue;
    out.push_back(std::string(stage) + ": the stage read " + std::to_string(tally->read) +
                  " records, but table " + t->name + " holds " + std::to_string(t->row_count) +
                  " live records");
  }
  return out;
}

void AddFindings(ErrorList& errors, const std::vector<ExportFinding>& findings) {
  for (const ExportFinding& f : findings) errors.Add(kExportCheckStage, f.table, FindingText(f));
}

}  // namespace vodare
