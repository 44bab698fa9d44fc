// The accounting voucher stage from a real export into a real local company.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/reconcile.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "source/source_db.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "support/text_dbf.h"
#include "vouchers/accounting_vouchers.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::WriteTextDbf;

// What a company's books say, without the store's own ids.
std::vector<std::string> Books(const testing::LocalCompany& company) {
  local::CompanyStore store = testing::StoreOf(company);
  std::vector<std::string> lines;
  for (const auto& v : local::ListVouchers(store, std::nullopt))
    lines.push_back(std::to_string(v.type) + " " + v.series + " " + v.number + " " + v.date + " " +
                    v.party + " " + std::to_string(v.entries) + " " + std::to_string(v.amount));
  std::sort(lines.begin(), lines.end());
  for (const auto& row : local::ComputeTrialBalance(store).rows)
    lines.push_back("tb " + row.ledger + " " + std::to_string(row.debit) + " " +
                    std::to_string(row.credit));
  return lines;
}

class AccountingStage : public ::testing::Test {
 protected:
  void SetUp() override { testing::WriteTextExport(export_, "accounting_stage_export.txt"); }
  // Replaces the ledger rows of the kept export.
  void WriteGledger(const std::vector<std::string>& rows, const char* voucher = "N 8 0") {
    WriteTextDbf(export_ / "Gledger.dbf",
                 std::string("VOUCHER ") + voucher +
                     ";TYPE C 2;DATE D;CODE C 8;CODE1 C 8;DEBIT N 14 2;CREDIT N 14 2;MR C 8",
                 rows);
  }

  void RunOn(const testing::LocalCompany& company, RunContext& ctx, bool make_ledgers = true) {
    ErrorList error_text;
    ASSERT_TRUE(OpenSourceDb(ctx, export_.string(), error_text)) << error_text.Text();
    factories_.push_back(testing::ConnectLocalCompany(ctx, company));
    // The long name of A003 is saved cut to its first 40 characters.
    for (const char* name : {"Mehta Stores", "Cash Counter",
                             "Shree Ganesh Medical And General Stores ", "Ramesh Agencies"}) {
      std::string xml = std::string("<Account><Name>") + name +
                        "</Name><ParentGroup>Sundry Debtors</ParentGroup></Account>";
      std::string message;
      ASSERT_TRUE(!make_ledgers || ctx.destination.FixedApi->SaveMasterFromXML(2, xml, message))
          << message;
    }
    ctx.InventoryVoucherIds.Add("106", true);
    ImportAccountingVouchers(ctx, Date::FromYmd(2024, 4, 1), Date::FromYmd(2025, 3, 31));
  }
  std::vector<local::VoucherRow> Vouchers() {
    local::CompanyStore store = testing::StoreOf(company_);
    return local::ListVouchers(store, std::nullopt);
  }
  const StageTally& Tally(const RunContext& ctx) {
    return *ctx.summary.Find(kAccountingVoucherStage);
  }

  testing::LocalCompany company_ = testing::CreateLocalCompany();
  fs::path export_ = company_.dir->path() / "export";
  // Made before the contexts that hold their objects, gone after them.
  std::vector<std::unique_ptr<AutomationFactory>> factories_;
  testing::RecordingRunUi ui_;
  RunContext ctx_{ui_};
};

TEST_F(AccountingStage, EveryKindOfLedgerVoucherArrivesAsTheBooksHoldIt) {
  RunOn(company_, ctx_);
  testing::ExpectGolden(
      "accounting_stage_every_kind.txt",
      testing::StageRunText(company_, "SaveVchFromXML", ctx_) + ui_.statuses.back() + "\n");
  std::vector<std::string> books;
  for (const auto& v : Vouchers()) books.push_back(v.number + " " + std::to_string(v.type));
  EXPECT_EQ(books, (std::vector<std::string>{"101 14", "102 19", "103 16", "104 16", "105 15"}));
  // 106 is no inventory voucher here, so it is a journal missing without an entry.
  ErrorList errors;
  errors.Add("Ledgers", "106", "Some other entry");
  errors.Append(ctx_.errors);
  Reconciliation r =
      ReconcileFolders(export_.string(), company_.data_folder, company_.code,
                       Date::FromYmd(2024, 4, 1), Date::FromYmd(2025, 3, 31), errors);
  EXPECT_FALSE(r.Agrees());
  testing::ExpectGolden("accounting_stage_reconciliation.txt", r.Render());
}

TEST_F(AccountingStage, AVoucherNumberThatIsNoNumberGetsItsOwnErrorLine) {
  WriteGledger({"5 or 1|G|2024-05-02|A001||10|0", "5 or 1|G|2024-05-02|A002||0|10"}, "C 8");
  RunOn(company_, ctx_);
  EXPECT_TRUE(Vouchers().empty());
  EXPECT_EQ(ctx_.errors.Text().rfind(
                "RTE error while importing  Payment voucher with Vch No : 5 or 1 on ", 0),
            0u)
      << ctx_.errors.Text();
  EXPECT_NE(ctx_.errors.Text().find(": Type mismatch_"), std::string::npos);
  EXPECT_EQ(Tally(ctx_).read, 1);
  EXPECT_EQ(Tally(ctx_).failed, 1);
  EXPECT_TRUE(Tally(ctx_).Balanced());
}

TEST_F(AccountingStage, AnEmptyRangeListsNothingAndSaysNothing) {
  WriteGledger({"1|G|2023-05-02|A001||10|0"});
  RunOn(company_, ctx_);
  EXPECT_TRUE(Vouchers().empty());
  EXPECT_EQ(ctx_.errors.Text(), "");
  EXPECT_EQ(Tally(ctx_).read, 0);
}

TEST_F(AccountingStage, AnInterruptedRunRunAgainLeavesTheSameBooksAsOneRun) {
  testing::LocalCompany whole = testing::CreateLocalCompany();
  {
    testing::RecordingRunUi ui;
    RunContext ctx(ui);
    RunOn(whole, ctx);
  }
  // Stopped once the second voucher is in hand: it finishes, the rest wait.
  {
    testing::RecordingRunUi ui;
    ui.StopAfterEvents(3);
    RunContext ctx(ui);
    RunOn(company_, ctx);
    EXPECT_EQ(Tally(ctx).saved, 2);
    EXPECT_EQ(Tally(ctx).not_reached, 4);
    EXPECT_TRUE(Tally(ctx).Balanced());
  }
  EXPECT_EQ(Vouchers().size(), 2u);
  {
    testing::RecordingRunUi ui;
    RunContext ctx(ui);
    RunOn(company_, ctx, false);
    const StageTally& t = Tally(ctx);
    EXPECT_EQ(t.saved, 3) << ctx.errors.Text();
    EXPECT_EQ(t.skipped.at(kSkipAlreadyPresent), 2) << ctx.errors.Text();
    EXPECT_EQ(t.refused, 1);
    EXPECT_EQ(t.failed, 0);
    EXPECT_TRUE(t.Balanced());
  }
  EXPECT_EQ(Books(company_), Books(whole));
}

}  // namespace
}  // namespace vodare
