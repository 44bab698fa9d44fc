// Whole runs of the sample export into a real local company, checked as an accountant would.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/error_list.h"
#include "app/reconcile.h"
#include "app/run_driver.h"
#include "app/run_stages.h"
#include "app/status_report.h"
#include "common/helpers.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/local_factory.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"
#include "source/source_db.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/inventory_vouchers.h"
#include "vouchers/voucher_types.h"

namespace vodare {
namespace {

using testing::RecordingRunUi;

// The sample's financial year. Functions, not constants: a date is worked out from tables that
// other files set up when the program starts.
Date From() { return Date::FromYmd(kSampleYear, 4, 1); }
Date To() { return Date::FromYmd(kSampleYear + 1, 3, 31); }

class WholeRun : public ::testing::Test {
 public:
  static std::string ExportDir() { return (sample_->path() / "export").string(); }

 protected:
  static void SetUpTestSuite() {
    sample_ = new testing::TempDir();
    SampleExportOptions options;
    options.vouchers = 120;
    WriteSampleExport(ExportDir(), options);
  }
  static void TearDownTestSuite() { delete sample_; }
  void SetUp() override {
    ::setenv("TEMP", temp_.path().c_str(), 1);
    ::setenv(kUsageEndpointVariable, "", 1);
  }
  void TearDown() override {
    ::unsetenv(kUsageEndpointVariable);
    ::unsetenv("TEMP");
  }

  static testing::LocalCompany NewCompany() {
    return testing::CreateLocalCompany({.name = kSampleCompanyName});
  }

  struct Outcome {
    RunResult result;
    RunSummary summary;
  };

  // One run as the window starts it, its questions answered Yes (the group mapping No).
  static Outcome Run(const testing::LocalCompany& company, RecordingRunUi& ui, bool masters,
                     RunStages stages = Stages()) {
    for (const char* caption :
         {"State Confirmation", "Feature Confirmation", "Feature Confirmation", "Confirmation"})
      ui.Answer(caption, true);
    std::unique_ptr<AutomationFactory> factory =
        local::MakeLocalAutomationFactory(company.program_folder);
    RunInputs inputs;
    inputs.vuvoda_path = company.program_folder;
    inputs.vuvoda_data_path = company.data_folder;
    inputs.company_code = company.code;
    inputs.company_name = kSampleCompanyName;
    inputs.fin_year_text = std::to_string(kSampleYear);
    inputs.vodori_data_path = ExportDir();
    inputs.from_date = From();
    inputs.to_date = To();
    inputs.masters = masters;
    inputs.vouchers = true;
    RunContext ctx(ui);
    ctx.factory = factory.get();
    RunResult result = RunConversion(ctx, inputs, stages);
    return {result, ctx.summary};
  }

  static RunStages Stages() {
    RunStages stages = DefaultRunStages();
    stages.OpenErrorList = [](const std::string&, std::string&) { return true; };
    return stages;
  }

  static testing::TempDir* sample_;
  testing::TempDir temp_;
};

testing::TempDir* WholeRun::sample_ = nullptr;

// What a company's books say, without the store's own ids.
std::vector<std::string> Books(const testing::LocalCompany& company) {
  local::CompanyStore store = testing::StoreOf(company);
  std::vector<std::string> lines;
  for (const auto& v : local::ListVouchers(store, std::nullopt))
    lines.push_back(std::to_string(v.type) + " " + v.series + " " + v.number + " " + v.date + " " +
                    v.party + " " + std::to_string(v.item_lines) + " " + std::to_string(v.entries) +
                    " " + std::to_string(v.amount));
  std::sort(lines.begin(), lines.end());
  for (const auto& row : local::ComputeTrialBalance(store).rows)
    lines.push_back("tb " + row.ledger + " " + std::to_string(row.opening) + " " +
                    std::to_string(row.debit) + " " + std::to_string(row.credit));
  return lines;
}

// The item master the fewest inventory vouchers use, and those vouchers (type letter, number).
struct ItemUse {
  std::string code;
  std::vector<std::pair<std::string, std::string>> vouchers;
};
ItemUse LeastUsedItem(RunContext& ctx) {
  std::map<std::string, std::pair<std::string, std::string>> headers;  // voucher id -> voucher
  Recordset m = GetRecordset(ctx, "SELECT Voucher,Type,vcn,Challan FROM mdis");
  for (m.MoveFirst(); !m.Eof(); m.MoveNext()) {
    const std::string type = NzTrim(m["Type"]);
    headers[NzTrim(m["Voucher"])] = {type,
                                     NzTrim(m[type == "D" || type == "L" ? "Challan" : "vcn"])};
  }
  std::map<std::string, std::set<std::string>> users;  // item code -> voucher ids
  Recordset d = GetRecordset(ctx, "SELECT Voucher,code FROM dis");
  for (d.MoveFirst(); !d.Eof(); d.MoveNext()) users[NzTrim(d["code"])].insert(NzTrim(d["Voucher"]));
  ItemUse least;
  Recordset pro = GetRecordset(ctx, "SELECT code FROM pro");
  for (pro.MoveFirst(); !pro.Eof(); pro.MoveNext()) {
    const std::set<std::string>& ids = users[NzTrim(pro["code"])];
    if (ids.empty() || (!least.code.empty() && ids.size() >= least.vouchers.size())) continue;
    least.code = NzTrim(pro["code"]);
    least.vouchers.clear();
    for (const std::string& id : ids) least.vouchers.push_back(headers[id]);
  }
  return least;
}

// The export, open as a run opens it, for what the tests compare the books with.
struct OpenExport {
  SilentRunUi ui;
  RunContext ctx{ui};
  OpenExport() {
    ErrorList why;
    EXPECT_TRUE(OpenSourceDb(ctx, WholeRun::ExportDir(), why)) << why.Text();
  }
};

TEST_F(WholeRun, TheVouchersTheCompanyRefusedAreTheMissingOnesAndEverythingElseAgrees) {
  OpenExport source;
  const ItemUse item = LeastUsedItem(source.ctx);
  ASSERT_FALSE(item.code.empty());
  testing::LocalCompany company = NewCompany();

  // Once the masters are in, the company loses an item that a few vouchers need.
  RunStages stages = Stages();
  stages.ImportTaxTypes = [real = stages.ImportTaxTypes, &company, code = item.code](
                              RunContext& ctx, const StageArgs& args) {
    real(ctx, args);
    const std::string* saved = ctx.ItemNameCache.Find(code);
    ASSERT_NE(saved, nullptr);
    testing::StoreOf(company).db().Exec(
        "UPDATE master SET name = 'Gone', folded = 'GONE' WHERE kind = " +
        std::to_string(kKindItem) + " AND name = '" + *saved + "'");
  };
  RecordingRunUi ui;
  const Outcome run = Run(company, ui, true, stages);
  ASSERT_EQ(run.result.outcome, RunOutcome::kPartial) << run.result.error_text;

  Reconciliation r = ReconcileFolders(ExportDir(), company.data_folder, company.code, From(), To(),
                                      run.result.errors);
  // The run's file, read back by a later reconcile, explains the same vouchers by their lines.
  EXPECT_EQ(ReconcileFolders(ExportDir(), company.data_folder, company.code, From(), To(),
                             ErrorListOfFile(ErrorListFileText(run.result.errors)))
                .Render(),
            r.Render());
  const StageTally* inventory = run.summary.Find(kInventoryVoucherStage);
  const StageTally* accounting = run.summary.Find(kAccountingVoucherStage);
  ASSERT_TRUE(inventory && accounting);
  EXPECT_EQ(r.inventory_source, inventory->read);
  EXPECT_EQ(r.inventory_arrived, inventory->saved);
  EXPECT_EQ(r.accounting_source, accounting->read - accounting->Skipped());
  EXPECT_EQ(r.accounting_arrived, accounting->saved);
  EXPECT_EQ(r.inventory_postings, accounting->Skipped());

  // Each voucher on the lost item is missing with its own entry; whatever else did not arrive
  // the run said why, and nothing arrived with other figures.
  for (const auto& [letter, number] : item.vouchers) {
    const int16_t type = GetInventoryVoucherType(letter);
    const std::string says = GetVoucherTypeName(type) + " voucher with Vch No : " + number + " on ";
    EXPECT_TRUE(std::any_of(r.differences.begin(), r.differences.end(),
                            [&](const auto& d) {
                              return d.source.type == type && d.source.number == number &&
                                     d.explanation.rfind(says, 0) == 0;
                            }))
        << letter << " " << number << "\n"
        << r.Render();
  }
  std::map<int, int64_t> missing_per_type;
  for (const VoucherDifference& d : r.differences) {
    EXPECT_TRUE(d.missing) << r.Render();
    EXPECT_FALSE(d.explanation.empty() && d.skip_rule.empty()) << r.Render();
    if (d.skip_rule.empty()) ++missing_per_type[d.source.type];
  }
  EXPECT_EQ(static_cast<int64_t>(r.differences.size()),
            inventory->refused + inventory->failed + inventory->Skipped() + accounting->refused +
                accounting->failed)
      << r.Render();
  for (const VoucherTypeFigures& t : r.types)
    EXPECT_EQ(t.source_count - missing_per_type[t.type], t.stored_count) << r.Render();
  for (const MasterFigures& m : r.masters)
    EXPECT_EQ(m.source - m.stored, m.kind == "Items" ? 1 : 0) << m.kind;
  for (const OpeningDifference& o : r.openings) EXPECT_FALSE(o.explanation.empty()) << r.Render();
  EXPECT_EQ(r.Verdict().find(" not"), std::string::npos) << r.Verdict();
  EXPECT_FALSE(r.Agrees());
  // The run held the same books beside the export itself, for its own last word.
  EXPECT_EQ(run.result.verdict, r.Verdict());
  EXPECT_FALSE(run.result.books_agree);
}

// A run stopped among the vouchers and run again leaves the books of a run straight through.
TEST_F(WholeRun, ARunStoppedAmongTheVouchersAndRunAgainLeavesTheBooksOfOneRun) {
  testing::LocalCompany whole = NewCompany();
  {
    RecordingRunUi ui;
    const Outcome run = Run(whole, ui, true);
    ASSERT_EQ(run.result.outcome, RunOutcome::kPartial);
    // A bill whose entries went astray is refused and its rows move as a journal; none may be.
    for (const ErrorEntry& e : run.result.errors.entries()) {
      EXPECT_EQ(e.message.find("do not balance"), std::string::npos) << e.message;
      EXPECT_EQ(e.message.find("does not fit AmountType"), std::string::npos) << e.message;
    }
  }
  testing::LocalCompany stopped = NewCompany();
  {
    // The stop comes once some thirty inventory vouchers are in hand.
    RunStages stages = Stages();
    RecordingRunUi ui;
    stages.ImportInventoryVouchers = [real = stages.ImportInventoryVouchers, &ui](
                                         RunContext& ctx, const StageArgs& args) {
      ui.StopAfterEvents(ui.process_events_calls + 35);
      real(ctx, args);
    };
    const Outcome run = Run(stopped, ui, true, stages);
    EXPECT_EQ(run.result.outcome, RunOutcome::kStopped);
    EXPECT_EQ(run.result.end_status, "Partial Completed");
    EXPECT_NE(run.result.error_text.find("The run was stopped before its end."), std::string::npos);
    const StageTally* t = run.summary.Find(kInventoryVoucherStage);
    ASSERT_NE(t, nullptr);
    EXPECT_GT(t->saved, 10);
    EXPECT_GT(t->not_reached, 0);
    EXPECT_EQ(run.summary.Find(kAccountingVoucherStage), nullptr);
  }
  {
    RecordingRunUi ui;
    const Outcome run = Run(stopped, ui, false);
    const StageTally* t = run.summary.Find(kInventoryVoucherStage);
    ASSERT_NE(t, nullptr);
    EXPECT_GT(t->skipped.count(kSkipAlreadyPresent) ? t->skipped.at(kSkipAlreadyPresent) : 0, 10)
        << run.result.error_text;
    EXPECT_TRUE(t->Balanced());
  }
  EXPECT_EQ(Books(stopped), Books(whole));
}

// A run's journal: a line (and hash) per row, then the whole text, escaped, of each operation and
// kind's first row.
std::string JournalText(const testing::LocalCompany& company) {
  local::CompanyStore store = testing::StoreOf(company);
  std::string rows, texts;
  size_t n = 0;
  std::set<std::string> seen;
  local::ForEachJournalRow(store, [&](const local::JournalRow& row) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : row.text + '\0' + row.message) hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    const std::string kind = row.kind ? std::to_string(*row.kind) : "-";
    rows += row.operation + " " + kind + " " + (row.accepted ? "1" : "0") + " " + hex + "\n";
    ++n;
    if (!seen.insert(row.operation + " " + kind).second) return;
    texts += "text " + std::to_string(n) + " ";
    for (char c : row.text + "\n" + row.message)
      texts += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    texts += "\n";
  });
  return rows + texts;
}

// What a run sends must not change with a change of structure.
TEST_F(WholeRun, EveryRecordOfASampleRunIsSentAsTheSavedJournalHoldsIt) {
  testing::LocalCompany company = NewCompany();
  RecordingRunUi ui;
  const Outcome run = Run(company, ui, true);
  ASSERT_EQ(run.result.outcome, RunOutcome::kPartial) << run.result.error_text;
  testing::ExpectGolden("sample_run_journal.txt", JournalText(company));
}

}  // namespace
}  // namespace vodare
