// The sample export's masters and ledger vouchers moved into a real local company, then the
// reconciliation: the vouchers the company refused are the ones it names as missing, each with
// its error-list entry, and everything else agrees.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/reconcile.h"
#include "common/helpers.h"
#include "context/run_context.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "masters/account_groups.h"
#include "masters/ledgers.h"
#include "source/sample_export.h"
#include "source/source_db.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/voucher_types.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

TEST(AccountingReconcile, TheVouchersTheCompanyRefusedAreTheMissingOnesWithTheirEntries) {
  testing::LocalCompanyOptions options;
  options.name = kSampleCompanyName;
  testing::LocalCompany company = testing::CreateLocalCompany(options);
  const fs::path export_dir = company.dir->path() / "export";
  SampleExportOptions sample;
  sample.vouchers = 40;
  sample.ledger_vouchers = 300;
  WriteSampleExport(export_dir.string(), sample);

  testing::RecordingRunUi ui;
  ui.Answer("Feature Alert!", true);
  RunContext ctx(ui);
  std::string error_text;
  ASSERT_TRUE(OpenSourceDb(ctx, export_dir.string(), error_text)) << error_text;
  testing::LocalSessionObjects session = testing::OpenLocalCompany(company);
  ctx.destination.FixedApi = std::move(session.fixed);
  ctx.destination.FixedApi1 = std::move(session.fixed1);
  ctx.destination.CompanyApi = std::move(session.company);
  ctx.destination.MastConfigApi = std::move(session.mast_config);
  ImportAccountGroups(ctx);
  ImportLedgers(ctx);

  // The company loses one ledger the export's vouchers use: every voucher on it is refused.
  const std::string* telephone = ctx.AccountNameCache.Find("L019");
  ASSERT_NE(telephone, nullptr);
  {
    local::CompanyStore store(*local::FindCompanyFile(company.data_folder, company.code));
    store.db().Exec("UPDATE master SET name = 'Gone', folded = 'GONE' WHERE kind = 2 AND name = '" +
                    *telephone + "'");
  }
  // The inventory vouchers' own postings stay with them, as after the inventory stage.
  Recordset rs = GetRecordset(ctx, "SELECT Voucher FROM mdis");
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    std::string id = NzTrim(rs["Voucher"]);
    ctx.InventoryVoucherIds.Add(id, id);
  }
  const std::string masters_errors = ctx.ErrorText;
  ImportAccountingVouchers(ctx, Date::FromYmd(2024, 4, 1), Date::FromYmd(2025, 3, 31));
  const StageTally* t = ctx.summary.Find(kAccountingVoucherStage);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->Balanced());
  ASSERT_GT(t->refused, 0) << ctx.ErrorText;
  EXPECT_GT(t->saved, 200);

  // The error list as the run writes it: one entry per line.
  std::string error_list;
  for (char c : ctx.ErrorText) error_list += c == '_' ? std::string("\r\n") : std::string(1, c);
  Reconciliation r =
      ReconcileFolders(export_dir.string(), company.data_folder, company.code,
                       Date::FromYmd(2024, 4, 1), Date::FromYmd(2025, 3, 31), error_list);
  EXPECT_EQ(r.accounting_source, t->read - t->Skipped());
  EXPECT_EQ(r.accounting_arrived, t->saved);
  int64_t accounting_differences = 0;
  for (const VoucherDifference& d : r.differences) {
    if (IsInventoryVoucherType(static_cast<int16_t>(d.source.type))) continue;
    ++accounting_differences;
    EXPECT_TRUE(d.missing) << r.Render();
    EXPECT_NE(d.explanation.find("Vch No : " + d.source.number + " on"), std::string::npos)
        << r.Render();
  }
  EXPECT_EQ(accounting_differences, t->refused + t->failed);
  EXPECT_FALSE(r.Agrees());
}

}  // namespace
}  // namespace vodare
