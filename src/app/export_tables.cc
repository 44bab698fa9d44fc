#include "app/export_tables.h"

#include <algorithm>
#include <filesystem>

#include "app/machine_paths.h"
#include "common/text.h"
#include "source/source_db.h"

namespace vodare {

const std::vector<std::string> kMasterTables = {"pro",   "probat",   "ACGROUP",
                                                "order", "SaleType", "support"};
const std::vector<std::string> kVoucherTables = {"mdis", "dis", "pend", "Gledger"};

namespace {
// The wanted tables of the chosen stages that are not among the names.
std::vector<std::string> Missing(const std::vector<std::string>& names, bool masters,
                                 bool vouchers) {
  std::vector<std::string> missing;
  auto check = [&](const std::vector<std::string>& wanted) {
    for (const std::string& name : wanted) {
      if (std::none_of(names.begin(), names.end(),
                       [&](const std::string& n) { return EqualsNoCase(n, name); }))
        missing.push_back(name);
    }
  };
  if (masters) check(kMasterTables);
  if (vouchers) check(kVoucherTables);
  return missing;
}
}  // namespace

std::vector<std::string> MissingExportTables(SourceDb& db, bool masters, bool vouchers) {
  std::vector<std::string> names;
  for (const SourceTableInfo& t : db.Tables()) names.push_back(t.name);
  return Missing(names, masters, vouchers);
}

std::vector<std::string> MissingExportTableFiles(const std::string& folder, bool masters,
                                                 bool vouchers) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path dir(ToLocalPath(folder));
  if (!fs::is_directory(dir, ec)) return {};
  std::vector<std::string> names;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& file = it->path();
    if (EqualsNoCase(file.extension().string(), ".dbf")) names.push_back(file.stem().string());
  }
  if (ec) return {};
  return Missing(names, masters, vouchers);
}

}  // namespace vodare
