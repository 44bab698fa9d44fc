// Vouchers in the local company store: what it accepts with all its parts, what it refuses
// and with which message, the journal, and the books it then shows.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

#include "common/run_error.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "support/golden.h"
#include "support/local_company.h"

namespace vodare {
namespace {

using testing::CreateLocalCompany;
using testing::LocalCompany;
using testing::OpenLocalCompany;
namespace fs = std::filesystem;

// A sale as the inventory voucher stage writes it; the parts are swapped out by the tests.
struct SaleParts {
  std::string root = "Sale";
  std::string type = "9";
  std::string series = "Sales";
  std::string date = "05-06-2024";
  std::string number = "101";
  std::string party = "MEHTA STORES";
  std::string mc = "MAIN STORE";
  std::string item = "Soap";
  std::string line_mc = "MAIN STORE";
  std::string stpt = "Local-MultiRate Consolidated";
  std::string sundry = "SGST";
  std::string party_amount = "-980";
  std::string sales_account = "Sales";
};

std::string Entry(int sr, const std::string& account, int type, const std::string& amount,
                  const std::string& extra = "") {
  return "<AccDetail><Date>05-06-2024</Date><VchType>9</VchType><VchNo>101</VchNo><SrNo>" +
         std::to_string(sr) + "</SrNo><AccountName>" + account + "</AccountName><AmountType>" +
         std::to_string(type) + "</AmountType><AmtMainCur>" + amount + "</AmtMainCur>" + extra +
         "</AccDetail>";
}

std::string SaleXml(const SaleParts& p) {
  return "<" + p.root + "><VchType>" + p.type + "</VchType><VchSeriesName>" + p.series +
         "</VchSeriesName><Date>" + p.date + "</Date><VchNo>" + p.number + "</VchNo><MasterName1>" +
         p.party + "</MasterName1><MasterName2>" + p.mc +
         "</MasterName2><BrokerInvolved>True</BrokerInvolved><BrokerName>Ravi</BrokerName>"
         "<Brokers><Broker><Name>Ravi</Name><PrintName>Ravi</PrintName><BrokerCreditAccName>" +
         p.party +
         "</BrokerCreditAccName></Broker></Brokers><BillingDetails/><ItemEntries>"
         "<ItemDetail><Date>05-06-2024</Date><VchType>9</VchType><VchNo>101</VchNo><SrNo>1</SrNo>"
         "<ItemName>" +
         p.item +
         "</ItemName><ConFactor>1</ConFactor><Qty>10</Qty><QtyMainUnit>10"
         "</QtyMainUnit><QtyAltUnit>10</QtyAltUnit><Price>100</Price><PriceAltUnit>100</"
         "PriceAltUnit>"
         "<ListPrice>100</ListPrice><Amt>1000</Amt><NettAmount>1000</NettAmount><MC>" +
         p.line_mc +
         "</MC><BatchEntries><BatchDetails><Date>05-06-2024</Date><SrNo>1</SrNo><BatchNo>B-7</"
         "BatchNo>"
         "<MfgDate>01-01-2019</MfgDate><ExpiryDate>31-12-2030</ExpiryDate><Qty>10</Qty>"
         "<QtyAltUnit>10</QtyAltUnit><ItemMRP>120</ItemMRP><SalesPrice>110</SalesPrice>"
         "</BatchDetails></BatchEntries><ItemDescInfo><Description1>Box of 10</Description1>"
         "</ItemDescInfo></ItemDetail><ItemDetail><Date>05-06-2024</Date><VchType>9</VchType>"
         "<SrNo>2</SrNo><ItemName>soap</ItemName><ConFactor>1</ConFactor><Qty>2</Qty><QtyMainUnit>2"
         "</QtyMainUnit><Price>100</Price><Amt>-200</Amt><NettAmount>-200</NettAmount><MC>MAIN "
         "STORE"
         "</MC><IsReturnQty>True</IsReturnQty><ItemDescInfo/></ItemDetail></"
         "ItemEntries><STPTName>" +
         p.stpt + "</STPTName><BillSundries><BSDetail><SrNo>1</SrNo><BSName>" + p.sundry +
         "</BSName><PercentVal>9</PercentVal><Amt>90</Amt><VchType>9</VchType><VchNo>101</VchNo>"
         "<Date>05-06-2024</Date></BSDetail><BSDetail><SrNo>2</SrNo><BSName>CGST</BSName>"
         "<PercentVal>9</PercentVal><Amt>90</Amt></BSDetail></BillSundries><AccEntries>" +
         Entry(1, p.party, 1, p.party_amount,
               "<BrokerAssigned>True</BrokerAssigned><BrokerName>Ravi</BrokerName>") +
         Entry(2, p.sales_account, 2, "800") + Entry(3, "SGST Output", 2, "90") +
         Entry(4, "CGST Output", 2, "90") + Entry(5, "Cash", 1, "-500") +
         Entry(6, p.party, 2, "500",
               "<CashFlow>500</CashFlow><SettlementAcc>True</SettlementAcc>") +
         "</AccEntries><POSVchData><CashAmt>500</CashAmt><CarrySettlement>True</CarrySettlement>"
         "<CashAccName>Cash</CashAccName></"
         "POSVchData><PendingBillDetails><BillDetail><MasterName1>" +
         p.party + "</MasterName1><Value1>" + "980" +
         "</Value1><BillRefs><Method>1</Method><SrNo>1"
         "</SrNo><RefNo>101/1</RefNo><Date>05-06-2024</Date><DueDate>05/07/2024</"
         "DueDate><Value1>-980"
         "</Value1></BillRefs></BillDetail></PendingBillDetails></" +
         p.root + ">";
}

class LocalStoreVouchers : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = CreateLocalCompany({.name = "Voucher Co", .years = {2023, 2024}});
    s_ = OpenLocalCompany(company_);
    for (auto [kind, xml] : std::vector<std::pair<int16_t, std::string>>{
             {2,
              "<Account><Name>Mehta Stores</Name><ParentGroup>Sundry Debtors</ParentGroup>"
              "<OPBal>-2000</OPBal></Account>"},
             {2,
              "<Account><Name>Gupta Supply</Name><ParentGroup>Sundry Creditors</ParentGroup>"
              "<OPBal>1500</OPBal></Account>"},
             {6,
              "<Item><Name>Soap</Name><MainUnit>PCS</MainUnit><OPStockInMainUnit>50"
              "</OPStockInMainUnit><OPAmount>2500</OPAmount></Item>"},
             {11,
              "<MaterialCenter><Name>Godown "
              "2</Name><PrimaryGroup>True</PrimaryGroup></MaterialCenter>"},
             {13, "<SaleType><Name>Local-MultiRate Consolidated</Name></SaleType>"},
             {14, "<PurchaseType><Name>Local-MultiRate Consolidated</Name></PurchaseType>"},
         }) {
      std::string message;
      ASSERT_TRUE(s_.fixed->SaveMasterFromXML(kind, xml, message)) << message;
    }
    for (auto [name, type] : std::vector<std::pair<std::string, int16_t>>{
             {"Sales", 9}, {"Purchase", 2}, {"Payment", 19}, {"Journal", 16}}) {
      ASSERT_GT(s_.fixed1->SaveVchSeriesForMultiSeriesCreation(name, type), 0);
    }
  }
  bool Save(int16_t type, const std::string& xml) {
    std::string text = xml;
    message_ = "unchanged";
    return s_.fixed->SaveVchFromXML(type, text, message_, false);
  }
  local::CompanyStore Store() {
    return local::CompanyStore(fs::path(company_.data_folder) / company_.code /
                               local::kCompanyFileName);
  }

  LocalCompany company_;
  testing::LocalSessionObjects s_;
  std::string message_;
};

TEST_F(LocalStoreVouchers, StoresASaleWithAllItsParts) {
  ASSERT_TRUE(Save(9, SaleXml({}))) << message_;
  EXPECT_EQ(message_, "");
  local::CompanyStore store = Store();
  auto count = [&](const char* table) {
    auto& st = store.db().Cached(std::string("SELECT COUNT(*) FROM ") + table);
    st.Step();
    int64_t n = st.Int(0);
    st.Reset();
    return n;
  };
  EXPECT_EQ(count("voucher"), 1);
  EXPECT_EQ(count("voucher_item"), 2);
  EXPECT_EQ(count("voucher_batch"), 1);
  EXPECT_EQ(count("voucher_sundry"), 2);
  EXPECT_EQ(count("voucher_entry"), 6);
  EXPECT_EQ(count("voucher_bill_ref"), 1);
  auto& head = store.db().Cached("SELECT carry_settlement, cash_amount, broker FROM voucher");
  ASSERT_TRUE(head.Step());
  EXPECT_EQ(head.Int(0), 1);
  EXPECT_EQ(head.Real(1), 500);
  EXPECT_EQ(head.Text(2), "Ravi");
  head.Reset();
  auto& settle =
      store.db().Cached("SELECT cash_flow, settlement, broker FROM voucher_entry WHERE sr_no = 6");
  ASSERT_TRUE(settle.Step());
  EXPECT_EQ(settle.Real(0), 500);
  EXPECT_EQ(settle.Int(1), 1);
  settle.Reset();
  auto& broker = store.db().Cached(
      "SELECT broker_assigned, broker, amount, amount_type FROM voucher_entry WHERE sr_no = 1");
  ASSERT_TRUE(broker.Step());
  EXPECT_EQ(broker.Int(0), 1);
  EXPECT_EQ(broker.Text(1), "Ravi");
  EXPECT_EQ(broker.Real(2), -980);
  EXPECT_EQ(broker.Int(3), 1);
  broker.Reset();
}

// A sale with one part spoilt at a time, in turn, and the store's answer ("+" saved, "-" and its
// message), against the kept copy tests/data/local_store_voucher_refusals.txt: each refusal
// names the value; a difference within 0.01 balances; the same number again is a duplicate, on
// another date or in another series it is another voucher.
TEST_F(LocalStoreVouchers, RefusesWithAMessageNamingTheValue) {
  std::string bad_qty = SaleXml({});
  bad_qty.replace(bad_qty.find("<Qty>10</Qty>"), 13, "<Qty>1O</Qty>");
  auto with = [](std::function<void(SaleParts&)> spoil) {
    SaleParts p;
    spoil(p);
    return SaleXml(p);
  };
  const std::vector<std::pair<int16_t, std::string>> records = {
      {9, "<Sale><VchType>9</VchType>"},
      {9, with([](SaleParts& p) { p.root = "Purchase"; })},
      {9, with([](SaleParts& p) { p.type = "2"; })},
      {99, SaleXml({})},
      {9, with([](SaleParts& p) { p.date = ""; })},
      {9, with([](SaleParts& p) { p.date = "31-02-2024"; })},
      {9, with([](SaleParts& p) { p.date = "31-03-2024"; })},  // the open year is 2024-25
      {9, with([](SaleParts& p) { p.date = "01-04-2025"; })},
      {9, with([](SaleParts& p) { p.series = "Purchase"; })},  // a series of another type
      {9, with([](SaleParts& p) { p.party = "Nobody"; })},
      {9, with([](SaleParts& p) { p.mc = "Godown 9"; })},
      {9, with([](SaleParts& p) { p.line_mc = "Godown 8"; })},
      {9, with([](SaleParts& p) { p.item = "Shampoo"; })},
      {9, with([](SaleParts& p) { p.item = ""; })},
      {9, bad_qty},
      {9, with([](SaleParts& p) { p.sundry = "Octroi"; })},
      {9, with([](SaleParts& p) { p.sales_account = "Sales A/c"; })},
      {9, with([](SaleParts& p) { p.stpt = "Export"; })},
      {9, with([](SaleParts& p) { p.party_amount = "-980.02"; })},
      {9, with([](SaleParts& p) { p.party_amount = "-980.01"; })},
      {9, SaleXml({})},
      {9, with([](SaleParts& p) { p.date = "06-06-2024"; })},
      {9, with([](SaleParts& p) { p.series = "main"; })},
  };
  std::string text;
  for (size_t i = 0; i < records.size(); ++i)
    text += std::to_string(i + 1) + (Save(records[i].first, records[i].second) ? " +" : " - ") +
            message_ + "\n";
  testing::ExpectGolden("local_store_voucher_refusals.txt", text);
}

TEST_F(LocalStoreVouchers, SaleTypeIsCheckedOnlyOnSalesPurchasesAndReturns) {
  SaleParts p;
  p.stpt = "";
  EXPECT_TRUE(Save(9, SaleXml(p))) << message_;
  // A material issue carries the type name of the voucher before it; nobody reads it there.
  std::string issue =
      "<MaterialIssue><VchType>11</VchType><VchSeriesName>Main</VchSeriesName><Date>07-06-2024"
      "</Date><VchNo>C-1</VchNo><MasterName1>Mehta Stores</MasterName1><MasterName2>Godown 2"
      "</MasterName2><BillingDetails/><ItemEntries><ItemDetail><SrNo>1</SrNo><ItemName>SOAP"
      "</ItemName><Qty>4</Qty><QtyMainUnit>4</QtyMainUnit><MC>Godown 2</MC></ItemDetail>"
      "</ItemEntries><STPTName>Whatever Type</STPTName><BillSundries/></MaterialIssue>";
  EXPECT_TRUE(Save(11, issue)) << message_;
  // A purchase looks among purchase types.
  std::string purchase =
      "<Purchase><VchType>2</VchType><VchSeriesName>Purchase</VchSeriesName><Date>08-06-2024"
      "</Date><VchNo>P-1</VchNo><MasterName1>Gupta Supply</MasterName1><STPTName>Local-TaxIncl."
      "</STPTName></Purchase>";
  EXPECT_TRUE(Save(2, purchase)) << message_;
  std::string vat = purchase;
  vat.replace(vat.find("Local-TaxIncl."), 14, "Export Purchase");
  vat.replace(vat.find("P-1"), 3, "P-2");
  EXPECT_FALSE(Save(2, vat));
  EXPECT_EQ(message_, "Purchase type 'Export Purchase' does not exist");
}

TEST_F(LocalStoreVouchers, BalanceCountsSignedAmountsAsTheyStand) {
  // Accounting vouchers send unsigned amounts with their side; an empty entry counts nothing.
  std::string payment =
      "<Payment><VchType>19</VchType><VchSeriesName>Payment</VchSeriesName><Date>10-06-2024</Date>"
      "<VchNo>77</VchNo><tmpVchSeriesCode>0</tmpVchSeriesCode><MasterName1>Gupta Supply"
      "</MasterName1><AccEntries><AccDetail><Date>10-06-2024</Date><VchType>19</VchType><VchNo>77"
      "</VchNo><SrNo>1</SrNo><AccountName>Gupta Supply</AccountName><AmtMainCur>300</AmtMainCur>"
      "<AmountType>1</AmountType></AccDetail><AccDetail/><AccDetail><SrNo>3</SrNo><AccountName>"
      "Cash</AccountName><AmtMainCur>300</AmtMainCur><AmountType>2</AmountType></AccDetail>"
      "</AccEntries></Payment>";
  EXPECT_TRUE(Save(19, payment)) << message_;
  // A debit carries its minus sign with AmountType 1; a minus sign under AmountType 2 is
  // refused, as a reader of the side alone would book it as a credit.
  std::string sale = SaleXml({});
  sale.replace(sale.find("<AmtMainCur>800</AmtMainCur>"), 28, "<AmtMainCur>820</AmtMainCur>");
  std::string credited = sale;
  credited.replace(credited.find("</AccEntries>"), 0, Entry(7, "Miscellaneous Expenses", 2, "-20"));
  EXPECT_FALSE(Save(9, credited));
  EXPECT_EQ(message_, "Amount -20 of account 'Miscellaneous Expenses' does not fit AmountType 2");
  sale.replace(sale.find("</AccEntries>"), 0, Entry(7, "Miscellaneous Expenses", 1, "-20"));
  EXPECT_TRUE(Save(9, sale)) << message_;
  // An amount without an account goes nowhere: refused rather than lost.
  std::string orphan = payment;
  orphan.replace(orphan.find("<VchNo>77</VchNo>"), 17, "<VchNo>78</VchNo>");
  orphan.replace(orphan.find("<AccountName>Cash</AccountName>"), 31, "");
  EXPECT_FALSE(Save(19, orphan));
  EXPECT_EQ(message_, "Account name is missing in accounting entry 3");
  std::string bad_amount = payment;
  bad_amount.replace(bad_amount.find("<VchNo>77</VchNo>"), 17, "<VchNo>79</VchNo>");
  bad_amount.replace(bad_amount.find("<AmtMainCur>300</AmtMainCur>"), 28,
                     "<AmtMainCur>3OO</AmtMainCur>");
  EXPECT_FALSE(Save(19, bad_amount));
  EXPECT_EQ(message_, "Amount '3OO' of account 'Gupta Supply' is not a number");
  std::string bad_series = payment;
  bad_series.replace(bad_series.find("<VchNo>77</VchNo>"), 17, "<VchNo>80</VchNo>");
  bad_series.replace(bad_series.find("<tmpVchSeriesCode>0"), 19, "<tmpVchSeriesCode>999999");
  EXPECT_FALSE(Save(19, bad_series));
  EXPECT_EQ(message_, "Series code '999999' does not exist for Payment vouchers");
}

TEST_F(LocalStoreVouchers, JournalHoldsEveryTextExactlyAsSent) {
  std::string first = SaleXml({});
  SaleParts p;
  p.item = "Shampoo";
  p.number = "102";
  std::string refused = SaleXml(p);
  ASSERT_TRUE(Save(9, first));
  ASSERT_FALSE(Save(9, refused));
  ASSERT_FALSE(Save(9, first));
  EXPECT_THROW(s_.fixed->ExecuteQuery("DELETE FROM config"), RunTimeError);
  local::CompanyStore store = Store();
  auto journal = local::ReadJournal(store);
  ASSERT_GE(journal.size(), 4u);
  auto tail = std::vector<local::JournalRow>(journal.end() - 4, journal.end());
  EXPECT_EQ(tail[0].operation, "SaveVchFromXML");
  EXPECT_EQ(tail[0].kind, 9);
  EXPECT_EQ(tail[0].text, first);
  EXPECT_TRUE(tail[0].accepted);
  EXPECT_EQ(tail[1].text, refused);
  EXPECT_FALSE(tail[1].accepted);
  EXPECT_EQ(tail[1].message, "Item 'Shampoo' does not exist");
  EXPECT_EQ(tail[2].text, first);
  EXPECT_FALSE(tail[2].accepted);
  EXPECT_EQ(tail[3].operation, "ExecuteQuery");
  EXPECT_EQ(tail[3].text, "DELETE FROM config");
  EXPECT_FALSE(tail[3].accepted);
  for (size_t i = 1; i < journal.size(); ++i) EXPECT_EQ(journal[i].seq, journal[i - 1].seq + 1);
  // Masters are journalled too, and a new company's own chart is not.
  EXPECT_EQ(journal[0].operation, "SaveMasterFromXML");
  EXPECT_EQ(journal[0].text.rfind("<Account><Name>Mehta Stores</Name>", 0), 0u);
}

// After one sale the kept copy holds the trial balance (the party debited 980 and credited 500 in
// cash, sales and taxes credited, openings of 2000 Dr and 1500 Cr lacking 500 on the credit side,
// a ledger with nothing on it left out) and the stock (10 out, the returned 2 back in).
TEST_F(LocalStoreVouchers, TrialBalanceAndStockSummaryShowTheBooks) {
  ASSERT_TRUE(Save(9, SaleXml({}))) << message_;
  local::CompanyStore store = Store();
  const local::TrialBalance tb = local::ComputeTrialBalance(store);
  const auto stock = local::ComputeStockSummary(store);
  testing::ExpectGolden("local_store_books_after_a_sale.txt",
                        local::RenderTrialBalance(tb, true) + local::RenderTrialBalance(tb, false) +
                            local::RenderStockSummary(stock, true));
}

TEST_F(LocalStoreVouchers, ANewSessionStillHasWhatWasSaved) {
  ASSERT_TRUE(Save(9, SaleXml({}))) << message_;
  s_ = {};  // the first session ends
  auto again = OpenLocalCompany(company_);
  std::string xml = SaleXml({}), message;
  int16_t type = 9;
  EXPECT_FALSE(again.fixed->SaveVchFromXML(type, xml, message, false));
  EXPECT_EQ(message, "Sale voucher No. '101' dated 05-06-2024 already exists in series 'Sales'");
  EXPECT_GT(again.fixed->mastername2code("mehta stores", 2), 0);
  std::string dup =
      "<Account><Name>Mehta Stores</Name><ParentGroup>Sundry Debtors</ParentGroup></Account>";
  EXPECT_FALSE(again.fixed->SaveMasterFromXML(2, dup, message));
  EXPECT_EQ(message, "Ledger 'Mehta Stores' already exists");
}

TEST_F(LocalStoreVouchers, ASecondSessionOnTheSameFileSeesNewNames) {
  auto other = OpenLocalCompany(company_);
  std::string item = "<Item><Name>Shampoo</Name></Item>", message;
  ASSERT_TRUE(other.fixed->SaveMasterFromXML(6, item, message));
  SaleParts p;
  p.item = "Shampoo";
  EXPECT_TRUE(Save(9, SaleXml(p))) << message_;
  EXPECT_FALSE(s_.fixed->SaveMasterFromXML(6, item, message));
}

}  // namespace
}  // namespace vodare

namespace vodare {
namespace {

// A run killed between two records leaves whole records only: every voucher the journal
// accepted is there with all its lines, and nothing else is.
// A company holding the masters and the series the sales of SaleXml name.
LocalCompany CompanyForSales() {
  LocalCompany company = CreateLocalCompany({.years = {2024}});
  {
    auto s = OpenLocalCompany(company);
    std::string message;
    for (auto [kind, xml] : std::vector<std::pair<int16_t, std::string>>{
             {2,
              "<Account><Name>MEHTA STORES</Name><ParentGroup>Sundry "
              "Debtors</ParentGroup></Account>"},
             {6, "<Item><Name>Soap</Name></Item>"},
             {13, "<SaleType><Name>Local-MultiRate Consolidated</Name></SaleType>"}}) {
      EXPECT_TRUE(s.fixed->SaveMasterFromXML(kind, xml, message)) << message;
    }
    std::string sales = "Sales";
    EXPECT_GT(s.fixed1->SaveVchSeriesForMultiSeriesCreation(sales, 9), 0);
  }
  return company;
}

TEST(LocalStoreDurability, AKilledRunLeavesNoHalfVoucher) {
  LocalCompany company = CompanyForSales();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto s = OpenLocalCompany(company);
    for (int n = 1;; ++n) {
      SaleParts p;
      p.number = std::to_string(n);
      std::string xml = SaleXml(p), message;
      int16_t type = 9;
      if (!s.fixed->SaveVchFromXML(type, xml, message, false)) _exit(3);
    }
  }
  usleep(400 * 1000);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself: " << status;

  local::CompanyStore store(fs::path(company.data_folder) / company.code / local::kCompanyFileName);
  auto scalar = [&](const std::string& sql) {
    auto& st = store.db().Cached(sql);
    st.Step();
    int64_t n = st.Int(0);
    st.Reset();
    return n;
  };
  int64_t vouchers = scalar("SELECT COUNT(*) FROM voucher");
  EXPECT_GT(vouchers, 0);
  EXPECT_EQ(
      scalar("SELECT COUNT(*) FROM journal WHERE operation = 'SaveVchFromXML' AND accepted = 1"),
      vouchers);
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM voucher_item"), 2 * vouchers);
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM voucher_entry"), 6 * vouchers);
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM voucher_bill_ref"), vouchers);
  local::TrialBalance tb = local::ComputeTrialBalance(store);
  EXPECT_NEAR(tb.debit, tb.credit, 1e-6);
}

// The log is copied into the file on a thread of its own while saves go on; it must still
// start again from its beginning (not grow with the run), and lose nothing.
TEST(LocalStoreDurability, ALongRunKeepsItsLogShortAndEveryVoucher) {
  LocalCompany company = CompanyForSales();
  const fs::path file = fs::path(company.data_folder) / company.code / local::kCompanyFileName;
  const fs::path wal = file.string() + "-wal";
  constexpr int kVouchers = 10000;  // a log of about 65 MB if it never started again
  uintmax_t largest_log = 0;
  {
    auto s = OpenLocalCompany(company);
    for (int n = 1; n <= kVouchers; ++n) {
      SaleParts p;
      p.number = std::to_string(n);
      std::string xml = SaleXml(p), message;
      int16_t type = 9;
      ASSERT_TRUE(s.fixed->SaveVchFromXML(type, xml, message, false)) << n << ": " << message;
      if (n % 250 == 0) largest_log = std::max(largest_log, fs::file_size(wal));
    }
  }
  EXPECT_GT(largest_log, 0u);
  EXPECT_LT(largest_log, 50u << 20) << "the log did not start again";
  EXPECT_FALSE(fs::exists(wal) && fs::file_size(wal) > 0) << "closing leaves the log behind";
  local::CompanyStore store(file);
  auto& count = store.db().Cached("SELECT COUNT(*) FROM voucher");
  count.Step();
  EXPECT_EQ(count.Int(0), kVouchers);
  count.Reset();
  local::TrialBalance tb = local::ComputeTrialBalance(store);
  EXPECT_NEAR(tb.debit, tb.credit, 1e-6);
}

}  // namespace
}  // namespace vodare

namespace vodare {
namespace {

// Every cut of a voucher text is refused as not well-formed, and nothing of it is stored.
TEST_F(LocalStoreVouchers, EveryTruncatedVoucherIsRefusedWhole) {
  std::string xml = SaleXml({});
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
  auto vouchers = local::ListVouchers(store, 9);
  ASSERT_EQ(vouchers.size(), 1u);
  EXPECT_DOUBLE_EQ(vouchers[0].amount, 980);
  EXPECT_EQ(vouchers[0].party, "Mehta Stores");
}

}  // namespace
}  // namespace vodare
