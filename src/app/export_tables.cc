#include "app/export_tables.h"

#include <algorithm>

#include "common/text.h"
#include "source/source_db.h"

namespace vodare {

const std::vector<std::string> kMasterTables = {"pro",      "probat",  "ACGROUP",
                                                "order",    "SaleType", "support"};
const std::vector<std::string> kVoucherTables = {"mdis", "dis", "pend", "Gledger"};

std::vector<std::string> MissingExportTables(SourceDb& db, bool masters, bool vouchers) {
  const std::vector<SourceTableInfo> tables = db.Tables();
  std::vector<std::string> missing;
  auto check = [&](const std::vector<std::string>& wanted) {
    for (const std::string& name : wanted) {
      if (std::none_of(tables.begin(), tables.end(),
                       [&](const SourceTableInfo& t) { return EqualsNoCase(t.name, name); }))
        missing.push_back(name);
    }
  };
  if (masters) check(kMasterTables);
  if (vouchers) check(kVoucherTables);
  return missing;
}

}  // namespace vodare
