// The run driver's sequence, checks and endings, with every step a hook that notes itself in
// the same record as the dialogue.
#include "app/run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "app/status_report.h"
#include "support/golden.h"
#include "support/recording_run_ui.h"
#include "support/recording_server.h"
#include "support/temp_dir.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::RecordingRunUi;

// The company's identity, as the server hands it out (or fails to).
class GuidServer : public testing::RecordingFixed1 {
 public:
  GuidServer(testing::RecordingState& s, bool fail) : RecordingFixed1(s), fail_(fail) {}
  std::string GetCompGUID() override {
    if (fail_) throw RunTimeError("Automation error", 440);
    return "GUID-7";
  }

 private:
  bool fail_;
};

class RunDriverTest : public ::testing::Test {
 protected:
  // What each case of a table may change; a fresh one puts the hooks back as they start.
  struct Knobs {
    bool open_ok = true, guid_fails = false, start_report_ok = true, end_report_ok = true;
    std::vector<std::string> open_leaves;
    int connections = 0, fail_connection = 0;
    std::string configure_error, failing_stage, erring_stage, opened_list;
  };

  void SetUp() override {
    fs::create_directories(root_ / "program");
    fs::create_directories(root_ / "data" / "Comp0001");
    // The export's tables by name: the stages here are hooks that read none of them.
    fs::create_directories(root_ / "export");
    for (const char* table : {"PRO", "probat", "ACGROUP", "Order", "SaleType", "support", "mdis",
                              "dis", "pend", "GLEDGER"})
      std::ofstream(root_ / "export" / (std::string(table) + ".DBF"));
    fs::create_directories(root_ / "temp");
    fs::create_directories(root_ / "data" / "Comp0008");  // a company's folder, but not listed
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
    inputs_.masters = inputs_.vouchers = true;

    stages_.OpenSourceDb = [this](RunContext&, const std::string& folder, ErrorList& errors) {
      ui_.Note("open " + folder);
      for (const std::string& entry : k_.open_leaves) errors.Add("Export opening", "", entry);
      return k_.open_ok;
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
      connected_data_ = data;
      ui_.Note("connect " + code + " " + std::to_string(year));
      if (++k_.connections == k_.fail_connection) {
        errors.Add("Connection", code, "Unable to connect to database.");
        return false;
      }
      ctx.destination.FixedApi1 = std::make_unique<GuidServer>(server_, k_.guid_fails);
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
      if (!k_.configure_error.empty()) throw RunTimeError(k_.configure_error);
    };
    stages_.MapAccountGroups = [this](RunContext& ctx) {
      ui_.Note("map");
      ctx.GroupMapping.Add("Sundry Debtors", "Sundry Debtors|Sundry Debtors");
    };
    auto stage = [this](const std::string& name) {
      return [this, name](RunContext& ctx, const StageArgs& args) {
        ui_.Note("stage " + name +
                 (args.from_text.empty() ? "" : " " + args.from_text + ".." + args.to_text));
        ctx.ItemNameCache.Add(name, name);
        if (name == k_.failing_stage) throw RunTimeError("Type mismatch", 13);
        if (name == k_.erring_stage) ctx.errors.Add("Items", "Soap", "Item Name : Soap - refused");
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
      if (status == "InProcess" ? k_.start_report_ok : k_.end_report_ok) return true;
      error_out = "Service unavailable";
      return false;
    };
    stages_.OpenErrorList = [this](const std::string& path, std::string&) {
      ui_.Note("open list");
      k_.opened_list = path;
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
      std::stringstream text;
      text << std::ifstream(r.error_list_path, std::ios::binary).rdbuf();
      t += std::string("error list in ") +
           (fs::path(r.error_list_path).parent_path() == root_ / "temp" ? "TEMP" : "elsewhere") +
           (k_.opened_list == r.error_list_path ? ", opened" : ", not opened") + ": " + text.str() +
           "\n";
    }
    t += ui_.Dialogue();
    for (size_t at; (at = t.find(root_.string())) != std::string::npos;)
      t.replace(at, root_.string().size(), "<root>");
    return t;
  }

  // A case's settings "key=value; ...", on the fixture as SetUp left it; a value in quotes is
  // taken whole, blanks included.
  void Arrange(const std::string& settings) {
    bool same_state = true;
    const std::map<std::string, std::function<void(const std::string&)>> set = {
        {"path", [this](const std::string& v) { inputs_.vuvoda_path = v; }},
        {"data", [this](const std::string& v) { inputs_.vuvoda_data_path = v; }},
        {"code", [this](const std::string& v) { inputs_.company_code = v; }},
        {"name", [this](const std::string& v) { inputs_.company_name = v; }},
        {"year", [this](const std::string& v) { inputs_.fin_year_text = v; }},
        {"masters", [this](const std::string& v) { inputs_.masters = v == "yes"; }},
        {"vouchers", [this](const std::string& v) { inputs_.vouchers = v == "yes"; }},
        {"from", [this](const std::string& v) { inputs_.from_date = ParseDateText(v); }},
        {"to", [this](const std::string& v) { inputs_.to_date = ParseDateText(v); }},
        {"test run",  // on a copy that notes itself, and its removal with where the run connected
         [this](const std::string& v) {
           inputs_.dry_run = true;
           if (v != "copy") return;
           stages_.MakeTestCopy = [this](RunContext&, const std::string& data,
                                         const std::string& code, std::string&) {
             ui_.Note("copy " + code + " of " + data);
             return std::optional<TestCopy>(
                 TestCopy{(root_ / "copy").string(),
                          [this] { ui_.Note("remove copy, connected to " + connected_data_); }});
           };
         }},
        {"same state", [&](const std::string& v) { same_state = v == "yes"; }},
        {"yes", [this](const std::string& v) { ui_.Answer(v, true); }},
        {"opens", [this](const std::string& v) { k_.open_ok = v == "yes"; }},
        {"notes",
         [this](const std::string& v) {
           k_.open_leaves = testing::InputParts(v, 1 + std::count(v.begin(), v.end(), '|'));
         }},
        {"failing connection", [this](const std::string& v) { k_.fail_connection = std::stoi(v); }},
        {"start report", [this](const std::string& v) { k_.start_report_ok = v == "yes"; }},
        {"end report", [this](const std::string& v) { k_.end_report_ok = v == "yes"; }},
        {"record errors in", [this](const std::string& v) { k_.erring_stage = v; }},
        {"raises in", [this](const std::string& v) { k_.failing_stage = v; }},
        {"configuration raises", [this](const std::string& v) { k_.configure_error = v; }},
        {"identity", [this](const std::string& v) { k_.guid_fails = v == "fails"; }},
        {"mapping dialog",
         [this](const std::string&) {
           stages_.MapAccountGroups = [](RunContext&) { throw std::runtime_error("dialog broke"); };
         }},
        {"stop in the second stage",
         [this](const std::string&) {
           stages_.ImportMaterialCentres = [this](RunContext& ctx, const StageArgs&) {
             ui_.Note("stage ImportMaterialCentres");
             ctx.ui.ProcessEvents();
           };
           ui_.StopAfterEvents(1);
         }},
    };
    std::istringstream in(settings);
    for (std::string s; std::getline(in >> std::ws, s, ';');) {
      std::string key = s.substr(0, s.find('=')), value = s.substr(key.size() + 1);
      if (value.size() > 1 && value.front() == '\'' && value.back() == '\'')
        value = value.substr(1, value.size() - 2);
      for (size_t at; (at = value.find("<root>")) != std::string::npos;)
        value.replace(at, 6, root_.string());
      set.at(key)(value);
    }
    ui_.Answer("State Confirmation", same_state);
  }

  // The transcripts of the cases a kept copy heads "== name: settings", each from SetUp's state.
  std::string Cases(const std::string& kept) {
    const RunInputs inputs = inputs_;
    const RunStages stages = stages_;
    std::string text;
    EXPECT_TRUE(testing::ReadKeptTables(
        kept, [&](const std::string& first, const std::string& rest, const auto&) {
          const std::string heading = rest.empty() ? first : first + " " + rest;
          ui_ = RecordingRunUi();
          inputs_ = inputs;
          stages_ = stages;
          k_ = Knobs();
          Arrange(heading.substr(heading.find(": ") + 2));
          text += "== " + heading + "\n" + Transcript(Run());
        }));
    return text;
  }

  testing::TempDir temp_;
  const fs::path root_ = temp_.path();
  testing::RecordingState server_;
  RecordingRunUi ui_;
  RunInputs inputs_;
  RunStages stages_;
  Knobs k_;
  size_t caches_left_ = 0;
  std::vector<std::string> listed_ = {"Comp0001", "Comp0009"};  // Comp0009 has no folder
  std::string connected_data_;
};

TEST_F(RunDriverTest, AFullRunWalksTheWholeSequenceInOrder) {
  ui_.Answer("State Confirmation", true);
  ui_.Answer("Mapping Confirmation", true);
  // The run's collections are released at its end.
  testing::ExpectGolden("run_driver_full_run.txt", Transcript(Run()));
}

// Each check shows only its first failure; only the dates wait for the company's year.
TEST_F(RunDriverTest, ChecksShowOnlyTheFirstFailureAndOnlyTheDatesWaitForTheCompany) {
  testing::ExpectGolden("run_driver_refused_checks.txt", Cases("run_driver_refused_checks.txt"));
}

// How a run ends, case by case: what it shows, reports, writes and leaves at rest.
TEST_F(RunDriverTest, EachWayARunEndsIsShownAsKept) {
  testing::ExpectGolden("run_driver_endings.txt", Cases("run_driver_endings.txt"));
}

}  // namespace
}  // namespace vodare
