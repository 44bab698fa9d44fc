// The local company store as the program meets it: opening, masters, config and series.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/run_error.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"
#include "destination/local/reports.h"
#include "support/golden.h"
#include "support/local_company.h"

namespace vodare {
namespace {

using testing::CreateLocalCompany;
using testing::LocalCompany;
using testing::OpenLocalCompany;
namespace fs = std::filesystem;

TEST(LocalStoreOpen, OpensOnlyAnInstallationHoldingTheCompanyAndYear) {
  LocalCompany c = CreateLocalCompany({.years = {2023, 2024}});
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
}

TEST(LocalStoreOpen, LaterObjectsOfAFactoryShareTheOpenCompany) {
  LocalCompany c = CreateLocalCompany({.name = "Shared Co", .years = {2022, 2024, 2023}});
  local::LocalAutomationFactory factory;
  auto fixed = factory.CreateFixedInterface(kProgIdFixedInterface);
  std::string code = c.code;
  int16_t year = 2023;
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
  local::CompanyStore Store() { return testing::StoreOf(company_); }
  LocalCompany company_ = CreateLocalCompany({.name = "Sharma Traders", .years = {2023, 2024}});
  testing::LocalSessionObjects s_ = OpenLocalCompany(company_);
  std::string message_;
};

TEST_F(LocalStore, SavesMastersAndFindsThemAndStateCodesIgnoringCase) {
  std::string state = "maharashtra", unknown = "Atlantis", blank = "", india = "INDIA",
              other = "Other Territory";
  EXPECT_EQ(s_.fixed1->statename2tindigit(state), "27");
  EXPECT_EQ(s_.fixed1->statename2tindigit(unknown), "");
  EXPECT_EQ(s_.fixed1->statename2tindigit(blank), "");
  EXPECT_EQ(s_.fixed1->statename2tindigit(other), "97");
  int16_t country = s_.fixed1->CountryName2Code(india);
  EXPECT_GT(country, 0);
  EXPECT_GT(s_.fixed1->StateName2PDCode(state, country), 0);
  EXPECT_EQ(s_.fixed1->StateName2PDCode(unknown, country), 0);

  EXPECT_TRUE(SaveMaster(1,
                         "<AccountGroup><Name>Traders</Name><PrimaryGroup> False </PrimaryGroup>"
                         "<ParentGroupName>sundry debtors</ParentGroupName></AccountGroup>"));
  EXPECT_EQ(message_, "");
  EXPECT_TRUE(SaveMaster(1,
                         "<AccountGroup><Name>Top</Name><PrimaryGroup> True </PrimaryGroup>"
                         "<ParentGroupName>No Such Group</ParentGroupName></AccountGroup>"));
  EXPECT_TRUE(
      SaveMaster(2,
                 "<Account><Name>Ölmühle &amp; Söhne</Name><ParentGroup>TRADERS</ParentGroup>"
                 "<OPBal>-1500</OPBal></Account>"));
  EXPECT_GT(s_.fixed->mastername2code("ÖLMÜHLE & SÖHNE", 2), 0);
  EXPECT_EQ(s_.fixed->mastername2code("Ölmühle & Söhne", 1), 0);
  EXPECT_GT(s_.fixed->mastername2code("main store", 11), 0);
  auto groups = s_.fixed->GetMastersCol(1);
  ASSERT_GE(groups.size(), 2u);
  EXPECT_EQ(groups[groups.size() - 2], "Traders");
  EXPECT_EQ(groups.back(), "Top");
}

// Each record and the store's answer, as tests/data/local_store_master_refusals.txt holds them
// (forty characters counted as characters, not bytes; a name under another kind is no duplicate).
TEST_F(LocalStore, RefusesMastersAServerWouldRefuse) {
  std::string forty_umlauts;
  for (int i = 0; i < 40; ++i) forty_umlauts += "ä";
  const std::vector<std::pair<int16_t, std::string>> records = {
      {2, "<Account><Name>Broken</Name>"},
      {2, "<Item><Name>Soap</Name></Item>"},
      {2, "<Account><Name>  </Name><ParentGroup>Sundry Debtors</ParentGroup></Account>"},
      {6, "<Item><Name>" + std::string(41, 'x') + "</Name></Item>"},
      {6, "<Item><Name>" + std::string(40, 'a') + "</Name></Item>"},
      {6, "<Item><Name>" + forty_umlauts + "</Name></Item>"},
      {2, "<Account><Name>CASH</Name><ParentGroup>Cash-in-hand</ParentGroup></Account>"},
      {2, "<Account><Name>Mehta</Name><ParentGroup>Debtors</ParentGroup></Account>"},
      {2, "<Account><Name>Mehta</Name><ParentGroup></ParentGroup></Account>"},
      {1,
       "<AccountGroup><Name>Sub</Name><PrimaryGroup>False</PrimaryGroup>"
       "<ParentGroupName>Nowhere</ParentGroupName></AccountGroup>"},
      {7, "<Thing><Name>X</Name></Thing>"},
      {19, "<Broker><Name>Cash</Name></Broker>"},
  };
  std::string text;
  for (const auto& [kind, xml] : records)
    text += std::to_string(kind) + " " + xml + "\n" + (SaveMaster(kind, xml) ? "+" : "- ") +
            message_ + "\n";
  testing::ExpectGolden("local_store_master_refusals.txt", text);
}

TEST_F(LocalStore, ItemCreatesItsUnitsAndGroupAndOpeningStock) {
  ASSERT_TRUE(SaveMaster(
      6,
      "<Item><Name>Paracetamol</Name><ParentGroup>Tablets</ParentGroup><MainUnit>STRIP</MainUnit>"
      "<AltUnitReq>True</AltUnitReq><AltUnit>TAB</AltUnit><ConversionFactor>10</ConversionFactor>"
      "<OPStockInMainUnit>3</OPStockInMainUnit><OPAmount>15</OPAmount><OPStockDetails>"
      "<OPMCStockDetail><SrNo>1</SrNo><MCName>MAIN STORE</MCName><PendingBatches><BatchReference>"
      "<SrNo>1</SrNo><BatchNo>B1</BatchNo><Qty>3</Qty><QtyAltUnit>30</QtyAltUnit><MainUnitPrice>"
      "15</MainUnitPrice></BatchReference></PendingBatches><OPStockMainUnit>3</OPStockMainUnit>"
      "<OPStockAltUnit>30</OPStockAltUnit><Amount>15</Amount></OPMCStockDetail></OPStockDetails>"
      "</Item>"))
      << message_;
  EXPECT_GT(s_.fixed->mastername2code("tablets", local::kKindItemGroup), 0);
  EXPECT_GT(s_.fixed->mastername2code("strip", local::kKindUnit), 0);
  EXPECT_GT(s_.fixed->mastername2code("Tab", local::kKindUnit), 0);
  // A second item naming the same unit and group reuses them.
  EXPECT_TRUE(SaveMaster(6,
                         "<Item><Name>Crocin</Name><ParentGroup>TABLETS</ParentGroup>"
                         "<MainUnit>Strip</MainUnit></Item>"))
      << message_;
  EXPECT_EQ(s_.fixed->GetMastersCol(local::kKindUnit), (std::vector<std::string>{"STRIP", "TAB"}));
  EXPECT_FALSE(SaveMaster(6,
                          "<Item><Name>Elsewhere</Name><OPStockDetails><OPMCStockDetail>"
                          "<MCName>Godown 9</MCName></OPMCStockDetail></OPStockDetails></Item>"));
  EXPECT_EQ(message_, "Material centre 'Godown 9' does not exist");
}

// The journal keeps the texts packed; what comes back must be every byte that was sent, and a
// damaged row must be reported, not read as some other text.
TEST_F(LocalStore, TheJournalGivesBackEachTextAsSent) {
  const std::string xml =
      "<Account><Name>Long Notes</Name><ParentGroup>Sundry Debtors"
      "</ParentGroup><Notes>" +
      std::string(20000, 'x') + "</Notes></Account>";
  const std::string broken = "<Account><Name>Ölmühle & Söhne <Export></Name>";
  EXPECT_TRUE(SaveMaster(2, xml));
  EXPECT_FALSE(SaveMaster(2, broken));  // refused, still journalled
  local::CompanyStore store = Store();
  auto rows = local::ReadJournal(store);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[rows.size() - 2].text, xml);
  EXPECT_EQ(rows.back().text, broken);
  store.db().Exec("UPDATE journal SET text = X'28B52FFD0000' WHERE seq = " +
                  std::to_string(rows.back().seq));
  EXPECT_THROW(local::ReadJournal(store), RunTimeError);
}

TEST_F(LocalStore, ExecuteQueryRunsOnlyConfigUpdates) {
  for (const char* sql :
       {"Update CONFIG set B7= -1 WHERE RECTYPE = 5 AND TYPE = 0",
        "update config set B3=-1 WHERE RECTYPE = 63 AND TYPE = 0",
        "UPDATE CONFIG SET C1 = 'Salt', C2 = 'Category', C3 = 'Rack No', NoOfFld = 3, I29 = 2, "
        "I32 = 30 WHERE RECTYPE = 2 AND TYPE = 6",
        "UPDATE CONFIG SET I1 = 1, I2 = 1, I3 = 1, I11 = 1, I12 = 1, I13 = 1 WHERE RECTYPE = 79 "
        "AND TYPE = 6"})
    s_.fixed->ExecuteQuery(sql);
  // The master configuration keeps the captions the statement named through its reloads.
  std::string empty;
  s_.mast_config->Load(6);
  s_.mast_config->Save(6, empty);
  s_.mast_config->Load(6);
  {
    local::CompanyStore store = Store();
    EXPECT_EQ(store.ConfigText(2, 6, "C1"), "Salt");
    EXPECT_EQ(store.ConfigText(2, 6, "C3"), "Rack No");
    EXPECT_EQ(store.ConfigInt(2, 6, "NoOfFld"), 3);
    EXPECT_EQ(store.ConfigInt(79, 6, "I13"), 1);
    EXPECT_EQ(store.ConfigText(2, 2, "C1"), "");
  }
  std::string text = "x";
  s_.company->Load(text);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(s_.company->batchbybatch && s_.company->MultiGodown);
  EXPECT_FALSE(s_.company->AlternateUnit);
  auto refusal = [&](const std::string& sql) {
    try {
      s_.fixed->ExecuteQuery(sql);
    } catch (const RunTimeError& e) {
      return std::string(e.what());
    }
    return std::string("(ran)");
  };
  for (const char* sql : {"DELETE FROM CONFIG", "SELECT * FROM config", "DROP TABLE master",
                          "UPDATE master SET name = 'x'", "update configuration set B1 = 1",
                          "UPDATE CONFIG SET B1 = (SELECT COUNT(*) FROM master)"})
    EXPECT_EQ(refusal(sql), std::string("ExecuteQuery runs only UPDATE CONFIG statements: ") + sql);
  EXPECT_EQ(
      refusal("UPDATE CONFIG SET B1 = 1; DELETE FROM master"),
      "ExecuteQuery runs one statement at a time: UPDATE CONFIG SET B1 = 1; DELETE FROM master");
  EXPECT_EQ(refusal("UPDATE CONFIG SET NoSuchColumn = 1 WHERE RECTYPE = 5"),
            "Database error: no such column: NoSuchColumn");
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

TEST_F(LocalStore, SeriesCodesAreUniqueAndStable) {
  std::string purchase = "Purchase", sales = "Sales", upper = "PURCHASE", blank = "", main = "Main";
  const int32_t p = s_.fixed1->SaveVchSeriesForMultiSeriesCreation(purchase, 2);
  int32_t s = s_.fixed1->SaveVchSeriesForMultiSeriesCreation(sales, 9);
  EXPECT_GT(p, 0);
  EXPECT_GT(s, 0);
  EXPECT_NE(p, s);
  EXPECT_EQ(s_.fixed1->SaveVchSeriesForMultiSeriesCreation(upper, 2), p);
  EXPECT_EQ(s_.fixed1->SaveVchSeriesForMultiSeriesCreation(blank, 2), 0);
  EXPECT_EQ(s_.fixed1->SaveVchSeriesForMultiSeriesCreation(purchase, 99), 0);
  const int32_t main2 = s_.fixed1->SaveVchSeriesForMultiSeriesCreation(main, 2);
  EXPECT_GT(main2, 0);
  EXPECT_NE(main2, s_.fixed1->SaveVchSeriesForMultiSeriesCreation(main, 9));

  s_.fixed->ExecuteQuery("Update CONFIG set B107 = -1 WHERE RECTYPE = 1 AND L1 = " +
                         std::to_string(p));
  s_.fixed->ExecuteQuery("Update CONFIG set B4=1 WHERE RECTYPE = 1 AND L1 = " + std::to_string(p));
  s_.fixed1->CopySeriesConfig(2, "PURCHASE", s, 9);
  local::CompanyStore store = Store();
  auto& st = store.db().Cached("SELECT B107, B4 FROM config WHERE RECTYPE = 1 AND L1 = ?");
  st.Bind(1, s);
  ASSERT_TRUE(st.Step());
  EXPECT_EQ(st.Int(0), -1);
  EXPECT_EQ(st.Int(1), 1);
  st.Reset();
  int32_t missing = 424242;
  EXPECT_THROW(s_.fixed1->CopySeriesConfig(19, "PAYMENT", s, 9), RunTimeError);
  EXPECT_THROW(s_.fixed1->CopySeriesConfig(2, "Purchase", missing, 9), RunTimeError);
  // A new session (a second run) gets the same codes.
  auto again = OpenLocalCompany(company_);
  EXPECT_EQ(again.fixed1->SaveVchSeriesForMultiSeriesCreation(sales, 9), s);
  EXPECT_EQ(again.fixed1->SaveVchSeriesForMultiSeriesCreation(purchase, 2), p);
}

}  // namespace
}  // namespace vodare
