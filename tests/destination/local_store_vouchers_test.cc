// Vouchers in the local company store: what it accepts and refuses, the journal, the books,
// and what is left of a run that was killed.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "common/run_error.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "destination/ordered_saves.h"
#include "support/golden.h"
#include "support/local_company.h"

namespace vodare {
namespace {

using testing::CreateLocalCompany;
using testing::LocalCompany;
using testing::OpenLocalCompany;
using testing::SaveMasters;
using testing::Scalar;
using testing::StoreOf;
namespace fs = std::filesystem;

// The text with its first `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

// A sale as the inventory voucher stage writes it (tests/data/local_store_sale.xml, its
// parts in braces), with the parts given swapped out.
std::string SaleXml(const std::map<std::string, std::string>& parts = {}) {
  static const std::string kept = [] {
    std::ifstream in(std::string(VODARE_SOURCE_DIR) + "/tests/data/local_store_sale.xml");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str().substr(0, text.str().find('\n'));
  }();
  std::map<std::string, std::string> values = {
      {"root", "Sale"},          {"type", "9"},
      {"series", "Sales"},       {"date", "05-06-2024"},
      {"number", "101"},         {"party", "MEHTA STORES"},
      {"mc", "MAIN STORE"},      {"item", "Soap"},
      {"line_mc", "MAIN STORE"}, {"stpt", "Local-MultiRate Consolidated"},
      {"sundry", "SGST"},        {"party_amount", "-980"},
      {"sales_account", "Sales"}};
  for (const auto& [name, value] : parts) values.at(name) = value;
  std::string xml = kept;
  for (const auto& [name, value] : values)
    for (size_t at; (at = xml.find("{" + name + "}")) != std::string::npos;)
      xml.replace(at, name.size() + 2, value);
  return xml;
}

std::string Entry(int sr, const std::string& account, int type, const std::string& amount) {
  return "<AccDetail><SrNo>" + std::to_string(sr) + "</SrNo><AccountName>" + account +
         "</AccountName><AmountType>" + std::to_string(type) + "</AmountType><AmtMainCur>" +
         amount + "</AmtMainCur></AccDetail>";
}

class LocalStoreVouchers : public ::testing::Test {
 protected:
  void SetUp() override {
    SaveMasters(s_,
                {{2,
                  "<Account><Name>Mehta Stores</Name><ParentGroup>Sundry Debtors</ParentGroup>"
                  "<OPBal>-2000</OPBal></Account>"},
                 {2,
                  "<Account><Name>Gupta Supply</Name><ParentGroup>Sundry Creditors</ParentGroup>"
                  "<OPBal>1500</OPBal></Account>"},
                 {6,
                  "<Item><Name>Soap</Name><MainUnit>PCS</MainUnit><OPStockInMainUnit>50"
                  "</OPStockInMainUnit><OPAmount>2500</OPAmount></Item>"},
                 {11,
                  "<MaterialCenter><Name>Godown 2</Name><PrimaryGroup>True</PrimaryGroup>"
                  "</MaterialCenter>"},
                 {13, "<SaleType><Name>Local-MultiRate Consolidated</Name></SaleType>"},
                 {14, "<PurchaseType><Name>Local-MultiRate Consolidated</Name></PurchaseType>"}});
    for (auto [name, type] : std::vector<std::pair<std::string, int16_t>>{
             {"Sales", 9}, {"Purchase", 2}, {"Payment", 19}, {"Journal", 16}})
      ASSERT_GT(s_.fixed1->SaveVchSeriesForMultiSeriesCreation(name, type), 0);
  }
  bool Save(int16_t type, std::string xml) {
    message_ = "unchanged";
    return s_.fixed->SaveVchFromXML(type, xml, message_, false);
  }

  LocalCompany company_ = CreateLocalCompany({.name = "Voucher Co", .years = {2023, 2024}});
  testing::LocalSessionObjects s_ = OpenLocalCompany(company_);
  std::string message_;
};

TEST_F(LocalStoreVouchers, StoresASaleWithAllItsParts) {
  ASSERT_TRUE(Save(9, SaleXml())) << message_;
  EXPECT_EQ(message_, "");
  local::CompanyStore store = StoreOf(company_);
  std::string counts;
  for (const char* table : {"voucher", "voucher_item", "voucher_batch", "voucher_sundry",
                            "voucher_entry", "voucher_bill_ref"})
    counts += Scalar(store, std::string("SELECT COUNT(*) FROM ") + table) + " ";
  EXPECT_EQ(counts, "1 2 1 2 6 1 ");
  EXPECT_EQ(Scalar(store,
                   "SELECT carry_settlement || ' ' || cash_amount || ' ' || broker "
                   "FROM voucher"),
            "1 500.0 Ravi");
  EXPECT_EQ(Scalar(store,
                   "SELECT cash_flow || ' ' || settlement FROM voucher_entry "
                   "WHERE sr_no = 6"),
            "500.0 1");
  EXPECT_EQ(Scalar(store,
                   "SELECT broker_assigned || ' ' || broker || ' ' || amount || ' ' || "
                   "amount_type FROM voucher_entry WHERE sr_no = 1"),
            "1 Ravi -980.0 1");
}

// A sale with one part spoilt at a time and the store's answer, as
// tests/data/local_store_voucher_refusals.txt holds them: a difference within 0.01 balances; the
// same number on another date or in another series is another voucher.
TEST_F(LocalStoreVouchers, RefusesWithAMessageNamingTheValue) {
  const std::vector<std::pair<int16_t, std::string>> records = {
      {9, "<Sale><VchType>9</VchType>"},
      {9, SaleXml({{"root", "Purchase"}})},
      {9, SaleXml({{"type", "2"}})},
      {99, SaleXml()},
      {9, SaleXml({{"date", ""}})},
      {9, SaleXml({{"date", "31-02-2024"}})},
      {9, SaleXml({{"date", "31-03-2024"}})},  // the open year is 2024-25
      {9, SaleXml({{"date", "01-04-2025"}})},
      {9, SaleXml({{"series", "Purchase"}})},  // a series of another type
      {9, SaleXml({{"party", "Nobody"}})},
      {9, SaleXml({{"mc", "Godown 9"}})},
      {9, SaleXml({{"line_mc", "Godown 8"}})},
      {9, SaleXml({{"item", "Shampoo"}})},
      {9, SaleXml({{"item", ""}})},
      {9, Replaced(SaleXml(), "<Qty>10</Qty>", "<Qty>1O</Qty>")},
      {9, SaleXml({{"sundry", "Octroi"}})},
      {9, SaleXml({{"sales_account", "Sales A/c"}})},
      {9, SaleXml({{"stpt", "Export"}})},
      {9, SaleXml({{"party_amount", "-980.02"}})},
      {9, SaleXml({{"party_amount", "-980.01"}})},
      {9, SaleXml()},
      {9, SaleXml({{"date", "06-06-2024"}})},
      {9, SaleXml({{"series", "main"}})},
  };
  std::string text;
  for (size_t i = 0; i < records.size(); ++i)
    text += std::to_string(i + 1) + (Save(records[i].first, records[i].second) ? " +" : " - ") +
            message_ + "\n";
  testing::ExpectGolden("local_store_voucher_refusals.txt", text);
}

TEST_F(LocalStoreVouchers, SaleTypeIsCheckedOnlyOnSalesPurchasesAndReturns) {
  EXPECT_TRUE(Save(9, SaleXml({{"stpt", ""}}))) << message_;
  // A material issue carries the type name of the voucher before it; nobody reads it there.
  EXPECT_TRUE(
      Save(11,
           "<MaterialIssue><VchType>11</VchType><VchSeriesName>Main</VchSeriesName><Date>07-06-2024"
           "</Date><VchNo>C-1</VchNo><MasterName1>Mehta Stores</MasterName1><MasterName2>Godown 2"
           "</MasterName2><BillingDetails/><ItemEntries><ItemDetail><SrNo>1</SrNo><ItemName>SOAP"
           "</ItemName><Qty>4</Qty><QtyMainUnit>4</QtyMainUnit><MC>Godown 2</MC></ItemDetail>"
           "</ItemEntries><STPTName>Whatever Type</STPTName><BillSundries/></MaterialIssue>"))
      << message_;
  // A purchase looks among purchase types.
  const std::string purchase =
      "<Purchase><VchType>2</VchType><VchSeriesName>Purchase</VchSeriesName><Date>08-06-2024"
      "</Date><VchNo>P-1</VchNo><MasterName1>Gupta Supply</MasterName1><STPTName>Local-TaxIncl."
      "</STPTName></Purchase>";
  EXPECT_TRUE(Save(2, purchase)) << message_;
  EXPECT_FALSE(
      Save(2, Replaced(Replaced(purchase, "Local-TaxIncl.", "Export Purchase"), "P-1", "P-2")));
  EXPECT_EQ(message_, "Purchase type 'Export Purchase' does not exist");
}

TEST_F(LocalStoreVouchers, BalanceCountsSignedAmountsAsTheyStand) {
  // Accounting vouchers send unsigned amounts with their side; an empty entry counts nothing.
  const std::string payment =
      "<Payment><VchType>19</VchType><VchSeriesName>Payment</VchSeriesName><Date>10-06-2024</Date>"
      "<VchNo>77</VchNo><tmpVchSeriesCode>0</tmpVchSeriesCode><MasterName1>Gupta Supply"
      "</MasterName1><AccEntries>" +
      Entry(1, "Gupta Supply", 1, "300") + "<AccDetail/>" + Entry(3, "Cash", 2, "300") +
      "</AccEntries></Payment>";
  EXPECT_TRUE(Save(19, payment)) << message_;
  // A debit carries its minus sign with AmountType 1; a minus sign under AmountType 2 is
  // refused, as a reader of the side alone would book it as a credit.
  const std::string sale =
      Replaced(SaleXml(), "<AmtMainCur>800</AmtMainCur>", "<AmtMainCur>820</AmtMainCur>");
  const std::string misc = "Miscellaneous Expenses";
  EXPECT_FALSE(
      Save(9, Replaced(sale, "</AccEntries>", Entry(7, misc, 2, "-20") + "</AccEntries>")));
  EXPECT_EQ(message_, "Amount -20 of account 'Miscellaneous Expenses' does not fit AmountType 2");
  EXPECT_TRUE(Save(9, Replaced(sale, "</AccEntries>", Entry(7, misc, 1, "-20") + "</AccEntries>")))
      << message_;
  // An amount without an account goes nowhere: refused rather than lost; so are an amount that
  // is no number and a series code the company does not have.
  for (auto [number, from, to, message] : std::vector<std::array<std::string, 4>>{
           {"78", "<AccountName>Cash</AccountName>", "",
            "Account name is missing in accounting entry 3"},
           {"79", "<AmtMainCur>300</AmtMainCur>", "<AmtMainCur>3OO</AmtMainCur>",
            "Amount '3OO' of account 'Gupta Supply' is not a number"},
           {"80", "<tmpVchSeriesCode>0", "<tmpVchSeriesCode>999999",
            "Series code '999999' does not exist for Payment vouchers"}}) {
    EXPECT_FALSE(Save(19, Replaced(Replaced(payment, "<VchNo>77", "<VchNo>" + number), from, to)));
    EXPECT_EQ(message_, message);
  }
}

TEST_F(LocalStoreVouchers, JournalHoldsEveryTextExactlyAsSent) {
  const std::string first = SaleXml(), refused = SaleXml({{"item", "Shampoo"}, {"number", "102"}});
  ASSERT_TRUE(Save(9, first));
  ASSERT_FALSE(Save(9, refused));
  ASSERT_FALSE(Save(9, first));
  EXPECT_THROW(s_.fixed->ExecuteQuery("DELETE FROM config"), RunTimeError);
  local::CompanyStore store = StoreOf(company_);
  auto journal = local::ReadJournal(store);
  ASSERT_GE(journal.size(), 4u);
  std::string tail;
  for (auto row = journal.end() - 4; row != journal.end(); ++row)
    tail += row->operation + " " + (row->kind ? std::to_string(*row->kind) : "-") +
            (row->accepted ? " + " : " - ") + row->message + "\n";
  EXPECT_EQ(tail,
            "SaveVchFromXML 9 + \nSaveVchFromXML 9 - Item 'Shampoo' does not exist\n"
            "SaveVchFromXML 9 - Sale voucher No. '101' dated 05-06-2024 already exists in series "
            "'Sales'\nExecuteQuery - - ExecuteQuery runs only UPDATE CONFIG statements: DELETE "
            "FROM config\n");
  EXPECT_EQ(journal[journal.size() - 4].text, first);
  EXPECT_EQ(journal[journal.size() - 3].text, refused);
  EXPECT_EQ(journal[journal.size() - 2].text, first);
  EXPECT_EQ(journal.back().text, "DELETE FROM config");
  for (size_t i = 1; i < journal.size(); ++i) EXPECT_EQ(journal[i].seq, journal[i - 1].seq + 1);
  // Masters are journalled too, and a new company's own chart is not.
  EXPECT_EQ(journal[0].operation, "SaveMasterFromXML");
  EXPECT_EQ(journal[0].text.rfind("<Account><Name>Mehta Stores</Name>", 0), 0u);
}

// The trial balance and stock after one sale (openings 2000 Dr and 1500 Cr, a ledger with nothing
// on it left out, 10 out and the returned 2 back in).
TEST_F(LocalStoreVouchers, TrialBalanceAndStockSummaryShowTheBooks) {
  ASSERT_TRUE(Save(9, SaleXml())) << message_;
  local::CompanyStore store = StoreOf(company_);
  const local::TrialBalance tb = local::ComputeTrialBalance(store);
  testing::ExpectGolden("local_store_books_after_a_sale.txt",
                        local::RenderTrialBalance(tb, true) + local::RenderTrialBalance(tb, false) +
                            local::RenderStockSummary(local::ComputeStockSummary(store), true));
}

// Sessions on one file, at once or one after the other, see what the others saved.
TEST_F(LocalStoreVouchers, SessionsOnTheSameFileSeeWhatTheOthersSaved) {
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

// Every cut of a voucher text is refused as not well-formed, and nothing of it is stored.
TEST_F(LocalStoreVouchers, EveryTruncatedVoucherIsRefusedWhole) {
  const std::string xml = SaleXml();
  for (size_t n = 0; n < xml.size(); n += 11) {
    EXPECT_FALSE(Save(9, xml.substr(0, n))) << n;
    EXPECT_EQ(message_.rfind("The record is not well-formed XML: ", 0), 0u)
        << n << ": " << message_;
  }
  EXPECT_FALSE(Save(9, xml + "<Sale/>"));
  EXPECT_EQ(message_, "The record is not well-formed XML: more than one root element");
  local::CompanyStore store = StoreOf(company_);
  EXPECT_TRUE(local::ListVouchers(store, std::nullopt).empty());
  ASSERT_TRUE(Save(9, xml)) << message_;
  auto vouchers = local::ListVouchers(store, 9);
  ASSERT_EQ(vouchers.size(), 1u);
  EXPECT_DOUBLE_EQ(vouchers[0].amount, 980);
  EXPECT_EQ(vouchers[0].party, "Mehta Stores");
}

// A company holding the masters and the series the sales of SaleXml name.
LocalCompany CompanyForSales() {
  LocalCompany company = CreateLocalCompany({.years = {2024}});
  auto s = OpenLocalCompany(company);
  SaveMasters(s, {{2,
                   "<Account><Name>MEHTA STORES</Name><ParentGroup>Sundry Debtors</ParentGroup>"
                   "</Account>"},
                  {6, "<Item><Name>Soap</Name></Item>"},
                  {13, "<SaleType><Name>Local-MultiRate Consolidated</Name></SaleType>"}});
  std::string sales = "Sales";
  EXPECT_GT(s.fixed1->SaveVchSeriesForMultiSeriesCreation(sales, 9), 0);
  return company;
}

// A killed run leaves whole vouchers only, and loses none answered as saved.
TEST(LocalStoreDurability, AKilledRunLosesNoAnsweredVoucherAndLeavesNoHalfOne) {
  LocalCompany company = CompanyForSales();
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
  int n = 0;
  while (answered.size() < 200 && read(fds[0], &n, sizeof n) == sizeof n) answered.insert(n);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  while (read(fds[0], &n, sizeof n) == sizeof n) answered.insert(n);
  close(fds[0]);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself: " << status;
  ASSERT_GE(answered.size(), 200u);

  std::set<int> held;
  for (const auto& row : testing::JournalOf(company, "SaveVchFromXML", true))
    held.insert(std::stoi(row.text.substr(row.text.find("<VchNo>") + 7)));
  for (int number : answered) EXPECT_TRUE(held.count(number)) << "voucher " << number << " lost";
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

// The log copied into the file while saves go on still starts again, and loses nothing.
TEST(LocalStoreDurability, ALongRunKeepsItsLogShortAndEveryVoucher) {
  LocalCompany company = CompanyForSales();
  const fs::path wal = local::FindCompanyFile(company.data_folder, company.code)->string() + "-wal";
  constexpr int kVouchers = 10000;  // a log of about 65 MB if it never started again
  uintmax_t largest_log = 0;
  {
    auto s = OpenLocalCompany(company);
    std::string message;
    for (int n = 1; n <= kVouchers; ++n) {
      int16_t type = 9;
      std::string xml = SaleXml({{"number", std::to_string(n)}});
      ASSERT_TRUE(s.fixed->SaveVchFromXML(type, xml, message, false)) << n << ": " << message;
      if (n % 250 == 0) largest_log = std::max(largest_log, fs::file_size(wal));
    }
  }
  EXPECT_GT(largest_log, 0u);
  EXPECT_LT(largest_log, 50u << 20) << "the log did not start again";
  EXPECT_FALSE(fs::exists(wal) && fs::file_size(wal) > 0) << "closing leaves the log behind";
  local::CompanyStore store = StoreOf(company);
  EXPECT_EQ(Scalar(store, "SELECT COUNT(*) FROM voucher"), std::to_string(kVouchers));
  local::TrialBalance tb = local::ComputeTrialBalance(store);
  EXPECT_NEAR(tb.debit, tb.credit, 1e-6);
}

}  // namespace
}  // namespace vodare
