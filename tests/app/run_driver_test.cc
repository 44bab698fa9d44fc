// The run driver's sequence, checks and endings, with every step a hook that notes itself in
// the same record as the dialogue.
#include "app/run_driver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/status_report.h"
#include "common/run_error.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/loopback_http_server.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::RecordingRunUi;

// The company's identity, as the server hands it out.
class GuidServer : public CFixedInterface1 {
 public:
  explicit GuidServer(std::string guid, bool fail = false) : guid_(std::move(guid)), fail_(fail) {}
  std::string GetCompCode() override { return "Comp0001"; }
  std::vector<std::string> GetAllFinYearsOfSpecificCompCode(std::string&) override { return {}; }
  std::string GetCompGUID() override {
    if (fail_) throw RunTimeError("Automation error", 440);
    return guid_;
  }
  int16_t CountryName2Code(std::string&) override { return 0; }
  int16_t StateName2PDCode(std::string&, int16_t&) override { return 0; }
  std::string statename2tindigit(std::string&) override { return ""; }
  int32_t SaveVchSeriesForMultiSeriesCreation(std::string&, int16_t) override { return 0; }
  void CopySeriesConfig(int16_t, const std::string&, int32_t&, int16_t) override {}

 private:
  std::string guid_;
  bool fail_;
};

class RunDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "program");
    fs::create_directories(root_ / "data" / "Comp0001");
    fs::create_directories(root_ / "export");
    // The export's tables by name: the stages here are hooks that read none of them.
    for (const char* table : {"PRO", "probat", "ACGROUP", "Order", "SaleType", "support", "mdis",
                              "dis", "pend", "GLEDGER"})
      std::ofstream(root_ / "export" / (std::string(table) + ".DBF"));
    fs::create_directories(root_ / "temp");
    ::setenv("TEMP", (root_ / "temp").c_str(), 1);
    ::unsetenv(kUsageEndpointVariable);

    inputs_.vuvoda_path = (root_ / "program").string() + "/";
    inputs_.vuvoda_data_path = (root_ / "data").string() + "/";
    inputs_.company_code = "Comp0001";
    inputs_.company_name = "Shree Traders";
    inputs_.fin_year_text = "2024";
    inputs_.vodori_data_path = (root_ / "export").string();
    inputs_.from_date = Date::FromYmd(2024, 4, 1);
    inputs_.to_date = Date::FromYmd(2025, 3, 31);
    inputs_.masters = true;
    inputs_.vouchers = true;

    stages_.OpenSourceDb = [this](RunContext&, const std::string& folder, ErrorList& errors) {
      ui_.Note("open " + folder);
      for (const std::string& entry : open_leaves_) errors.Add("Export opening", "", entry);
      return open_ok_;
    };
    stages_.LookUpCompany = [this](RunContext&, const std::string&, const std::string& code) {
      CompanyFacts facts;
      facts.listed = std::find(listed_.begin(), listed_.end(), code) != listed_.end();
      facts.years = {"2024"};
      return std::optional<CompanyFacts>(facts);
    };
    stages_.ConnectDestination = [this](RunContext& ctx, const std::string&,
                                        const std::string& data, const std::string& code,
                                        int16_t year, ErrorList& errors) {
      ++connections_;
      connected_data_ = data;
      ui_.Note("connect " + code + " " + std::to_string(year));
      if (connections_ == fail_connection_) {
        errors.Add("Connection", code, "Unable to connect to database.");
        return false;
      }
      ctx.destination.FixedApi1 = std::make_unique<GuidServer>("GUID-7", guid_fails_);
      return true;
    };
    stages_.ReadCompanySettings = [this](RunContext&) {
      ui_.Note("settings");
      CompanySettings settings;
      settings.CurFY = Date::FromYmd(2024, 4, 1);
      return settings;
    };
    stages_.ConfigureDestination = [this](RunContext&, int16_t masters) {
      ui_.Note("configure " + std::to_string(masters));
      if (!configure_error_.empty()) throw RunTimeError(configure_error_);
    };
    stages_.MapAccountGroups = [this](RunContext& ctx) {
      ui_.Note("map");
      ctx.GroupMapping.Add("Sundry Debtors", "Sundry Debtors|Sundry Debtors");
    };
    auto stage = [this](const std::string& name) {
      return [this, name](RunContext& ctx, const StageArgs& args) {
        std::string line = "stage " + name;
        if (!args.from_text.empty()) line += " " + args.from_text + ".." + args.to_text;
        ui_.Note(line);
        ctx.ItemNameCache.Add(name, name);
        if (name == failing_stage_) throw RunTimeError("Type mismatch", 13);
        if (name == erring_stage_) ctx.errors.Add("Items", "Soap", "Item Name : Soap - refused");
      };
    };
    stages_.ImportItems = stage("ImportItems");
    stages_.ImportMaterialCentres = stage("ImportMaterialCentres");
    stages_.ImportAccountGroups = stage("ImportAccountGroups");
    stages_.ImportLedgers = stage("ImportLedgers");
    stages_.ImportTaxTypes = stage("ImportTaxTypes");
    stages_.ImportInventoryVouchers = stage("ImportInventoryVouchers");
    stages_.ImportAccountingVouchers = stage("ImportAccountingVouchers");
    stages_.ReportRunStatus = [this](const std::string& app, const std::string& module,
                                     const std::string& status, std::string& error_out,
                                     const std::string& identity) {
      ui_.Note("report " + status + " " + identity);
      EXPECT_EQ(app, "Vodare");
      EXPECT_EQ(module, "Data Conversion");
      if (status == "InProcess" ? start_report_ok_ : end_report_ok_) return true;
      error_out = "Service unavailable";
      return false;
    };
    stages_.OpenErrorList = [this](const std::string& path, std::string&) {
      ui_.Note("open list");
      opened_list_ = path;
      return true;
    };
  }
  void TearDown() override { ::unsetenv("TEMP"); }

  RunResult Run() {
    RunContext ctx(ui_);
    RunResult result = RunConversion(ctx, inputs_, stages_);
    caches_left_ = ctx.ItemNameCache.Count() + ctx.GroupMapping.Count();
    return result;
  }

  std::vector<std::string> Stages() const { return ui_.EventsStartingWith("stage "); }

  // What a run ended with and everything it showed, its folders named <root>, for a kept copy.
  std::string Transcript(const RunResult& r) {
    std::string t = std::string("outcome ") + OutcomeLine(r) + ", end '" + r.end_status +
                    "', focus '" + r.focus_control + "', " + std::to_string(r.error_entries) +
                    " entries, error text '" + r.error_text + "'\nheadline " + r.headline_caption +
                    "|" + r.headline + "\nat the end: inputs " +
                    (ui_.inputs_enabled ? "on" : "off") + ", layout " +
                    (ui_.run_layout ? "run" : "rest") + ", progress " +
                    (ui_.progress_visible ? "shown" : "hidden") + ", " +
                    std::to_string(caches_left_) + " cached names\n";
    if (!r.error_list_path.empty()) {
      std::ifstream in(r.error_list_path, std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      t += std::string("error list in ") +
           (fs::path(r.error_list_path).parent_path() == root_ / "temp" ? "TEMP" : "elsewhere") +
           (opened_list_ == r.error_list_path ? ", opened" : ", not opened") + ": " + text.str() +
           "\n";
    }
    t += ui_.Dialogue();
    for (size_t at; (at = t.find(root_.string())) != std::string::npos;)
      t.replace(at, root_.string().size(), "<root>");
    return t;
  }

  testing::TempDir temp_;
  const fs::path root_ = temp_.path();
  RecordingRunUi ui_;
  RunInputs inputs_;
  RunStages stages_;
  bool open_ok_ = true;
  std::vector<std::string> open_leaves_;
  int connections_ = 0;
  int fail_connection_ = 0;
  bool guid_fails_ = false;
  bool start_report_ok_ = true;
  bool end_report_ok_ = true;
  std::string configure_error_;
  std::string failing_stage_;
  std::string erring_stage_;
  std::string opened_list_;
  size_t caches_left_ = 0;
  std::vector<std::string> listed_ = {"Comp0001"};
  std::string connected_data_;

  // Puts the fixture back as SetUp left it, for the next case of a table.
  void Reset(const RunInputs& inputs, const RunStages& stages) {
    ui_ = RecordingRunUi();
    inputs_ = inputs;
    stages_ = stages;
    open_ok_ = start_report_ok_ = end_report_ok_ = true;
    guid_fails_ = false;
    connections_ = fail_connection_ = 0;
    open_leaves_.clear();
    configure_error_.clear();
    failing_stage_.clear();
    erring_stage_.clear();
    opened_list_.clear();
  }
};

TEST_F(RunDriverTest, AFullRunWalksTheWholeSequenceInOrder) {
  ui_.Answer("State Confirmation", true);
  ui_.Answer("Mapping Confirmation", true);
  RunResult result = Run();
  // The run's collections are released at its end.
  testing::ExpectGolden("run_driver_full_run.txt", Transcript(result));
}

// Each check shows only its first failure, with its caption, icon and the control to go to;
// only the dates wait for the company's year, everything else is refused before the export is
// opened, and nothing is disabled or asked. The kept copy holds each case's transcript.
TEST_F(RunDriverTest, ChecksShowOnlyTheFirstFailureAndOnlyTheDatesWaitForTheCompany) {
  const std::vector<std::function<void(RunInputs&)>> cases = {
      [](RunInputs& in) { in.vuvoda_path = "  "; },
      [&](RunInputs& in) { in.vuvoda_path = (root_ / "nowhere").string(); },
      [&](RunInputs& in) { in.vuvoda_data_path = (root_ / "nowhere").string(); },
      [](RunInputs& in) {  // two failures: only the first is shown
        in.company_code.clear();
        in.company_name.clear();
        in.masters = in.vouchers = false;
      },
      [](RunInputs& in) { in.company_code = "Comp0008"; },  // a folder, not listed
      [](RunInputs& in) { in.company_code = "Comp0009"; },  // listed, no folder
      [](RunInputs& in) { in.fin_year_text = "24"; },
      [](RunInputs& in) { in.fin_year_text = ""; },
      [](RunInputs& in) { in.fin_year_text = "abcd"; },
      [](RunInputs& in) { in.fin_year_text = "99999"; },
      [](RunInputs& in) { in.fin_year_text = "2023"; },
      [](RunInputs& in) { in.masters = in.vouchers = false; },
      [](RunInputs& in) { in.from_date = Date::FromYmd(2024, 3, 31); },
      [](RunInputs& in) { in.to_date = Date::FromYmd(2025, 4, 1); },
      [](RunInputs& in) { in.to_date = Date::FromYmd(2024, 3, 1); },
      [](RunInputs& in) {
        in.from_date = Date::FromYmd(2025, 3, 31);
        in.to_date = Date::FromYmd(2024, 4, 1);
      },
  };
  fs::create_directories(root_ / "data" / "Comp0008");
  listed_.push_back("Comp0009");
  const RunInputs good = inputs_;
  const RunStages stages = stages_;
  std::string text;
  for (size_t i = 0; i < cases.size(); ++i) {
    Reset(good, stages);
    cases[i](inputs_);
    text += "== check " + std::to_string(i + 1) + "\n" + Transcript(Run());
  }
  testing::ExpectGolden("run_driver_refused_checks.txt", text);
}

// How a run ends, case by case, with the kept copy holding each transcript: the choice of
// masters and vouchers decides the stages; an opening error is shown alone and plain; a failed
// connection shows its own text, not the opening's notes of indexes that exist; a refused state
// question changes nothing; what the opening and the start report left is no run error; record
// errors make a partial run whose list is offered (and written even when declined); a refused
// end report adds its reason; an error escaping the tax types stage is one entry and the run goes
// on; a configuration error and the failures after the inputs are disabled leave the window at
// rest; a stop lets the stage in hand finish.
TEST_F(RunDriverTest, EachWayARunEndsIsShownAsKept) {
  const std::vector<std::pair<const char*, std::function<void()>>> cases = {
      {"masters only",
       [this] {
         ui_.Answer("State Confirmation", true);
         inputs_.vouchers = false;
       }},
      {"vouchers only",
       [this] {
         ui_.Answer("State Confirmation", true);
         inputs_.masters = false;
       }},
      {"data folder without its final separator",
       [this] {
         ui_.Answer("State Confirmation", true);
         inputs_.vuvoda_data_path = (root_ / "data").string();
       }},
      {"opening error",
       [this] {
         open_ok_ = false;
         open_leaves_ = {"Error creating index: CREATE INDEX x ON pro (code) - exists",
                         "Error in OpenDBCon: Not a valid path."};
       }},
      {"failed connection after an opening's notes",
       [this] {
         open_leaves_ = {
             "Error creating index: CREATE INDEX x ON pro (code) - Index already exists."};
         fail_connection_ = 1;
       }},
      {"state question refused", [this] { ui_.Answer("State Confirmation", false); }},
      {"opening notes and a refused start report",
       [this] {
         open_leaves_ = {"Error creating index: CREATE INDEX x ON pro (code) - exists"};
         start_report_ok_ = false;
         ui_.Answer("State Confirmation", true);
       }},
      {"record errors, list viewed",
       [this] {
         erring_stage_ = "ImportItems";
         ui_.Answer("State Confirmation", true);
         ui_.Answer("Confirmation", true);
       }},
      {"record errors and a refused end report, list declined",
       [this] {
         erring_stage_ = "ImportLedgers";
         end_report_ok_ = false;
         ui_.Answer("State Confirmation", true);
       }},
      {"clean run, refused end report",
       [this] {
         end_report_ok_ = false;
         ui_.Answer("State Confirmation", true);
       }},
      {"error escaping the tax types stage",
       [this] {
         failing_stage_ = "ImportTaxTypes";
         inputs_.masters = false;
         ui_.Answer("State Confirmation", true);
       }},
      {"configuration error",
       [this] {
         configure_error_ = "Automation error: the series table is locked";
         ui_.Answer("State Confirmation", true);
       }},
      {"second connection fails",
       [this] {
         ui_.Answer("State Confirmation", true);
         fail_connection_ = 2;
       }},
      {"identity cannot be read",
       [this] {
         ui_.Answer("State Confirmation", true);
         guid_fails_ = true;
       }},
      {"mapping dialog breaks",
       [this] {
         ui_.Answer("State Confirmation", true);
         ui_.Answer("Mapping Confirmation", true);
         stages_.MapAccountGroups = [](RunContext&) { throw std::runtime_error("dialog broke"); };
       }},
      {"stop during the second stage",
       [this] {
         ui_.Answer("State Confirmation", true);
         stages_.ImportMaterialCentres = [this](RunContext& ctx, const StageArgs&) {
           ui_.Note("stage ImportMaterialCentres");
           ctx.ui.ProcessEvents();
         };
         ui_.StopAfterEvents(1);
       }},
  };
  const RunInputs inputs = inputs_;
  const RunStages stages = stages_;
  std::string text;
  for (const auto& [name, arrange] : cases) {
    Reset(inputs, stages);
    arrange();
    text += std::string("== ") + name + "\n" + Transcript(Run());
  }
  testing::ExpectGolden("run_driver_endings.txt", text);
}

TEST_F(RunDriverTest, ATestRunWorksOnTheCopyReportsNothingAndRemovesTheCopy) {
  int removed = 0;
  stages_.MakeTestCopy = [&](RunContext&, const std::string& data, const std::string& code,
                             std::string&) {
    EXPECT_EQ(data, inputs_.vuvoda_data_path);
    ui_.Note("copy " + code);
    return std::optional<TestCopy>(TestCopy{(root_ / "copy").string(), [&] { ++removed; }});
  };
  inputs_.dry_run = true;
  for (int failing_connection : {0, 2}) {
    SCOPED_TRACE(failing_connection);
    ui_ = RecordingRunUi();
    ui_.Answer("State Confirmation", true);
    connections_ = 0;
    fail_connection_ = failing_connection;
    removed = 0;
    RunResult result = Run();
    EXPECT_EQ(ui_.EventsStartingWith("copy "), std::vector<std::string>{"copy Comp0001"});
    EXPECT_EQ(connected_data_, (root_ / "copy").string());
    EXPECT_TRUE(ui_.EventsStartingWith("report").empty());
    EXPECT_EQ(removed, 1);
    if (failing_connection == 0) {
      EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
      EXPECT_TRUE(result.dry_run);
      EXPECT_EQ(result.headline,
                "Test run: the masters and the vouchers would have been imported successfully!"
                "\r\nThe company was left as it was.");
    } else {
      EXPECT_EQ(result.outcome, RunOutcome::kFailed);
    }
  }
  // Without a way to copy the company a test run is not made at all.
  ui_ = RecordingRunUi();
  stages_.MakeTestCopy = nullptr;
  EXPECT_EQ(Run().outcome, RunOutcome::kFailed);
  EXPECT_TRUE(ui_.EventsStartingWith("connect").empty());
}

TEST_F(RunDriverTest, TheReportsReachARealServerWithTheRunsIdentity) {
  testing::LoopbackHttpServer server;
  ::setenv(kUsageEndpointVariable, server.endpoint().c_str(), 1);
  stages_.ReportRunStatus = ReportRunStatus;
  erring_stage_ = "ImportItems";
  ui_.Answer("State Confirmation", true);
  RunResult result = Run();
  ::unsetenv(kUsageEndpointVariable);
  EXPECT_EQ(result.outcome, RunOutcome::kPartial);
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(*requests[0].Header("ModuleSubName"), "InProcess");
  EXPECT_EQ(*requests[1].Header("ModuleSubName"), "Partial Completed");
  for (const auto& r : requests) EXPECT_EQ(*r.Header("Identity"), "GUID-7_2024");
}

}  // namespace
}  // namespace vodare
