// The master stages against a real export written to disk and a real local company: what the
// company's journal received, the error text, the caches and the run summary.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/helpers.h"
#include "context/run_context.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "mapping/group_matching.h"
#include "mapping/mapping_step.h"
#include "masters/account_groups.h"
#include "masters/items.h"
#include "masters/ledgers.h"
#include "masters/material_centres.h"
#include "masters/stage_support.h"
#include "source/dbf.h"
#include "source/sample_export.h"
#include "source/source_db.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::LocalCompany;
using testing::RecordingRunUi;

DbfField C(const char* name, uint16_t len) { return DbfField{name, 'C', len, 0}; }
DbfField N(const char* name, uint16_t len, uint8_t dec = 2) {
  return DbfField{name, 'N', len, dec};
}
DbfField D(const char* name) { return DbfField{name, 'D', 8, 0}; }
Value Day(int y, int m, int d) { return Value(Date::FromYmd(y, m, d)); }
const Value kNull;

void WriteTable(const fs::path& folder, const char* file, std::vector<DbfField> fields,
                const std::vector<std::vector<Value>>& rows) {
  DbfWriter writer((folder / file).string(), std::move(fields));
  for (const auto& row : rows) writer.Add(row);
  writer.Close();
}

// A small export that holds the records that break naive code.
void WriteEdgeExport(const fs::path& folder) {
  fs::create_directories(folder);
  WriteTable(folder, "ACGROUP.DBF", {C("ORDNO", 10), C("PARNAM", 60), C("GROUP", 10)},
             {
                 {"G1", "Retail Debtors", "G3"},  // listed before its parent
                 {"G2", "Sundry Debtors", ""},    // paired with the company's own group
                 {"G3", "Area Debtors <North>", "G2"},
                 {"G4", "Duties & Taxes", ""},
                 {"G5", "Reserve Funds of Partners <Firm> & Co Ltd &Sons", ""},
                 {"G6", "Orphan Group", "G99"},  // a parent that does not exist
             });
  std::vector<DbfField> order_fields = {
      C("ORDNO", 10),     C("PARNAM", 60), N("OPNING", 14), D("DATE"),       C("RATE", 1),
      C("DLNO", 20),      C("SCODE", 10),  C("CITY", 20),   C("PARADD", 40), C("PARADD1", 40),
      C("PARADD2", 40),   C("DSM", 10),    C("CSTNO", 20),  C("GSTNO", 20),  C("ITNO", 20),
      C("CONFIR", 30),    C("PHONE1", 15), C("PHONE3", 15), C("FAX1", 15),   C("PHONE4", 15),
      N("DUEDAYS", 4, 0), C("MR", 10)};
  auto account = [](const char* code, const char* name, Value opening, const char* group,
                    const char* broker = "", const char* dl_no = "") {
    return std::vector<Value>{code,
                              name,
                              opening,
                              Day(2024, 4, 1),
                              "y",
                              dl_no,
                              group,
                              "Pune",
                              "12 M.G. Road",
                              "",
                              "",
                              "411001",
                              "",
                              "27AAA",
                              "",
                              "",
                              "",
                              "",
                              "",
                              "",
                              Value(30.0),
                              broker};
  };
  WriteTable(folder, "ORDER.DBF", order_fields,
             {
                 account("1", "ABC", Value(1500.0), "G1", "5"),
                 account("2", "abc", kNull, "G1", "5"),  // no opening balance at all
                 account("3", "ABC#1", Value(-250.5), "G1"),
                 account("O'1", "D'Souza & Co <Pune>", Value(0.0), "G1", "", "DL-77"),
                 account("4", "", Value(0.0), "G1"),
                 account("5", "Ravi Salesman", Value(0.0), "G1"),
                 account("6", "Output CGST 9%", Value(0.0), "G4"),
                 account("7", "Long Group Ledger", Value(0.0), "G5"),
                 account("", "Nobody", Value(0.0), "G1"),
                 account("1", "ABC Duplicate", Value(0.0), "G1"),
             });
  std::vector<DbfField> pro_fields = {
      N("CODE", 8, 0),  C("NAME", 30),  C("RACKNO", 10), C("BILLNAME", 60), C("UNIT", 12),
      C("UNIT2", 12),   N("MRP", 10),   N("RATEA", 10),  N("PRATE", 10),    N("PURDIS", 6),
      N("OPENING", 10), N("IGST", 6),   N("PACK", 6, 0), C("GCODE", 6),     C("RACKNO2", 10),
      C("GCODE3", 6),   C("GCODE5", 6), C("GCODE6", 6),  C("PACKING", 60)};
  auto item = [](int code, const char* name, const char* unit, const char* unit2, Value opening,
                 Value pack, Value igst, const char* packing = "") {
    return std::vector<Value>{Value(static_cast<double>(code)),
                              "",
                              "",
                              name,
                              unit,
                              unit2,
                              Value(20.0),
                              Value(15.0),
                              Value(4.0),
                              Value(0.0),
                              opening,
                              igst,
                              pack,
                              "",
                              "",
                              "",
                              "",
                              "",
                              packing};
  };
  std::vector<Value> paracetamol = item(1, "Paracetamol 500", "TAB", "STRIP", Value(25.0),
                                        Value(10.0), Value(12.0), "10 x 10 <strip>");
  paracetamol[1] = "PCM";
  paracetamol[2] = "R1";
  paracetamol[13] = "IG1";
  paracetamol[15] = "SL1";
  paracetamol[17] = "H1";
  WriteTable(folder, "PRO.DBF", pro_fields,
             {
                 paracetamol,
                 item(2, "SOAP", "PCS", "", kNull, Value(0.0), Value(18.0)),
                 item(3, "soap", "PCS", "", kNull, Value(0.0), Value(18.0)),
                 item(4, "Soap", "PCS", "", kNull, Value(0.0), Value(18.0)),
                 item(5, "Boxed Three", "PCS", "BOX", Value(10.0), Value(3.0), Value(5.0)),
                 item(6, "Uneven", "PCS", "", Value(10.0), Value(0.0), Value(5.0)),
                 item(7, "No Tax Item", "PCS", "", kNull, Value(0.0), kNull),
                 item(8, "Packed", "PCS", "", kNull, Value(0.0), Value(0.0),
                      "Strip of 10 tablets in a carton of fifty &<2> boxes each"),
                 item(9, "", "PCS", "", kNull, Value(0.0), Value(0.0)),
             });
  WriteTable(
      folder, "PROBAT.DBF",
      {C("BILLNAME", 60), C("BATCHNO", 15), N("PRATE", 10), D("MFD"), D("EXP"), N("OPENING", 10),
       N("MRP", 10), N("RATEA", 10)},
      {
          {"Paracetamol 500", "B1", Value(4.0), Day(2024, 1, 1), Day(2026, 1, 1), Value(15.0),
           Value(20.0), Value(15.0)},
          {"Paracetamol 500", "B<2>", Value(4.0), kNull, Day(2026, 6, 1), Value(10.0), Value(20.0),
           Value(15.0)},
          {"Boxed Three", "X1", Value(2.0), kNull, kNull, Value(5.0), Value(9.0), Value(8.0)},
          {"Boxed Three", "X2", Value(2.0), kNull, kNull, Value(5.0), Value(9.0), Value(8.0)},
          {"Uneven", "U1", Value(1.0), kNull, kNull, Value(3.0), Value(2.0), Value(2.0)},
          {"Uneven", "U2", Value(1.0), kNull, kNull, Value(3.0), Value(2.0), Value(2.0)},
      });
  WriteTable(folder, "SALETYPE.DBF",
             {C("SCODE", 6), C("SGCODE", 6), C("SNAME", 40), C("PARNAM", 60)},
             {
                 {"IG1", "ZZZZZZ", "Tablets", ""},
                 {"SL1", "SALT", "Paracetamol", ""},
                 {"H1", "COMMCD", "3004", ""},
                 {"GD1", "GODWON", "", "Main Location"},
                 {"GD2", "GODWON", "", "Shop & Store"},
                 {"A", "GODWON", "", "Back Room"},
                 {"GD3", "GODWON", "", "Godown Number Two Behind The Main Market Road"},
                 {"GD4", "GODWON", "", "main store"},
             });
  WriteTable(folder, "SUPPORT.DBF", {C("LCODE", 10), N("PCODE", 2, 0), C("REMARK", 80)},
             {
                 {"1", Value(0.0), "abc@x.in and more"},
                 {"1", Value(15.0), "Pune MH 27"},
                 {"O'1", Value(15.0), "State 27"},
             });
}

// A run context over the export and a fresh local company, as a run has it after connecting.
struct MastersRun {
  RecordingRunUi ui;
  RunContext ctx{ui};
  testing::LocalSessionObjects session;
  void Connect(const LocalCompany& company) {
    session = testing::OpenLocalCompany(company);
    ctx.destination.FixedApi = std::move(session.fixed);
    ctx.destination.FixedApi1 = std::move(session.fixed1);
    ctx.destination.CompanyApi = std::move(session.company);
    ctx.destination.MastConfigApi = std::move(session.mast_config);
  }
  void Open(const fs::path& export_folder) {
    std::string errors;
    ASSERT_TRUE(OpenSourceDb(ctx, export_folder.string(), errors)) << errors;
  }
  void RunAll() {
    ImportItems(ctx);
    ImportMaterialCentres(ctx);
    ImportAccountGroups(ctx);
    ImportLedgers(ctx);
    ImportTaxTypes(ctx);
  }
};

std::unique_ptr<local::CompanyStore> OpenStore(const LocalCompany& company) {
  auto file = local::FindCompanyFile(company.data_folder, company.code);
  return std::make_unique<local::CompanyStore>(*file);
}

// The records the company accepted, in the order they came.
std::vector<std::string> AcceptedMasters(const LocalCompany& company) {
  auto store = OpenStore(company);
  std::vector<std::string> out;
  for (const auto& row : local::ReadJournal(*store))
    if (row.operation == "SaveMasterFromXML" && row.accepted) out.push_back(row.text);
  return out;
}

bool Holds(const std::vector<std::string>& records, const std::string& record) {
  return std::find(records.begin(), records.end(), record) != records.end();
}

class MastersStages : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = testing::CreateLocalCompany();
    export_ = company_.dir->path() / "export";
    WriteEdgeExport(export_);
  }
  void Prepare(MastersRun& run) {
    run.Connect(company_);
    run.Open(export_);
    run.ctx.destination.CompanyApi->AlternateUnit = true;
    run.ctx.destination.CompanyApi->EnableItemMastNotes = true;
    run.ctx.destination.CompanyApi->EnableAccMastNotes = true;
    run.ctx.destination.CompanyApi->MultiGodown = true;
    run.ctx.GroupMapping.Add("Sundry Debtors", "Sundry Debtors|Sundry Debtors");
    run.ctx.GroupMapping.Add("Duties & Taxes", "Duties & Taxes|Duties & Taxes");
  }
  LocalCompany company_;
  fs::path export_;
};

TEST_F(MastersStages, AccountGroupsGoParentsFirstUnderThePairedGroups) {
  MastersRun run;
  Prepare(run);
  ImportAccountGroups(run.ctx);
  EXPECT_EQ(run.ctx.ErrorText, "");
  std::vector<std::string> saved = AcceptedMasters(company_);
  ASSERT_EQ(saved.size(), 4u);
  EXPECT_EQ(saved[0],
            "<AccountGroup><Name>Area Debtors &lt;North&gt;</Name>"
            "<PrimaryGroup> False </PrimaryGroup><ParentGroupName>Sundry Debtors"
            "</ParentGroupName></AccountGroup>");
  EXPECT_EQ(saved[1],
            "<AccountGroup><Name>Retail Debtors</Name><PrimaryGroup> False </PrimaryGroup>"
            "<ParentGroupName>Area Debtors &lt;North&gt;</ParentGroupName></AccountGroup>");
  EXPECT_EQ(saved[2],
            "<AccountGroup><Name>Reserve Funds of Partners &lt;Firm&gt; &amp; Co Lt</Name>"
            "<PrimaryGroup> True </PrimaryGroup></AccountGroup>");
  EXPECT_EQ(saved[3],
            "<AccountGroup><Name>Orphan Group</Name><PrimaryGroup> True </PrimaryGroup>"
            "</AccountGroup>");
  const StageTally* t = run.ctx.summary.Find(kTallyAccountGroups);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->read, 6);
  EXPECT_EQ(t->saved, 4);
  EXPECT_EQ(t->skipped.at(kSkipMappedGroup), 2);
  EXPECT_TRUE(t->Balanced());
  EXPECT_EQ(run.ui.statuses.back(), "Importing Account Groups(6 of 6)");
}

TEST_F(MastersStages, LedgersWithTheirBrokersNamesAndCaches) {
  MastersRun run;
  Prepare(run);
  ImportAccountGroups(run.ctx);
  ImportLedgers(run.ctx);
  EXPECT_EQ(run.ctx.ErrorText, "Error: Blank Ledger Name found _");
  std::vector<std::string> saved = AcceptedMasters(company_);
  EXPECT_TRUE(Holds(saved,
                    "<Broker><Name>Ravi Salesman</Name><PrintName>Ravi Salesman</PrintName>"
                    "<BrokerCreditAccName>ABC</BrokerCreditAccName></Broker>"));
  EXPECT_TRUE(Holds(
      saved,
      "<Account><Name>ABC</Name><PrintName>ABC</PrintName><ParentGroup>Retail Debtors"
      "</ParentGroup><OPBal>-1500</OPBal><BrokerAssigned>True</BrokerAssigned><BrokerName>"
      "Ravi Salesman</BrokerName><MasterNotes>ABC</MasterNotes><Address><Address1>12 M.G. Road"
      "</Address1><Address2></Address2><Address3></Address3><Address4> </Address4><PINCode>"
      "411001</PINCode><Email>abc@x.in</Email><TINNo></TINNo><GSTNo>27AAA</GSTNo><ITPAN>"
      "</ITPAN><CountryName> </CountryName><StateName>MAHARASHTRA</StateName><DLNo></DLNo><OF>"
      "<OF0>01-04-2024</OF0><OF1>Pune</OF1></OF><Contact></Contact><TelNo></TelNo><TelNoRes>"
      "</TelNoRes><Fax></Fax><Mobile></Mobile></Address><BillByBillBalancing>True"
      "</BillByBillBalancing><CreditDaysForSale>30</CreditDaysForSale><CreditDaysForPurc>30"
      "</CreditDaysForPurc></Account>"));
  // Names: ABC, abc#1, and the real "ABC#1" steps over the taken one.
  EXPECT_EQ(*run.ctx.AccountNameCache.Find("1"), "ABC");
  EXPECT_EQ(*run.ctx.AccountNameCache.Find("2"), "abc#1");
  EXPECT_EQ(*run.ctx.AccountNameCache.Find("3"), "ABC#1#1");
  // A code with a quote is found, and the cache keeps it as stored.
  EXPECT_EQ(*run.ctx.AccountNameCache.Find("O'1"), "D'Souza & Co (Pune)");
  EXPECT_EQ(run.ctx.AccountNameCache.Find("O''1"), nullptr);

  bool dsouza = false, cgst = false, long_group = false, abc2 = false;
  for (const std::string& r : saved) {
    if (r.find("<Name>D'Souza &amp; Co (Pune)</Name>") != std::string::npos) {
      dsouza = true;
      EXPECT_NE(r.find("<OPBal>0</OPBal>"), std::string::npos);
      EXPECT_NE(r.find("<StateName>MAHARASHTRA</StateName><DLNo>DL-77</DLNo>"), std::string::npos);
    }
    if (r.find("<Name>Output CGST 9%</Name>") != std::string::npos) {
      cgst = true;
      EXPECT_NE(r.find("<ParentGroup>Duties &amp; Taxes</ParentGroup>"), std::string::npos);
      EXPECT_NE(r.find("<TaxType>CGST</TaxType></Account>"), std::string::npos);
    }
    if (r.find("<Name>Long Group Ledger</Name>") != std::string::npos) {
      long_group = true;
      EXPECT_NE(r.find("<ParentGroup>Reserve Funds of Partners &lt;Firm&gt; &amp; Co Lt"
                       "</ParentGroup>"),
                std::string::npos);
    }
    if (r.find("<Name>abc#1</Name>") != std::string::npos) {
      abc2 = true;
      EXPECT_NE(r.find("<PrintName>abc</PrintName>"), std::string::npos);
      EXPECT_NE(r.find("<OPBal></OPBal>"), std::string::npos);
    }
  }
  EXPECT_TRUE(dsouza && cgst && long_group && abc2);

  // The drug-licence alert once, and nothing else.
  ASSERT_EQ(run.ui.messages.size(), 1u);
  EXPECT_EQ(run.ui.messages[0].caption, "Feature Alert!");

  const StageTally* t = run.ctx.summary.Find(kTallyLedgers);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->read, 10);
  EXPECT_EQ(t->saved, 7);
  EXPECT_EQ(t->skipped.at(kSkipBlankName), 1);
  EXPECT_EQ(t->skipped.at(kSkipBlankCode), 1);
  EXPECT_EQ(t->skipped.at(kSkipRepeatedCode), 1);
  EXPECT_TRUE(t->Balanced());
  const StageTally* b = run.ctx.summary.Find(kTallyBrokers);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->read, 1);
  EXPECT_EQ(b->saved, 1);
}

TEST_F(MastersStages, ItemsWithOpeningStockAndBatches) {
  MastersRun run;
  Prepare(run);
  ImportItems(run.ctx);
  EXPECT_EQ(run.ctx.ErrorText, "Error: Blank Item Name found _");
  std::vector<std::string> saved = AcceptedMasters(company_);
  EXPECT_TRUE(Holds(
      saved,
      "<Item><Name>Paracetamol 500</Name><PrintName>Paracetamol 500</PrintName><ParentGroup>"
      "Tablets</ParentGroup><MainUnit>STRIP</MainUnit><AltUnitReq>True</AltUnitReq><AltUnit>TAB"
      "</AltUnit><OPStockInAltUnit>25</OPStockInAltUnit><ConversionFactor>10</ConversionFactor>"
      "<ConFactorType></ConFactorType><OPStockInMainUnit>2.5</OPStockInMainUnit><OPAmount>100"
      "</OPAmount><OPStockDetails><OPMCStockDetail><SrNo>1</SrNo><MCName>Main Store</MCName>"
      "<PendingBatches><BatchReference><SrNo>1</SrNo><BatchNo>B1</BatchNo><ExpiryDate>"
      "01-01-2026</ExpiryDate><MfgDate>01-01-2024</MfgDate><Qty>1.5</Qty><QtyAltUnit>15"
      "</QtyAltUnit><MainUnitPrice>6</MainUnitPrice><ItemMRP>20</ItemMRP><SalesPrice>15"
      "</SalesPrice></BatchReference><BatchReference><SrNo>2</SrNo><BatchNo>B&lt;2&gt;</BatchNo>"
      "<ExpiryDate>01-06-2026</ExpiryDate><MfgDate></MfgDate><Qty>1</Qty><QtyAltUnit>10"
      "</QtyAltUnit><MainUnitPrice>4</MainUnitPrice><ItemMRP>20</ItemMRP><SalesPrice>15"
      "</SalesPrice></BatchReference></PendingBatches><OPStockMainUnit>2.5</OPStockMainUnit>"
      "<OPStockAltUnit>25</OPStockAltUnit><Amount>10</Amount></OPMCStockDetail>"
      "</OPStockDetails><BatchByBatchDetails>True</BatchByBatchDetails><MasterNotes>"
      "Paracetamol 500</MasterNotes><HSNCode>3004</HSNCode><TaxCategory>GST 12%</TaxCategory>"
      "<TaxRateLocal>6</TaxRateLocal><TaxRateLocal1>6</TaxRateLocal1><TaxRateCentral>12"
      "</TaxRateCentral><MRP>20</MRP><PurchasePrice>4</PurchasePrice><PurcDiscount>0"
      "</PurcDiscount><SalePrice>15</SalePrice><MasterNotes>Paracetamol 500</MasterNotes><Alias>"
      "R1</Alias><MultipleItemAliases><MultipleAlias><Alias>PCM</Alias></MultipleAlias>"
      "</MultipleItemAliases><Address><Address1>10 x 10 &lt;strip&gt;</Address1><OF><OF0>"
      "Paracetamol</OF0><OF1></OF1><OF2></OF2></OF></Address></Item>"));
  EXPECT_EQ(*run.ctx.ItemNameCache.Find("2"), "SOAP");
  EXPECT_EQ(*run.ctx.ItemNameCache.Find("3"), "soap#1");
  EXPECT_EQ(*run.ctx.ItemNameCache.Find("4"), "Soap#2");

  bool boxed = false, uneven = false, no_tax = false, packed = false;
  for (const std::string& r : saved) {
    if (r.find("<Name>Boxed Three</Name>") != std::string::npos) {
      boxed = true;  // 10 in packs of 3 against two batches of 5: they add up
      EXPECT_NE(r.find("<OPStockInMainUnit>3.33333333333333</OPStockInMainUnit>"),
                std::string::npos);
      EXPECT_NE(r.find("<OPStockMainUnit>3.33333333333334</OPStockMainUnit>"), std::string::npos);
    }
    if (r.find("<Name>Uneven</Name>") != std::string::npos) {
      uneven = true;  // 10 against batches of 6: saved without them
      EXPECT_EQ(r.find("<OPStockDetails>"), std::string::npos);
      EXPECT_NE(r.find("<OPStockInMainUnit>10</OPStockInMainUnit><OPAmount>40</OPAmount>"
                       "<BatchByBatchDetails>True</BatchByBatchDetails><BatchSpecifyDate>3"),
                std::string::npos);
    }
    if (r.find("<Name>No Tax Item</Name>") != std::string::npos) {
      no_tax = true;
      EXPECT_EQ(r.find("<TaxCategory>"), std::string::npos);
    }
    if (r.find("<Name>Packed</Name>") != std::string::npos) {
      packed = true;
      EXPECT_NE(r.find("<Address1>Strip of 10 tablets in a carton of fifty</Address1>"
                       "<Address2> &amp;&lt;2&gt; boxes each</Address2>"),
                std::string::npos);
    }
  }
  EXPECT_TRUE(boxed && uneven && no_tax && packed);

  const StageTally* t = run.ctx.summary.Find(kTallyItems);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->read, 9);
  EXPECT_EQ(t->saved, 8);
  EXPECT_EQ(t->skipped.at(kSkipBlankName), 1);
  EXPECT_TRUE(t->Balanced());
  const StageTally* b = run.ctx.summary.Find(kTallyBatchDetails);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->read, 3);
  EXPECT_EQ(b->saved, 2);
  EXPECT_EQ(b->skipped.at(kSkipBatchesDoNotAddUp), 1);
  EXPECT_TRUE(b->Balanced());
}

TEST_F(MastersStages, MaterialCentresAndTheScrapStore) {
  MastersRun run;
  Prepare(run);
  run.ctx.destination.CompanyApi->MultiGodown = false;
  ImportMaterialCentres(run.ctx);
  EXPECT_EQ(run.ctx.ErrorText, "");
  ASSERT_EQ(run.ui.messages.size(), 1u);
  EXPECT_EQ(run.ui.messages[0].text,
            "Kindly enable Multiple Godown From Inventory configurations in Vuvoda!");
  std::vector<std::string> saved = AcceptedMasters(company_);
  ASSERT_EQ(saved.size(), 4u);
  EXPECT_EQ(saved[0],
            "<MaterialCenter><Name>Shop &amp; Store</Name><PrintName>Shop &amp; Store"
            "</PrintName><PrimaryGroup>True</PrimaryGroup></MaterialCenter>");
  EXPECT_EQ(saved[2],
            "<MaterialCenter><Name>Godown Number Two Behind The Main Market</Name><PrintName>"
            "Godown Number Two Behind The Main Market</PrintName><PrimaryGroup>True"
            "</PrimaryGroup></MaterialCenter>");
  EXPECT_EQ(saved[3],
            "<MaterialCenter><Name>Scrap Store</Name><PrintName>Scrap Store</PrintName>"
            "<PrimaryGroup>True</PrimaryGroup></MaterialCenter>");
  EXPECT_EQ(*run.ctx.MaterialCentreNameCache.Find("A"), "MAIN STORE");
  EXPECT_EQ(*run.ctx.MaterialCentreNameCache.Find("GD2"), "Shop & Store");
  EXPECT_EQ(*run.ctx.MaterialCentreNameCache.Find("GD3"),
            "Godown Number Two Behind The Main Market");
  EXPECT_EQ(run.ctx.MaterialCentreNameCache.Find("GD1"), nullptr);
  EXPECT_EQ(run.ctx.MaterialCentreNameCache.Find("GD4"), nullptr);
  const StageTally* t = run.ctx.summary.Find(kTallyMaterialCentres);
  EXPECT_EQ(t->read, 5);
  EXPECT_EQ(t->saved, 3);
  EXPECT_EQ(t->skipped.at(kSkipMainLocation), 2);
  EXPECT_TRUE(t->Balanced());
}

TEST_F(MastersStages, ASecondRunIsRefusedRecordByRecordAndChangesNothing) {
  {
    MastersRun first;
    Prepare(first);
    first.RunAll();
  }
  auto store = OpenStore(company_);
  std::string masters_before = local::RenderMasters(local::ListMasters(*store, std::nullopt), true);
  size_t accepted_before = AcceptedMasters(company_).size();
  store.reset();

  MastersRun second;
  Prepare(second);
  second.RunAll();
  store = OpenStore(company_);
  EXPECT_EQ(local::RenderMasters(local::ListMasters(*store, std::nullopt), true), masters_before);
  EXPECT_EQ(AcceptedMasters(company_).size(), accepted_before);
  // Every record the first run saved is refused with the company's own message, and the scrap
  // store is found this time and not sent again.
  for (const StageTally& t : second.ctx.summary.stages()) {
    EXPECT_EQ(t.saved, 0) << t.stage;
    EXPECT_TRUE(t.Balanced()) << t.stage;
  }
  EXPECT_EQ(second.ctx.ErrorText,
            "Error: Blank Item Name found _"
            "Item Name : Paracetamol 500 - Item 'Paracetamol 500' already exists_"
            "Item Name : SOAP - Item 'SOAP' already exists_"
            "Item Name : soap - Item 'soap#1' already exists_"
            "Item Name : Soap - Item 'Soap#2' already exists_"
            "Item Name : Boxed Three - Item 'Boxed Three' already exists_"
            "Item Name : Uneven - Item 'Uneven' already exists_"
            "Item Name : No Tax Item - Item 'No Tax Item' already exists_"
            "Item Name : Packed - Item 'Packed' already exists_"
            "Material Centre : Shop & Store - Material centre 'Shop & Store' already exists_"
            "Material Centre : Back Room - Material centre 'Back Room' already exists_"
            "Material Centre : Godown Number Two Behind The Main Market - Material centre "
            "'Godown Number Two Behind The Main Market' already exists_"
            "Account Group Name : Area Debtors <North> - Account group 'Area Debtors <North>' "
            "already exists_"
            "Account Group Name : Retail Debtors - Account group 'Retail Debtors' already exists_"
            "Account Group Name : Reserve Funds of Partners <Firm> & Co Lt - Account group "
            "'Reserve Funds of Partners <Firm> & Co Lt' already exists_"
            "Account Group Name : Orphan Group - Account group 'Orphan Group' already exists_"
            "Error: Blank Ledger Name found _"
            "Salesman Name : Ravi Salesman - Broker 'Ravi Salesman' already exists_"
            "Ledger Name : ABC - Ledger 'ABC' already exists_"
            "Ledger Name : abc#1 - Ledger 'abc#1' already exists_"
            "Ledger Name : ABC#1#1 - Ledger 'ABC#1#1' already exists_"
            "Ledger Name : D'Souza & Co (Pune) - Ledger 'D'Souza & Co (Pune)' already exists_"
            "Ledger Name : Long Group Ledger - Ledger 'Long Group Ledger' already exists_"
            "Ledger Name : Output CGST 9% - Ledger 'Output CGST 9%' already exists_"
            "Ledger Name : Ravi Salesman - Ledger 'Ravi Salesman' already exists_"
            "ST Name : Local-MultiRate Consolidated - Sale type 'Local-MultiRate Consolidated' "
            "already exists\r\n"
            "ST Name : Central-MultiRate Consolidated - Sale type "
            "'Central-MultiRate Consolidated' already exists\r\n"
            "PT Name : Local-MultiRate Consolidated - Purchase type "
            "'Local-MultiRate Consolidated' already exists\r\n"
            "PT Name : Central-MultiRate Consolidated - Purchase type "
            "'Central-MultiRate Consolidated' already exists\r\n");
  EXPECT_EQ(second.ctx.summary.Find(kTallyScrapStore)->skipped.at(kSkipAlreadyThere), 1);
}

TEST_F(MastersStages, AnEmptyGroupTableEndsTheStageWithItsEntry) {
  WriteTable(export_, "ACGROUP.DBF", {C("ORDNO", 10), C("PARNAM", 60), C("GROUP", 10)}, {});
  MastersRun run;
  Prepare(run);
  ImportAccountGroups(run.ctx);
  EXPECT_EQ(run.ctx.ErrorText, "RTE error while importing Accounts groupNo current record._");
  EXPECT_TRUE(AcceptedMasters(company_).empty());
}

}  // namespace
}  // namespace vodare

namespace vodare {
namespace {

TEST(MastersOnTheSample, EveryMasterIsSavedOrAccountedFor) {
  LocalCompany company = testing::CreateLocalCompany();
  fs::path export_dir = company.dir->path() / "sample";
  SampleExportOptions options;
  options.vouchers = 30;
  WriteSampleExport(export_dir.string(), options);
  MastersRun run;
  run.Connect(company);
  run.Open(export_dir);
  // The groups the company already has are paired automatically, as `--map-groups auto` does.
  FillGroupMapping(AutoMapGroupLists(LoadVodoriGroups(run.ctx), LoadVuvodaGroups(run.ctx)),
                   run.ctx.GroupMapping);
  EXPECT_GT(run.ctx.GroupMapping.Count(), 5u);
  run.RunAll();
  for (const StageTally& t : run.ctx.summary.stages()) {
    EXPECT_TRUE(t.Balanced()) << t.stage;
    EXPECT_EQ(t.failed, 0) << t.stage;
    EXPECT_EQ(t.not_reached, 0) << t.stage;
  }
  EXPECT_EQ(run.ctx.ErrorText.find("RTE"), std::string::npos) << run.ctx.ErrorText;
  EXPECT_EQ(run.ctx.summary.Find(kTallyAccountGroups)->refused, 0) << run.ctx.ErrorText;
  // What the company refuses are the ledgers its own chart already holds, under their names.
  const StageTally* ledgers = run.ctx.summary.Find(kTallyLedgers);
  size_t already = 0;
  for (size_t at = 0; (at = run.ctx.ErrorText.find("' already exists_", at)) != std::string::npos;
       ++at)
    ++already;
  EXPECT_EQ(static_cast<int64_t>(already), ledgers->refused);
  EXPECT_GT(ledgers->saved, 50);
  EXPECT_GT(run.ctx.summary.Find(kTallyItems)->saved, 50);
  EXPECT_EQ(run.ctx.summary.Find(kTallyTaxTypes)->saved, 4);
}

}  // namespace
}  // namespace vodare
