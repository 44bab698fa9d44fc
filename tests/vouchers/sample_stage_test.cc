// The inventory voucher stage on the sample export, into a real local company whose masters
// exist: every record of the range is accounted for, every voucher saved balances, the books
// balance, and a second run saves nothing twice.
#include <gtest/gtest.h>

#include <filesystem>

#include "context/run_context.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"
#include "source/source_db.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/fixed_lookups.h"
#include "vouchers/inventory_vouchers.h"
#include "vouchers/sample_masters.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

class SampleStage : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ =
        testing::CreateLocalCompany({kSampleCompanyName, "MAHARASHTRA", {kSampleYear}, false});
    export_ = company_.dir->path() / "export";
    SampleExportOptions options;
    options.vouchers = 300;
    WriteSampleExport(export_.string(), options);
  }

  struct Run {
    std::unique_ptr<AutomationFactory> factory;
    testing::RecordingRunUi ui;
    RunContext ctx{ui};
  };
  std::unique_ptr<Run> Open() {
    auto run = std::make_unique<Run>();
    ErrorList errors;
    EXPECT_TRUE(OpenSourceDb(run->ctx, export_.string(), errors));
    run->factory = testing::ConnectLocalCompany(run->ctx, company_);
    return run;
  }
  void Import(Run& run) {
    ImportInventoryVouchers(run.ctx, Date::FromYmd(kSampleYear, 4, 1),
                            Date::FromYmd(kSampleYear + 1, 3, 31));
  }
  std::vector<local::JournalRow> VoucherJournal() {
    return testing::JournalOf(company_, "SaveVchFromXML");
  }

  testing::LocalCompany company_;
  fs::path export_;
};

TEST_F(SampleStage, EveryRecordIsAccountedForAndTheBooksBalance) {
  auto run = Open();
  testing::SaveMastersForVouchers(run->ctx);
  Import(*run);
  const StageTally* tally = run->ctx.summary.Find(kInventoryVoucherStage);
  ASSERT_NE(tally, nullptr);
  EXPECT_TRUE(tally->Balanced());
  EXPECT_EQ(tally->not_reached, 0);
  EXPECT_GT(tally->saved, 250);

  auto journal = VoucherJournal();
  int64_t accepted = 0, refused = 0;
  for (const auto& row : journal) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(row.text.c_str())) << row.text;
    if (row.accepted) {
      ++accepted;
      EXPECT_NEAR(testing::SignedSum(doc.first_child()), 0, 0.005) << row.text;
    } else {
      ++refused;
      // Every refusal is in the error list with the store's message.
      EXPECT_NE(run->ctx.errors.Text().find(" - " + row.message + "_"), std::string::npos)
          << row.message;
    }
  }
  EXPECT_EQ(accepted, tally->saved);
  EXPECT_EQ(refused, tally->refused);

  local::CompanyStore store(fs::path(company_.data_folder) / company_.code /
                            local::kCompanyFileName);
  local::TrialBalance tb = local::ComputeTrialBalance(store);
  EXPECT_NEAR(tb.debit, tb.credit, 0.01);

  // A second run on the same company saves nothing twice.
  auto again = Open();
  Import(*again);
  const StageTally* second = again->ctx.summary.Find(kInventoryVoucherStage);
  EXPECT_EQ(second->saved, 0);
  EXPECT_EQ(
      second->skipped.count(kSkipAlreadyPresent) ? second->skipped.at(kSkipAlreadyPresent) : 0,
      tally->saved);
  EXPECT_EQ(second->refused, tally->refused);
  int64_t accepted_after = 0;
  for (const auto& row : VoucherJournal()) accepted_after += row.accepted;
  EXPECT_EQ(accepted_after, accepted);
}

}  // namespace
}  // namespace vodare
