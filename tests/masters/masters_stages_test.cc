// The master stages against a real export written to disk and a real local company: what the
// company's journal received, the error text, the caches and the run summary.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/helpers.h"
#include "context/run_context.h"
#include "context/run_source.h"
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
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "support/stage_run_text.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::ExpectGolden;
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

// Every record the master stages send for the awkward export, what the company answered, the
// error entries, the tallies and the name caches the voucher stages will read, against the kept
// copy: parents before children, names cut to 40 and made unique, brokers, opening stock split
// over batches (or left without them when they do not add up), the scrap store.
TEST_F(MastersStages, EveryMasterOfTheAwkwardExportIsSentAsTheKeptCopyHoldsIt) {
  MastersRun run;
  Prepare(run);
  run.ctx.destination.CompanyApi->MultiGodown = false;
  run.RunAll();
  std::string text = testing::StageRunText(company_, "SaveMasterFromXML", run.ctx);
  for (auto [label, cache] : {std::pair{"account", &run.ctx.AccountNameCache},
                              {"item", &run.ctx.ItemNameCache},
                              {"material centre", &run.ctx.MaterialCentreNameCache}})
    cache->ForEach([&, label = label](const std::string& key, const std::string& name) {
      text += std::string(label) + " " + key + " = " + name + "\n";
    });
  for (const auto& m : run.ui.messages) text += "message " + m.caption + ": " + m.text + "\n";
  for (const auto& status : run.ui.statuses) text += "status " + status + "\n";
  ExpectGolden("masters_awkward_export.txt", text);
  // A code with a quote is found as stored, never as the query escaped it.
  EXPECT_EQ(run.ctx.AccountNameCache.Find("O''1"), nullptr);
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
  // Each refusal and each opening balance that did not arrive has its entry.
  ExpectGolden("masters_second_run.txt", testing::StageRunText(company_, "", second.ctx));
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
