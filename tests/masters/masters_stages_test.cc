// The master stages against a real export written to disk and a real local company: what the
// company's journal received, the error text, the caches and the run summary.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/helpers.h"
#include "context/run_context.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"
#include "mapping/group_matching.h"
#include "mapping/mapping_step.h"
#include "masters/account_groups.h"
#include "masters/items.h"
#include "masters/ledgers.h"
#include "masters/material_centres.h"
#include "masters/stage_support.h"
#include "source/dbf.h"
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
    std::vector<Value> row(22, Value(""));
    row[0] = code, row[1] = name, row[2] = opening, row[3] = Day(2024, 4, 1), row[4] = "y";
    row[5] = dl_no, row[6] = group, row[7] = "Pune", row[8] = "12 M.G. Road";
    row[11] = "411001", row[13] = "27AAA", row[20] = Value(30.0), row[21] = broker;
    return row;
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
    std::vector<Value> row(19, Value(""));
    row[0] = Value(static_cast<double>(code)), row[3] = name, row[4] = unit, row[5] = unit2;
    row[6] = Value(20.0), row[7] = Value(15.0), row[8] = Value(4.0), row[9] = Value(0.0);
    row[10] = opening, row[11] = igst, row[12] = pack, row[18] = packing;
    return row;
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
  std::unique_ptr<AutomationFactory> factory;
  RecordingRunUi ui;
  RunContext ctx{ui};
  void Connect(const LocalCompany& company) {
    factory = testing::ConnectLocalCompany(ctx, company);
  }
  void Open(const fs::path& export_folder) {
    ErrorList errors;
    ASSERT_TRUE(OpenSourceDb(ctx, export_folder.string(), errors)) << errors.Text();
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
  std::vector<std::string> out;
  for (const auto& row : testing::JournalOf(company, "SaveMasterFromXML", true))
    out.push_back(row.text);
  return out;
}

bool Holds(const std::vector<std::string>& records, const std::string& record) {
  return std::find(records.begin(), records.end(), record) != records.end();
}

// The saved record whose Name element holds name ("" when none); the full element order of each
// record kind is held by the record tests, so these tests look at what the stage filled in.
std::string Named(const std::vector<std::string>& records, const std::string& name) {
  for (const std::string& r : records)
    if (r.find("<Name>" + name + "</Name>") != std::string::npos) return r;
  return "";
}

bool Has(const std::string& record, const std::string& part) {
  return record.find(part) != std::string::npos;
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
  EXPECT_EQ(run.ctx.errors.Text(), "");
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
  EXPECT_EQ(run.ctx.errors.Text(), "Error: Blank Ledger Name found _");
  std::vector<std::string> saved = AcceptedMasters(company_);
  EXPECT_TRUE(Holds(saved,
                    "<Broker><Name>Ravi Salesman</Name><PrintName>Ravi Salesman</PrintName>"
                    "<BrokerCreditAccName>ABC</BrokerCreditAccName></Broker>"));
  std::string abc = Named(saved, "ABC");
  for (const char* part :
       {"<ParentGroup>Retail Debtors</ParentGroup><OPBal>-1500</OPBal><BrokerAssigned>True"
        "</BrokerAssigned><BrokerName>Ravi Salesman</BrokerName>",
        "<Email>abc@x.in</Email>", "<GSTNo>27AAA</GSTNo>", "<StateName>MAHARASHTRA</StateName>",
        "<OF0>01-04-2024</OF0><OF1>Pune</OF1>",
        "<BillByBillBalancing>True</BillByBillBalancing><CreditDaysForSale>30"})
    EXPECT_TRUE(Has(abc, part)) << part << " in " << abc;
  // Names: ABC, abc#1, and the real "ABC#1" steps over the taken one.
  EXPECT_EQ(*run.ctx.AccountNameCache.Find("1"), "ABC");
  EXPECT_EQ(*run.ctx.AccountNameCache.Find("2"), "abc#1");
  EXPECT_EQ(*run.ctx.AccountNameCache.Find("3"), "ABC#1#1");
  // A code with a quote is found, and the cache keeps it as stored.
  EXPECT_EQ(*run.ctx.AccountNameCache.Find("O'1"), "D'Souza & Co (Pune)");
  EXPECT_EQ(run.ctx.AccountNameCache.Find("O''1"), nullptr);

  std::string dsouza = Named(saved, "D'Souza &amp; Co (Pune)");
  EXPECT_TRUE(Has(dsouza, "<OPBal>0</OPBal>"));
  EXPECT_TRUE(Has(dsouza, "<StateName>MAHARASHTRA</StateName><DLNo>DL-77</DLNo>"));
  std::string cgst = Named(saved, "Output CGST 9%");
  EXPECT_TRUE(Has(cgst, "<ParentGroup>Duties &amp; Taxes</ParentGroup>"));
  EXPECT_TRUE(Has(cgst, "<TaxType>CGST</TaxType></Account>"));
  EXPECT_TRUE(Has(Named(saved, "Long Group Ledger"),
                  "<ParentGroup>Reserve Funds of Partners &lt;Firm&gt; &amp; Co Lt</ParentGroup>"));
  std::string abc2 = Named(saved, "abc#1");
  EXPECT_TRUE(Has(abc2, "<PrintName>abc</PrintName>"));
  EXPECT_TRUE(Has(abc2, "<OPBal></OPBal>"));

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
  EXPECT_EQ(run.ctx.errors.Text(), "Error: Blank Item Name found _");
  std::vector<std::string> saved = AcceptedMasters(company_);
  std::string pcm = Named(saved, "Paracetamol 500");
  for (const char* part :
       {"<ParentGroup>Tablets</ParentGroup><MainUnit>STRIP</MainUnit><AltUnitReq>True</AltUnitReq>"
        "<AltUnit>TAB</AltUnit><OPStockInAltUnit>25</OPStockInAltUnit><ConversionFactor>10",
        "<BatchReference><SrNo>1</SrNo><BatchNo>B1</BatchNo><ExpiryDate>01-01-2026</ExpiryDate>"
        "<MfgDate>01-01-2024</MfgDate><Qty>1.5</Qty><QtyAltUnit>15</QtyAltUnit><MainUnitPrice>6"
        "</MainUnitPrice>",
        "<BatchNo>B&lt;2&gt;</BatchNo><ExpiryDate>01-06-2026</ExpiryDate><MfgDate></MfgDate>",
        "<OPStockMainUnit>2.5</OPStockMainUnit><OPStockAltUnit>25</OPStockAltUnit><Amount>10",
        "</OPStockDetails><BatchByBatchDetails>True</BatchByBatchDetails><MasterNotes>",
        "<HSNCode>3004</HSNCode><TaxCategory>GST 12%</TaxCategory>",
        "<Alias>R1</Alias><MultipleItemAliases><MultipleAlias><Alias>PCM</Alias>",
        "<Address1>10 x 10 &lt;strip&gt;</Address1><OF><OF0>Paracetamol</OF0>"})
    EXPECT_TRUE(Has(pcm, part)) << part << " in " << pcm;
  EXPECT_EQ(*run.ctx.ItemNameCache.Find("2"), "SOAP");
  EXPECT_EQ(*run.ctx.ItemNameCache.Find("3"), "soap#1");
  EXPECT_EQ(*run.ctx.ItemNameCache.Find("4"), "Soap#2");

  // 10 in packs of 3 against two batches of 5: they add up, compared as numbers.
  std::string boxed = Named(saved, "Boxed Three");
  EXPECT_TRUE(Has(boxed, "<OPStockInMainUnit>3.33333333333333</OPStockInMainUnit>"));
  EXPECT_TRUE(Has(boxed, "<OPStockMainUnit>3.33333333333334</OPStockMainUnit>"));
  // 10 against batches of 6: saved without them.
  std::string uneven = Named(saved, "Uneven");
  EXPECT_FALSE(Has(uneven, "<OPStockDetails>"));
  EXPECT_TRUE(Has(uneven,
                  "<OPStockInMainUnit>10</OPStockInMainUnit><OPAmount>40</OPAmount>"
                  "<BatchByBatchDetails>True</BatchByBatchDetails><BatchSpecifyDate>3"));
  std::string no_tax = Named(saved, "No Tax Item");
  EXPECT_TRUE(!no_tax.empty() && !Has(no_tax, "<TaxCategory>"));
  EXPECT_TRUE(Has(Named(saved, "Packed"),
                  "<Address1>Strip of 10 tablets in a carton of fifty</Address1>"
                  "<Address2> &amp;&lt;2&gt; boxes each</Address2>"));

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
  EXPECT_EQ(run.ctx.errors.Text(), "");
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
  // What the company holds already is counted as present, not as refused.
  int64_t present = 0;
  for (const StageTally& t : second.ctx.summary.stages()) {
    EXPECT_EQ(t.saved, 0) << t.stage;
    EXPECT_EQ(t.refused, 0) << t.stage;
    EXPECT_TRUE(t.Balanced()) << t.stage;
    if (t.stage != kTallyBatchDetails) present += t.AlreadyPresent();
  }
  EXPECT_EQ(present, static_cast<int64_t>(accepted_before));
  const std::string errors = second.ctx.errors.Text();
  size_t refusals = 0;
  for (size_t at = 0; (at = errors.find("' already exists", at)) != std::string::npos; ++at)
    ++refusals;
  // All but the scrap store, and the two ledgers with an opening balance, whose entry says
  // that the balance did not arrive instead.
  EXPECT_EQ(refusals, accepted_before - 1 - 2) << errors;
  for (const char* line :
       {"Error: Blank Item Name found _Item Name : Paracetamol 500 - Item 'Paracetamol 500' "
        "already exists_",
        "Item Name : soap - Item 'soap#1' already exists_",
        "Material Centre : Shop & Store - Material centre 'Shop & Store' already exists_",
        "Account Group Name : Area Debtors <North> - Account group 'Area Debtors <North>' "
        "already exists_",
        "Salesman Name : Ravi Salesman - Broker 'Ravi Salesman' already exists_",
        "Opening balance of ledger 'ABC' (-1500.00) was not set: the ledger already exists in "
        "the company; enter it by hand_",
        "Ledger Name : abc#1 - Ledger 'abc#1' already exists_",
        "Opening balance of ledger 'ABC#1#1' (250.50) was not set: the ledger already exists in "
        "the company; enter it by hand_",
        "Ledger Name : D'Souza & Co (Pune) - Ledger 'D'Souza & Co (Pune)' already exists_",
        "PT Name : Central-MultiRate Consolidated - Purchase type "
        "'Central-MultiRate Consolidated' already exists\r\n"})
    EXPECT_NE(errors.find(line), std::string::npos) << line << " in " << errors;
  EXPECT_EQ(second.ctx.summary.Find(kTallyScrapStore)->skipped.at(kSkipAlreadyThere), 1);
}

TEST_F(MastersStages, AnEmptyGroupTableEndsTheStageWithItsEntry) {
  WriteTable(export_, "ACGROUP.DBF", {C("ORDNO", 10), C("PARNAM", 60), C("GROUP", 10)}, {});
  MastersRun run;
  Prepare(run);
  ImportAccountGroups(run.ctx);
  EXPECT_EQ(run.ctx.errors.Text(), "RTE error while importing Accounts groupNo current record._");
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
  const std::string errors = run.ctx.errors.Text();
  EXPECT_EQ(errors.find("RTE"), std::string::npos) << errors;
  EXPECT_EQ(run.ctx.summary.Find(kTallyAccountGroups)->refused, 0) << errors;
  // The ledgers the company's own chart holds already are present, not refused; each has its
  // entry, which for one with an opening balance says the balance did not arrive.
  const StageTally* ledgers = run.ctx.summary.Find(kTallyLedgers);
  size_t already = 0;
  for (size_t at = 0; (at = errors.find(" already exists", at)) != std::string::npos; ++at)
    ++already;
  EXPECT_EQ(ledgers->refused, 0) << errors;
  EXPECT_GT(ledgers->AlreadyPresent(), 0);
  EXPECT_EQ(static_cast<int64_t>(already), ledgers->AlreadyPresent()) << errors;
  EXPECT_GT(ledgers->saved, 50);
  EXPECT_GT(run.ctx.summary.Find(kTallyItems)->saved, 50);
  EXPECT_EQ(run.ctx.summary.Find(kTallyTaxTypes)->saved, 4);
}

}  // namespace
}  // namespace vodare
