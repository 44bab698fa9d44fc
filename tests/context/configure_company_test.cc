// The configuration step on a real local company with a real export beside it: what the company
// holds afterwards, and what the store's journal says was sent.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "context/run_destination.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"
#include "destination/local/reports.h"
#include "source/dbf.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// An export folder holding the coded lists, with this many godowns: the first one's group
// written in lower case (the engine compares text ignoring case), and a deleted godown row and
// another group's row that do not count.
void WriteSaleTypes(const fs::path& folder, int godowns) {
  DbfWriter w(
      (folder / "SALETYPE.DBF").string(),
      {{"SGCODE", 'C', 6, 0}, {"SCODE", 'C', 6, 0}, {"SNAME", 'C', 40, 0}, {"PARNAM", 'C', 40, 0}});
  for (int i = 0; i < godowns; ++i) {
    w.Add({Value(i == 0 ? "godwon" : "GODWON"), Value(std::to_string(i + 1)), Value(""),
           Value("Store " + std::to_string(i))});
  }
  w.Add({Value("GODWON"), Value("X"), Value(""), Value("Closed store")}, /*deleted=*/true);
  w.Add({Value("SALT"), Value("1"), Value("Paracetamol"), Value("")});
  w.Close();
}

struct CompanyRun {
  explicit CompanyRun(int godowns = -1, std::vector<int> years = {2024})
      : company(testing::CreateLocalCompany({.name = "Config Test", .years = years})),
        factory(company.program_folder),
        ctx(ui) {
    ctx.factory = &factory;
    if (godowns >= 0) {
      WriteSaleTypes(export_dir.path(), godowns);
      ErrorList errors;
      EXPECT_TRUE(OpenSourceDb(ctx, export_dir.path().string(), errors)) << errors.Text();
    }
    connected = ConnectDestination(ctx, company.program_folder, company.data_folder, company.code,
                                   static_cast<int16_t>(company.year));
  }
  local::CompanyStore Store() const {
    return local::CompanyStore(fs::path(company.data_folder) / company.code /
                               local::kCompanyFileName);
  }
  // The statements the store received, in order, as received.
  std::vector<std::string> Statements() {
    local::CompanyStore store = Store();
    std::vector<std::string> out;
    for (const auto& row : local::ReadJournal(store))
      if (row.operation.find("ExecuteQuery") != std::string::npos) out.push_back(row.text);
    return out;
  }

  testing::LocalCompany company;
  testing::TempDir export_dir;
  local::LocalAutomationFactory factory;
  testing::RecordingRunUi ui;
  RunContext ctx;
  bool connected = false;
};

bool Sent(const std::vector<std::string>& statements, const std::string& text) {
  return std::find(statements.begin(), statements.end(), text) != statements.end();
}

constexpr const char* kGodownStatement = "Update CONFIG set B3=-1 WHERE RECTYPE = 63 AND TYPE = 0";

TEST(ConfigureOnACompany, MultipleGodownsOnlyWithThreeOrMoreInTheExport) {
  for (int godowns : {0, 2, 3, 4}) {
    CompanyRun run(godowns);
    ASSERT_TRUE(run.connected) << run.ctx.errors.Text();
    EXPECT_EQ(CountGodowns(run.ctx), godowns) << "deleted and other-group rows do not count";
    ConfigureResult result = ConfigureDestination(run.ctx, 0);
    ASSERT_TRUE(result.AllSeriesCreated()) << result.description;
    std::string text;
    run.ctx.destination.CompanyApi->Load(text);
    EXPECT_EQ(run.ctx.destination.CompanyApi->MultiGodown, godowns >= 3) << godowns;
    EXPECT_EQ(Sent(run.Statements(), kGodownStatement), godowns >= 3) << godowns;
  }
  // A folder that cannot be opened keeps the export open before; an export without the table
  // counts no godowns.
  CompanyRun run(5);
  std::shared_ptr<SourceDb> before = run.ctx.source;
  ASSERT_TRUE(before);
  ErrorList errors;
  EXPECT_FALSE(OpenSourceDb(run.ctx, (run.export_dir.path() / "nowhere").string(), errors));
  EXPECT_EQ(run.ctx.source, before);
  fs::remove(run.export_dir.path() / "SALETYPE.DBF");
  ASSERT_TRUE(OpenSourceDb(run.ctx, run.export_dir.path().string(), errors)) << errors.Text();
  EXPECT_EQ(CountGodowns(run.ctx), 0);
  ConfigureDestination(run.ctx, 0);
  EXPECT_FALSE(Sent(run.Statements(), kGodownStatement));
}

TEST(ConfigureOnACompany, AnswersNoStillSetTheStandingSwitchesAndNoMasterFieldsWithoutMasters) {
  CompanyRun run(1);
  ASSERT_TRUE(run.connected) << run.ctx.errors.Text();
  run.ui.Answer(kFeatureConfirmationCaption, false);
  run.ui.Answer(kFeatureConfirmationCaption, false);
  ConfigureResult result = ConfigureDestination(run.ctx, 0);
  EXPECT_TRUE(result.AllSeriesCreated());
  EXPECT_TRUE(result.features_set) << result.features_error;
  CCompany& c = *run.ctx.destination.CompanyApi;
  std::string text;
  c.Load(text);
  EXPECT_FALSE(c.batchbybatch || c.AlternateUnit || c.MultiGodown);
  EXPECT_TRUE(c.EnableFreeQty && c.EnableItemMastNotes && c.EnableAccMastNotes && c.DLNoEnabled &&
              c.EnableSalesReturnInSales && c.EnablePurcReturnInPurchase);
  auto sent = run.Statements();
  EXPECT_FALSE(Sent(sent, "Update CONFIG set B7= -1 WHERE RECTYPE = 5 AND TYPE = 0"));
  EXPECT_FALSE(Sent(sent, "Update config set B11=-1 WHERE RECTYPE = 5 AND TYPE = 0"));
  // Five series with their six switch statements, then the sixteen standing statements.
  EXPECT_EQ(sent.size(), 5u * 6 + 16);
  EXPECT_EQ(sent.back(), "Update CONFIG set B113= -1 WHERE RECTYPE = 5 AND TYPE = 0");
  for (const auto& s : sent) EXPECT_EQ(s.find("RECTYPE = 2 "), std::string::npos) << s;
  local::CompanyStore store = run.Store();
  EXPECT_EQ(store.ConfigText(2, 6, "C1"), "");
  EXPECT_EQ(store.ConfigInt(2, 6, "NoOfFld"), 0);
  EXPECT_EQ(store.ConfigText(2, 2, "C1"), "");
  EXPECT_EQ(store.ConfigInt(79, 2, "I1"), 0);

  CompanyRun yes(1);
  yes.ui.Answer(kFeatureConfirmationCaption, true);
  yes.ui.Answer(kFeatureConfirmationCaption, true);
  ConfigureDestination(yes.ctx, 0);
  CCompany& y = *yes.ctx.destination.CompanyApi;
  y.Load(text);
  EXPECT_TRUE(y.batchbybatch);
  EXPECT_TRUE(y.AlternateUnit);
}

TEST(ConfigureOnACompany, WithMastersFieldsAreNamedSeriesSwitchesLandAndASecondRunConfiguresAgain) {
  CompanyRun run;
  ASSERT_TRUE(run.connected) << run.ctx.errors.Text();
  CompanySettings settings = ReadCompanySettings(run.ctx.destination);
  EXPECT_EQ(settings.CompanyName, "Config Test");
  EXPECT_EQ(settings.State, "MAHARASHTRA");
  EXPECT_EQ(settings.GstRegime, 1);
  EXPECT_EQ(settings.CurFY.ToText(), "01-04-2024");
  EXPECT_GT(settings.CountryCode, 0);
  EXPECT_GT(settings.StateCode, 0);
  ConfigureResult result = ConfigureDestination(run.ctx, 1);
  ASSERT_TRUE(result.AllSeriesCreated()) << result.description;
  // Thirteen steps of progress, ending full; two questions.
  EXPECT_THAT(run.ui.progress_values, ElementsAre(8, 15, 23, 31, 38, 46, 54, 62, 69, 77, 85, 92, 100));
  EXPECT_EQ(run.ui.statuses.size(), 13u);
  EXPECT_EQ(run.ui.statuses.back(), "Creating Configurations...");
  EXPECT_EQ(run.ui.questions.size(), 2u);
  {
    local::CompanyStore store = run.Store();
    const std::vector<std::tuple<int, int, const char*, const char*>> texts = {
        {2, 6, "C1", "Salt"},  {2, 6, "C2", "Category"}, {2, 6, "C3", "Rack No"},
        {2, 2, "C1", "Ledger Date"}, {2, 2, "C2", "Area"}};
    for (auto [rectype, type, field, want] : texts)
      EXPECT_EQ(store.ConfigText(rectype, type, field), want) << rectype << " " << type << field;
    const std::vector<std::tuple<int, int, const char*, int>> ints = {
        {2, 6, "NoOfFld", 3}, {2, 6, "I32", 30}, {79, 6, "I13", 1},
        {2, 2, "NoOfFld", 2}, {79, 2, "I1", 6},  {79, 2, "I11", 0}};
    for (auto [rectype, type, field, want] : ints)
      EXPECT_EQ(store.ConfigInt(rectype, type, field), want) << rectype << " " << type << field;
  }
  // The series switches land on their series, and the templates carry them.
  CFixedInterface1& fixed1 = *run.ctx.destination.FixedApi1;
  const int32_t cash = run.ctx.destination.FixedApi->mastername2code("Cash", kKindLedger);
  ASSERT_GT(cash, 0);
  local::CompanyStore store = run.Store();
  auto row = [&](std::string name, int16_t type) {
    const int32_t code = fixed1.SaveVchSeriesForMultiSeriesCreation(name, type);
    local::Statement& q = store.db().Cached(
        "SELECT B107, B102, L13, B115, B2, B4 FROM CONFIG WHERE RECTYPE = 1 AND L1 = ?");
    q.Reset();
    q.Bind(1, static_cast<int64_t>(code));
    std::vector<int64_t> values;
    if (q.Step())
      for (int i = 0; i < 6; ++i) values.push_back(q.Int(i));
    q.Reset();
    return values;
  };
  for (auto [name, type] : std::vector<std::pair<std::string, int16_t>>{
           {"Purchase", 2}, {"Sales", 9}, {"S_Return", 3}, {"Breakage", 3}, {"P_Return", 10},
           {"M_Issue", 11} /* copied from Purchase */})
    EXPECT_THAT(row(name, type), ElementsAre(-1, -1, cash, -1, -1, 1)) << name;
  EXPECT_THAT(row("Payment", 19), ElementsAre(0, 0, 0, 0, 0, 0));
  EXPECT_THAT(row("Contra", 15), ElementsAre(0, 0, 0, 0, 0, 0)) << "copied from Payment";

  std::string sales = "Sales";
  const int32_t code = fixed1.SaveVchSeriesForMultiSeriesCreation(sales, 9);
  ASSERT_TRUE(ConnectDestination(run.ctx, run.company.program_folder, run.company.data_folder,
                                 run.company.code, static_cast<int16_t>(run.company.year)))
      << run.ctx.errors.Text();
  ConfigureResult again = ConfigureDestination(run.ctx, 0);
  EXPECT_TRUE(again.AllSeriesCreated()) << again.description;
  EXPECT_TRUE(again.features_set) << again.features_error;
  EXPECT_EQ(run.ctx.destination.FixedApi1->SaveVchSeriesForMultiSeriesCreation(sales, 9), code);
}

TEST(ConfigureOnACompany, WithoutAFactoryTheServerIsNotInstalled) {
  testing::RecordingRunUi ui;
  RunContext ctx(ui);
  EXPECT_FALSE(ConnectDestination(ctx, "/p/", "/d/", "Comp0001", 2024));
  EXPECT_EQ(ctx.errors.Text(), kNotInstalledMessage);
}

}  // namespace
}  // namespace vodare
