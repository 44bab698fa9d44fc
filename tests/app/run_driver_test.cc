// The run driver's sequence, checks and endings, with every step a hook that notes itself in
// the same record as the dialogue.
#include "app/run_driver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/status_report.h"
#include "common/run_error.h"
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
};

TEST_F(RunDriverTest, AFullRunWalksTheWholeSequenceInOrder) {
  ui_.Answer("State Confirmation", true);
  ui_.Answer("Mapping Confirmation", true);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
  EXPECT_EQ(result.end_status, "Completed");
  const std::string export_folder = (root_ / "export").string();
  EXPECT_EQ(ui_.events, (std::vector<std::string>{
                            "open " + export_folder,
                            "connect Comp0001 2024",
                            "settings",
                            "ask State Confirmation",
                            "inputs off",
                            "progress shown",
                            "report InProcess GUID-7_2024",
                            "layout run",
                            "configure 1",
                            "connect Comp0001 2024",
                            "ask Mapping Confirmation",
                            "map",
                            "stage ImportItems",
                            "stage ImportMaterialCentres",
                            "stage ImportAccountGroups",
                            "stage ImportLedgers",
                            "stage ImportTaxTypes",
                            "stage ImportInventoryVouchers 01-04-2024..31-03-2025",
                            "stage ImportAccountingVouchers 01-04-2024..31-03-2025",
                            "layout rest",
                            "progress hidden",
                            "report Completed GUID-7_2024",
                            "message Success|The masters and the vouchers have been imported "
                            "successfully!",
                            "inputs on",
                        }));
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kInformation);
  EXPECT_EQ(ui_.questions.front(),
            "Kindly confirm the following:\r\n\r\nThe state of the company in Vuvoda is the same "
            "as the state of the company in Vodori.\r\n\r\nClick 'Yes' to confirm or 'No' to "
            "cancel.");
  EXPECT_FALSE(ui_.run_layout);
  EXPECT_FALSE(ui_.progress_visible);
  EXPECT_EQ(caches_left_, 0u);  // the run's collections are released at its end
}

TEST_F(RunDriverTest, TheMastersAndVouchersChoicesDecideTheStages) {
  struct Case {
    bool masters, vouchers;
    bool mapping_asked;
    std::vector<std::string> stages;
    std::string success;
  };
  const std::string dates = " 01-04-2024..31-03-2025";
  const std::vector<Case> cases = {
      {true,
       false,
       true,
       {"stage ImportItems", "stage ImportMaterialCentres", "stage ImportAccountGroups",
        "stage ImportLedgers", "stage ImportTaxTypes"},
       "The masters have been imported successfully!"},
      {false,
       true,
       false,
       {"stage ImportTaxTypes", "stage ImportInventoryVouchers" + dates,
        "stage ImportAccountingVouchers" + dates},
       "The vouchers have been imported successfully!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.success);
    ui_ = RecordingRunUi();
    ui_.Answer("State Confirmation", true);
    inputs_.masters = c.masters;
    inputs_.vouchers = c.vouchers;
    RunResult result = Run();
    EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
    EXPECT_EQ(Stages(), c.stages);
    EXPECT_EQ(ui_.EventsStartingWith("ask Mapping").size(), c.mapping_asked ? 1u : 0u);
    EXPECT_EQ(ui_.EventsStartingWith("configure"),
              std::vector<std::string>{c.masters ? "configure 1" : "configure 0"});
    EXPECT_EQ(ui_.EventsStartingWith("message Success"),
              std::vector<std::string>{"message Success|" + c.success});
  }
}

TEST_F(RunDriverTest, AnOpeningErrorIsShownAloneAndPlain) {
  open_ok_ = false;
  open_leaves_ = {"Error creating index: CREATE INDEX x ON pro (code) - exists",
                  "Error in OpenDBCon: Not a valid path."};
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_EQ(ui_.events, (std::vector<std::string>{
                            "open " + (root_ / "export").string(), "inputs on",
                            "message Error|Error creating index: CREATE INDEX x ON pro (code) - "
                            "exists\r\nError in OpenDBCon: Not a valid path."}));
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
}

TEST_F(RunDriverTest, AFailedConnectionShowsItsOwnTextNotTheOpeningsNotes) {
  // An export opened before leaves notes of indexes that exist: they are nobody's business.
  open_leaves_ = {"Error creating index: CREATE INDEX x ON pro (code) - Index already exists."};
  fail_connection_ = 1;
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_EQ(ui_.events.back(), "message Error|Unable to connect to database.");
  EXPECT_TRUE(ui_.inputs_enabled);
}

TEST_F(RunDriverTest, ChecksShowOnlyTheFirstFailureAndOnlyTheDatesWaitForTheCompany) {
  struct Case {
    std::function<void(RunInputs&)> spoil;
    std::string message, caption;
    MessageIcon icon;
    std::string focus;
  };
  const std::string date_message =
      "Kindly select date in between the current financial year of the company!";
  const std::vector<Case> cases = {
      {[](RunInputs& in) { in.vuvoda_path = "  "; }, "Enter Valid Vuvoda Installation Path.",
       "Alert !", MessageIcon::kNone, "txtVuvodaPath"},
      {[&](RunInputs& in) { in.vuvoda_path = (root_ / "nowhere").string(); },
       "Enter Valid Vuvoda Installation Path.", "Alert !", MessageIcon::kNone, "txtVuvodaPath"},
      {[&](RunInputs& in) { in.vuvoda_data_path = (root_ / "nowhere").string(); },
       "Enter Valid Vuvoda Data Path.", "Alert!\"", MessageIcon::kExclamation, "txtVuvodaDataPath"},
      // Two failures: only the first is shown.
      {[](RunInputs& in) {
         in.company_code.clear();
         in.company_name.clear();
         in.masters = in.vouchers = false;
       },
       "Select valid Company.", "Alert!\"", MessageIcon::kExclamation, "cmbComp"},
      {[](RunInputs& in) { in.company_code = "Comp0008"; },
       "There is no company 'Shree Traders' in the data folder " + (root_ / "data").string() + "/.",
       "Alert!", MessageIcon::kExclamation, "cmbComp"},
      {[](RunInputs& in) { in.company_code = "Comp0009"; }, "Data path not valid.", "Alert!\"",
       MessageIcon::kExclamation, "txtVuvodaDataPath"},
      {[](RunInputs& in) { in.fin_year_text = "24"; }, "Enter valid Financial Year", "Alert!\"",
       MessageIcon::kExclamation, "cmbFinYear"},
      {[](RunInputs& in) { in.fin_year_text = "2023"; },
       "The company 'Shree Traders' has no financial year 2023; its years are 2024.", "Alert!",
       MessageIcon::kExclamation, "cmbFinYear"},
      {[](RunInputs& in) { in.masters = in.vouchers = false; },
       "Kindly select Masters and Vouchers to proceed with the import.", "Alert!",
       MessageIcon::kExclamation, "chkMasters"},
      {[](RunInputs& in) { in.from_date = Date::FromYmd(2024, 3, 31); }, date_message, "Alert!",
       MessageIcon::kExclamation, "dtpFromDate"},
      {[](RunInputs& in) { in.to_date = Date::FromYmd(2025, 4, 1); }, date_message, "Alert!",
       MessageIcon::kExclamation, "dtpFromDate"},
      {[](RunInputs& in) { in.to_date = Date::FromYmd(2024, 3, 1); }, date_message, "Alert!",
       MessageIcon::kExclamation, "dtpToDate"},
      {[](RunInputs& in) {
         in.from_date = Date::FromYmd(2025, 3, 31);
         in.to_date = Date::FromYmd(2024, 4, 1);
       },
       "The From Date (31-03-2025) is after the To Date (01-04-2024): kindly select a range "
       "that runs forwards.",
       "Alert!", MessageIcon::kExclamation, "dtpFromDate"},
  };
  fs::create_directories(root_ / "data" / "Comp0008");
  listed_.push_back("Comp0009");
  const RunInputs good = inputs_;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message + " / " + c.focus);
    ui_ = RecordingRunUi();
    inputs_ = good;
    c.spoil(inputs_);
    RunResult result = Run();
    EXPECT_EQ(result.outcome, RunOutcome::kRefused);
    EXPECT_EQ(result.focus_control, c.focus);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, c.message);
    EXPECT_EQ(ui_.messages[0].caption, c.caption);
    EXPECT_EQ(ui_.messages[0].icon, c.icon);
    // Only the dates wait for the company's year; everything else is refused before the export
    // is opened, however often it is tried. Nothing was disabled.
    const bool dates = c.focus.rfind("dtp", 0) == 0;
    if (dates) {
      ASSERT_GE(ui_.events.size(), 3u);
      EXPECT_EQ(ui_.events[2], "settings");
    } else {
      EXPECT_EQ(ui_.events.size(), 1u);
    }
    EXPECT_TRUE(ui_.EventsStartingWith("inputs").empty());
    EXPECT_TRUE(ui_.questions.empty());
  }
}

TEST_F(RunDriverTest, ADataFolderWithoutItsFinalSeparatorIsTheSameFolder) {
  inputs_.vuvoda_data_path = (root_ / "data").string();
  ui_.Answer("State Confirmation", true);
  EXPECT_EQ(Run().outcome, RunOutcome::kCompleted);
}

TEST_F(RunDriverTest, AYearTextThatIsNoNumberIsRefusedWithTheYearMessage) {
  for (const std::string year : {"", "abcd", "99999"}) {
    SCOPED_TRACE(year);
    ui_ = RecordingRunUi();
    inputs_.fin_year_text = year;
    RunResult result = Run();
    EXPECT_EQ(result.outcome, RunOutcome::kRefused);
    EXPECT_EQ(result.focus_control, "cmbFinYear");
    EXPECT_EQ(ui_.events, std::vector<std::string>{"message Alert!\"|Enter valid Financial Year"});
  }
}

TEST_F(RunDriverTest, ARefusedStateQuestionEndsTheRunBeforeAnythingChanges) {
  ui_.Answer("State Confirmation", false);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kRefused);
  EXPECT_EQ(ui_.events.back(),
            "message Error|Kindly select the same state in Vuvoda Company as that in the Vodori "
            "Company");
  EXPECT_TRUE(ui_.EventsStartingWith("report").empty());
  EXPECT_TRUE(ui_.EventsStartingWith("configure").empty());
  EXPECT_TRUE(ui_.EventsStartingWith("inputs").empty());
}

TEST_F(RunDriverTest, WhatTheOpeningStepsAndTheStartReportLeftIsNotARunError) {
  open_leaves_ = {"Error creating index: CREATE INDEX x ON pro (code) - exists"};
  start_report_ok_ = false;
  ui_.Answer("State Confirmation", true);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
  EXPECT_EQ(result.error_text, "");
  EXPECT_TRUE(ui_.EventsStartingWith("ask Confirmation").empty());
}

TEST_F(RunDriverTest, RecordErrorsMakeAPartialRunAndTheListOffersThemAll) {
  erring_stage_ = "ImportItems";
  ui_.Answer("State Confirmation", true);
  ui_.Answer("Confirmation", true);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kPartial);
  EXPECT_EQ(result.end_status, "Partial Completed");
  EXPECT_EQ(ui_.EventsStartingWith("report Partial"),
            std::vector<std::string>{"report Partial Completed GUID-7_2024"});
  EXPECT_EQ(ui_.questions.back(),
            "There were some errors while importing the data.\r\nDo you want to view the error "
            "log file?");
  ASSERT_FALSE(result.error_list_path.empty());
  EXPECT_EQ(opened_list_, result.error_list_path);
  EXPECT_EQ(fs::path(result.error_list_path).parent_path(), root_ / "temp");
  std::ifstream in(result.error_list_path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "Item Name : Soap - refused\r\n\r\n");
  // No "Success" for a run with entries: the box says how many, before the question.
  EXPECT_TRUE(ui_.EventsStartingWith("message Success").empty());
  EXPECT_EQ(ui_.EventsStartingWith("message Alert!"),
            std::vector<std::string>{"message Alert!|The import of the masters and the vouchers "
                                     "completed with 1 entry in the error list."});
  EXPECT_EQ(result.headline, ui_.messages.back().text);
}

TEST_F(RunDriverTest, ARefusedEndReportAddsItsReasonAndKeepsTheRecordErrors) {
  erring_stage_ = "ImportLedgers";
  end_report_ok_ = false;
  ui_.Answer("State Confirmation", true);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kPartial);
  EXPECT_EQ(result.error_text, "Item Name : Soap - refused_Service unavailable_");
  EXPECT_EQ(ui_.EventsStartingWith("ask Confirmation").size(), 1u);
  // The user said No: the list is written all the same, and not opened.
  ASSERT_FALSE(result.error_list_path.empty());
  EXPECT_TRUE(fs::exists(result.error_list_path));
  EXPECT_TRUE(opened_list_.empty());
  EXPECT_EQ(result.error_entries, 2);
}

TEST_F(RunDriverTest, ACleanRunWhoseEndReportIsRefusedStillSaysWhy) {
  end_report_ok_ = false;
  ui_.Answer("State Confirmation", true);
  RunResult result = Run();
  EXPECT_EQ(result.end_status, "Completed");
  EXPECT_EQ(result.outcome, RunOutcome::kPartial);
  EXPECT_EQ(result.error_text, "Service unavailable_");
}

TEST_F(RunDriverTest, AnErrorEscapingTheTaxTypesStageBecomesOneEntryAndTheRunGoesOn) {
  failing_stage_ = "ImportTaxTypes";
  inputs_.masters = false;
  ui_.Answer("State Confirmation", true);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kPartial);
  EXPECT_EQ(result.error_text, "RTE while importing tax types Type mismatch_");
  EXPECT_EQ(Stages().size(), 3u);
  EXPECT_TRUE(ui_.inputs_enabled);
}

TEST_F(RunDriverTest, AConfigurationErrorEndsTheRunWithItsDescriptionAndTheWindowAtRest) {
  configure_error_ = "Automation error: the series table is locked";
  ui_.Answer("State Confirmation", true);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_EQ(ui_.events.back(), "message Error|Automation error: the series table is locked");
  EXPECT_TRUE(Stages().empty());
  EXPECT_EQ(ui_.EventsStartingWith("report").size(), 1u);  // the start report only
  EXPECT_TRUE(ui_.inputs_enabled);
  EXPECT_FALSE(ui_.run_layout);
  EXPECT_FALSE(ui_.progress_visible);
}

TEST_F(RunDriverTest, FailuresAfterTheInputsAreDisabledLeaveTheWindowAtRest) {
  struct Case {
    std::function<void()> arrange;
    std::string message_start;
  };
  const std::vector<Case> cases = {
      {[this] { fail_connection_ = 2; }, "Unable to connect to database."},
      {[this] { guid_fails_ = true; }, "The company's identity could not be read: Automation"},
      {[this] {
         stages_.MapAccountGroups = [](RunContext&) { throw std::runtime_error("dialog broke"); };
       },
       "dialog broke"},
  };
  const RunStages good = stages_;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message_start);
    ui_ = RecordingRunUi();
    ui_.Answer("State Confirmation", true);
    ui_.Answer("Mapping Confirmation", true);
    stages_ = good;
    connections_ = 0;
    fail_connection_ = 0;
    guid_fails_ = false;
    c.arrange();
    RunResult result = Run();
    EXPECT_EQ(result.outcome, RunOutcome::kFailed);
    ASSERT_FALSE(ui_.messages.empty());
    EXPECT_EQ(ui_.messages.back().caption, "Error");
    EXPECT_EQ(ui_.messages.back().text.rfind(c.message_start, 0), 0u) << ui_.messages.back().text;
    EXPECT_TRUE(ui_.inputs_enabled);
    EXPECT_FALSE(ui_.run_layout);
    EXPECT_FALSE(ui_.progress_visible);
    EXPECT_TRUE(Stages().empty());
    EXPECT_EQ(caches_left_, 0u);
  }
}

TEST_F(RunDriverTest, AStopLetsTheStageInHandFinishAndEndsTheRun) {
  ui_.Answer("State Confirmation", true);
  stages_.ImportMaterialCentres = [this](RunContext& ctx, const StageArgs&) {
    ui_.Note("stage ImportMaterialCentres");
    ctx.ui.ProcessEvents();
  };
  ui_.StopAfterEvents(1);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_EQ(OutcomeLine(result), "stopped by the user, 1 entry in the error list");
  EXPECT_NE(ui_.messages.back().text.find("stopped by the user"), std::string::npos);
  EXPECT_EQ(Stages(),
            (std::vector<std::string>{"stage ImportItems", "stage ImportMaterialCentres"}));
  EXPECT_TRUE(ui_.EventsStartingWith("message Success").empty());
  EXPECT_NE(result.error_text.find("stopped"), std::string::npos);
  EXPECT_TRUE(ui_.inputs_enabled);
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
