// The configuration step on a real local company with a real export beside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "context/run_destination.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/local_factory.h"
#include "destination/local/reports.h"
#include "source/dbf.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

// Godowns (the first in lower case), a deleted one and another group's row that do not count.
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
  explicit CompanyRun(int godowns = -1)
      : company(testing::CreateLocalCompany({.name = "Config Test", .years = {2024}})),
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
  // The statements the store received, in order, as received.
  std::vector<std::string> Statements() {
    local::CompanyStore store = testing::StoreOf(company);
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

// Whether the store was told to keep stock by godown.
bool SentGodowns(CompanyRun& run) {
  const auto s = run.Statements();
  return std::count(s.begin(), s.end(), "Update CONFIG set B3=-1 WHERE RECTYPE = 63 AND TYPE = 0");
}

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
    EXPECT_EQ(SentGodowns(run), godowns >= 3) << godowns;
  }
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
  EXPECT_FALSE(SentGodowns(run));
}

std::string Effects(CompanyRun& run) {
  CCompany& c = *run.ctx.destination.CompanyApi;
  std::string text, out = "switches:";
  c.Load(text);
  for (auto [name, on] : std::vector<std::pair<const char*, bool>>{
           {"batch", c.batchbybatch},
           {"alternate unit", c.AlternateUnit},
           {"godowns", c.MultiGodown},
           {"free qty", c.EnableFreeQty},
           {"item notes", c.EnableItemMastNotes},
           {"ledger notes", c.EnableAccMastNotes},
           {"DL no", c.DLNoEnabled},
           {"returns in sales", c.EnableSalesReturnInSales},
           {"returns in purchases", c.EnablePurcReturnInPurchase}})
    out += std::string(" ") + name + (on ? "+" : "-");
  out += "\n";
  for (const std::string& statement : run.Statements()) out += "  " + statement + "\n";
  local::CompanyStore store = testing::StoreOf(run.company);
  out += "master fields:";
  for (const char* at : {"2 6 C1", "2 6 C2", "2 6 C3", "2 2 C1", "2 2 C2", "2 6 NoOfFld", "2 6 I32",
                         "79 6 I13", "2 2 NoOfFld", "79 2 I1", "79 2 I11"}) {
    int rectype = 0, type = 0;
    char field[8] = "";
    std::sscanf(at, "%d %d %7s", &rectype, &type, field);
    out += " " + (field[0] == 'C' ? store.ConfigText(rectype, type, field) + ","
                                  : std::to_string(store.ConfigInt(rectype, type, field)));
  }
  // B107, B102, L13 (the cash ledger), B115, B2, B4 of each series.
  out += "\nseries (cash is " +
         std::to_string(run.ctx.destination.FixedApi->mastername2code("Cash", kKindLedger)) + "):";
  for (const std::string at : {"Purchase 2", "Sales 9", "S_Return 3", "Breakage 3", "P_Return 10",
                               "M_Issue 11", "Payment 19", "Contra 15"}) {
    std::string name = at.substr(0, at.find(' '));
    const auto type = static_cast<int16_t>(std::stoi(at.substr(at.find(' '))));
    const int32_t code =
        run.ctx.destination.FixedApi1->SaveVchSeriesForMultiSeriesCreation(name, type);
    local::Statement& q = store.db().Cached(
        "SELECT B107, B102, L13, B115, B2, B4 FROM CONFIG WHERE RECTYPE = 1 AND L1 = ?");
    q.Reset();
    q.Bind(1, static_cast<int64_t>(code));
    out += "\n  " + name;
    if (q.Step())
      for (int i = 0; i < 6; ++i) out += " " + std::to_string(q.Int(i));
    q.Reset();
  }
  return out + "\n";
}

TEST(ConfigureOnACompany, EachChoiceLeavesTheCompanyAsKept) {
  std::string kept;
  for (auto [masters, answer] : {std::pair{0, false}, {0, true}, {1, true}}) {
    CompanyRun run(masters ? -1 : 1);
    ASSERT_TRUE(run.connected) << run.ctx.errors.Text();
    run.ui.Answer(kFeatureConfirmationCaption, answer);
    run.ui.Answer(kFeatureConfirmationCaption, answer);
    ConfigureResult result = ConfigureDestination(run.ctx, static_cast<int16_t>(masters));
    EXPECT_TRUE(result.AllSeriesCreated()) << result.description;
    EXPECT_TRUE(result.features_set) << result.features_error;
    kept += "== masters " + std::to_string(masters) + ", answered " + (answer ? "yes" : "no") +
            "; progress";
    for (int v : run.ui.progress_values) kept += " " + std::to_string(v);
    kept += "; " + std::to_string(run.ui.questions.size()) + " questions, last status " +
            run.ui.statuses.back() + "\n" + Effects(run);
  }
  testing::ExpectGolden("configure_company_choices.txt", kept);
}

TEST(ConfigureOnACompany, SettingsAreReadAndASecondRunConfiguresTheSameCompanyAgain) {
  CompanyRun run;
  ASSERT_TRUE(run.connected) << run.ctx.errors.Text();
  CompanySettings settings = ReadCompanySettings(run.ctx.destination);
  EXPECT_EQ(settings.CompanyName + " " + settings.State + " " + std::to_string(settings.GstRegime) +
                " " + settings.CurFY.ToText(),
            "Config Test MAHARASHTRA 1 01-04-2024");
  EXPECT_TRUE(settings.CountryCode > 0 && settings.StateCode > 0);
  ASSERT_TRUE(ConfigureDestination(run.ctx, 1).AllSeriesCreated());
  std::string sales = "Sales";
  const int32_t code = run.ctx.destination.FixedApi1->SaveVchSeriesForMultiSeriesCreation(sales, 9);
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
