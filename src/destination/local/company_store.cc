#include "destination/local/company_store.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <random>
#include <regex>

#include "common/run_error.h"
#include "common/text.h"
#include "destination/local/installation.h"
#include "destination/local/journal_text.h"
#include "destination/local/master_kinds.h"

namespace vodare::local {

namespace fs = std::filesystem;

void BuildStandardChart(CompanyStore& store);

namespace {

// Voucher types the store knows: the number, its root element and its display name.
struct VoucherTypeEntry {
  int type;
  const char* element;
  const char* display;
};
constexpr VoucherTypeEntry kVoucherTypes[] = {
    {2, "Purchase", "Purchase"},
    {3, "SaleReturn", "Sale Return"},
    {4, "MaterialReceipt", "Material Receipt"},
    {5, "StockTransfer", "Stock Transfer"},
    {6, "Production", "Production"},
    {7, "Unassemble", "Unassemble"},
    {8, "StockJournal", "Stock Journal"},
    {9, "Sale", "Sale"},
    {10, "PurchaseReturn", "Purchase Return"},
    {11, "MaterialIssue", "Material Issue"},
    {12, "SaleOrder", "Sale Order"},
    {13, "PurchaseOrder", "Purchase Order"},
    {14, "Receipt", "Receipt"},
    {15, "Contra", "Contra"},
    {16, "Journal", "Journal"},
    {17, "DrNote", "Debit Note"},
    {18, "CrNote", "Credit Note"},
    {19, "Payment", "Payment"},
    {61, "PhysicalStock", "Physical Stock"},
};

const VoucherTypeEntry* FindVoucherType(int type) {
  for (const auto& e : kVoucherTypes) {
    if (e.type == type) return &e;
  }
  return nullptr;
}

// The layout of the company file; a file of another layout is refused at opening rather than
// failing on its first record.
constexpr const char* kStoreLayout = "3";

constexpr int kConfigB = 140;
constexpr int kConfigC = 10;
constexpr int kConfigI = 32;

std::string ConfigDdl() {
  std::string ddl =
      "CREATE TABLE config(id INTEGER PRIMARY KEY, RECTYPE INTEGER NOT NULL, "
      "TYPE INTEGER NOT NULL DEFAULT 0, L1 INTEGER NOT NULL DEFAULT 0, L13 INTEGER NOT NULL "
      "DEFAULT 0, NoOfFld INTEGER NOT NULL DEFAULT 0";
  for (int i = 1; i <= kConfigB; ++i)
    ddl += ", B" + std::to_string(i) + " INTEGER NOT NULL DEFAULT 0";
  for (int i = 1; i <= kConfigC; ++i)
    ddl += ", C" + std::to_string(i) + " TEXT NOT NULL DEFAULT ''";
  for (int i = 1; i <= kConfigI; ++i)
    ddl += ", I" + std::to_string(i) + " INTEGER NOT NULL DEFAULT 0";
  ddl +=
      ");CREATE INDEX config_key ON config(RECTYPE, TYPE, L1);CREATE INDEX config_l1 ON "
      "config(L1);";
  return ddl;
}

constexpr const char* kSchema = R"SQL(
CREATE TABLE company(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE fin_year(year INTEGER PRIMARY KEY);
CREATE TABLE journal(seq INTEGER PRIMARY KEY, at TEXT NOT NULL, operation TEXT NOT NULL,
  kind INTEGER, text NOT NULL, accepted INTEGER NOT NULL, message TEXT NOT NULL);
CREATE TABLE master(code INTEGER PRIMARY KEY, kind INTEGER NOT NULL, name TEXT NOT NULL,
  folded TEXT NOT NULL, print_name TEXT, parent_code INTEGER NOT NULL DEFAULT 0,
  is_primary INTEGER NOT NULL DEFAULT 0, op_bal REAL NOT NULL DEFAULT 0, main_unit INTEGER,
  alt_unit INTEGER, conversion TEXT, journal_seq INTEGER, UNIQUE(kind, folded));
CREATE TABLE item_opening(item_code INTEGER NOT NULL, mc_code INTEGER NOT NULL, qty REAL NOT NULL,
  qty_alt REAL, amount REAL NOT NULL);
CREATE TABLE item_opening_batch(item_code INTEGER NOT NULL, mc_code INTEGER NOT NULL, sr_no INTEGER,
  batch_no TEXT, mfg_date TEXT, expiry_date TEXT, qty REAL, qty_alt REAL, amount REAL, mrp TEXT,
  sale_price TEXT);
CREATE TABLE series(code INTEGER PRIMARY KEY, vch_type INTEGER NOT NULL, name TEXT NOT NULL,
  folded TEXT NOT NULL, UNIQUE(vch_type, folded));
CREATE TABLE voucher(id INTEGER PRIMARY KEY, vch_type INTEGER NOT NULL, series_code INTEGER NOT NULL,
  vch_no TEXT NOT NULL, date INTEGER NOT NULL, party_code INTEGER, mc_code INTEGER, stpt_code INTEGER,
  broker TEXT, billing_name TEXT, billing_mobile TEXT, billing_address TEXT, purchase_bill_no TEXT,
  purchase_bill_date TEXT, cash_amount REAL, carry_settlement INTEGER NOT NULL DEFAULT 0,
  cash_account_code INTEGER, free_qty_used INTEGER NOT NULL DEFAULT 0, journal_seq INTEGER,
  UNIQUE(vch_type, series_code, vch_no, date));
CREATE TABLE voucher_item(voucher_id INTEGER NOT NULL, line_no INTEGER NOT NULL, sr_no INTEGER,
  line_date TEXT, item_code INTEGER NOT NULL, mc_code INTEGER, qty REAL NOT NULL, qty_alt REAL,
  free_qty REAL, unit TEXT, price REAL, amount REAL, net_amount REAL,
  is_return INTEGER NOT NULL DEFAULT 0, description1 TEXT, description2 TEXT);
CREATE TABLE voucher_batch(voucher_id INTEGER NOT NULL, line_no INTEGER NOT NULL, batch_no TEXT,
  mfg_date TEXT, expiry_date TEXT, qty REAL, qty_alt REAL, mrp TEXT, sale_price TEXT);
CREATE TABLE voucher_sundry(voucher_id INTEGER NOT NULL, sr_no INTEGER, sundry_code INTEGER NOT NULL,
  percent REAL, amount REAL NOT NULL);
CREATE TABLE voucher_entry(voucher_id INTEGER NOT NULL, sr_no INTEGER, ledger_code INTEGER NOT NULL,
  amount_type INTEGER, amount REAL NOT NULL, broker_assigned INTEGER NOT NULL DEFAULT 0,
  broker TEXT, cash_flow REAL,
  settlement INTEGER NOT NULL DEFAULT 0, entry_date TEXT);
CREATE TABLE voucher_bill_ref(voucher_id INTEGER NOT NULL, party_code INTEGER, bill_value TEXT,
  method INTEGER, sr_no INTEGER, ref_no TEXT, ref_date TEXT, due_date TEXT, amount REAL);
)SQL";

std::string NewGuid() {
  std::random_device rd;
  std::mt19937_64 gen((static_cast<uint64_t>(rd()) << 32) ^ rd());
  uint64_t a = gen(), b = gen();
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(a >> 32),
                static_cast<unsigned>((a >> 16) & 0xFFFF),
                static_cast<unsigned>((a & 0x0FFF) | 0x4000),
                static_cast<unsigned>(((b >> 48) & 0x3FFF) | 0x8000),
                static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  return std::string("{") + buf + "}";
}

bool IsColumnName(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  return true;
}

void CheckColumn(std::string_view column) {
  if (!IsColumnName(column)) throw RunTimeError("Invalid CONFIG column " + std::string(column));
}

// Only reads and updates of CONFIG may pass the statement door.
int ConfigOnlyAuthorizer(void*, int action, const char* a1, const char*, const char*, const char*) {
  auto is_config = [](const char* table) { return table && EqualsNoCase(table, "config"); };
  switch (action) {
    case SQLITE_UPDATE:
    case SQLITE_READ:
      return is_config(a1) ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
      return SQLITE_OK;
    default:
      return SQLITE_DENY;
  }
}

}  // namespace

std::string KindName(int kind) {
  const MasterKindEntry* e = FindMasterKind(kind);
  return e ? e->display : "Master type " + std::to_string(kind);
}

std::string VoucherElementName(int type) {
  const VoucherTypeEntry* e = FindVoucherType(type);
  return e ? e->element : "";
}

std::string VoucherTypeDisplayName(int type) {
  const VoucherTypeEntry* e = FindVoucherType(type);
  return e ? e->display : "";
}

// ---------------------------------------------------------------------------------------------
// Creation and opening

std::string CompanyStore::Create(const std::string& data_folder, const NewCompany& company) {
  std::string name = Trim(company.name);
  if (name.empty()) throw RunTimeError("The company name is blank");
  if (company.years.empty()) throw RunTimeError("A company needs at least one financial year");
  for (int y : company.years) {
    if (y < 1900 || y > 9998)
      throw RunTimeError("Financial year " + std::to_string(y) + " is not a year");
  }
  fs::path data = FolderPath(data_folder);
  std::error_code ec;
  fs::create_directories(data, ec);
  if (ec)
    throw RunTimeError("Cannot create the data folder " + data.string() + ": " + ec.message());

  int next = 1;
  for (const std::string& code : ListCompanyCodes(data.string())) {
    next = std::max(next, std::atoi(code.c_str() + 4) + 1);
  }
  std::string code;
  fs::path folder;
  for (;; ++next) {
    code = CompanyCodeOf(next);
    if (FindEntryNoCase(data, code)) continue;
    folder = data / code;
    if (fs::create_directory(folder, ec)) break;
    if (ec)
      throw RunTimeError("Cannot create the company folder " + folder.string() + ": " +
                         ec.message());
  }

  fs::path file = folder / kCompanyFileName;
  try {
    {
      Database db(file.string(), true);
      Transaction tx(db);
      db.Exec(kSchema);
      db.Exec(ConfigDdl());
      auto put = [&](const char* key, const std::string& value) {
        db.Cached("INSERT INTO company(key, value) VALUES(?, ?)").Bind(1, key).Bind(2, value).Run();
      };
      put("name", name);
      put("state", Trim(company.state));
      put("country", Trim(company.country));
      put("tax_type", company.vat ? "VAT" : "GST");
      put("guid", NewGuid());
      put("layout", kStoreLayout);
      std::vector<int> years = company.years;
      std::sort(years.begin(), years.end());
      years.erase(std::unique(years.begin(), years.end()), years.end());
      for (int y : years) db.Cached("INSERT INTO fin_year(year) VALUES(?)").Bind(1, y).Run();
      // Company-level switch rows and the master field rows the configuration step addresses.
      const int rows[][2] = {{5, 0}, {63, 0}, {111, 0}, {79, 6}, {79, 2}, {2, 1},  {2, 2}, {2, 5},
                             {2, 6}, {2, 8},  {2, 9},   {2, 11}, {2, 13}, {2, 14}, {2, 19}};
      for (const auto& r : rows) {
        db.Cached("INSERT INTO config(RECTYPE, TYPE) VALUES(?, ?)")
            .Bind(1, r[0])
            .Bind(2, r[1])
            .Run();
      }
      tx.Commit();
    }
    CompanyStore store(file);
    store.journal_enabled_ = false;
    for (const auto& t : kVoucherTypes) store.SeriesCode("Main", static_cast<int16_t>(t.type));
    BuildStandardChart(store);
  } catch (...) {
    fs::remove_all(folder, ec);
    throw;
  }
  return code;
}

CompanyStore::CompanyStore(const fs::path& file) : file_(file), db_(file.string(), false) {
  code_ = file.parent_path().filename().string();
  std::string layout;
  try {
    auto& st = db_.Cached("SELECT value FROM company WHERE key = 'layout'");
    if (st.Step()) layout = st.Text(0);
    st.Reset();
  } catch (const RunTimeError&) {
  }
  if (layout != kStoreLayout) {
    throw RunTimeError("The company file " + file.string() +
                       " is not in the layout of this store; create the company again");
  }
  LoadCaches();
}

void CompanyStore::LoadCaches() {
  auto& meta = db_.Cached("SELECT key, value FROM company");
  while (meta.Step()) {
    std::string key = meta.Text(0), value = meta.Text(1);
    if (key == "name")
      name_ = value;
    else if (key == "state")
      state_ = value;
    else if (key == "country")
      country_ = value;
    else if (key == "guid")
      guid_ = value;
    else if (key == "tax_type")
      gst_ = value != "VAT";
  }
  meta.Reset();
  years_.clear();
  auto& years = db_.Cached("SELECT year FROM fin_year ORDER BY year");
  while (years.Step()) years_.push_back(static_cast<int>(years.Int(0)));
  years.Reset();

  masters_.clear();
  auto& masters = db_.Cached("SELECT code, kind, folded FROM master");
  while (masters.Step()) {
    masters_[static_cast<int>(masters.Int(1))].codes[masters.Text(2)] =
        static_cast<int32_t>(masters.Int(0));
  }
  masters.Reset();

  series_.clear();
  series_type_.clear();
  auto& series = db_.Cached("SELECT code, vch_type, folded FROM series");
  while (series.Step()) {
    int32_t code = static_cast<int32_t>(series.Int(0));
    int type = static_cast<int>(series.Int(1));
    series_[type].codes[series.Text(2)] = code;
    series_type_[code] = static_cast<int16_t>(type);
  }
  series.Reset();

  auto& version = db_.Cached("PRAGMA data_version");
  version.Step();
  data_version_ = version.Int(0);
  version.Reset();
}

// Another connection to the same file (a second session) may have saved records since the
// caches were read; read them again so that no name is missed or stored twice.
void CompanyStore::RefreshIfChangedElsewhere() {
  auto& version = db_.Cached("PRAGMA data_version");
  version.Step();
  int64_t now = version.Int(0);
  version.Reset();
  if (now != data_version_) LoadCaches();
}

// ---------------------------------------------------------------------------------------------
// Journal

int64_t CompanyStore::JournalInsert(std::string_view operation, std::optional<int> kind,
                                    std::string_view text, bool accepted, std::string_view message,
                                    std::string_view packed) {
  if (!journal_enabled_) return 0;
  auto& st = db_.Cached(
      "INSERT INTO journal(at, operation, kind, text, accepted, message) "
      "VALUES(strftime('%Y-%m-%d %H:%M:%f','now'), ?, ?, ?, ?, ?)");
  st.Bind(1, operation);
  if (kind)
    st.Bind(2, *kind);
  else
    st.BindNull(2);
  // Long texts go in packed (a BLOB), short ones as text; the reader tells them by their kind.
  if (text.size() >= kPackFrom && !packed.empty())
    st.BindBlob(3, packed);
  else if (text.size() >= kPackFrom)
    st.BindBlob(3, PackJournalText(text));
  else
    st.Bind(3, text);
  st.Bind(4, accepted ? 1 : 0).Bind(5, message);
  st.Run();
  return db_.LastInsertId();
}

// ---------------------------------------------------------------------------------------------
// CONFIG

void CompanyStore::ExecuteQuery(const std::string& sql) {
  static const std::regex kUpdateConfig(R"(^\s*update\s+config\s+set\s)", std::regex::icase);
  auto refuse = [&](const std::string& message) {
    JournalInsert("ExecuteQuery", std::nullopt, sql, false, message);
    throw RunTimeError(message);
  };
  const std::string only = "ExecuteQuery runs only UPDATE CONFIG statements: " + sql;
  if (!std::regex_search(sql, kUpdateConfig)) refuse(only);

  // The authorizer lets the statement read and change CONFIG and nothing else.
  sqlite3_set_authorizer(db_.raw(), ConfigOnlyAuthorizer, nullptr);
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db_.raw(), sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
  sqlite3_set_authorizer(db_.raw(), nullptr, nullptr);
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
  if (rc == SQLITE_AUTH) refuse(only);
  if (rc != SQLITE_OK) refuse(std::string("Database error: ") + sqlite3_errmsg(db_.raw()));
  for (const char* p = tail; p && *p; ++p) {
    if (!std::isspace(static_cast<unsigned char>(*p)) && *p != ';') {
      refuse("ExecuteQuery runs one statement at a time: " + sql);
    }
  }
  std::string error;
  {
    Transaction tx(db_);
    if (sqlite3_step(stmt.get()) == SQLITE_DONE) {
      JournalInsert("ExecuteQuery", std::nullopt, sql, true, "");
      tx.Commit();
      return;
    }
    error = std::string("Database error: ") + sqlite3_errmsg(db_.raw());
  }  // rolled back; the refusal is journalled on its own
  refuse(error);
}

int64_t CompanyStore::ConfigInt(int rectype, int type, std::string_view column) {
  CheckColumn(column);
  auto& st = db_.Cached("SELECT " + std::string(column) +
                        " FROM config WHERE RECTYPE = ? AND TYPE = ? ORDER BY id LIMIT 1");
  st.Bind(1, rectype).Bind(2, type);
  int64_t value = st.Step() ? st.Int(0) : 0;
  st.Reset();
  return value;
}

void CompanyStore::SetConfigInt(int rectype, int type, std::string_view column, int64_t value) {
  CheckColumn(column);
  auto& st = db_.Cached("UPDATE config SET " + std::string(column) +
                        " = ? WHERE RECTYPE = ? AND TYPE = ?");
  st.Bind(1, value).Bind(2, rectype).Bind(3, type).Run();
}

std::string CompanyStore::ConfigText(int rectype, int type, std::string_view column) {
  CheckColumn(column);
  auto& st = db_.Cached("SELECT " + std::string(column) +
                        " FROM config WHERE RECTYPE = ? AND TYPE = ? ORDER BY id LIMIT 1");
  st.Bind(1, rectype).Bind(2, type);
  std::string value = st.Step() ? st.Text(0) : "";
  st.Reset();
  return value;
}

void CompanyStore::SetConfigText(int rectype, int type, std::string_view column,
                                 std::string_view value) {
  CheckColumn(column);
  auto& st = db_.Cached("UPDATE config SET " + std::string(column) +
                        " = ? WHERE RECTYPE = ? AND TYPE = ?");
  st.Bind(1, value).Bind(2, rectype).Bind(3, type).Run();
}

// ---------------------------------------------------------------------------------------------
// Series

int32_t CompanyStore::CreateSeries(std::string_view name, int16_t type) {
  db_.Cached("INSERT INTO series(vch_type, name, folded) VALUES(?, ?, ?)")
      .Bind(1, type)
      .Bind(2, name)
      .Bind(3, FoldKey(name))
      .Run();
  int32_t code = static_cast<int32_t>(db_.LastInsertId());
  db_.Cached("INSERT INTO config(RECTYPE, TYPE, L1) VALUES(1, ?, ?)")
      .Bind(1, type)
      .Bind(2, code)
      .Run();
  JournalInsert("SaveVchSeriesForMultiSeriesCreation", type, name, true,
                "Series created with code " + std::to_string(code));
  return code;
}

int32_t CompanyStore::SeriesCode(std::string_view name, int16_t type) {
  std::string trimmed = Trim(name);
  if (trimmed.empty() || !FindVoucherType(type)) return 0;
  // Series are never removed: a cached code is current, and the common call costs no I/O.
  std::string key = FoldKey(trimmed);
  auto it = series_[type].codes.find(key);
  if (it != series_[type].codes.end()) return it->second;
  Transaction tx(db_);
  RefreshIfChangedElsewhere();
  it = series_[type].codes.find(key);
  if (it != series_[type].codes.end()) return it->second;
  int32_t code = CreateSeries(trimmed, type);
  tx.Commit();
  series_[type].codes[key] = code;
  series_type_[code] = type;
  return code;
}

void CompanyStore::CopySeriesConfig(int16_t source_type, std::string_view source_name,
                                    int32_t target_code, int16_t target_type) {
  Transaction tx(db_);
  RefreshIfChangedElsewhere();
  std::string detail = std::to_string(source_type) + "|" + std::string(source_name) + "|" +
                       std::to_string(target_code) + "|" + std::to_string(target_type);
  auto fail = [&](const std::string& message) {
    JournalInsert("CopySeriesConfig", target_type, detail, false, message);
    tx.Commit();
    throw RunTimeError(message);
  };
  auto& map = series_[source_type].codes;
  auto it = map.find(FoldKey(Trim(source_name)));
  if (it == map.end()) {
    fail("Series '" + std::string(source_name) + "' does not exist for voucher type " +
         std::to_string(source_type));
  }
  auto target = series_type_.find(target_code);
  if (target == series_type_.end() || target->second != target_type) {
    fail("Series code " + std::to_string(target_code) + " does not exist for voucher type " +
         std::to_string(target_type));
  }
  std::string columns = "L13";
  for (int i = 1; i <= kConfigB; ++i) columns += ", B" + std::to_string(i);
  for (int i = 1; i <= kConfigI; ++i) columns += ", I" + std::to_string(i);
  db_.Cached("UPDATE config SET (" + columns + ") = (SELECT " + columns +
             " FROM config WHERE RECTYPE = 1 AND L1 = ?1) WHERE RECTYPE = 1 AND L1 = ?2")
      .Bind(1, it->second)
      .Bind(2, target_code)
      .Run();
  JournalInsert("CopySeriesConfig", target_type, detail, true, "");
  tx.Commit();
}

}  // namespace vodare::local
