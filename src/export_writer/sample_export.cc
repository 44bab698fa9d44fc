#include "export_writer/sample_export.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

#include "common/text.h"
#include "common/value.h"
#include "source/dbf.h"

namespace vodare {

int64_t SampleExportSummary::RowsOf(const std::string& file_name) const {
  for (const auto& [name, rows] : tables)
    if (EqualsNoCase(name, file_name)) return rows;
  return -1;
}

namespace {

constexpr int kDays = 365;  // 1 April 2024 .. 31 March 2025
constexpr const char* kHomeState = "27";
constexpr int64_t kFixedInventoryVouchers = kSampleFixedVouchers;

// splitmix64: small, fast and the same on every platform (the standard distributions are not).
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed ^ 0x5DEECE66D1234567ull) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int64_t Range(int64_t lo, int64_t hi) {
    return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
  }
  bool Percent(int p) { return Range(0, 999) < p * 10; }
  bool PerMille(int p) { return Range(0, 999) < p; }
  template <typename T>
  const T& Pick(const std::vector<T>& v) {
    return v[static_cast<size_t>(Range(0, static_cast<int64_t>(v.size()) - 1))];
  }
  char Letter() { return static_cast<char>('A' + Range(0, 25)); }
  std::string Digits(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + Range(0, 9));
    return s;
  }

 private:
  uint64_t state_;
};

DbfField C(const char* name, uint16_t width) { return {name, 'C', width, 0}; }
DbfField N(const char* name, uint16_t width, uint8_t decimals = 0) {
  return {name, 'N', width, decimals};
}
DbfField D(const char* name) { return {name, 'D', 8, 0}; }

Value Money(int64_t paise) { return Value(static_cast<double>(paise) / 100.0); }
Value Whole(int64_t n) { return Value(n); }
Value Text(std::string s) { return Value(std::move(s)); }
Value DateOrNull(std::optional<Date> d) { return d ? Value(*d) : Value(); }

// a / b rounded half away from zero.
int64_t RoundDiv(int64_t a, int64_t b) {
  if (b < 0) a = -a, b = -b;
  return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

std::string Pad(int64_t n, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(n));
  return buf;
}

// The check character of a GSTIN: base-36 weighted sum of the first fourteen characters.
std::string WithGstinCheck(const std::string& first14) {
  static const std::string kChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  int sum = 0;
  for (size_t i = 0; i < first14.size(); ++i) {
    int v = static_cast<int>(kChars.find(first14[i])) * (i % 2 == 0 ? 1 : 2);
    sum += v / 36 + v % 36;
  }
  return first14 + kChars[(36 - sum % 36) % 36];
}

Date DayDate(int day) { return Date::FromSerial(Date::FromYmd(kSampleYear, 4, 1).Serial() + day); }

// ---- Tables ----------------------------------------------------------------------------------

const std::vector<DbfField> kAcgroupFields = {C("ORDNO", 6), C("PARNAM", 50), C("GROUP", 6)};
const std::vector<DbfField> kOrderFields = {
    C("ORDNO", 8),    C("PARNAM", 50),  C("SCODE", 6),   N("OPNING", 14, 2), D("DATE"),
    C("RATE", 1),     C("MR", 8),       C("DLNO", 30),   C("CITY", 25),      C("PARADD", 40),
    C("PARADD1", 40), C("PARADD2", 40), C("DSM", 6),     C("CSTNO", 15),     C("GSTNO", 15),
    C("ITNO", 10),    C("CONFIR", 30),  C("PHONE1", 15), C("PHONE3", 15),    C("FAX1", 15),
    C("PHONE4", 12),  N("DUEDAYS", 4)};
const std::vector<DbfField> kSaleTypeFields = {C("SGCODE", 6), C("SCODE", 6), C("SNAME", 40),
                                               C("PARNAM", 40)};
const std::vector<DbfField> kSupportFields = {C("LCODE", 8), N("PCODE", 3), C("REMARK", 60),
                                              C("ALIASE", 10)};
const std::vector<DbfField> kProFields = {
    N("CODE", 6),    C("BILLNAME", 50), C("NAME", 20),       C("RACKNO", 10),   C("UNIT", 10),
    C("UNIT2", 10),  N("PACK", 6),      N("OPENING", 12, 2), N("PRATE", 10, 2), N("RATEA", 10, 2),
    N("MRP", 10, 2), N("PURDIS", 6, 2), N("IGST", 6, 2),     C("GCODE", 6),     C("GCODE3", 6),
    C("GCODE5", 6),  C("GCODE6", 6),    C("RACKNO2", 10),    C("PACKING", 60)};
const std::vector<DbfField> kProbatFields = {
    N("CODE", 6),      C("BILLNAME", 50),   C("BATCHNO", 15),  D("MFD"),
    D("EXP"),          N("OPENING", 12, 2), N("PRATE", 10, 2), N("MRP", 10, 2),
    N("RATEA", 10, 2), C("UNIT", 10),       C("PACKING", 60)};
const std::vector<DbfField> kMdisFields = {
    N("VOUCHER", 8),     C("TYPE", 1),        C("VCN", 10),        D("DATE"),
    C("CHALLAN", 10),    D("CHDATE"),         C("CODEP", 8),       C("GODWON", 3),
    C("PM", 20),         N("FINAL", 14, 2),   N("CASH", 14, 2),    N("TAXAMO", 12, 2),
    N("CGSTAMO", 12, 2), N("FREIGHT", 10, 2), N("PACKING", 10, 2), N("ROUND", 6, 2),
    N("OTHER", 10, 2),   C("OTHUN", 8),       N("STAXAMO", 10, 2), C("STAXUN", 8),
    C("MR", 8),          C("DOCU", 60),       C("PHONE", 12),      C("DOCU2", 60)};
const std::vector<DbfField> kDisFields = {
    N("VOUCHER", 8),   D("DATE"),          C("VCN", 10),         N("CODE", 6),
    C("NERA", 50),     C("GODWON", 3),     N("QTY", 10, 2),      N("PACK", 6),
    N("FREE", 8, 2),   N("RATE", 10, 2),   N("MRP", 10, 2),      N("SDISCOUNT", 10, 2),
    N("SVDIS", 10, 2), N("SVDIS1", 10, 2), N("AMMMOUNT", 12, 2), C("BATCH", 15),
    D("MFD"),          D("EXP"),           C("FLG", 1)};
const std::vector<DbfField> kPendFields = {N("VOUCHER", 8), C("TYPE", 2), C("VCN", 20), D("DDATE"),
                                           N("FINAL", 14, 2)};
const std::vector<DbfField> kGledgerFields = {N("VOUCHER", 8),    C("TYPE", 2),  D("DATE"),
                                              C("CODE", 8),       C("CODE1", 8), N("DEBIT", 14, 2),
                                              N("CREDIT", 14, 2), C("MR", 8)};

// A table being written, with its live row count.
class Table {
 public:
  Table(const std::filesystem::path& dir, std::string file, const std::vector<DbfField>& fields)
      : file_(std::move(file)), writer_((dir / file_).string(), fields, Options()) {}
  void Add(const std::vector<Value>& row, bool deleted = false) {
    writer_.Add(row, deleted);
    if (!deleted) ++rows_;
  }
  void Close() { writer_.Close(); }
  const std::string& file() const { return file_; }
  int64_t rows() const { return rows_; }

 private:
  // A fixed header date, so that the same options give the same bytes.
  static DbfWriteOptions Options() {
    DbfWriteOptions o;
    o.last_update = Date::FromYmd(2025, 4, 2);
    return o;
  }

  std::string file_;
  DbfWriter writer_;
  int64_t rows_ = 0;
};

// ---- Masters ---------------------------------------------------------------------------------

struct Batch {
  std::string number;  // as written (may begin with blanks)
  std::optional<Date> mfd, exp;
  int64_t opening = 0;  // in the item's smallest unit
  int64_t prate = 0, mrp = 0, ratea = 0;
};

struct Item {
  int64_t code = 0;
  std::string name;
  std::string unit, unit2;
  int pack = 1;
  std::optional<int> igst;
  int64_t mrp = 0, ratea = 0, prate = 0;  // paise per pack
  std::vector<Batch> batches;
  bool by_piece = false;  // surgical goods, sometimes sold by the piece
  bool sellable = true;
};

struct Account {
  std::string code, name, state;
  std::string broker;  // code of the salesman, or empty
  int due_days = 0;
};

// Fixed ledger codes the vouchers book to.
namespace ledger {
const char* const kCash = "L001";
const char* const kHdfc = "L002";
const char* const kSbi = "L003";
const char* const kSales = "L004";
const char* const kPurchase = "L005";
const char* const kCgstOut = "L006";
const char* const kSgstOut = "L007";
const char* const kIgstOut = "L008";
const char* const kCgstIn = "L009";
const char* const kSgstIn = "L010";
const char* const kIgstIn = "L011";
const char* const kRoundOff = "L012";
const char* const kFreight = "L013";
const char* const kCartage = "L014";
const char* const kCashDiscount = "L015";
const char* const kSalary = "L016";
const char* const kRent = "L017";
const char* const kElectricity = "L018";
const char* const kTelephone = "L019";
const char* const kStaffWelfare = "L020";
const char* const kOutstanding = "L021";
const char* const kShareCapital = "L022";
const char* const kSuspense = "L024";
const char* const kDiscountReceived = "L025";
const char* const kCashCustomer = "L027";
const char* const kBankCharges = "L031";
}  // namespace ledger

struct Posting {
  std::string code;
  int64_t amount;  // paise; debit positive
  std::string broker;
};

// ---- Vouchers --------------------------------------------------------------------------------

struct Line {
  const Item* item = nullptr;
  const Batch* batch = nullptr;
  std::string batch_text;  // overrides the batch number when set
  int64_t qty = 0;         // smallest units
  int64_t free = 0;
  int64_t rate = 0;  // paise per pack (per piece on the piece basis)
  int64_t sdisc = 0, svdis = 0, svdis1 = 0;
  int64_t adjust = 0;  // a hand-edited line amount: the stored amount is this much lower
  bool returned = false;
  std::string nera;  // description when the item code is unknown
  int64_t code_override = -1;
};

enum class Basis { kPack, kPiece };
enum class Settle { kCredit, kCash, kSplit };

struct InvVoucher {
  char type = 'S';
  int day = 0;
  std::string vcn, challan;
  const Account* party = nullptr;
  std::string godown = "A";
  std::string pm;
  std::vector<Line> lines;
  int64_t freight = 0, packing = 0, other = 0, staxamo = 0;
  std::string othun, broker, docu, phone, docu2;
  Settle settle = Settle::kCredit;
  int64_t split_cash = 0;
  bool tax_inclusive = false;
  Basis basis = Basis::kPack;
};

struct OpenBill {
  const Account* party;
  std::string ref;
  int64_t amount;
};

class SampleWriter {
 public:
  SampleWriter(const std::filesystem::path& dir, const SampleExportOptions& o)
      : dir_(dir), opt_(o), rng_(o.seed) {
    if (opt_.vouchers < 0) opt_.vouchers = 0;
    if (opt_.items <= 0) opt_.items = std::clamp<int64_t>(opt_.vouchers / 100, 40, 2000);
    if (opt_.batches <= 0) opt_.batches = opt_.items * 2;
    if (opt_.ledgers <= 0) opt_.ledgers = std::clamp<int64_t>(opt_.vouchers / 100, 40, 2000);
    if (opt_.ledger_vouchers < 0) opt_.ledger_vouchers = opt_.vouchers * 2 / 5;
  }

  SampleExportSummary Run() {
    std::vector<std::unique_ptr<Table>> done;
    auto finish = [&](std::unique_ptr<Table> t) {
      t->Close();
      done.push_back(std::move(t));
    };
    finish(WriteGroups());
    MakeAccounts();
    finish(WriteAccounts());
    finish(WriteSupport());
    finish(WriteSaleTypes());
    MakeItems();
    finish(WriteItems());
    finish(WriteBatches());

    mdis_ = std::make_unique<Table>(dir_, "mdis.dbf", kMdisFields);
    dis_ = std::make_unique<Table>(dir_, "dis.dbf", kDisFields);
    pend_ = std::make_unique<Table>(dir_, "pend.dbf", kPendFields);
    gledger_ = std::make_unique<Table>(dir_, "Gledger.dbf", kGledgerFields);
    WriteVouchers();
    finish(std::move(mdis_));
    finish(std::move(dis_));
    finish(std::move(pend_));
    finish(std::move(gledger_));

    SampleExportSummary summary;
    for (const auto& t : done) summary.tables.emplace_back(t->file(), t->rows());
    return summary;
  }

 private:
  // ---- account groups ----
  std::unique_ptr<Table> WriteGroups() {
    auto t = std::make_unique<Table>(dir_, "ACGROUP.dbf", kAcgroupFields);
    const std::vector<std::vector<std::string>> rows = {
        {"01", "Capital Account", ""},
        {"02", "Current Assets", ""},
        {"03", "Current Liabilities", ""},
        {"04", "Fixed Assets", ""},
        {"05", "Sundry Debtors", "02"},
        {"06", "Sundry Creditors", "03"},
        {"07", "Duties & Taxes", "03"},
        {"08", "Cash-in-hand", "02"},
        {"09", "Bank Accounts", "02"},
        {"10", "SALES ACCOUNT", ""},
        {"11", "Purchase ACCOUNT", ""},
        {"12", "EXPENSES (Direct) (Mfg./Trdg. Expenses)", ""},
        {"13", "EXPENSES (Indirect) (Admin. Expenses)", ""},
        {"14", "LOAN & ADVANCES (Asset)", "02"},
        {"15", "PROFIT & LOSS A/C", ""},
        {"16", "SUSPENSE ACCOUNT (Temporary A/cs)", ""},
        {"17", "SECURITY & DEPOSIT (ASSET)", "02"},
        {"18", "Income (Indirect)", ""},
        {"19", "Provisions", "03"},
        {"20", "Salesmen & Brokers", "03"},
        // listed before its parent, which follows
        {"21", "Debtors - Hospitals <Govt>", "22"},
        {"22", "Debtors - Institutions", "05"},
        {"23", "Partners' Capital Accounts", "01"},
        {"24", "Sundry Debtors - Retail Chemists, Pune Region", "05"},
        {"25", "Provisions", "03"},             // the same name again
        {"26", "Deposits (Old Branch)", "99"},  // parent code that no group has
        {"27", "sundry creditors - c&f agents", "06"},
    };
    for (const auto& r : rows) t->Add({Text(r[0]), Text(r[1]), Text(r[2])});
    return t;
  }

  // ---- accounts ----
  void AddAccount(Account a, std::string group, std::optional<int64_t> opening, bool bill_by_bill,
                  std::string rate_text = "") {
    AccountRow row;
    row.account = std::move(a);
    row.group = std::move(group);
    row.opening = opening;
    row.rate = rate_text.empty() ? (bill_by_bill ? "Y" : "N") : rate_text;
    account_rows_.push_back(std::move(row));
  }

  struct AccountRow {
    Account account;
    std::string group;
    std::optional<int64_t> opening;  // paise; debit positive
    std::string rate;
    bool deleted = false;
    bool no_state = false;
    bool full_details = true;
    std::string email_remark;  // support PCode 0
    std::string other_remark;  // a PCode 0 remark without an address
  };

  struct Place {
    const char* state;
    const char* city;
    const char* pin;
  };

  void MakeAccounts() {
    const std::vector<std::vector<std::string>> fixed = {
        {ledger::kCash, "Cash", "08"},
        {ledger::kHdfc, "HDFC Bank A/c No. 50200012345678", "09"},
        {ledger::kSbi, "State Bank of India - CC A/c", "09"},
        {ledger::kSales, "Sales", "10"},
        {ledger::kPurchase, "Purchase", "11"},
        {ledger::kCgstOut, "CGST Output", "07"},
        {ledger::kSgstOut, "SGST Output", "07"},
        {ledger::kIgstOut, "IGST Output", "07"},
        {ledger::kCgstIn, "CGST Input", "07"},
        {ledger::kSgstIn, "SGST Input", "07"},
        {ledger::kIgstIn, "IGST Input", "07"},
        {ledger::kRoundOff, "Rounded Off", "13"},
        {ledger::kFreight, "Freight & Forwarding Charges", "12"},
        {ledger::kCartage, "Cartage", "12"},
        {ledger::kCashDiscount, "CASH DISCOUNT", "13"},
        {ledger::kSalary, "Salary & Wages", "13"},
        {ledger::kRent, "Shop Rent", "13"},
        {ledger::kElectricity, "Electricity Charges", "13"},
        {ledger::kTelephone, "Telephone & Internet", "13"},
        {ledger::kStaffWelfare, "Staff Welfare", "13"},
        {ledger::kOutstanding, "Outstanding Expenses", "19"},
        {ledger::kShareCapital, "Share Capital", "01"},
        {"L023", "Miscellaneous Expenses", "13"},
        {ledger::kSuspense, "Suspense", "16"},
        {ledger::kDiscountReceived, "Discount Received", "18"},
        {"L026", "Interest Received", "18"},
        {ledger::kCashCustomer, "Cash Customer", "05"},
        {"L028", "Furniture & Fixtures", "04"},
        {"L029", "Security Deposit - Shop", "17"},
        {"L030", "Staff Advance", "14"},
        {ledger::kBankCharges, "Bank Charges", "13"},
        {"L032", "cgst payable (old regime)", "07"},
    };
    for (const auto& f : fixed) {
      AccountRow row;
      row.account = {f[0], f[1], "", "", 0};
      row.group = f[2];
      row.rate = "N";
      row.full_details = false;
      row.opening = 0;
      if (f[0] == ledger::kCash) row.opening = 4521050;
      if (f[0] == ledger::kHdfc) row.opening = 123456789;
      if (f[0] == ledger::kSbi) row.opening = -250000000;
      if (f[0] == "L028") row.opening = 35000000;
      if (f[0] == "L029") row.opening = 10000000;
      if (f[0] == ledger::kOutstanding) row.opening = -8550000;
      account_rows_.push_back(std::move(row));
    }
    const std::vector<std::string> brokers = {"Rajesh Kulkarni", "Sunil Deshmukh",
                                              "Anil Jadhav (Salesman)"};
    for (size_t i = 0; i < brokers.size(); ++i) {
      AccountRow row;
      row.account = {"M" + Pad(static_cast<int64_t>(i) + 1, 3), brokers[i], kHomeState, "", 0};
      row.group = "20";
      row.rate = "N";
      row.opening = 0;
      broker_codes_.push_back(row.account.code);
      account_rows_.push_back(std::move(row));
    }

    // Awkward parties a real export holds.
    struct Odd {
      const char* code;
      const char* name;
      const char* group;
      const char* state;
      bool supplier;
    };
    const std::vector<Odd> odd = {
        {"C9001", "Sai Medicals", "05", "27", false},
        {"C9002", "Sai Medicals", "05", "27", false},
        {"C9003", "RAM MEDICAL", "05", "27", false},
        {"C9004", "RAM MEDICAL", "05", "27", false},
        {"C9005", "RAM MEDICAL", "05", "27", false},
        {"C9006", "New India Chemists", "05", "27", false},
        {"C9007", "NEW INDIA CHEMISTS", "05", "27", false},
        {"C9008", "Maharashtra State Co-operative Medical Stores", "24", "27", false},
        {"C9009", "Jai Bhavani Medical & General Stores Ltd", "05", "27", false},
        {"C9010", "Jai Bhavani Medical & General Stores Ltd", "05", "27", false},
        {"C9011", "Patil & Sons <Wholesale>", "05", "27", false},
        {"DS'01", "D'Souza Medicals", "05", "30", false},
        {"C9013", "Civil Hospital, Satara", "21", "27", false},
        {"C9014", "Gujarat Pharma Traders", "05", "24", false},
        {"C9015", "Karnataka Health Mart", "05", "29", false},
        {"C9016", "Lifeline Chemists (No State)", "05", "", false},
        {"S9001", "Deccan Pharma Distributors", "06", "27", true},
        {"S9002", "Ahmedabad Generics Pvt. Ltd.", "27", "24", true},
        {"S9003", "North India Surgicals", "06", "07", true},
    };
    for (const auto& o : odd) {
      Account a{o.code, o.name, o.state, "", o.supplier ? 45 : 30};
      AccountRow row;
      row.account = a;
      row.group = o.group;
      row.rate = "Y";
      row.opening = o.supplier ? -rng_.Range(100000, 5000000) : rng_.Range(50000, 2000000);
      if (a.state.empty()) row.no_state = true;
      odd_rows_.push_back(account_rows_.size());
      account_rows_.push_back(std::move(row));
    }
    // blank opening balances, a lower-case bill-by-bill flag, an e-mail remark with more words
    account_rows_[odd_rows_[0]].opening.reset();
    account_rows_[odd_rows_[5]].opening.reset();
    account_rows_[odd_rows_[1]].rate = "y";
    account_rows_[odd_rows_[10]].email_remark = "accounts@patilsons.in ph 020-24451234 (Mr. Patil)";
    account_rows_[odd_rows_[10]].other_remark = "Closed on Thursdays";
    account_rows_[odd_rows_[7]].account.broker = broker_codes_[0];
    // an account with a code and no name
    {
      AccountRow row;
      row.account = {"C9099", "", kHomeState, "", 0};
      row.group = "05";
      row.rate = "N";
      row.full_details = false;
      account_rows_.push_back(std::move(row));
    }
    // a deleted account
    {
      AccountRow row;
      row.account = {"C9098", "Old Account (Deleted)", kHomeState, "", 0};
      row.group = "05";
      row.rate = "N";
      row.deleted = true;
      account_rows_.push_back(std::move(row));
    }

    // Customers and suppliers.
    const std::vector<std::string> first = {
        "Shree",     "Sai",        "Om",     "Krishna",   "Ganesh",    "Mahalaxmi", "Siddhi",
        "Navjeevan", "Sanjeevani", "Apollo", "Venkatesh", "Gurukrupa", "Swami",     "Vishal",
        "Parth",     "Aarogya",    "Janata", "Mauli",     "Tulsi",     "Datta"};
    const std::vector<std::string> second = {
        "Medical",     "Chemists",   "Pharmacy",
        "Medicos",     "Drug House", "Medical & General Stores",
        "Health Care", "Pharma",     "Distributors"};
    int64_t suppliers = std::max<int64_t>(5, opt_.ledgers / 8);
    for (int64_t i = 0; i < opt_.ledgers; ++i) {
      bool supplier = i < suppliers;
      Account a;
      a.code = (supplier ? "S" : "C") + Pad(i + 1, 4);
      a.name = rng_.Pick(first) + " " + rng_.Pick(second);
      if (supplier) a.name += rng_.Percent(50) ? " Pvt. Ltd." : " LLP";
      int r = static_cast<int>(rng_.Range(0, 99));
      a.state = r < 82 ? "27" : r < 89 ? "24" : r < 95 ? "29" : "07";
      a.due_days =
          supplier ? 45 : static_cast<int>(rng_.Pick(std::vector<int64_t>{15, 21, 30, 45}));
      if (!supplier && rng_.Percent(30)) a.broker = rng_.Pick(broker_codes_);
      AccountRow row;
      row.account = a;
      row.group = supplier ? "06" : (rng_.Percent(60) ? "05" : "24");
      row.rate = rng_.Percent(90) ? "Y" : "N";
      if (rng_.Percent(70))
        row.opening = supplier ? -rng_.Range(100000, 20000000) : rng_.Range(10000, 5000000);
      else
        row.opening = 0;
      if (rng_.PerMille(20)) row.no_state = true;
      (supplier ? supplier_idx_ : customer_idx_).push_back(account_rows_.size());
      account_rows_.push_back(std::move(row));
    }
    // the share capital balances the opening trial balance
    int64_t sum = 0;
    for (const auto& r : account_rows_)
      if (!r.deleted && r.opening) sum += *r.opening;
    for (auto& r : account_rows_)
      if (r.account.code == ledger::kShareCapital) r.opening = -sum;
    for (size_t i = 0; i < account_rows_.size(); ++i)
      if (!account_rows_[i].deleted) account_index_[account_rows_[i].account.code] = i;
    odd_customers_ = {odd_rows_[0],  odd_rows_[2],  odd_rows_[6],  odd_rows_[7],
                      odd_rows_[8],  odd_rows_[10], odd_rows_[11], odd_rows_[12],
                      odd_rows_[13], odd_rows_[14], odd_rows_[15]};
  }

  const Account& Acc(const std::string& code) const {
    return account_rows_.at(account_index_.at(code)).account;
  }
  const Account& OddAcc(size_t i) const { return account_rows_[odd_rows_[i]].account; }

  Place PlaceOf(const std::string& state) {
    static const std::vector<Place> home = {
        {"27", "Pune", "411002"},   {"27", "Pune", "411038"},      {"27", "Pimpri", "411018"},
        {"27", "Satara", "415001"}, {"27", "Nashik", "422001"},    {"27", "Kolhapur", "416002"},
        {"27", "Mumbai", "400002"}, {"27", "Ahmednagar", "414001"}};
    if (state == "24") return {"24", rng_.Percent(50) ? "Ahmedabad" : "Surat", "380009"};
    if (state == "29") return {"29", rng_.Percent(50) ? "Bengaluru" : "Belagavi", "560002"};
    if (state == "07") return {"07", "New Delhi", "110005"};
    if (state == "30") return {"30", "Margao", "403601"};
    return rng_.Pick(home);
  }

  std::unique_ptr<Table> WriteAccounts() {
    auto t = std::make_unique<Table>(dir_, "order.dbf", kOrderFields);
    const std::vector<std::string> streets = {
        "Laxmi Road",    "Tilak Road", "M.G. Road",    "Station Road", "Market Yard",
        "Shivaji Nagar", "Camp Area",  "Narayan Peth", "Gandhi Chowk", "Bazar Peth"};
    const std::vector<std::string> contacts = {"Mr. Patil", "Mr. Shah", "Mrs. Joshi",  "Mr. Kadam",
                                               "Mr. Mehta", "Ms. Iyer", "Mr. Gaikwad", "Mr. Rao"};
    for (auto& r : account_rows_) {
      const Account& a = r.account;
      std::vector<Value> row(kOrderFields.size());
      row[0] = Text(a.code);
      row[1] = Text(a.name);
      row[2] = Text(r.group);
      row[3] = r.opening ? Money(*r.opening) : Value();
      row[4] = Value(DayDate(0));
      row[5] = Text(r.rate);
      row[6] = Text(a.broker);
      if (r.full_details) {
        Place p = PlaceOf(a.state.empty() ? kHomeState : a.state);
        std::string pan = std::string() + rng_.Letter() + rng_.Letter() + rng_.Letter() + 'P' +
                          rng_.Letter() + rng_.Digits(4) + rng_.Letter();
        if (a.code[0] == 'C' || a.code[0] == 'D')
          row[7] =
              Text(std::string(a.state == "27" ? "MH-PZ" : "DL-") +
                   std::to_string(rng_.Range(1, 9)) + "-" + rng_.Digits(6) + ", " + rng_.Digits(6));
        row[8] = Text(p.city);
        row[9] = Text("Shop No. " + std::to_string(rng_.Range(1, 120)) + ", " +
                      std::to_string(rng_.Range(1, 999)) + " " + rng_.Pick(streets));
        row[10] = Text(rng_.Percent(50) ? "Near Bus Stand" : "Opp. Civil Hospital");
        row[11] =
            Text(std::string(p.city) +
                 (a.name.find("Patil") != std::string::npos ? CharOfCode(255) : std::string()));
        row[12] = Text(p.pin);
        row[13] = Text(std::string(p.state) + rng_.Digits(9));
        if (!a.state.empty())
          row[14] = Text(WithGstinCheck(a.state + pan + std::to_string(rng_.Range(1, 3)) + "Z"));
        row[15] = Text(pan);
        row[16] = Text(rng_.Pick(contacts));
        row[17] = Text("020-" + rng_.Digits(8));
        if (rng_.Percent(20)) row[18] = Text("020-" + rng_.Digits(8));
        if (rng_.Percent(10)) row[19] = Text("020-" + rng_.Digits(8));
        row[20] = Text("9" + rng_.Digits(9));
      }
      row[21] = Whole(a.due_days);
      t->Add(row, r.deleted);
    }
    return t;
  }

  std::unique_ptr<Table> WriteSupport() {
    auto t = std::make_unique<Table>(dir_, "support.dbf", kSupportFields);
    t->Add({Text(""), Whole(99), Text(kSampleCompanyName), Text("ZORAVIZED3")});
    static const std::vector<std::string> domains = {"gmail.com", "yahoo.co.in", "rediffmail.com",
                                                     "outlook.com"};
    for (const auto& r : account_rows_) {
      if (r.deleted || !r.full_details) continue;
      const Account& a = r.account;
      if (!r.other_remark.empty()) t->Add({Text(a.code), Whole(0), Text(r.other_remark), Text("")});
      if (!r.email_remark.empty()) {
        t->Add({Text(a.code), Whole(0), Text(r.email_remark), Text("")});
      } else if (rng_.Percent(70)) {
        std::string user;
        for (char c : a.name)
          if (std::isalnum(static_cast<unsigned char>(c)) && user.size() < 14)
            user += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        t->Add({Text(a.code), Whole(0), Text(user + "@" + rng_.Pick(domains)), Text("")});
      }
      if (!r.no_state && !a.state.empty())
        t->Add({Text(a.code), Whole(15), Text("GST State Code " + a.state), Text("")});
    }
    // a state remark of one character
    t->Add({Text("L029"), Whole(15), Text("7"), Text("")});
    return t;
  }

  std::unique_ptr<Table> WriteSaleTypes() {
    auto t = std::make_unique<Table>(dir_, "SaleType.dbf", kSaleTypeFields);
    auto add = [&](const char* group, const std::string& code, const std::string& sname,
                   const std::string& parnam) {
      t->Add({Text(group), Text(code), Text(sname), Text(parnam)});
    };
    // godowns: names in Parnam
    add("GODWON", "A", "", "Main Location");
    add("GODWON", "B", "", "Bhiwandi Godown");
    add("GODWON", "C", "", "Thane Depot & Cold Room");
    add("GODWON", "D", "", "main store");
    add("GODWON", "E", "", "Expiry <Breakage> Store");
    godowns_ = {"A", "B", "C"};
    for (size_t i = 0; i < kGroups.size(); ++i) add("ZZZZZZ", Pad(i + 1, 3), kGroups[i], "");
    for (size_t i = 0; i < kSalts.size(); ++i) add("SALT", Pad(i + 1, 3), kSalts[i], "");
    for (size_t i = 0; i < kCategories.size(); ++i)
      add("CATEGO", Pad(i + 1, 3), "", kCategories[i]);  // name only in Parnam
    for (size_t i = 0; i < kHsn.size(); ++i) add("COMMCD", Pad(i + 1, 3), kHsn[i], "");
    // a code that several groups use
    add("SALT", "A", "Zinc Sulphate", "");
    return t;
  }

  inline static const std::vector<std::string> kGroups = {
      "Tablets",   "Capsules", "Syrups & Suspensions", "Injections", "Surgicals", "FMCG <General>",
      "Ointments", "Drops"};
  inline static const std::vector<std::string> kSalts = {
      "Paracetamol",  "Amoxycillin + Clavulanic Acid",
      "Pantoprazole", "Metformin",
      "Atorvastatin", "Cetirizine",
      "Azithromycin", "Diclofenac",
      "Ondansetron",  "Vitamin B Complex"};
  inline static const std::vector<std::string> kCategories = {"Ethical", "Generic", "OTC",
                                                              "Surgical", "Cosmetic"};
  inline static const std::vector<std::string> kHsn = {"30049099", "30042019", "30049011",
                                                       "90183100", "34011190", "30051090"};

  // ---- items ----
  struct Form {
    const char* word;
    const char* unit;
    const char* unit2;
    int pack;
    int igst;
    int group;  // index into kGroups, 1-based code
    int hsn;
    bool batches;
    bool by_piece;
  };

  void MakeItems() {
    auto date = [](int y, int m, int d) { return std::optional<Date>(Date::FromYmd(y, m, d)); };
    auto item = [&](int64_t code, std::string name, const char* unit, const char* unit2, int pack,
                    std::optional<int> igst, int64_t mrp) {
      Item it;
      it.code = code;
      it.name = std::move(name);
      it.unit = unit;
      it.unit2 = unit2;
      it.pack = pack;
      it.igst = igst;
      it.mrp = mrp;
      it.ratea = mrp * 3 / 4;
      it.prate = mrp * 62 / 100;
      return it;
    };
    auto batch = [&](const Item& it, std::string no, std::optional<Date> mfd,
                     std::optional<Date> exp, int64_t opening) {
      Batch b;
      b.number = std::move(no);
      b.mfd = mfd;
      b.exp = exp;
      b.opening = opening;
      b.prate = it.prate;
      b.mrp = it.mrp;
      b.ratea = it.ratea;
      return b;
    };
    // Fixed items with the awkward cases.
    {
      Item it = item(1, "Paracetamol 500mg Tab", "TAB", "STRIP", 10, 12, 2150);
      it.batches.push_back(batch(it, "PC24001", date(2024, 1, 10), date(2026, 12, 31), 1000));
      it.batches.push_back(batch(it, "PC24002", date(2024, 3, 5), date(2027, 2, 28), 1500));
      items_.push_back(it);
    }
    {  // batches that do not add up to the item's opening (opening set below)
      Item it = item(2, "Amoxyclav 625 Tab", "TAB", "STRIP", 6, 12, 22400);
      it.batches.push_back(batch(it, "AX2301", date(2023, 11, 1), date(2025, 10, 31), 120));
      it.batches.push_back(batch(it, "AX2402", date(2024, 2, 1), date(2026, 1, 31), 180));
      items_.push_back(it);
    }
    {  // blank opening with batches: the batches give the opening
      Item it = item(3, "Cough Syrup Sugar Free 100ml", "BTL", "NA", 1, 12, 11500);
      it.batches.push_back(batch(it, "CS0417", date(2024, 2, 1), std::nullopt, 40));
      it.batches.push_back(batch(it, "CS0418", date(2024, 3, 1), std::nullopt, 60));
      items_.push_back(it);
    }
    {  // batch edge cases: blank number, zero opening, a number beginning with two blanks,
       // expiry only
      Item it = item(4, "Pantoprazole 40mg Tab", "TAB", "STRIP", 15, 12, 15600);
      it.batches.push_back(batch(it, "", date(2024, 1, 1), date(2026, 1, 1), 150));
      it.batches.push_back(batch(it, "PZ0000", date(2024, 1, 1), date(2026, 1, 1), 0));
      it.batches.push_back(batch(it, "  OLDSTK", std::nullopt, date(2025, 6, 30), 300));
      it.batches.push_back(batch(it, "PZ2405", std::nullopt, date(2026, 4, 30), 450));
      items_.push_back(it);
    }
    {  // no dates at all, sold by the piece
      Item it = item(5, "Disposable Syringe 5ml", "PCS", "BOX", 100, 12, 95000);
      it.by_piece = true;
      it.batches.push_back(batch(it, "SY5-2404", std::nullopt, std::nullopt, 2000));
      items_.push_back(it);
    }
    items_.push_back(item(6, "Herbal Neem Soap 75g", "PCS", "CTN", 48, 18, 3500));  // no batches
    {  // the same name twice: batches belong to both
      Item a = item(7, "Vitamin C Chewable Tab", "TAB", "STRIP", 10, 12, 3000);
      a.batches.push_back(batch(a, "VC2403", date(2024, 3, 1), date(2026, 2, 28), 500));
      items_.push_back(a);
      Item b = item(8, "Vitamin C Chewable Tab", "TAB", "STRIP", 10, 12, 3000);
      items_.push_back(b);
    }
    items_.push_back(
        item(9, "Multivitamin With Zinc And Lycopene Soft Gels", "CAP", "STRIP", 10, 12, 18500));
    items_.push_back(
        item(10, "Calcium + Vitamin D3 Chewable Tablet 10s", "TAB", "STRIP", 10, 12, 9800));
    items_.push_back(item(11, "SOAP", "PCS", "PCS", 1, 18, 2500));
    items_.push_back(item(12, "soap", "PCS", "PCS", 1, 18, 2500));
    items_.push_back(item(13, "Soap", "PCS", "PCS", 1, 18, 2500));
    items_.push_back(
        item(14, "Calcium + Vitamin D3 Chewable Tablet 10s", "TAB", "STRIP", 10, 12, 9800));
    {  // a quote in the name its batches are found by
      Item it = item(15, "Baby's Rash Cream <50 g> & Powder", "TUBE", "NA", 1, 18, 14500);
      it.batches.push_back(batch(it, "BR-0424", date(2024, 4, 1), date(2026, 3, 31), 36));
      items_.push_back(it);
    }
    items_.push_back(item(16, "Cotton Crepe Bandage 10 cm", "PCS", "BOX", 10, std::nullopt, 8500));
    items_.push_back(item(17, "Glucose Powder 500g", "PKT", "NA", 0, 5, 12000));
    items_.push_back(item(18, "Antiseptic Liquid 500ml", "BTL", "BTL", 1, 18, 21000));
    {
      Item it = item(19, "", "TAB", "STRIP", 10, 12, 1000);  // code without a name
      it.sellable = false;
      items_.push_back(it);
    }
    items_.push_back(item(20, "Absorbent Cotton Wool 100g", "PKT", "NA", 1, 0, 6500));
    {
      Item it = item(21, "Ondansetron 4mg Inj", "AMP", "BOX", 5, 12, 9000);
      it.batches.push_back(batch(it, "ON2412", date(2024, 2, 1), date(2026, 1, 31), 250));
      items_.push_back(it);
    }
    items_.push_back(item(22, "Crème Rash Relief 30g", "TUBE", "NA", 1, 18, 9900));

    // Generated catalogue.
    static const std::vector<std::string> heads = {"Zy",  "Vo",  "Ka",  "Ne",  "Tri", "Lu",  "Mi",
                                                   "Ra",  "So",  "Xe",  "Be",  "Fo",  "Du",  "Cal",
                                                   "Pre", "Ori", "Tel", "Aci", "Glu", "Hepa"};
    static const std::vector<std::string> mids = {"ro", "la", "vi", "ne", "mo",
                                                  "ta", "ri", "fe", "cu", "do"};
    static const std::vector<std::string> tails = {"cin", "pan", "zex", "tol", "lin", "zid", "dex",
                                                   "tor", "vex", "pra", "mox", "sol", "fen"};
    static const std::vector<std::string> variants = {"",       "",    "",    "-D", " Plus",
                                                      " Forte", " SR", " MR", " DS"};
    static const std::vector<Form> forms = {
        {"Tab", "TAB", "STRIP", 10, 12, 1, 1, true, false},
        {"Tab", "TAB", "STRIP", 15, 12, 1, 3, true, false},
        {"Cap", "CAP", "STRIP", 10, 12, 2, 1, true, false},
        {"Syrup 100ml", "BTL", "NA", 1, 12, 3, 1, true, false},
        {"Susp 60ml", "BTL", "NA", 1, 12, 3, 2, true, false},
        {"Inj 2ml", "AMP", "BOX", 5, 12, 4, 1, true, false},
        {"Gel 30g", "TUBE", "NA", 1, 18, 7, 1, true, false},
        {"Eye Drops 10ml", "BTL", "NA", 1, 12, 8, 1, true, false},
        {"Gloves 7.5", "PAIR", "BOX", 50, 12, 5, 4, false, true},
        {"Bandage 15cm", "PCS", "BOX", 12, 12, 5, 6, false, true},
        {"Hand Wash 200ml", "BTL", "CTN", 24, 18, 6, 5, false, false},
    };
    static const std::vector<std::string> strengths = {"250",  "500",  "650", "5mg", "10mg",
                                                       "20mg", "40mg", "75",  "100", "1g"};
    std::vector<size_t> batched;
    for (int64_t i = 0; i < opt_.items; ++i) {
      const Form& f = rng_.Pick(forms);
      std::string name =
          rng_.Pick(heads) + rng_.Pick(mids) + rng_.Pick(tails) + rng_.Pick(variants);
      if (f.batches) name += " " + rng_.Pick(strengths);
      name += std::string(" ") + f.word;
      Item it = item(101 + i, name, f.unit, f.unit2, f.pack, f.igst,
                     rng_.Range(15, 400) * 100 + rng_.Range(0, 3) * 25);
      it.by_piece = f.by_piece;
      if (f.batches) batched.push_back(items_.size());
      items_.push_back(std::move(it));
    }
    // Batches for the generated items: each batched item gets one, the rest go round-robin.
    int64_t left = opt_.batches;
    for (size_t k = 0; left > 0 && !batched.empty(); ++k, --left) {
      Item& it = items_[batched[k % batched.size()]];
      int mfd_month = static_cast<int>(rng_.Range(0, 17));
      Date mfd = Date::FromYmd(2023 + (mfd_month + 2) / 12, (mfd_month + 2) % 12 + 1, 1);
      Date exp = Date::FromYmd(mfd.Year() + 2, mfd.Month(), 1);
      exp = Date::FromSerial(exp.Serial() - 1);
      std::string number =
          std::string() + rng_.Letter() + rng_.Letter() + Pad(static_cast<int64_t>(k) + 1, 5);
      it.batches.push_back(batch(it, number, mfd, exp, it.pack * rng_.Range(2, 60)));
    }
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].sellable && !items_[i].name.empty()) sellable_.push_back(i);
  }

  std::unique_ptr<Table> WriteItems() {
    auto t = std::make_unique<Table>(dir_, "pro.dbf", kProFields);
    auto write = [&](const Item& it) {
      std::vector<Value> row(kProFields.size());
      row[0] = Whole(it.code);
      row[1] = Text(it.name);
      int64_t opening = 0;
      for (const Batch& b : it.batches) opening += b.opening;
      if (it.batches.empty()) opening = it.pack > 0 ? it.pack * 12 : 24;
      std::string alias = Left(UCase(it.name), 6) + std::to_string(it.code);
      row[2] = Text(it.code % 3 == 0 ? alias : "");
      row[3] = Text("R-" + std::to_string(it.code % 40 + 1));
      row[4] = Text(it.unit);
      row[5] = Text(it.unit2);
      row[6] = Whole(it.pack);
      row[7] = Money(opening * 100);
      row[8] = Money(it.prate);
      row[9] = Money(it.ratea);
      row[10] = Money(it.mrp);
      row[11] = Money(it.code % 7 == 0 ? 250 : 0);
      row[12] = it.igst ? Money(*it.igst * 100) : Value();
      row[13] = Text(Pad(it.code % static_cast<int64_t>(kGroups.size()) + 1, 3));
      row[14] = Text(Pad(it.code % static_cast<int64_t>(kSalts.size()) + 1, 3));
      row[15] = Text(Pad(it.code % static_cast<int64_t>(kCategories.size()) + 1, 3));
      row[16] = Text(Pad(it.code % static_cast<int64_t>(kHsn.size()) + 1, 3));
      row[17] = Text(it.code % 5 == 0 ? "Shelf B" + std::to_string(it.code % 9) : "");
      row[18] = Text(it.pack > 1 ? "1 x " + std::to_string(it.pack) + " " + it.unit
                                 : "Single " + it.unit);
      return row;
    };
    for (const Item& it : items_) {
      std::vector<Value> row = write(it);
      switch (it.code) {
        case 2:
          row[7] = Money(40000);
          break;  // batches hold 300, the item says 400
        case 3:
          row[7] = Value();
          break;  // blank opening
        case 6:
          row[13] = Text("006");
          break;
        case 9:
          row[18] = Text("10 x 10 Tablets in Alu-Alu Blister, Printed Carton");
          break;
        case 17:
          row[3] = Text("");
          row[2] = Text("");
          break;  // no aliases at all
        default:
          break;
      }
      if (it.code == 1) row[2] = Text("PCM500");
      t->Add(row);
    }
    Item gone;
    gone.code = 999999;
    gone.name = "Discontinued Item (Deleted)";
    gone.unit = "TAB";
    gone.unit2 = "STRIP";
    gone.pack = 10;
    gone.igst = 12;
    t->Add(write(gone), true);
    return t;
  }

  std::unique_ptr<Table> WriteBatches() {
    auto t = std::make_unique<Table>(dir_, "probat.dbf", kProbatFields);
    for (const Item& it : items_) {
      for (const Batch& b : it.batches) {
        std::string packing =
            it.pack > 1 ? "1 x " + std::to_string(it.pack) + " " + it.unit : "Single " + it.unit;
        if (it.code == 21) packing = "5 x 2 ml Ampoules in Tray, Keep Cool Below 8 Deg C";
        t->Add({Whole(it.code), Text(it.name), Text(b.number), DateOrNull(b.mfd), DateOrNull(b.exp),
                Money(b.opening * 100), Money(b.prate), Money(b.mrp), Money(b.ratea), Text(it.unit),
                Text(packing)});
      }
    }
    return t;
  }

  // ---- voucher building ----
  const Account& PickCustomer() {
    if (rng_.PerMille(15)) return account_rows_[rng_.Pick(odd_customers_)].account;
    return account_rows_[rng_.Pick(customer_idx_)].account;
  }
  const Account& PickSupplier() {
    if (rng_.PerMille(30)) return OddAcc(16 + static_cast<size_t>(rng_.Range(0, 2)));
    return account_rows_[rng_.Pick(supplier_idx_)].account;
  }

  Line MakeLine(const Item& it, bool purchase) {
    Line l;
    l.item = &it;
    if (!it.batches.empty())
      l.batch = &it.batches[static_cast<size_t>(
          rng_.Range(0, static_cast<int64_t>(it.batches.size()) - 1))];
    int pack = std::max(it.pack, 1);
    int64_t packs = purchase ? rng_.Range(10, 200) : rng_.Range(1, 20);
    l.qty = packs * pack;
    if (!purchase && pack > 1 && rng_.Percent(8)) l.qty += rng_.Range(1, pack - 1);  // loose
    l.rate = purchase ? it.prate : it.ratea;
    if (rng_.Percent(15)) {
      int64_t gross = RoundDiv(l.rate * l.qty, pack);
      l.sdisc = RoundDiv(gross * rng_.Range(2, 5), 100);
    }
    if (rng_.Percent(3)) l.svdis = rng_.Range(1, 20) * 100;
    if (rng_.Percent(6)) l.free = pack * rng_.Range(1, 2);
    return l;
  }

  const Item& PickItem() { return items_[rng_.Pick(sellable_)]; }

  InvVoucher Regular(char type, int day) {
    InvVoucher v;
    v.type = type;
    v.day = day;
    bool purchase = type == 'P' || type == 'B' || type == 'U' || type == 'D';
    v.party = purchase ? &PickSupplier() : &PickCustomer();
    v.godown = rng_.Percent(85) ? "A" : rng_.Pick(godowns_);
    int n = static_cast<int>(rng_.Range(1, 10));
    if (type == 'R' || type == 'W' || type == 'B' || type == 'U')
      n = static_cast<int>(rng_.Range(1, 3));
    for (int i = 0; i < n; ++i) v.lines.push_back(MakeLine(PickItem(), purchase));
    if (type == 'S') {
      int r = static_cast<int>(rng_.Range(0, 99));
      if (r < 18) {
        v.party = &Acc(ledger::kCashCustomer);
        v.settle = Settle::kCash;
        std::string phone = "9" + rng_.Digits(9);
        v.docu = rng_.Pick(std::vector<std::string>{"Ramesh Patil", "Sunita More", "Dr. A. Kale",
                                                    "Vikas Shinde"}) +
                 (rng_.Percent(50) ? " " + phone : "");
        v.phone = phone;
        v.docu2 = "Kothrud, Pune";
        if (rng_.Percent(20)) v.tax_inclusive = true;
      } else if (r < 22) {
        v.settle = Settle::kSplit;
      }
      if (v.settle == Settle::kCredit && !v.party->broker.empty()) v.broker = v.party->broker;
      if (rng_.Percent(10)) v.freight = rng_.Range(5, 40) * 1000;
      if (rng_.Percent(3)) v.packing = rng_.Range(1, 5) * 2500;
      if (rng_.Percent(5)) v.other = rng_.Range(5, 30) * 1000, v.othun = ledger::kCartage;
      if (rng_.Percent(3)) v.other = -rng_.Range(1, 20) * 500, v.othun = ledger::kCashDiscount;
      if (rng_.PerMille(5)) v.staxamo = rng_.Range(1, 50) * 100;
      if (rng_.Percent(3) && v.lines.size() > 1) {
        // goods sent back on the same bill: part of the first line's item
        Line back = v.lines.front();
        int pack = std::max(back.item->pack, 1);
        back.qty = std::max<int64_t>(pack, back.qty / pack / 2 * pack);
        back.free = back.sdisc = back.svdis = back.svdis1 = back.adjust = 0;
        back.returned = true;
        v.lines.back() = back;
      }
      if (rng_.Percent(2)) {
        v.basis = Basis::kPiece;
        v.lines.clear();
        for (int i = 0; i < 2; ++i) {
          const Item& it = items_[4];  // the syringe, sold by the piece
          Line l = MakeLine(it, false);
          l.qty = rng_.Range(3, 90);
          l.rate = it.ratea / it.pack;
          l.sdisc = l.svdis = l.free = 0;
          v.lines.push_back(l);
        }
      }
      if (rng_.Percent(1)) v.lines.front().adjust = rng_.Range(5, 50) * 100;
      v.vcn = "A" + Pad(++sale_no_, 6);
      if (!open_challans_.empty() && rng_.Percent(20)) {
        v.challan = open_challans_.back();
        open_challans_.pop_back();
      }
    } else if (type == 'P') {
      v.vcn = "P" + Pad(++purchase_no_, 6);
      v.pm = "TI/24-25/" + Pad(rng_.Range(1, 9999), 4);
      if (rng_.Percent(15)) v.freight = rng_.Range(10, 80) * 1000;
    } else if (type == 'R' || type == 'W') {
      v.vcn = (type == 'R' ? "R" : "W") + Pad(type == 'R' ? ++sreturn_no_ : ++breakage_no_, 6);
      if (type == 'W') v.godown = "E";
    } else if (type == 'B' || type == 'U') {
      v.vcn = std::string(1, type) + Pad(++preturn_no_, 6);
    } else if (type == 'D') {
      v.challan = "GRN" + Pad(++receipt_no_, 5);
    } else if (type == 'L') {
      v.challan = "DC" + Pad(++issue_no_, 6);
      open_challans_.push_back(v.challan);
    }
    if (v.settle == Settle::kSplit) v.split_cash = rng_.Range(1, 5) * 10000;
    return v;
  }

  char RegularType() {
    int r = static_cast<int>(rng_.Range(0, 99));
    if (r < 62) return 'S';
    if (r < 74) return 'P';
    if (r < 80) return 'R';
    if (r < 82) return 'W';
    if (r < 85) return 'B';
    if (r < 86) return 'U';
    if (r < 90) return 'D';
    return 'L';
  }

  // Writes one inventory voucher: its header, its lines, its ledger postings and its open bill.
  void Emit(const InvVoucher& v, bool with_lines = true) {
    int64_t id = ++voucher_id_;
    Date date = DayDate(v.day);
    char t = v.type;
    bool sale_side = t == 'S' || t == 'R' || t == 'W';
    bool challan = t == 'D' || t == 'L';
    int o = (t == 'S' || t == 'B' || t == 'U') ? 1 : -1;
    bool local = v.party->state.empty() || v.party->state == kHomeState;

    int64_t net = 0, taxamo = 0, cgst = 0;
    std::vector<int64_t> amounts;
    for (const Line& l : v.lines) {
      int pack = std::max(l.item->pack, 1);
      int64_t gross = v.basis == Basis::kPiece ? l.rate * l.qty : RoundDiv(l.rate * l.qty, pack);
      int64_t amount = gross - l.sdisc - l.svdis - l.svdis1 - l.adjust;
      amounts.push_back(amount);
      int64_t s = l.returned ? -amount : amount;
      net += s;
      if (challan) continue;
      int g = l.item->igst.value_or(12);
      if (v.tax_inclusive) {
        int64_t tax = s - RoundDiv(s * 100, 100 + g);
        int64_t half = RoundDiv(tax, 2);
        if (local)
          cgst += half, taxamo += 2 * half;
        else
          taxamo += tax;
      } else if (local) {
        int64_t half = RoundDiv(s * g, 200);
        cgst += half;
        taxamo += 2 * half;
      } else {
        taxamo += RoundDiv(s * g, 100);
      }
    }
    int64_t charges = v.freight + v.packing + v.other + v.staxamo;
    int64_t subtotal = (v.tax_inclusive ? net : net + taxamo) + charges;
    int64_t billed = challan ? subtotal : RoundDiv(subtotal, 100) * 100;
    int64_t round = billed - subtotal;
    int64_t final_amount = billed, cash = 0;
    if (v.settle == Settle::kCash) final_amount = 0, cash = billed;
    if (v.settle == Settle::kSplit)
      cash = std::min(v.split_cash, billed), final_amount = billed - cash;

    Date chdate = date;
    std::vector<Value> m(kMdisFields.size());
    m[0] = Whole(id);
    m[1] = Text(std::string(1, t));
    m[2] = Text(challan ? "" : v.vcn);
    m[3] = Value(date);
    m[4] = Text(v.challan);
    m[5] = challan || !v.challan.empty() ? Value(chdate) : Value();
    m[6] = Text(v.party->code);
    m[7] = Text(v.godown);
    m[8] = Text(v.pm);
    m[9] = Money(final_amount);
    m[10] = Money(cash);
    m[11] = Money(taxamo);
    m[12] = Money(cgst);
    m[13] = Money(v.freight);
    m[14] = Money(v.packing);
    m[15] = Money(round);
    m[16] = Money(v.other);
    m[17] = Text(v.othun);
    m[18] = Money(v.staxamo);
    m[19] = Text(v.staxamo != 0 ? ledger::kSuspense : "");
    m[20] = Text(v.broker);
    m[21] = Text(v.docu);
    m[22] = Text(v.phone);
    m[23] = Text(v.docu2);
    mdis_->Add(m);

    if (with_lines) {
      for (size_t i = 0; i < v.lines.size(); ++i) {
        const Line& l = v.lines[i];
        std::vector<Value> d(kDisFields.size());
        d[0] = Whole(id);
        d[1] = Value(date);
        d[2] = Text(challan ? v.challan : v.vcn);
        d[3] = Whole(l.code_override >= 0 ? l.code_override : l.item->code);
        d[4] = Text(l.nera.empty() ? l.item->name : l.nera);
        d[5] = Text(v.godown);
        d[6] = Money(l.qty * 100);
        d[7] = Whole(l.item->pack);
        d[8] = Money(l.free * 100);
        d[9] = Money(l.rate);
        d[10] = Money(l.batch ? l.batch->mrp : l.item->mrp);
        d[11] = Money(l.sdisc);
        d[12] = Money(l.svdis);
        d[13] = Money(l.svdis1);
        d[14] = Money(amounts[i]);
        d[15] = Text(!l.batch_text.empty() ? l.batch_text : l.batch ? l.batch->number : "");
        d[16] = l.batch ? DateOrNull(l.batch->mfd) : Value();
        d[17] = l.batch ? DateOrNull(l.batch->exp) : Value();
        d[18] = Text(l.returned ? "R" : "");
        dis_->Add(d);
      }
    }
    if (challan) return;

    bool purchase_side = !sale_side;
    int64_t sales_amount = v.tax_inclusive ? net - taxamo : net;
    std::vector<Posting> p;
    p.push_back({v.party->code, o * billed, v.broker});
    p.push_back({purchase_side ? ledger::kPurchase : ledger::kSales, -o * sales_amount, ""});
    if (local) {
      p.push_back({purchase_side ? ledger::kCgstIn : ledger::kCgstOut, -o * cgst, ""});
      p.push_back({purchase_side ? ledger::kSgstIn : ledger::kSgstOut, -o * (taxamo - cgst), ""});
    } else {
      p.push_back({purchase_side ? ledger::kIgstIn : ledger::kIgstOut, -o * taxamo, ""});
    }
    p.push_back({ledger::kFreight, -o * (v.freight + v.packing), ""});
    if (v.other != 0) p.push_back({v.othun, -o * v.other, ""});
    p.push_back({ledger::kSuspense, -o * v.staxamo, ""});
    p.push_back({ledger::kRoundOff, -o * round, ""});
    if (cash != 0) {
      p.push_back({ledger::kCash, o * cash, ""});
      p.push_back({v.party->code, -o * cash, v.broker});
    }
    WritePostings(id, std::string(1, t), date, p);

    if (final_amount != 0 && v.party->code != ledger::kCashCustomer) {
      std::string ref = t == 'P' ? v.pm : v.vcn;
      Date due = DayDate(std::min(v.day + v.party->due_days, kDays + 60));
      pend_->Add({Whole(id), Text("N"), Text(ref), Value(due), Money(o * final_amount)});
      if (t == 'S') open_sales_.push_back({v.party, ref, final_amount});
      if (t == 'P') open_purchases_.push_back({v.party, ref, final_amount});
    }
  }

  void WritePostings(int64_t id, const std::string& type, Date date,
                     const std::vector<Posting>& postings) {
    int64_t sum = 0;
    for (const Posting& p : postings) {
      sum += p.amount;
      if (p.amount == 0) continue;
      gledger_->Add({Whole(id), Text(type), Value(date), Text(p.code), Text(""),
                     Money(p.amount > 0 ? p.amount : 0), Money(p.amount < 0 ? -p.amount : 0),
                     Text(p.broker)});
    }
    if (sum != 0) throw std::logic_error("sample voucher does not balance");
  }

  void PendRow(int64_t id, const char* type, const std::string& ref, int day, int64_t amount) {
    pend_->Add({Whole(id), Text(type), Text(ref), Value(DayDate(std::min(day, kDays + 60))),
                Money(amount)});
  }

  // ---- ledger vouchers ----
  void RegularLedgerVoucher(int day) {
    int r = static_cast<int>(rng_.Range(0, 99));
    const char* bank = rng_.Percent(70) ? ledger::kHdfc : ledger::kSbi;
    if (r < 40 && !open_sales_.empty()) {
      size_t k = static_cast<size_t>(rng_.Range(0, static_cast<int64_t>(open_sales_.size()) - 1));
      OpenBill bill = open_sales_[k];
      open_sales_[k] = open_sales_.back();
      open_sales_.pop_back();
      int64_t amount = rng_.Percent(80) ? bill.amount : RoundDiv(bill.amount, 200) * 100;
      if (amount <= 0) amount = bill.amount;
      int64_t id = ++voucher_id_;
      const char* into = rng_.Percent(15) ? ledger::kCash : bank;
      WritePostings(id, "C", DayDate(day),
                    {{into, amount, ""}, {bill.party->code, -amount, bill.party->broker}});
      PendRow(id, "A", bill.ref, day, -amount);
      if (amount < bill.amount) open_sales_.push_back({bill.party, bill.ref, bill.amount - amount});
      return;
    }
    if (r < 60 && !open_purchases_.empty()) {
      size_t k =
          static_cast<size_t>(rng_.Range(0, static_cast<int64_t>(open_purchases_.size()) - 1));
      OpenBill bill = open_purchases_[k];
      open_purchases_[k] = open_purchases_.back();
      open_purchases_.pop_back();
      int64_t id = ++voucher_id_;
      WritePostings(id, "G", DayDate(day),
                    {{bill.party->code, bill.amount, ""}, {bank, -bill.amount, ""}});
      PendRow(id, "A", bill.ref, day, bill.amount);
      return;
    }
    int64_t id = ++voucher_id_;
    if (r < 72) {  // expenses paid
      static const std::vector<const char*> heads = {ledger::kRent, ledger::kElectricity,
                                                     ledger::kTelephone, ledger::kStaffWelfare,
                                                     ledger::kBankCharges};
      int64_t amount = rng_.Range(5, 500) * 1000;
      WritePostings(
          id, "G", DayDate(day),
          {{rng_.Pick(heads), amount, ""}, {rng_.Percent(60) ? bank : ledger::kCash, -amount, ""}});
    } else if (r < 80) {  // cash deposited
      int64_t amount = rng_.Range(10, 300) * 100000;
      WritePostings(id, "D", DayDate(day), {{bank, amount, ""}, {ledger::kCash, -amount, ""}});
    } else if (r < 90) {  // salaries
      int64_t a = rng_.Range(200, 900) * 10000, b = rng_.Range(10, 90) * 1000;
      WritePostings(id, "Z", DayDate(day),
                    {{ledger::kSalary, a, ""},
                     {ledger::kStaffWelfare, b, ""},
                     {ledger::kOutstanding, -(a + b), ""}});
    } else if (r < 95) {  // debit note to a supplier: rate difference with its tax
      const Account& s = PickSupplier();
      int64_t base = rng_.Range(10, 400) * 1000, tax = RoundDiv(base * 12, 100);
      bool home = s.state == kHomeState || s.state.empty();
      std::vector<Posting> p = {{s.code, base + tax, ""}, {ledger::kPurchase, -base, ""}};
      if (home)
        p.push_back({ledger::kCgstIn, -tax / 2, ""}),
            p.push_back({ledger::kSgstIn, -(tax - tax / 2), ""});
      else
        p.push_back({ledger::kIgstIn, -tax, ""});
      WritePostings(id, rng_.Percent(50) ? "B" : "YB", DayDate(day), p);
      PendRow(id, "N", "", day, base + tax);
    } else {  // credit note to a customer: expiry returns settled in value
      const Account& c = PickCustomer();
      int64_t base = rng_.Range(5, 200) * 1000, tax = RoundDiv(base * 12, 100);
      bool home = c.state == kHomeState || c.state.empty();
      std::vector<Posting> p = {{ledger::kSales, base, ""}};
      if (home)
        p.push_back({ledger::kCgstOut, tax / 2, ""}),
            p.push_back({ledger::kSgstOut, tax - tax / 2, ""});
      else
        p.push_back({ledger::kIgstOut, tax, ""});
      p.push_back({c.code, -(base + tax), c.broker});
      WritePostings(id, rng_.Percent(50) ? "F" : "YF", DayDate(day), p);
      PendRow(id, "N", "", day, -(base + tax));
    }
  }

  // ---- the fixed awkward vouchers ----
  using Event = std::function<void()>;

  Line FixedLine(size_t item_index, int64_t packs, bool purchase = false) {
    const Item& it = items_[item_index];
    Line l;
    l.item = &it;
    if (!it.batches.empty()) l.batch = &it.batches.back();
    l.qty = packs * std::max(it.pack, 1);
    l.rate = purchase ? it.prate : it.ratea;
    return l;
  }

  std::vector<std::pair<int, Event>> FixedEvents() {
    std::vector<std::pair<int, Event>> ev;
    auto sale = [&](int day, const Account& party) {
      InvVoucher v;
      v.type = 'S';
      v.day = day;
      v.party = &party;
      v.vcn = "A" + Pad(++sale_no_, 6);
      return v;
    };
    // the first day of the year: a sale with freight, packing, a broker and a round-off
    ev.push_back({0, [=, this] {
                    InvVoucher v = sale(0, OddAcc(7));
                    v.lines = {FixedLine(0, 7), FixedLine(1, 3), FixedLine(20, 2)};
                    v.freight = 15000;
                    v.packing = 2500;
                    v.godown = "B";
                    v.broker = broker_codes_[0];
                    first_sale_vcn_ = v.vcn;
                    Emit(v);
                  }});
    // a party in another state (IGST), one without a state, one with a quote in its code
    ev.push_back({3, [=, this] {
                    InvVoucher v = sale(3, OddAcc(13));
                    v.lines = {FixedLine(0, 20), FixedLine(8, 5)};
                    Emit(v);
                    InvVoucher w = sale(3, OddAcc(15));
                    w.lines = {FixedLine(6, 10)};
                    Emit(w);
                    InvVoucher x = sale(3, OddAcc(11));
                    x.lines = {FixedLine(9, 4), FixedLine(13, 2)};
                    Emit(x);
                  }});
    // a purchase numbered like the first sale, with the supplier's bill number
    ev.push_back({5, [=, this] {
                    InvVoucher v;
                    v.type = 'P';
                    v.day = 5;
                    v.party = &OddAcc(16);
                    v.vcn = first_sale_vcn_;
                    v.pm = "TI/24-25/0456";
                    v.lines = {FixedLine(0, 100, true), FixedLine(3, 40, true)};
                    Emit(v);
                  }});
    // a walk-in cash sale of 250 exactly, the phone number inside the billing name
    ev.push_back({8, [=, this] {
                    InvVoucher v = sale(8, Acc(ledger::kCashCustomer));
                    Line l = FixedLine(17, 1);
                    l.rate = 25000;  // inclusive of tax
                    l.batch = nullptr;
                    v.lines = {l};
                    v.tax_inclusive = true;
                    v.settle = Settle::kCash;
                    v.docu = "Sunita More 9822012345";
                    v.phone = "9822012345";
                    v.docu2 = "Flat 4, Karve Nagar, Pune";
                    Emit(v);
                    InvVoucher s = sale(8, OddAcc(2));  // partly in cash
                    s.lines = {FixedLine(0, 10), FixedLine(6, 5)};
                    s.settle = Settle::kSplit;
                    s.split_cash = 20000;
                    Emit(s);
                  }});
    // three sales with the same number on the same day
    ev.push_back({12, [=, this] {
                    for (int i = 0; i < 3; ++i) {
                      InvVoucher v = sale(12, OddAcc(static_cast<size_t>(i)));
                      if (i > 0) {
                        --sale_no_;
                        v.vcn = "A" + Pad(sale_no_, 6);
                      }
                      v.lines = {FixedLine(0, static_cast<int64_t>(i) + 2)};
                      Emit(v);
                    }
                  }});
    // a delivery challan, and later the sale billed against it
    ev.push_back({15, [=, this] {
                    InvVoucher v;
                    v.type = 'L';
                    v.day = 15;
                    v.party = &OddAcc(12);
                    v.challan = "DC" + Pad(++issue_no_, 6);
                    fixed_challan_ = v.challan;
                    v.lines = {FixedLine(4, 2), FixedLine(20, 4)};
                    Emit(v);
                    InvVoucher r;
                    r.type = 'D';
                    r.day = 15;
                    r.party = &OddAcc(17);
                    r.challan = "GRN" + Pad(++receipt_no_, 5);
                    r.lines = {FixedLine(15, 30, true)};
                    Emit(r);
                  }});
    ev.push_back({18, [=, this] {
                    InvVoucher v = sale(18, OddAcc(12));
                    v.challan = fixed_challan_;
                    v.lines = {FixedLine(4, 2), FixedLine(20, 4)};
                    Emit(v);
                  }});
    // a breakage return, a sale return and both kinds of purchase return
    ev.push_back({25, [=, this] {
                    InvVoucher w;
                    w.type = 'W';
                    w.day = 25;
                    w.party = &OddAcc(6);
                    w.vcn = "W" + Pad(++breakage_no_, 6);
                    w.godown = "E";
                    w.lines = {FixedLine(2, 3)};
                    Emit(w);
                    InvVoucher r = w;
                    r.type = 'R';
                    r.vcn = "R" + Pad(++sreturn_no_, 6);
                    r.godown = "A";
                    r.lines = {FixedLine(0, 5)};
                    Emit(r);
                    InvVoucher b;
                    b.type = 'B';
                    b.day = 25;
                    b.party = &OddAcc(16);
                    b.vcn = "B" + Pad(++preturn_no_, 6);
                    b.lines = {FixedLine(3, 2, true)};
                    Emit(b);
                    InvVoucher u = b;
                    u.type = 'U';
                    u.vcn = "U" + Pad(++preturn_no_, 6);
                    u.party = &OddAcc(18);
                    Emit(u);
                  }});
    // a sale with a returned line, free goods and a batch number beginning with two blanks
    ev.push_back({30, [=, this] {
                    InvVoucher v = sale(30, OddAcc(4));
                    Line a = FixedLine(0, 10);
                    a.free = 10;
                    Line b = FixedLine(3, 4);
                    b.batch = &items_[3].batches[2];
                    Line c = FixedLine(0, 2);
                    c.returned = true;
                    v.lines = {a, b, c};
                    Emit(v);
                  }});
    // a hand-edited line amount (the bill no longer matches its rates) with a free line at rate 0
    ev.push_back({33, [=, this] {
                    InvVoucher v = sale(33, OddAcc(5));
                    Line a = FixedLine(1, 5);
                    a.adjust = 4000;
                    Line b = FixedLine(6, 1);
                    b.rate = 0;
                    v.lines = {a, b};
                    Emit(v);
                  }});
    // sold by the piece: the rate is per piece, not per box
    ev.push_back({36, [=, this] {
                    InvVoucher v = sale(36, OddAcc(12));
                    Line a = FixedLine(4, 0);
                    a.qty = 35;
                    a.rate = items_[4].ratea / items_[4].pack;
                    v.lines = {a};
                    v.basis = Basis::kPiece;
                    Emit(v);
                  }});
    // cartage charged, a cash discount allowed, an amount booked to suspense
    ev.push_back({40, [=, this] {
                    InvVoucher a = sale(40, OddAcc(8));
                    a.lines = {FixedLine(0, 8)};
                    a.other = 7500;
                    a.othun = ledger::kCartage;
                    Emit(a);
                    InvVoucher b = sale(40, OddAcc(9));
                    b.lines = {FixedLine(6, 12)};
                    b.other = -2500;
                    b.othun = ledger::kCashDiscount;
                    Emit(b);
                    InvVoucher c = sale(40, OddAcc(10));
                    c.lines = {FixedLine(20, 3)};
                    c.staxamo = 1234;
                    Emit(c);
                  }});
    // a sale header whose lines are missing, and a line whose item code is unknown
    ev.push_back({44, [=, this] {
                    InvVoucher a = sale(44, OddAcc(0));
                    a.lines = {FixedLine(0, 1)};
                    Emit(a, /*with_lines=*/false);
                    InvVoucher b = sale(44, OddAcc(1));
                    Line l = FixedLine(0, 3);
                    l.code_override = 888888;
                    l.nera = "Loose Paracetamol (Old Code)";
                    b.lines = {l};
                    Emit(b);
                    // a line deleted from that bill: still in the file, no longer in the books
                    std::vector<Value> gone(kDisFields.size());
                    gone[0] = Whole(voucher_id_);
                    gone[1] = Value(DayDate(44));
                    gone[2] = Text(b.vcn);
                    gone[3] = Whole(1);
                    gone[4] = Text(items_[0].name);
                    gone[5] = Text("A");
                    gone[6] = Money(1000);
                    gone[7] = Whole(10);
                    gone[9] = Money(items_[0].ratea);
                    gone[14] = Money(items_[0].ratea);
                    dis_->Add(gone, /*deleted=*/true);
                  }});
    // the last day of the year
    ev.push_back({kDays - 1, [=, this] {
                    InvVoucher v = sale(kDays - 1, OddAcc(6));
                    v.lines = {FixedLine(0, 4), FixedLine(9, 1)};
                    Emit(v);
                  }});

    // Ledger vouchers.
    ev.push_back(
        {50, [=, this] {
           int64_t id = ++voucher_id_;  // one row: code1 holds the other side
           gledger_->Add({Whole(id), Text("Z"), Value(DayDate(50)), Text(ledger::kOutstanding),
                          Text(ledger::kSalary), Money(30000), Money(0), Text("")});
           id = ++voucher_id_;  // type in small letters, and a zero row
           WritePostings(id, "z", DayDate(50),
                         {{ledger::kRent, 1500000, ""}, {ledger::kOutstanding, -1500000, ""}});
           gledger_->Add({Whole(id), Text("z"), Value(DayDate(50)), Text(ledger::kTelephone),
                          Text(""), Money(0), Money(0), Text("")});
           id = ++voucher_id_;  // a payment with a zero row
           WritePostings(id, "G", DayDate(50),
                         {{ledger::kBankCharges, 11800, ""}, {ledger::kHdfc, -11800, ""}});
           gledger_->Add({Whole(id), Text("G"), Value(DayDate(50)), Text(ledger::kCash), Text(""),
                          Money(0), Money(0), Text("")});
           id = ++voucher_id_;  // a contra
           WritePostings(id, "D", DayDate(50),
                         {{ledger::kSbi, 5000000, ""}, {ledger::kCash, -5000000, ""}});
         }});
    // a journal whose rows lie on two days, so another voucher comes between them
    ev.push_back({55, [=, this] {
                    int64_t id = ++voucher_id_;
                    split_journal_ = id;
                    gledger_->Add({Whole(id), Text("Z"), Value(DayDate(55)),
                                   Text(ledger::kStaffWelfare), Text(""), Money(250000), Money(0),
                                   Text("")});
                  }});
    ev.push_back({56, [=, this] {
                    gledger_->Add({Whole(split_journal_), Text("Z"), Value(DayDate(56)),
                                   Text("L030"), Text(""), Money(0), Money(250000), Text("")});
                  }});
    // receipts and payments with awkward bill references
    ev.push_back(
        {60, [=, this] {
           const Account& p = OddAcc(10);
           int64_t id = ++voucher_id_;
           WritePostings(id, "C", DayDate(60),
                         {{ledger::kHdfc, 450000, ""}, {p.code, -450000, broker_codes_[1]}});
           PendRow(id, "N", "A12", 90, -150000);
           PendRow(id, "N", "A12", 90, -150000);
           PendRow(id, "x", "A12", 90, -150000);
           PendRow(id, "n", "", 90, 0);
           PendRow(id, "N ", "A13", 90, 0);
           id = ++voucher_id_;
           const Account& s = OddAcc(16);
           WritePostings(id, "G", DayDate(60), {{s.code, 200000, ""}, {ledger::kSbi, -200000, ""}});
           PendRow(id, "N", "", 60, 80000);
           PendRow(id, "N", "", 60, 70000);
           PendRow(id, "A", "", 60, 50000);
           id = ++voucher_id_;  // a receipt from the 45-character party
           WritePostings(id, "C", DayDate(60),
                         {{ledger::kCash, 250050, ""}, {OddAcc(7).code, -250050, ""}});
           PendRow(id, "A", "A" + Pad(1, 6), 60, -250050);
         }});
    return ev;
  }

  void WriteVouchers() {
    std::vector<std::pair<int, Event>> events = FixedEvents();
    int64_t fixed_inventory =
        kFixedInventoryVouchers;  // the fixed events above write this many inventory headers
    int64_t regular = std::max<int64_t>(0, opt_.vouchers - fixed_inventory);
    int64_t ledgers = opt_.ledger_vouchers;
    int64_t next_inv = 0, next_led = 0;
    size_t next_event = 0;
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (int day = 0; day < kDays; ++day) {
      while (next_event < events.size() && events[next_event].first == day)
        events[next_event++].second();
      for (; next_inv < regular && next_inv * kDays / regular == day; ++next_inv)
        Emit(Regular(RegularType(), day));
      for (; next_led < ledgers && next_led * kDays / ledgers == day; ++next_led)
        RegularLedgerVoucher(day);
    }
  }

  std::filesystem::path dir_;
  SampleExportOptions opt_;
  Rng rng_;
  std::vector<AccountRow> account_rows_;
  std::map<std::string, size_t> account_index_;
  std::vector<size_t> odd_rows_, odd_customers_, customer_idx_, supplier_idx_;
  std::vector<std::string> broker_codes_, godowns_;
  std::vector<Item> items_;
  std::vector<size_t> sellable_;
  std::unique_ptr<Table> mdis_, dis_, pend_, gledger_;
  int64_t voucher_id_ = 0;
  int64_t sale_no_ = 0, purchase_no_ = 0, sreturn_no_ = 0, breakage_no_ = 0, preturn_no_ = 0,
          receipt_no_ = 0, issue_no_ = 0;
  std::vector<std::string> open_challans_;
  std::vector<OpenBill> open_sales_, open_purchases_;
  std::string first_sale_vcn_, fixed_challan_;
  int64_t split_journal_ = 0;
};

}  // namespace

SampleExportSummary WriteSampleExport(const std::string& dir, const SampleExportOptions& options) {
  std::filesystem::path path(dir);
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (!std::filesystem::is_directory(path))
    throw std::runtime_error("cannot create the folder " + dir +
                             (ec ? ": " + ec.message() : std::string()));
  return SampleWriter(path, options).Run();
}

}  // namespace vodare
