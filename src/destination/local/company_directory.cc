#include "destination/local/company_directory.h"

#include <sqlite3.h>

#include "destination/local/installation.h"

namespace vodare::local {

CompanySummary ReadCompanySummary(const std::filesystem::path& file) {
  CompanySummary summary;
  summary.code = file.parent_path().filename().string();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return summary;
  }
  sqlite3_busy_timeout(db, 5000);
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT key, value FROM company", -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::string key = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      const unsigned char* v = sqlite3_column_text(st, 1);
      std::string value = v ? reinterpret_cast<const char*>(v) : "";
      if (key == "name")
        summary.name = value;
      else if (key == "state")
        summary.state = value;
      else if (key == "tax_type")
        summary.tax_type = value;
    }
  }
  sqlite3_finalize(st);
  st = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT year FROM fin_year ORDER BY year", -1, &st, nullptr) ==
      SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) summary.years.push_back(sqlite3_column_int(st, 0));
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return summary;
}

std::vector<CompanySummary> ListCompanies(const std::string& data_folder) {
  std::vector<CompanySummary> list;
  for (const std::string& code : ListCompanyCodes(data_folder)) {
    if (auto file = FindCompanyFile(data_folder, code)) list.push_back(ReadCompanySummary(*file));
  }
  return list;
}

}  // namespace vodare::local
