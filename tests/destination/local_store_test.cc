// The local company store as the program meets it: opening, masters, config, series and
// vouchers, the journal, the books, and what is left of a run that was killed.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zstd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "common/run_error.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/journal_text.h"
#include "destination/local/local_factory.h"
#include "destination/local/reports.h"
#include "destination/local/sqlite_db.h"
#include "destination/ordered_saves.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/temp_dir.h"

namespace vodare {
namespace {

using testing::CreateLocalCompany;
using testing::LocalCompany;
using testing::OpenLocalCompany;
using testing::Scalar;
using testing::StoreOf;
namespace fs = std::filesystem;

// A sale as the inventory voucher stage writes it (tests/data/local_store_sale.xml, its
// parts in braces), with the parts given swapped out.
std::string SaleXml(const std::map<std::string, std::string>& parts = {}) {
  static const std::string kept = testing::KeptText("local_store_sale.xml");
  std::map<std::string, std::string> values = {
      {"root", "Sale"},           {"type", "9"},
      {"series", "Sales"},        {"date", "05-06-2024"},
      {"number", "101"},          {"party", "MEHTA STORES"},
      {"mc", "MAIN STORE"},       {"item", "Soap"},
      {"line_mc", "MAIN STORE"},  {"stpt", "Local-MultiRate Consolidated"},
      {"sundry", "SGST"},         {"party_amount", "-980"},
      {"sales_account", "Sales"}, {"qty", "10"},
      {"sales_amount", "800"},    {"extra", ""}};
  for (const auto& [name, value] : parts) values.at(name) = value;
  std::string xml = kept.substr(0, kept.find('\n'));
  for (const auto& [name, value] : values)
    for (size_t at; (at = xml.find("{" + name + "}")) != std::string::npos;)
      xml.replace(at, name.size() + 2, value);
  return xml;
}

// A company with the masters of tests/data/local_store_books.txt ("kind record" a line) and the
// series the sales of SaleXml name.
LocalCompany CompanyWithBooks() {
  LocalCompany company = CreateLocalCompany({.years = {2023, 2024}});
  auto s = OpenLocalCompany(company);
  std::istringstream books(testing::KeptText("local_store_books.txt"));
  std::vector<std::pair<int16_t, std::string>> masters;
  for (std::string line; std::getline(books, line);)
    masters.emplace_back(std::stoi(line), line.substr(line.find(' ') + 1));
  testing::SaveMasters(s, masters);
  for (auto [name, type] : std::vector<std::pair<std::string, int16_t>>{
           {"Sales", 9}, {"Purchase", 2}, {"Payment", 19}, {"Journal", 16}})
    EXPECT_GT(s.fixed1->SaveVchSeriesForMultiSeriesCreation(name, type), 0);
  return company;
}

// Later objects of a factory share the company it opened.
TEST(LocalStoreOpen, OpensOnlyAnInstallationHoldingTheCompanyAndYearAndSharesIt) {
  LocalCompany c = CreateLocalCompany({.name = "Shared Co", .years = {2022, 2024, 2023}});
  local::LocalAutomationFactory factory;
  EXPECT_THROW(factory.CreateFixedInterface("Vodavi2V21.CFixedInterface2"), RunTimeError);
  EXPECT_THROW(factory.CreateCompany(kProgIdFixedInterface), RunTimeError);
  auto fixed = factory.CreateFixedInterface(kProgIdFixedInterface);
  std::string code = "comp0001";  // codes are found whatever their letter case
  EXPECT_TRUE(fixed->OpenDB(c.program_folder + "/", c.data_folder + "/", code));
  EXPECT_EQ(code, "Comp0001");
  int16_t year = 2024;
  EXPECT_TRUE(fixed->OpenDB(c.program_folder, c.data_folder, code, year));
  year = 2025;
  EXPECT_FALSE(fixed->OpenDB(c.program_folder, c.data_folder, code, year));
  std::string missing = "Comp0002";
  EXPECT_FALSE(fixed->OpenDB(c.program_folder, c.data_folder, missing));
  // A folder without SYSTEM/DP.txt is no installation.
  EXPECT_FALSE(fixed->OpenDB(c.data_folder, c.data_folder, code));
  EXPECT_EQ(factory.CreateFixedInterface1(kProgIdFixedInterface1)->GetCompCode(), "");
  year = 2023;
  ASSERT_TRUE(fixed->OpenDB(c.program_folder, c.data_folder, code, year));
  auto fixed1 = factory.CreateFixedInterface1(kProgIdFixedInterface1);
  EXPECT_EQ(fixed1->GetCompCode(), "Comp0001");
  EXPECT_EQ(fixed1->GetAllFinYearsOfSpecificCompCode(code),
            (std::vector<std::string>{"2022", "2023", "2024"}));
  EXPECT_FALSE(fixed1->GetCompGUID().empty());
  const std::string config = fixed->GetCompConfigXML();
  for (const char* part : {"<CompanyName>Shared Co</CompanyName>", "<CurFY>01-04-2023</CurFY>",
                           "<VatGst><SalesTaxType>GST</SalesTaxType></VatGst>"})
    EXPECT_NE(config.find(part), std::string::npos) << part;
  fixed->CloseDB();
  EXPECT_EQ(fixed1->GetCompCode(), "");
  EXPECT_THROW(fixed->mastername2code("Cash", 2), RunTimeError);
}

TEST(LocalStoreOpen, ListsCompaniesAndReadsDpTxtWhateverItsCase) {
  LocalCompany c = CreateLocalCompany({.name = "First"});
  EXPECT_EQ(local::CompanyStore::Create(c.data_folder,
                                        {.name = "Second", .state = "GOA", .years = {2024}}),
            "Comp0002");
  const fs::path program = c.program_folder;
  fs::rename(program / "SYSTEM" / "DP.txt", program / "SYSTEM" / "dp.TXT");
  fs::rename(program / "SYSTEM", program / "system");
  auto fixed = local::LocalAutomationFactory().CreateFixedInterface(kProgIdFixedInterface);
  std::string data = c.data_folder, code = "Comp0002";
  auto list = fixed->GetCompList(data);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "First");
  EXPECT_EQ(list[1].code, "Comp0002");
  EXPECT_TRUE(fixed->OpenDB(c.program_folder, "", code));  // the data folder DP.txt records
}

// DP.txt written on Windows names a drive path; here drive X is a folder of VODARE_DRIVES.
TEST(LocalStoreOpen, AWindowsDataFolderInDpTxtMapsToItsDriveFolder) {
  testing::TempDir dir;
  const fs::path drives = dir.path() / "drives", program = dir.path() / "Vuvoda";
  std::string code =
      local::CompanyStore::Create((drives / "x" / "Vuvoda Bücher").string(),
                                  {.name = "On Drive X", .state = "GOA", .years = {2024}});
  fs::create_directories(program / "SYSTEM");
  // Written as ANSI text (0xDC is "Ü"), and not in the folder's own letter case.
  std::ofstream(program / "SYSTEM" / "DP.txt") << "X:\\VUVODA B\xDC"
                                                  "CHER\\\r\n";
  const char* old = std::getenv("VODARE_DRIVES");
  const std::string saved = old ? old : "";
  setenv("VODARE_DRIVES", drives.string().c_str(), 1);
  local::LocalAutomationFactory factory(program.string());
  auto fixed = factory.CreateFixedInterface(kProgIdFixedInterface);
  EXPECT_TRUE(fixed->OpenDB(program.string(), "", code));
  std::string windows_data = "x:\\Vuvoda Bücher";
  EXPECT_EQ(fixed->GetCompList(windows_data).size(), 1u);
  if (old)
    setenv("VODARE_DRIVES", saved.c_str(), 1);
  else
    unsetenv("VODARE_DRIVES");
}

class LocalStore : public ::testing::Test {
 protected:
  bool SaveMaster(int16_t kind, std::string xml) {
    message_ = "unchanged";
    return s_.fixed->SaveMasterFromXML(kind, xml, message_);
  }
  bool Save(int16_t type, std::string xml) {
    message_ = "unchanged";
    return s_.fixed->SaveVchFromXML(type, xml, message_, false);
  }
  local::CompanyStore Store() { return StoreOf(company_); }
  // Each call of a kept file of the store's answers, in order, on this session.
  void ExpectKept(const std::string& file) {
    testing::ExpectKeptAnswers(file, [this](const std::string& f, const std::string& in) {
      std::vector<std::string> parts = testing::InputParts(in, 20);
      std::string& name = parts[0];
      auto kind = [&] { return static_cast<int16_t>(std::stoi(parts[1])); };
      const std::string rest = in.substr(in.find('|') + 1);
      if (f == "SaveMaster") return (SaveMaster(std::stoi(name), rest) ? "+" : "- ") + message_;
      if (f == "SaveVoucher") {  // a record of its own, or the sale with the parts named swapped
        std::map<std::string, std::string> swapped;
        for (const std::string& part : parts)
          if (const size_t eq = part.find('='); eq != std::string::npos)
            swapped[part.substr(0, eq)] = part.substr(eq + 1);
        return (Save(std::stoi(in), rest[0] == '<' ? rest : SaleXml(swapped)) ? "+" : "- ") +
               message_;
      }
      if (f == "Scalar") {
        local::CompanyStore store = Store();
        return Scalar(store, in);
      }
      if (f == "ExecuteQuery") return s_.fixed->ExecuteQuery(in), std::string("ran");
      if (f == "ReloadMastConfig") {  // loaded, saved unchanged and loaded again
        std::string none;
        s_.mast_config->Load(6), s_.mast_config->Save(6, none), s_.mast_config->Load(6);
        return std::string("reloaded");
      }
      if (f == "CopySeriesConfig") {
        int32_t code = std::stoi(parts[2]);
        s_.fixed1->CopySeriesConfig(std::stoi(name), parts[1], code, std::stoi(parts[3]));
        return std::string("copied");
      }
      if (f == "statename2tindigit") return s_.fixed1->statename2tindigit(name);
      if (f == "CountryName2Code") return std::to_string(s_.fixed1->CountryName2Code(name));
      if (f == "StateName2PDCode") {
        int16_t country = s_.fixed1->CountryName2Code(parts[1]);
        return std::to_string(s_.fixed1->StateName2PDCode(name, country));
      }
      if (f == "mastername2code") return std::to_string(s_.fixed->mastername2code(name, kind()));
      if (f == "SaveVchSeries")
        return std::to_string(s_.fixed1->SaveVchSeriesForMultiSeriesCreation(name, kind()));
      std::string list;
      for (const std::string& master :
           s_.fixed->GetMastersCol(static_cast<int16_t>(std::stoi(name))))
        list += master + ";";
      return list;
    });
  }
  LocalCompany company_ = CompanyWithBooks();
  testing::LocalSessionObjects s_ = OpenLocalCompany(company_);
  std::string message_;
};

// Masters, lookups, series codes and settings: each call of tests/data/local_store_masters.txt.
TEST_F(LocalStore, GivesTheKeptAnswersToMastersLookupsAndSeries) {
  ExpectKept("local_store_masters.txt");
}

// The config updates of tests/data/local_store_queries.txt run, and the master configuration keeps
// the captions they named through its reloads; any other statement is refused.
TEST_F(LocalStore, ExecuteQueryRunsOnlyConfigUpdates) {
  ExpectKept("local_store_queries.txt");
  std::string text = "x";
  s_.company->Load(text);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(s_.company->batchbybatch && s_.company->MultiGodown);
  EXPECT_FALSE(s_.company->AlternateUnit);
  EXPECT_GT(s_.fixed->mastername2code("Cash", 2), 0);

  // Company switches are config cells another session of the company reads back.
  s_.company->EnablePurcReturnInPurchase = true;
  s_.company->DLNoEnabled = true;
  s_.company->Save("");
  auto other = OpenLocalCompany(company_);
  EXPECT_TRUE(other.company->EnablePurcReturnInPurchase && other.company->DLNoEnabled);
  EXPECT_FALSE(other.company->EnableSalesReturnInSales);
  other.fixed->ExecuteQuery("Update CONFIG set B137=-1 WHERE RECTYPE = 5 AND TYPE = 0");
  s_.company->Load(text);
  EXPECT_TRUE(s_.company->EnableSalesReturnInSales);
  EXPECT_EQ(s_.company->DateSeperator, "-");
}

// Every cut of a sale is refused as not well-formed, and nothing of it is stored; the whole sale
// leaves the rows of tests/data/local_store_sale_rows.txt, and the trial balance and stock of
// the books after it (openings 2000 Dr and 1500 Cr, a ledger with nothing on it left out, 10 out
// and the returned 2 back in).
TEST_F(LocalStore, ASaleIsStoredWholeAndShowsInTheBooks) {
  const std::string xml = SaleXml();
  for (size_t n = 0; n < xml.size(); n += 11) {
    EXPECT_FALSE(Save(9, xml.substr(0, n))) << n;
    EXPECT_EQ(message_.rfind("The record is not well-formed XML: ", 0), 0u)
        << n << ": " << message_;
  }
  EXPECT_FALSE(Save(9, xml + "<Sale/>"));
  EXPECT_EQ(message_, "The record is not well-formed XML: more than one root element");
  local::CompanyStore store = Store();
  EXPECT_TRUE(local::ListVouchers(store, std::nullopt).empty());
  ASSERT_TRUE(Save(9, xml)) << message_;
  EXPECT_EQ(message_, "");
  auto vouchers = local::ListVouchers(store, 9);
  ASSERT_EQ(vouchers.size(), 1u);
  EXPECT_DOUBLE_EQ(vouchers[0].amount, 980);
  EXPECT_EQ(vouchers[0].party, "Mehta Stores");
  ExpectKept("local_store_sale_rows.txt");
  const local::TrialBalance tb = local::ComputeTrialBalance(store);
  testing::ExpectGolden("local_store_books_after_a_sale.txt",
                        local::RenderTrialBalance(tb, true) + local::RenderTrialBalance(tb, false) +
                            local::RenderStockSummary(local::ComputeStockSummary(store), true));
}

// Vouchers and the store's answers: tests/data/local_store_voucher_refusals.txt, a record of its
// own or a sale with the parts named swapped out.
TEST_F(LocalStore, RefusesVouchersWithAMessageNamingTheValue) {
  ExpectKept("local_store_voucher_refusals.txt");
}

// A record is checked from its own markup even when the texts gathered with it are missing or
// another record's: the saves never take one voucher's lines for another's.
TEST_F(LocalStore, ARecordIsCheckedFromItsOwnMarkupWhateverWasGatheredWithIt) {
  local::CompanyStore store = Store();
  const std::string good = SaleXml(), bad = SaleXml({{"item", "Shampoo"}, {"number", "102"}});
  auto read_bad = local::CompanyStore::ReadVoucherText(bad);
  const auto read_good = local::CompanyStore::ReadVoucherText(good);
  read_bad->gathered = read_good->gathered;
  local::StoreAnswer answer = store.SaveVoucher(9, bad, *read_bad, 2024);
  EXPECT_FALSE(answer.saved);
  EXPECT_EQ(answer.message, "Item 'Shampoo' does not exist");
  read_bad = local::CompanyStore::ReadVoucherText(good);
  read_bad->gathered.reset();
  answer = store.SaveVoucher(9, good, *read_bad, 2024);
  EXPECT_TRUE(answer.saved) << answer.message;
  ExpectKept("local_store_sale_rows.txt");
}

// The journal's last rows, each text exactly as sent: tests/data/local_store_journal.txt.
TEST_F(LocalStore, JournalHoldsEveryTextExactlyAsSent) {
  const std::string first = SaleXml(), refused = SaleXml({{"item", "Shampoo"}, {"number", "102"}});
  ASSERT_TRUE(Save(9, first));
  ASSERT_FALSE(Save(9, refused));
  ASSERT_FALSE(Save(9, first));
  EXPECT_THROW(s_.fixed->ExecuteQuery("DELETE FROM config"), RunTimeError);
  local::CompanyStore store = Store();
  auto journal = local::ReadJournal(store);
  ASSERT_GE(journal.size(), 4u);
  std::map<std::string, std::string> sent = {{first, "the sale"}, {refused, "its refused copy"}};
  std::string tail;
  for (auto row = journal.end() - 4; row != journal.end(); ++row)
    tail += row->operation + " " + (row->kind ? std::to_string(*row->kind) : "-") +
            (row->accepted ? " + " : " - ") + row->message + "\n  " +
            (sent.count(row->text) ? sent[row->text] : row->text) + "\n";
  testing::ExpectGolden("local_store_journal.txt", tail);
  for (size_t i = 1; i < journal.size(); ++i) EXPECT_EQ(journal[i].seq, journal[i - 1].seq + 1);
  // Masters are journalled too, and a new company's own chart is not.
  EXPECT_EQ(journal[0].operation, "SaveMasterFromXML");
  EXPECT_EQ(journal[0].text.rfind("<Account><Name>Mehta Stores</Name>", 0), 0u);
  // A text packed as earlier builds packed it, against no dictionary, reads as it came.
  ASSERT_GE(first.size(), local::kPackFrom);
  std::string plain(ZSTD_compressBound(first.size()), '\0');
  plain.resize(ZSTD_compress(plain.data(), plain.size(), first.data(), first.size(), 1));
  const std::string last_row = " WHERE seq = " + std::to_string(journal.back().seq);
  store.db().Cached("UPDATE journal SET text = ?" + last_row).BindBlob(1, plain).Run();
  EXPECT_EQ(local::ReadJournal(store).back().text, first);
  // One packed against a dictionary the store never had is damaged, as is a broken one: each is
  // reported, not read as some other text.
  std::ifstream in(std::string(VODARE_SOURCE_DIR) + "/src/destination/local/journal_dictionary.bin",
                   std::ios::binary);
  std::string other((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(other.size(), 8u);
  other[4] ^= 1;  // its identifier
  ZSTD_CDict* dictionary = ZSTD_createCDict(other.data(), other.size(), 1);
  ZSTD_CCtx* context = ZSTD_createCCtx();
  std::string foreign(ZSTD_compressBound(first.size()), '\0');
  foreign.resize(ZSTD_compress_usingCDict(context, foreign.data(), foreign.size(), first.data(),
                                          first.size(), dictionary));
  ZSTD_freeCCtx(context);
  ZSTD_freeCDict(dictionary);
  for (const std::string& bytes : {foreign, std::string("\x28\xB5\x2F\xFD\x00\x00", 6)}) {
    store.db().Cached("UPDATE journal SET text = ?" + last_row).BindBlob(1, bytes).Run();
    EXPECT_THROW(local::ReadJournal(store), RunTimeError);
  }
}

// A kept statement's parameter that a run leaves unbound is NULL, never an earlier run's value.
TEST(LocalStoreStatement, AParameterARunLeavesUnboundIsNull) {
  testing::TempDir dir;
  local::Database db(dir / "t.sqlite", true);
  db.Exec("CREATE TABLE t(a, b)");
  const char* insert = "INSERT INTO t VALUES(?, ?)";
  db.Cached(insert).Bind(1, 1).Bind(2, "first").Run();
  db.Cached(insert).Bind(1, 2).Run();
  db.Cached(insert).Bind(2, "third").Run();
  auto& rows = db.Cached("SELECT quote(a) || ' ' || quote(b) FROM t ORDER BY rowid");
  std::string seen;
  while (rows.Step()) seen += rows.Text(0) + "; ";
  EXPECT_EQ(seen, "1 'first'; 2 NULL; NULL 'third'; ");
}

// A bound text is the statement's own copy: the caller's storage may be gone or changed before
// the run, a shorter text leaves nothing of a longer one, and a text with no storage is NULL.
TEST(LocalStoreStatement, ABoundTextIsTheStatementsOwnCopy) {
  testing::TempDir dir;
  local::Database db(dir / "t.sqlite", true);
  db.Exec("CREATE TABLE t(a, b)");
  const char* insert = "INSERT INTO t VALUES(?, ?)";
  {
    std::string text = "a longer first text";
    auto& st = db.Cached(insert).Bind(1, text).BindBlob(2, text);
    text.assign(text.size(), 'x');
    st.Run();
  }
  db.Cached(insert).Bind(1, std::string("short")).BindBlob(2, std::string_view()).Run();
  const std::string long_text(200 * 1024, 'q');  // beyond what a statement keeps room for
  db.Cached(insert).Bind(1, long_text).Bind(2, std::string_view()).Run();
  auto& rows = db.Cached(
      "SELECT CASE WHEN length(a) > 100 THEN length(a) ELSE quote(a) END || ' ' || quote(b) "
      "FROM t ORDER BY rowid");
  std::string seen;
  while (rows.Step()) seen += rows.Text(0) + "; ";
  EXPECT_EQ(seen,
            "'a longer first text' X'61206C6F6E6765722066697273742074657874'; 'short' NULL; 204800 "
            "NULL; ");
}

// Sessions on one file, at once or one after the other, see what the others saved.
TEST_F(LocalStore, SessionsOnTheSameFileSeeWhatTheOthersSaved) {
  auto other = OpenLocalCompany(company_);
  std::string item = "<Item><Name>Shampoo</Name></Item>", message;
  ASSERT_TRUE(other.fixed->SaveMasterFromXML(6, item, message));
  EXPECT_TRUE(Save(9, SaleXml({{"item", "Shampoo"}}))) << message_;
  EXPECT_FALSE(s_.fixed->SaveMasterFromXML(6, item, message));

  s_ = {};  // the first session ends
  auto again = OpenLocalCompany(company_);
  std::string xml = SaleXml({{"item", "Shampoo"}});
  int16_t type = 9;
  EXPECT_FALSE(again.fixed->SaveVchFromXML(type, xml, message, false));
  EXPECT_EQ(message, "Sale voucher No. '101' dated 05-06-2024 already exists in series 'Sales'");
  EXPECT_GT(again.fixed->mastername2code("mehta stores", 2), 0);
  std::string dup =
      "<Account><Name>Mehta Stores</Name><ParentGroup>Sundry Debtors</ParentGroup></Account>";
  EXPECT_FALSE(again.fixed->SaveMasterFromXML(2, dup, message));
  EXPECT_EQ(message, "Ledger 'Mehta Stores' already exists");
}

// A killed run leaves whole vouchers only, and loses none answered as saved. Its log, copied into
// the file while the saves go on, still starts again.
TEST(LocalStoreDurability, AKilledRunLosesNoAnsweredVoucherLeavesNoHalfOneAndKeepsItsLogShort) {
  LocalCompany company = CompanyWithBooks();
  const fs::path wal = local::FindCompanyFile(company.data_folder, company.code)->string() + "-wal";
  constexpr size_t kVouchers = 10000;  // a log of about 65 MB if it never started again
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    auto s = OpenLocalCompany(company);
    OrderedSaves saves(*s.fixed);
    for (int n = 1;; ++n)
      saves.Submit(9, SaleXml({{"number", std::to_string(n)}}),
                   [&, n](const OrderedSaves::Answer& a) {
                     if (!a.saved) _exit(3);
                     if (write(fds[1], &n, sizeof n) != sizeof n) _exit(4);
                   });
  }
  close(fds[1]);
  std::set<int> answered;
  uintmax_t largest_log = 0;
  int n = 0;
  while (answered.size() < kVouchers && read(fds[0], &n, sizeof n) == sizeof n)
    if (answered.insert(n).second && n % 250 == 0)
      largest_log = std::max(largest_log, fs::file_size(wal));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  while (read(fds[0], &n, sizeof n) == sizeof n) answered.insert(n);
  close(fds[0]);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself: " << status;
  ASSERT_GE(answered.size(), kVouchers);
  EXPECT_GT(largest_log, 0u);
  EXPECT_LT(largest_log, 50u << 20) << "the log did not start again";

  std::set<int> held;
  for (const auto& row : testing::JournalOf(company, "SaveVchFromXML", true))
    held.insert(std::stoi(row.text.substr(row.text.find("<VchNo>") + 7)));
  for (int number : answered) EXPECT_TRUE(held.count(number)) << "voucher " << number << " lost";
  EXPECT_FALSE(fs::exists(wal) && fs::file_size(wal) > 0) << "closing leaves the log behind";
  local::CompanyStore store = StoreOf(company);
  const size_t vouchers = held.size();
  EXPECT_EQ(Scalar(store,
                   "SELECT (SELECT COUNT(*) FROM voucher) || ' ' || (SELECT COUNT(*) FROM "
                   "voucher_item) || ' ' || (SELECT COUNT(*) FROM voucher_entry) || ' ' || "
                   "(SELECT COUNT(*) FROM voucher_bill_ref)"),
            std::to_string(vouchers) + " " + std::to_string(2 * vouchers) + " " +
                std::to_string(6 * vouchers) + " " + std::to_string(vouchers));
  local::TrialBalance tb = local::ComputeTrialBalance(store);
  EXPECT_NEAR(tb.debit, tb.credit, 1e-6);
}

}  // namespace
}  // namespace vodare
