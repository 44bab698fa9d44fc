// The inventory voucher stage end to end: a small export written as real dBASE tables, opened
// as the program opens it, converted into a real local company.
#include <gtest/gtest.h>

#include <filesystem>

#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "source/source_db.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "support/stage_run_text.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/export_tables.h"
#include "vouchers/fixed_lookups.h"
#include "vouchers/inventory_vouchers.h"
#include "vouchers/pending_bill_refs.h"
#include "vouchers/voucher_source.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::C;
using testing::D;
using testing::N;
using testing::Row;

Value Day(int d, int m, int y) { return Value(Date::FromYmd(y, m, d)); }

Row Header(const char* type, const char* vcn, int voucher, Value date, const char* party,
           double final_amount) {
  return {{"TYPE", type},   {"VCN", vcn},     {"VOUCHER", voucher},
          {"DATE", date},   {"CODEP", party}, {"FINAL", final_amount},
          {"CASH", 0.0},    {"CGSTAMO", 0.0}, {"PACKING", 0.0},
          {"FREIGHT", 0.0}, {"ROUND", 0.0},   {"OTHER", 0.0},
          {"TAXAMO", 0.0},  {"STAXAMO", 0.0}};
}

Row Line(int voucher, const char* vcn, Value date, int code, double qty, double rate) {
  return {{"VOUCHER", voucher},    {"VCN", vcn},   {"DATE", date},
          {"CODE", code},          {"QTY", qty},   {"PACK", 0.0},
          {"FREE", 0.0},           {"RATE", rate}, {"MRP", 0.0},
          {"SDISCOUNT", 0.0},      {"SVDIS", 0.0}, {"SVDIS1", 0.0},
          {"AMMMOUNT", qty * rate}};
}

class InventoryStage : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = testing::CreateLocalCompany({"Test Pharma", "MAHARASHTRA", {2024}, false});
    export_ = company_.dir->path() / "export";
    fs::create_directories(export_);
    WriteExport();
    SaveMasters();
  }

  void WriteExport() {
    using testing::WriteTable;
    std::vector<Row> mdis;
    Row s1 = Header("S", "S1", 5001, Day(5, 4, 2024), "1", 1180);
    s1["CGSTAMO"] = 90.0;
    s1["TAXAMO"] = 180.0;
    s1["DOCU"] = "Walk in 98200";
    s1["PHONE"] = "98200";
    s1["DOCU2"] = "Shop <2>";
    mdis.push_back(s1);
    // A purchase numbered like the sale, with freight and a round-off.
    Row p1 = Header("P", "S1", 5002, Day(6, 4, 2024), "2", 1169.6);
    p1["PM"] = "INV-9";
    p1["TAXAMO"] = 120.0;
    p1["FREIGHT"] = 50.0;
    p1["ROUND"] = -0.4;
    mdis.push_back(p1);
    // A material issue whose number is the sale's: converted once, under its challan.
    Row l = Header("L", "S1", 5003, Day(7, 4, 2024), "1", 0);
    l["CHALLAN"] = "C7";
    l["CHDATE"] = Day(7, 4, 2024);
    mdis.push_back(l);
    // A receipt with the same challan dated before the range: not converted.
    Row d = Header("D", "R1", 5004, Day(1, 5, 2023), "2", 0);
    d["CHALLAN"] = "C7";
    d["CHDATE"] = Day(7, 4, 2024);
    mdis.push_back(d);
    // A sale whose challan is its own number.
    Row s5 = Header("S", "S5", 5005, Day(8, 4, 2024), "1", 236);
    s5["CHALLAN"] = "S5";
    s5["CGSTAMO"] = 18.0;
    s5["TAXAMO"] = 36.0;
    mdis.push_back(s5);
    for (int v : {5006, 5007}) {
      Row s2 = Header("S", "S2", v, Day(9, 4, 2024), "1", 118);
      s2["CGSTAMO"] = 9.0;
      s2["TAXAMO"] = 18.0;
      mdis.push_back(s2);
    }
    mdis.push_back(Header("S", "S7", 5008, Day(10, 4, 2024), "1", 100));  // no lines
    mdis.push_back(Header("S", "S8", 5009, Day(10, 4, 2024), "9", 100));  // unknown party
    mdis.push_back(Header("X", "X1", 5010, Day(10, 4, 2024), "1", 100));  // not converted
    mdis.push_back(Header("S", "S9", 5011, Day(11, 4, 2024), "1", 30));
    WriteTable(export_ / "mdis.dbf", testing::MdisFields(), mdis);

    std::vector<Row> dis;
    Row l1 = Line(5001, "S1", Day(5, 4, 2024), 101, 10, 100);
    l1["BATCH"] = "B-1";
    l1["MFD"] = Day(1, 1, 2024);
    l1["EXP"] = Day(31, 12, 2025);
    l1["MRP"] = 120.0;
    dis.push_back(l1);
    Row l2 = Line(5002, "S1", Day(6, 4, 2024), 101, 20, 50);
    l2["BATCH"] = "B-1";
    dis.push_back(l2);
    dis.push_back(Line(5003, "S1", Day(7, 4, 2024), 102, 5, 20));
    dis.push_back(Line(5004, "R1", Day(1, 5, 2023), 102, 5, 20));
    dis.push_back(Line(5005, "S5", Day(8, 4, 2024), 101, 2, 100));
    dis.push_back(Line(5006, "S2", Day(9, 4, 2024), 101, 1, 100));
    dis.push_back(Line(5007, "S2", Day(9, 4, 2024), 101, 1, 100));
    dis.push_back(Line(5009, "S8", Day(10, 4, 2024), 101, 1, 100));
    dis.push_back(Line(5010, "X1", Day(10, 4, 2024), 101, 1, 100));
    dis.push_back(Line(5011, "S9", Day(11, 4, 2024), 102, 3, 10));
    WriteTable(export_ / "dis.dbf", testing::DisFields(), dis);

    WriteTable(export_ / "pend.dbf",
               {N("VOUCHER", 10, 0), C("TYPE", 1), D("DDATE"), N("FINAL"), C("VCN", 12)},
               {{{"VOUCHER", 5001}, {"TYPE", "N"}, {"DDATE", Day(5, 5, 2024)}, {"FINAL", 1180.0}}});
    WriteTable(export_ / "probat.dbf",
               {N("CODE", 8, 0), C("BILLNAME", 40), C("BATCHNO", 15), N("RATEA"), C("PACKING", 40),
                C("UNIT", 10)},
               {{{"CODE", 101},
                 {"BILLNAME", "Paracetamol 500"},
                 {"BATCHNO", "B-1"},
                 {"RATEA", 12.5},
                 {"PACKING", "10 tablets in a strip"},
                 {"UNIT", "Strip"}}});
    WriteTable(export_ / "pro.dbf", {N("CODE", 8, 0), C("BILLNAME", 40), C("NAME", 40)},
               {{{"CODE", 101}, {"BILLNAME", "Paracetamol 500"}},
                {{"CODE", 102}, {"BILLNAME", "Soap & <Gel> 'Mint'"}}});
    WriteTable(export_ / "order.dbf", {C("ORDNO", 10), C("PARNAM", 40)},
               {{{"ORDNO", "1"}, {"PARNAM", "Ram Traders"}},
                {{"ORDNO", "2"}, {"PARNAM", "Shah Suppliers"}},
                {{"ORDNO", "9"}, {"PARNAM", "Ghost Party"}}});
    WriteTable(export_ / "support.dbf", {C("LCODE", 10), N("PCODE", 2, 0), C("REMARK", 60)},
               {{{"LCODE", "1"}, {"PCODE", 15}, {"REMARK", "Maharashtra 27"}},
                {{"LCODE", "2"}, {"PCODE", 15}, {"REMARK", "Gujarat 24"}}});
  }

  void SaveMasters() {
    auto s = testing::OpenLocalCompany(company_);
    auto save = [&](int16_t kind, std::string xml) {
      std::string message;
      ASSERT_TRUE(s.fixed->SaveMasterFromXML(kind, xml, message)) << xml << ": " << message;
    };
    save(2, "<Account><Name>Ram Traders</Name><ParentGroup>Sundry Debtors</ParentGroup></Account>");
    save(2,
         "<Account><Name>Shah Suppliers</Name><ParentGroup>Sundry Creditors</ParentGroup>"
         "</Account>");
    save(6, "<Item><Name>Paracetamol 500</Name></Item>");
    save(6, "<Item><Name>Soap &amp; (Gel) 'Mint'</Name></Item>");
    for (const char* name : {"Local-MultiRate Consolidated", "Central-MultiRate Consolidated"}) {
      save(13, std::string("<SaleType><Name>") + name + "</Name></SaleType>");
      save(14, std::string("<PurchaseType><Name>") + name + "</Name></PurchaseType>");
    }
    std::string sales = "Sales";
    sales_series_ = s.fixed1->SaveVchSeriesForMultiSeriesCreation(sales, 9);
  }

  // One run of the stage on a fresh context, as the run driver would make it.
  struct Run {
    std::unique_ptr<AutomationFactory> factory;
    testing::RecordingRunUi ui;
    RunContext ctx{ui};
  };
  std::unique_ptr<Run> RunStage() {
    auto run = std::make_unique<Run>();
    ErrorList errors;
    EXPECT_TRUE(OpenSourceDb(run->ctx, export_.string(), errors));
    run->factory = testing::ConnectLocalCompany(run->ctx, company_);
    std::string from = "01-04-2024", to = "31-03-2025";
    ImportInventoryVouchers(run->ctx, from, to);
    EXPECT_EQ(from, "04-01-2024");
    EXPECT_EQ(to, "03-31-2025");
    return run;
  }

  void ReplaceVouchers(const std::vector<Row>& mdis, const std::vector<Row>& dis) {
    testing::WriteTable(export_ / "mdis.dbf", testing::MdisFields(), mdis);
    testing::WriteTable(export_ / "dis.dbf", testing::DisFields(), dis);
  }

  local::CompanyStore Store() {
    return local::CompanyStore(*local::FindCompanyFile(company_.data_folder, company_.code));
  }
  std::vector<local::JournalRow> Vouchers() {
    return testing::JournalOf(company_, "SaveVchFromXML");
  }

  testing::LocalCompany company_;
  fs::path export_;
  int32_t sales_series_ = 0;
};

std::vector<std::string> Entries(const ErrorList& errors) {
  std::vector<std::string> out;
  for (const ErrorEntry& e : errors.entries()) out.push_back(e.message);
  return out;
}

// Each voucher of the range sent once, as the kept copy holds it (parts in order, billing
// details, batches, taxes, bill references, freight counted once), duplicates renumbered, the
// rest reported; the postings of the vouchers that arrived stay with them.
TEST_F(InventoryStage, SendsEachVoucherOfTheRangeOnceAsTheKeptCopyHoldsIt) {
  auto run = RunStage();
  std::string text = testing::StageRunText(company_, "SaveVchFromXML", run->ctx);
  text += "series " + std::to_string(sales_series_) + "\npostings kept with";
  run->ctx.InventoryVoucherIds.ForEach(
      [&](const std::string& key, const std::string&) { text += " " + key; });
  testing::ExpectGolden("inventory_stage_awkward_export.txt", text + "\n");
  // Every voucher the store took balances to the last paisa and beyond.
  for (const auto& row : Vouchers()) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(row.text.c_str())) << row.text;
    if (row.accepted) {
      EXPECT_NEAR(testing::SignedSum(doc.first_child()), 0, 1e-6) << row.text;
    }
  }
  local::CompanyStore store = Store();
  local::TrialBalance tb = local::ComputeTrialBalance(store);
  EXPECT_NEAR(tb.debit, tb.credit, 1e-6);
}

TEST_F(InventoryStage, ASecondRunSavesNothingTwiceAndNamesEveryRefusal) {
  auto first = RunStage();
  const StageTally first_tally = *first->ctx.summary.Find(kInventoryVoucherStage);
  size_t saved_before = 0;
  for (const auto& row : Vouchers()) saved_before += row.accepted;
  auto second = RunStage();
  auto journal = Vouchers();
  size_t saved_after = 0;
  for (const auto& row : journal) saved_after += row.accepted;
  EXPECT_EQ(saved_after, saved_before);

  // What the first run saved is already there; what it could not save is refused again.
  const StageTally* tally = second->ctx.summary.Find(kInventoryVoucherStage);
  EXPECT_EQ(tally->saved, 0);
  EXPECT_EQ(tally->skipped.count(kSkipAlreadyPresent) ? tally->skipped.at(kSkipAlreadyPresent) : 0,
            first_tally.saved);
  EXPECT_EQ(tally->refused, first_tally.refused);
  EXPECT_EQ(tally->refused + first_tally.saved, 8);
  EXPECT_TRUE(tally->Balanced());
  // Every refusal of the second run is in the error list with the store's own message.
  auto entries = Entries(second->ctx.errors);
  size_t refusals = 0;
  for (size_t i = journal.size() - 8; i < journal.size(); ++i) {
    ASSERT_FALSE(journal[i].accepted);
    if (journal[i].text.find("Ghost Party") == std::string::npos) {
      EXPECT_NE(journal[i].message.find("already exists"), std::string::npos) << journal[i].message;
    }
    bool listed = false;
    for (const auto& e : entries)
      listed = listed || (e.find(" - " + journal[i].message) != std::string::npos);
    EXPECT_TRUE(listed) << journal[i].message;
    ++refusals;
  }
  EXPECT_EQ(refusals, 8u);
  // The vouchers already in the company keep their identifiers, as after the first run: their
  // postings stay with them and the ledger stage does not book them a second time.
  EXPECT_EQ(second->ctx.InventoryVoucherIds.Count(), first->ctx.InventoryVoucherIds.Count());
}

TEST_F(InventoryStage, KeysFoundAsStoredAndTheLineLimit) {
  std::vector<Row> mdis, dis;
  // A receipt whose challan is stored with leading blanks.
  Row d = Header("D", "", 6001, Day(12, 4, 2024), "2", 0);
  d["CHALLAN"] = "  C9";
  d["CHDATE"] = Day(12, 4, 2024);
  mdis.push_back(d);
  dis.push_back(Line(6001, "C9", Day(12, 4, 2024), 101, 4, 10));
  // Numbers that differ only in case are one key: the second is a duplicate.
  mdis.push_back(Header("S", "S10", 6002, Day(12, 4, 2024), "1", 100));
  mdis.push_back(Header("S", "s10", 6003, Day(12, 4, 2024), "1", 100));
  dis.push_back(Line(6002, "S10", Day(12, 4, 2024), 101, 1, 100));
  dis.push_back(Line(6003, "s10", Day(12, 4, 2024), 101, 1, 100));
  // A thousand lines are more than a voucher may carry; 999 are not.
  mdis.push_back(Header("S", "S11", 6004, Day(13, 4, 2024), "1", 1000));
  mdis.push_back(Header("S", "S12", 6005, Day(13, 4, 2024), "1", 999));
  for (int i = 0; i < 1000; ++i) dis.push_back(Line(6004, "S11", Day(13, 4, 2024), 101, 1, 1));
  for (int i = 0; i < 999; ++i) dis.push_back(Line(6005, "S12", Day(13, 4, 2024), 101, 1, 1));
  // A blank date and a blank number are passed over by rule.
  Row blank_date = Header("L", "S13", 6006, Day(13, 4, 2024), "1", 0);
  blank_date["CHALLAN"] = "C13";
  mdis.push_back(blank_date);
  mdis.push_back(Header("S", "", 6007, Day(13, 4, 2024), "1", 100));
  ReplaceVouchers(mdis, dis);

  auto run = RunStage();
  // Keys in date order; a blank challan date sorts first.
  std::vector<std::string> sent;
  for (const auto& row : Vouchers()) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(row.text.c_str()));
    sent.push_back(std::string(doc.first_child().name()) + " " +
                   doc.first_child().child("VchNo").text().get() +
                   (row.accepted ? "" : " refused"));
  }
  EXPECT_EQ(sent,
            (std::vector<std::string>{"Sale S10", "Sale s10/1", "MaterialReceipt C9", "Sale S12"}));
  EXPECT_EQ(Entries(run->ctx.errors),
            (std::vector<std::string>{
                "Duplicate Sale voucher found : It has been saved with vchno - s10/1",
                "Sale voucher with Vch No : S11 - Maximum number of items present in this "
                "voucher exceeds 999"}));
  EXPECT_FALSE(run->ctx.InventoryVoucherIds.Contains("6004"));
  EXPECT_TRUE(run->ctx.InventoryVoucherIds.Contains("6005"));
  const StageTally* tally = run->ctx.summary.Find(kInventoryVoucherStage);
  EXPECT_EQ(tally->read, 7);
  EXPECT_EQ(tally->saved, 4);
  EXPECT_EQ(tally->skipped.at(kSkipTooManyItems), 1);
  EXPECT_EQ(tally->skipped.at(kSkipBlankDate), 1);
  EXPECT_EQ(tally->skipped.at(kSkipBlankNumber), 1);
  EXPECT_TRUE(tally->Balanced());
}

TEST_F(InventoryStage, ABreakageReturnGoesToItsOwnSeriesAndTheScrapStore) {
  Row w = Header("W", "W1", 6101, Day(14, 4, 2024), "1", 100);
  Row line = Line(6101, "W1", Day(14, 4, 2024), 101, 1, 100);
  line["GODWON"] = "7";
  ReplaceVouchers({w}, {line});
  auto run = RunStage();
  auto journal = Vouchers();
  ASSERT_EQ(journal.size(), 1u);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(journal[0].text.c_str()));
  pugi::xml_node root = doc.child("SaleReturn");
  EXPECT_EQ(testing::At(root, "VchSeriesName"), "Breakage");
  EXPECT_EQ(testing::At(root, "MasterName2"), "Scrap Store");
  EXPECT_EQ(testing::At(root, "ItemEntries/ItemDetail/MC"), "Scrap Store");
  // Sale return: the party is credited, sales debited.
  EXPECT_EQ(testing::At(root, "AccEntries/AccDetail[1]/AmtMainCur"), "100");
  EXPECT_EQ(testing::At(root, "AccEntries/AccDetail[2]/AmtMainCur"), "-100");
  // Whatever the company answers is accounted for.
  const StageTally* tally = run->ctx.summary.Find(kInventoryVoucherStage);
  EXPECT_EQ(tally->saved + tally->refused, 1);
  if (!journal[0].accepted) {
    EXPECT_EQ(run->ctx.errors.Text(),
              "Sale Return voucher with Vch No : W1 on 14-04-2024 - " + journal[0].message + "_");
  }
}

TEST_F(InventoryStage, CodesThatAreNotNumbersNeverReachAQuery) {
  testing::RecordingRunUi ui;
  RunContext ctx(ui);
  ErrorList errors;
  ASSERT_TRUE(OpenSourceDb(ctx, export_.string(), errors));
  EXPECT_TRUE(ReadItemLines(ctx, "").empty());
  EXPECT_TRUE(ReadItemLines(ctx, "5001 or 1=1").empty());
  EXPECT_EQ(ReadItemLines(ctx, "5001").size(), 1u);
  EXPECT_TRUE(ReadPendingBillRows(ctx, "x").empty());
  EXPECT_EQ(ReadPendingBillRows(ctx, " 5001 ").size(), 1u);
  SourceVoucherLookups lookups(ctx);
  EXPECT_EQ(lookups.ItemName(""), "");
  EXPECT_EQ(lookups.ItemName("101"), "Paracetamol 500");
  EXPECT_EQ(lookups.ItemName("102"), "Soap & (Gel) 'Mint'");
  EXPECT_EQ(lookups.BatchUnit("abc"), "");
  EXPECT_EQ(lookups.BatchUnit("101"), "Strip");
  EXPECT_EQ(lookups.BatchSalePrice("it's"), "");
  EXPECT_EQ(lookups.ItemPackingText(0), "");
  // Not one query failed: nothing was shown to the user.
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(IsPlainNumber(" -12.5 "));
  EXPECT_FALSE(IsPlainNumber("1e3"));
  EXPECT_FALSE(IsPlainNumber("."));
}

}  // namespace
}  // namespace vodare
