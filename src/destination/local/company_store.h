#pragma once
// One company's books in one SQLite file: company facts, the CONFIG table, masters, voucher
// series, vouchers with all their parts, and the journal of every record sent to it. The store
// checks what it is sent as the real server would and answers with a refusal message; every
// saved record is one transaction (WAL, synchronous NORMAL).
//
// Master look-ups by name ignore case (beyond ASCII): names are held under their folded key,
// in memory per open store and in the file.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "destination/local/sqlite_db.h"

namespace vodare::local {

// Kinds the store keeps besides the ones the program sends: created on the fly by items.
inline constexpr int16_t kKindItemGroup = 5;
inline constexpr int16_t kKindUnit = 8;

// What a save answers: saved, or refused with the message.
struct StoreAnswer {
  bool saved = false;
  std::string message;
};

struct NewCompany {
  std::string name;
  std::string state;
  std::string country = "India";
  bool vat = false;        // VAT instead of GST
  std::vector<int> years;  // financial years by their first calendar year (2024 = 2024-25)
};

// Display name of a master kind ("Ledger", "Item", ...).
std::string KindName(int kind);
// Root element of a voucher type ("Sale" for 9); empty for a type the store does not know.
std::string VoucherElementName(int type);
// Display name of a voucher type ("Sale Return" for 3); empty when unknown.
std::string VoucherTypeDisplayName(int type);

class CompanyStore {
 public:
  // Creates the company in a new folder of the data folder, with its standard chart; returns
  // its code.
  static std::string Create(const std::string& data_folder, const NewCompany& company);

  // Opens an existing company file.
  explicit CompanyStore(const std::filesystem::path& file);

  const std::filesystem::path& file() const { return file_; }
  const std::string& code() const { return code_; }
  const std::string& name() const { return name_; }
  const std::string& state() const { return state_; }
  const std::string& country() const { return country_; }
  const std::string& guid() const { return guid_; }
  bool gst() const { return gst_; }
  const std::vector<int>& years() const { return years_; }
  Database& db() { return db_; }

  // ---- CONFIG ----
  // Runs one "UPDATE CONFIG ..." statement; anything else raises RunTimeError. Journalled.
  void ExecuteQuery(const std::string& sql);
  int64_t ConfigInt(int rectype, int type, std::string_view column);
  void SetConfigInt(int rectype, int type, std::string_view column, int64_t value);
  std::string ConfigText(int rectype, int type, std::string_view column);
  void SetConfigText(int rectype, int type, std::string_view column, std::string_view value);

  // ---- Masters ----
  StoreAnswer SaveMaster(int16_t kind, const std::string& xml);
  // 0 when no master of that kind has the name (ignoring case).
  int32_t MasterCode(std::string_view name, int kind);
  // Names of the kind in creation order.
  std::vector<std::string> MasterNames(int kind);

  // ---- Series ----
  // The code of the series of that name (ignoring case) and type, created when missing;
  // 0 for a blank name or a type the store does not know.
  int32_t SeriesCode(std::string_view name, int16_t type);
  // Copies the switches of the template series' CONFIG row to the target series' row. Raises
  // RunTimeError when either series does not exist.
  void CopySeriesConfig(int16_t source_type, std::string_view source_name, int32_t target_code,
                        int16_t target_type);

  // ---- Vouchers ----
  // A voucher record as read from its text alone, before its save: the parsed markup (or why it
  // is not well-formed), for a long text the journal's packed form of it, and the texts of the
  // children the checks read, element by element in the order the checks come to them.
  struct VoucherText {
    pugi::xml_document doc;
    std::optional<std::string> parse_error;
    std::string packed;  // empty for a text kept as it is
    struct Gathered;
    std::shared_ptr<const Gathered> gathered;  // views into doc
  };
  // Touches no company: any thread may read records while another saves.
  static std::unique_ptr<VoucherText> ReadVoucherText(const std::string& xml);

  // Stores the voucher with all its parts when it passes every check; the open year decides
  // which header dates are accepted.
  StoreAnswer SaveVoucher(int16_t type, const std::string& xml, int open_year);
  // The same with the record read already; `read` is ReadVoucherText(xml).
  StoreAnswer SaveVoucher(int16_t type, const std::string& xml, const VoucherText& read,
                          int open_year);

 private:
  struct NameMap {
    std::unordered_map<std::string, int32_t> codes;  // folded name -> code
  };
  struct PendingMaster;
  struct ParsedVoucher;

  // Masters created by a call (kind, folded name, code), cached once it is committed.
  using CreatedNames = std::vector<std::pair<int, std::pair<std::string, int32_t>>>;
  StoreAnswer SaveMasterIn(int16_t kind, const std::string& xml, CreatedNames& created);
  // The cached code of a name, without asking the file.
  int32_t Lookup(std::string_view name, int kind) const;
  void LoadCaches();
  void RefreshIfChangedElsewhere();
  // `packed` is the text's packed form when the caller has it already.
  int64_t JournalInsert(std::string_view operation, std::optional<int> kind, std::string_view text,
                        bool accepted, std::string_view message, std::string_view packed = {});
  int32_t InsertMaster(const PendingMaster& m, int64_t journal_seq);
  StoreAnswer RefuseMaster(int16_t kind, const std::string& xml, const std::string& message);
  StoreAnswer RefuseVoucher(int16_t type, const std::string& xml, const VoucherText& read,
                            const std::string& message);
  std::string ValidateVoucher(int16_t type, const VoucherText& read, int open_year,
                              ParsedVoucher& v);
  void StoreVoucher(const ParsedVoucher& v, int64_t journal_seq);
  int32_t CreateSeries(std::string_view name, int16_t type);

  std::filesystem::path file_;
  Database db_;
  std::string code_, name_, state_, country_, guid_;
  bool gst_ = true;
  std::vector<int> years_;
  std::unordered_map<int, NameMap> masters_;
  std::unordered_map<int, NameMap> series_;           // type -> folded name -> code
  std::unordered_map<int32_t, int16_t> series_type_;  // code -> type
  int64_t data_version_ = -1;
  bool journal_enabled_ = true;  // off while a new company's chart is laid down
};

}  // namespace vodare::local
