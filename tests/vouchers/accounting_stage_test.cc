// The accounting voucher stage over a real export written as dBASE tables and a real local
// company: what each awkward ledger voucher becomes in the books, and what the error text and
// the run summary say about the ones that do not arrive.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/reconcile.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "source/dbf.h"
#include "source/source_db.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "support/stage_run_text.h"
#include "vouchers/accounting_vouchers.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

DbfField C(const char* name, uint16_t len) { return {name, 'C', len, 0}; }
DbfField N(const char* name, uint16_t len, uint8_t dec = 0) { return {name, 'N', len, dec}; }
DbfField D(const char* name) { return {name, 'D', 8, 0}; }

// 45 characters: the saved ledger keeps the first 40.
constexpr const char* kLongName = "Shree Ganesh Medical And General Stores Nagpu";

struct GledgerRow {
  Value voucher;
  const char* type;
  Date date;
  const char* code;
  const char* code1;
  double debit, credit;
  const char* mr = "";
};

Date Day(int m, int d) { return Date::FromYmd(m >= 4 ? 2024 : 2025, m, d); }

// One voucher of each kind the stage meets, and the awkward ones.
std::vector<GledgerRow> EveryKind() {
  return {
      // A receipt of two rows with a pending bill.
      {Value(int64_t{101}), "C", Day(5, 10), "A002", "", 500, 0},
      {Value(int64_t{101}), "C", Day(5, 10), "A001", "", 0, 500, "B001"},
      // A payment of one row: entries on code1 and code, the voucher's own day.
      {Value(int64_t{102}), "G", Day(6, 1), "A001", "A002", 300, 0},
      // A journal whose rows lie on two days, with another voucher between them.
      {Value(int64_t{103}), "Z", Day(7, 1), "A001", "", 200, 0},
      {Value(int64_t{103}), "Z", Day(7, 2), "A002", "", 0, 200},
      // Lower-case type: a journal all the same; its row of nothing leaves an empty entry.
      {Value(int64_t{104}), "z", Day(7, 1), "A001", "", 100, 0},
      {Value(int64_t{104}), "z", Day(7, 1), "A003", "", 0, 0},
      {Value(int64_t{104}), "z", Day(7, 1), "A002", "", 0, 100},
      // A contra on the long account name, with a row of nothing that keeps its 0.
      {Value(int64_t{105}), "D", Day(8, 3), "A003", "", 50, 0},
      {Value(int64_t{105}), "D", Day(8, 3), "A002", "", 0, 50},
      {Value(int64_t{105}), "D", Day(8, 3), "A001", "", 0, 0},
      // The postings of an inventory voucher: left to the inventory stage, booked once.
      {Value(int64_t{106}), "Z", Day(9, 9), "A001", "", 75, 0},
      {Value(int64_t{106}), "Z", Day(9, 9), "A002", "", 0, 75},
      // An account the export does not know: the company refuses the voucher.
      {Value(int64_t{108}), "G", Day(10, 1), "A001", "", 40, 0},
      {Value(int64_t{108}), "G", Day(10, 1), "Z999", "", 0, 40},
      // Outside the range.
      {Value(int64_t{107}), "G", Date::FromYmd(2025, 5, 1), "A001", "", 10, 0},
      {Value(int64_t{107}), "G", Date::FromYmd(2025, 5, 1), "A002", "", 0, 10},
  };
}

class AccountingStage : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = testing::CreateLocalCompany();
    export_ = company_.dir->path() / "export";
    fs::create_directories(export_);
    {
      DbfWriter order((export_ / "order.dbf").string(), {C("ORDNO", 8), C("PARNAM", 50)});
      order.Add({Value("A001"), Value("Mehta Stores")});
      order.Add({Value("A002"), Value("Cash Counter")});
      order.Add({Value("A003"), Value(kLongName)});
      order.Add({Value("B001"), Value("Ramesh Agencies")});
    }
    {
      DbfWriter pro((export_ / "pro.dbf").string(), {N("CODE", 6), C("BILLNAME", 50)});
      // No items: the ledger vouchers name none.
    }
    {
      DbfWriter pend((export_ / "pend.dbf").string(),
                     {N("VOUCHER", 8), C("TYPE", 2), C("VCN", 20), D("DDATE"), N("FINAL", 14, 2)});
      pend.Add({Value(int64_t{101}), Value("N"), Value("R-77"), Value(Day(6, 30)), Value(-500.0)});
    }
  }

  void WriteGledger(const std::vector<GledgerRow>& rows, bool text_numbers = false) {
    DbfWriter g((export_ / "Gledger.dbf").string(),
                {text_numbers ? C("VOUCHER", 8) : N("VOUCHER", 8), C("TYPE", 2), D("DATE"),
                 C("CODE", 8), C("CODE1", 8), N("DEBIT", 14, 2), N("CREDIT", 14, 2), C("MR", 8)});
    for (const auto& r : rows)
      g.Add({r.voucher, Value(r.type), Value(r.date), Value(r.code), Value(r.code1), Value(r.debit),
             Value(r.credit), Value(r.mr)});
  }

  // Opens the export and the company, saves a ledger for every account the export holds under
  // the name the stage will look for, and runs the stage over the year.
  void RunStage(const std::vector<std::string>& inventory_ids = {}) {
    RunOn(company_, ctx_, inventory_ids, /*make_ledgers=*/true);
  }

  void RunOn(const testing::LocalCompany& company, RunContext& ctx,
             const std::vector<std::string>& inventory_ids, bool make_ledgers) {
    ErrorList error_text;
    ASSERT_TRUE(OpenSourceDb(ctx, export_.string(), error_text)) << error_text.Text();
    factories_.push_back(testing::ConnectLocalCompany(ctx, company));
    if (make_ledgers) BuildLedgers(ctx);
    for (const auto& id : inventory_ids) ctx.InventoryVoucherIds.Add(id, id);
    ImportAccountingVouchers(ctx, Date::FromYmd(2024, 4, 1), Date::FromYmd(2025, 3, 31));
  }

  void BuildLedgers(RunContext& ctx) {
    for (auto [code, name] : std::vector<std::pair<std::string, std::string>>{
             {"A001", "Mehta Stores"},
             {"A002", "Cash Counter"},
             {"A003", std::string(kLongName).substr(0, 40)},
             {"B001", "Ramesh Agencies"}}) {
      std::string xml =
          "<Account><Name>" + name + "</Name><ParentGroup>Sundry Debtors</ParentGroup></Account>";
      std::string message;
      ASSERT_TRUE(ctx.destination.FixedApi->SaveMasterFromXML(2, xml, message)) << message;
    }
  }

  std::vector<local::VoucherRow> Vouchers() { return VouchersOf(company_); }
  static std::vector<local::VoucherRow> VouchersOf(const testing::LocalCompany& company) {
    local::CompanyStore store(*local::FindCompanyFile(company.data_folder, company.code));
    return local::ListVouchers(store, std::nullopt);
  }

  testing::LocalCompany company_;
  fs::path export_;
  // Made before the contexts that hold their objects, gone after them.
  std::vector<std::unique_ptr<AutomationFactory>> factories_;
  testing::RecordingRunUi ui_;
  RunContext ctx_{ui_};
};

TEST_F(AccountingStage, EveryKindOfLedgerVoucherArrivesAsTheBooksHoldIt) {
  WriteGledger(EveryKind());
  RunStage({"106"});

  // Types by letter, one-row vouchers as two entry blocks on the voucher's day, a journal's
  // row of nothing as an empty entry, names cut to 40, the broker and the bill reference, the
  // inventory postings left alone, the refusal reported; the caption counts what was listed.
  testing::ExpectGolden(
      "accounting_stage_every_kind.txt",
      testing::StageRunText(company_, "SaveVchFromXML", ctx_) + ui_.statuses.back() + "\n");
  std::vector<std::string> books;
  for (const auto& v : Vouchers()) books.push_back(v.number + " " + std::to_string(v.type));
  EXPECT_EQ(books, (std::vector<std::string>{"101 14", "102 19", "103 16", "104 16", "105 15"}));
}

TEST_F(AccountingStage, AVoucherNumberThatIsNoNumberGetsItsOwnErrorLine) {
  WriteGledger(
      {
          {Value("5 or 1"), "G", Day(5, 2), "A001", "", 10, 0},
          {Value("5 or 1"), "G", Day(5, 2), "A002", "", 0, 10},
      },
      /*text_numbers=*/true);
  RunStage();
  EXPECT_TRUE(Vouchers().empty());
  EXPECT_EQ(ctx_.errors.Text().rfind(
                "RTE error while importing  Payment voucher with Vch No : 5 or 1 on ", 0),
            0u)
      << ctx_.errors.Text();
  EXPECT_NE(ctx_.errors.Text().find(": Type mismatch_"), std::string::npos);
  const StageTally* t = ctx_.summary.Find(kAccountingVoucherStage);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->read, 1);
  EXPECT_EQ(t->failed, 1);
  EXPECT_TRUE(t->Balanced());
}

TEST_F(AccountingStage, AnEmptyRangeListsNothingAndSaysNothing) {
  WriteGledger({{Value(int64_t{1}), "G", Date::FromYmd(2023, 5, 2), "A001", "", 10, 0}});
  RunStage();
  EXPECT_TRUE(Vouchers().empty());
  EXPECT_EQ(ctx_.errors.Text(), "");
  EXPECT_EQ(ctx_.summary.Find(kAccountingVoucherStage)->read, 0);
}

// What a company's books say, without the store's own ids.
std::vector<std::string> Books(const testing::LocalCompany& company) {
  local::CompanyStore store(*local::FindCompanyFile(company.data_folder, company.code));
  std::vector<std::string> lines;
  for (const auto& v : local::ListVouchers(store, std::nullopt))
    lines.push_back(std::to_string(v.type) + " " + v.series + " " + v.number + " " + v.date + " " +
                    v.party + " " + std::to_string(v.entries) + " " + std::to_string(v.amount));
  std::sort(lines.begin(), lines.end());
  local::TrialBalance tb = local::ComputeTrialBalance(store);
  for (const auto& row : tb.rows)
    lines.push_back("tb " + row.ledger + " " + std::to_string(row.debit) + " " +
                    std::to_string(row.credit));
  return lines;
}

TEST_F(AccountingStage, AnInterruptedRunRunAgainLeavesTheSameBooksAsOneRun) {
  WriteGledger(EveryKind());
  testing::LocalCompany whole = testing::CreateLocalCompany();
  {
    testing::RecordingRunUi ui;
    RunContext ctx(ui);
    RunOn(whole, ctx, {"106"}, true);
  }

  // Stopped once the second voucher is in hand: it finishes, the rest wait.
  {
    testing::RecordingRunUi ui;
    ui.StopAfterEvents(3);
    RunContext ctx(ui);
    RunOn(company_, ctx, {"106"}, true);
    const StageTally* t = ctx.summary.Find(kAccountingVoucherStage);
    EXPECT_EQ(t->saved, 2);
    EXPECT_EQ(t->not_reached, 4);
    EXPECT_TRUE(t->Balanced());
  }
  EXPECT_EQ(Vouchers().size(), 2u);
  {
    testing::RecordingRunUi ui;
    RunContext ctx(ui);
    RunOn(company_, ctx, {"106"}, false);
    const StageTally* t = ctx.summary.Find(kAccountingVoucherStage);
    EXPECT_EQ(t->saved, 3) << ctx.errors.Text();
    EXPECT_EQ(t->skipped.count(kSkipAlreadyPresent) ? t->skipped.at(kSkipAlreadyPresent) : 0, 2)
        << ctx.errors.Text();
    EXPECT_EQ(t->refused, 1);
    EXPECT_EQ(t->failed, 0);
    EXPECT_TRUE(t->Balanced());
  }
  EXPECT_EQ(Books(company_), Books(whole));
}

TEST_F(AccountingStage, ReconciliationNamesTheVoucherThatDidNotArriveWithItsEntry) {
  WriteGledger(EveryKind());
  RunStage({"106"});
  ErrorList errors;
  errors.Add("Ledgers", "106", "Some other entry");
  errors.Append(ctx_.errors);
  Reconciliation r =
      ReconcileFolders(export_.string(), company_.data_folder, company_.code,
                       Date::FromYmd(2024, 4, 1), Date::FromYmd(2025, 3, 31), errors);
  // 106 belongs to no inventory voucher of this export, so it counts as a journal that did not
  // arrive, without an entry (another stage's entry under its code does not explain it); 108 is
  // missing with its own entry. The kept copy holds the whole account and its verdict.
  EXPECT_FALSE(r.Agrees());
  testing::ExpectGolden("accounting_stage_reconciliation.txt", r.Render());
}

TEST(LedgerVoucherType, LettersAreComparedExactly) {
  EXPECT_EQ(GetLedgerVoucherType("YB"), 17);
  EXPECT_EQ(GetLedgerVoucherType("B"), 17);
  EXPECT_EQ(GetLedgerVoucherType("YF"), 18);
  EXPECT_EQ(GetLedgerVoucherType("F"), 18);
  EXPECT_EQ(GetLedgerVoucherType("G"), 19);
  EXPECT_EQ(GetLedgerVoucherType("C"), 14);
  EXPECT_EQ(GetLedgerVoucherType("D"), 15);
  EXPECT_EQ(GetLedgerVoucherType("Z"), 16);
  EXPECT_EQ(GetLedgerVoucherType("z"), 0);
  EXPECT_EQ(GetLedgerVoucherType("yb"), 0);
}

}  // namespace
}  // namespace vodare
