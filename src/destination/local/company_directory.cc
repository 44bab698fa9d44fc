#include "destination/local/company_directory.h"

#include <sqlite3.h>

#include "common/run_error.h"
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
      else if (key == "guid")
        summary.guid = value;
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

void CopyCompanyBooks(const std::filesystem::path& books, const std::filesystem::path& target) {
  sqlite3* from = nullptr;
  sqlite3* to = nullptr;
  std::string failure;
  if (sqlite3_open_v2(books.string().c_str(), &from, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    failure = sqlite3_errmsg(from);
  } else if (sqlite3_open_v2(target.string().c_str(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    failure = sqlite3_errmsg(to);
  } else {
    sqlite3_busy_timeout(from, 5000);
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) {
      failure = sqlite3_errmsg(to);
    } else {
      int rc = SQLITE_OK;
      // All pages in one step; a writer elsewhere that holds a lock makes the step wait a little.
      for (int tries = 0; tries < 100; ++tries) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) break;
        sqlite3_sleep(50);
      }
      sqlite3_backup_finish(backup);
      if (rc != SQLITE_DONE) failure = sqlite3_errstr(rc);
    }
  }
  sqlite3_close(from);
  sqlite3_close(to);
  if (!failure.empty()) throw RunTimeError("The company's books could not be copied: " + failure);
}

}  // namespace vodare::local
