// Whole runs against a real local company and the sample export: the real opening, connection,
// configuration, group mapping and reports (to a server on loopback), with the stages that
// exist so far.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/export_check.h"
#include "app/run_driver.h"
#include "app/status_report.h"
#include "common/text.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"
#include "support/local_company.h"
#include "support/loopback_http_server.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::RecordingRunUi;

class LocalCompanyRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sample_ = new testing::TempDir();
    WriteSampleExport((sample_->path() / "export").string(), SampleExportOptions{});
  }
  static void TearDownTestSuite() {
    delete sample_;
    sample_ = nullptr;
  }

  void SetUp() override {
    testing::LocalCompanyOptions options;
    options.name = kSampleCompanyName;
    options.years = {2023, kSampleYear};
    company_ = testing::CreateLocalCompany(options);
    temp_ = company_.dir->path() / "temp";
    fs::create_directories(temp_);
    ::setenv("TEMP", temp_.c_str(), 1);
    ::setenv(kUsageEndpointVariable, server_.endpoint().c_str(), 1);
    factory_ = local::MakeLocalAutomationFactory(company_.program_folder);

    inputs_.vuvoda_path = company_.program_folder;
    inputs_.vuvoda_data_path = company_.data_folder;
    inputs_.company_code = company_.code;
    inputs_.company_name = kSampleCompanyName;
    inputs_.fin_year_text = "2024";
    inputs_.vodori_data_path = (sample_->path() / "export").string();
    inputs_.from_date = Date::FromYmd(2024, 4, 1);
    inputs_.to_date = Date::FromYmd(2025, 3, 31);
    inputs_.masters = true;
    inputs_.vouchers = true;

    stages_ = DefaultRunStages();
    stages_.OpenErrorList = [](const std::string&, std::string&) { return true; };
    // Each stage notes that it ran, then does the program's own work when it has any.
    auto note = [this](const char* name, RunStages::Stage real) {
      return [this, name, real](RunContext& ctx, const StageArgs& args) {
        ui_.Note(std::string("stage ") + name);
        if (real) real(ctx, args);
      };
    };
    stages_.ImportItems = note("ImportItems", stages_.ImportItems);
    stages_.ImportMaterialCentres = note("ImportMaterialCentres", stages_.ImportMaterialCentres);
    stages_.ImportAccountGroups = note("ImportAccountGroups", stages_.ImportAccountGroups);
    stages_.ImportLedgers = note("ImportLedgers", stages_.ImportLedgers);
    stages_.ImportTaxTypes = note("ImportTaxTypes", stages_.ImportTaxTypes);
    stages_.ImportInventoryVouchers =
        note("ImportInventoryVouchers", stages_.ImportInventoryVouchers);
    stages_.ImportAccountingVouchers =
        note("ImportAccountingVouchers", stages_.ImportAccountingVouchers);
  }
  void TearDown() override {
    ::unsetenv(kUsageEndpointVariable);
    ::unsetenv("TEMP");
  }

  RunResult Run() {
    RunContext ctx(ui_);
    ctx.factory = factory_.get();
    RunResult result = RunConversion(ctx, inputs_, stages_);
    group_mapping_left_ = ctx.GroupMapping.Count();
    return result;
  }

  std::vector<local::JournalRow> Journal() {
    local::CompanyStore store(*local::FindCompanyFile(company_.data_folder, company_.code));
    return local::ReadJournal(store);
  }
  std::string Guid() {
    local::CompanyStore store(*local::FindCompanyFile(company_.data_folder, company_.code));
    return store.guid();
  }

  static testing::TempDir* sample_;
  testing::LocalCompany company_;
  fs::path temp_;
  testing::LoopbackHttpServer server_;
  std::unique_ptr<AutomationFactory> factory_;
  RecordingRunUi ui_;
  RunInputs inputs_;
  RunStages stages_;
  size_t group_mapping_left_ = 0;
};

testing::TempDir* LocalCompanyRun::sample_ = nullptr;

// A copy of the sample export with one table's bytes changed.
std::string DamagedExport(const fs::path& sample, const fs::path& where, const std::string& file,
                          const std::function<void(std::string&)>& change) {
  fs::create_directories(where);
  for (const auto& e : fs::directory_iterator(sample))
    if (e.path().extension() == ".dbf") fs::copy_file(e.path(), where / e.path().filename());
  std::ifstream in(where / file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  change(bytes);
  std::ofstream(where / file, std::ios::binary | std::ios::trunc) << bytes;
  return where.string();
}

// Where a field's value starts in a record, from the table's own descriptors.
size_t FieldOffset(const std::string& b, const std::string& name) {
  size_t offset = 1;
  for (size_t d = 32; static_cast<unsigned char>(b[d]) != 0x0D; d += 32) {
    if (std::string(b.c_str() + d) == name) return offset;
    offset += static_cast<unsigned char>(b[d + 16]);
  }
  throw std::runtime_error("no field " + name);
}

TEST_F(LocalCompanyRun, AnExportWithACutShortTableBooksNothingAndSaysWhy) {
  // A copy interrupted in the middle of dis's last record.
  inputs_.vodori_data_path = DamagedExport(sample_->path() / "export", temp_ / "cut", "dis.dbf",
                                           [](std::string& b) { b.resize(b.size() - 100); });
  ui_.Answer("State Confirmation", true);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kRefused);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "Alert!");
  EXPECT_NE(ui_.messages[0].text.find("nothing was converted"), std::string::npos);
  EXPECT_NE(ui_.messages[0].text.find("Error in table dis: the header counts "), std::string::npos)
      << ui_.messages[0].text;
  EXPECT_TRUE(ui_.questions.empty());  // not even the state question
  EXPECT_TRUE(ui_.EventsStartingWith("stage ").empty());
  EXPECT_TRUE(Journal().empty());
  EXPECT_TRUE(server_.requests().empty());
  ASSERT_FALSE(result.error_list_path.empty());
  std::ifstream list(result.error_list_path);
  std::string text((std::istreambuf_iterator<char>(list)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Error in table dis: the header counts "), std::string::npos) << text;
}

TEST_F(LocalCompanyRun, AValueNoStageCanReadKeepsItsVoucherOutAndNamesIt) {
  std::string number;
  inputs_.vodori_data_path =
      DamagedExport(sample_->path() / "export", temp_ / "abc", "dis.dbf", [&](std::string& b) {
        size_t header = static_cast<unsigned char>(b[8]) | (static_cast<unsigned char>(b[9]) << 8);
        b.replace(header + FieldOffset(b, "AMMMOUNT"), 12, "         ABC");
        number = Trim(b.substr(header + FieldOffset(b, "VCN"), 10));
      });
  ui_.Answer("Alert!", true);
  ui_.Answer("State Confirmation", true);
  ui_.Answer("Feature Confirmation", true);
  ui_.Answer("Feature Confirmation", false);
  ui_.Answer("Mapping Confirmation", false);
  RunResult result = Run();
  ASSERT_EQ(result.outcome, RunOutcome::kPartial) << result.error_text;
  // Asked once, before anything else.
  ASSERT_FALSE(ui_.questions.empty());
  const std::string finding =
      "Warning in table dis, field AMMMOUNT, record 1: holds \"ABC\", which is not a number";
  EXPECT_NE(ui_.questions[0].find(finding), std::string::npos) << ui_.questions[0];
  bool listed = false, refused = false;
  for (const ErrorEntry& e : result.errors.entries()) {
    listed = listed || (e.stage == kExportCheckStage && e.message.find(finding) == 0);
    refused =
        refused || (e.message.find("Vch No : " + number + " on ") != std::string::npos &&
                    e.message.find("holds \"ABC\", which is not a number") != std::string::npos);
  }
  EXPECT_TRUE(listed) << result.error_text;
  EXPECT_TRUE(refused) << number << "\n" << result.error_text;
  // Every other voucher arrived; the one is missing and explained.
  EXPECT_NE(result.verdict.find("in the error list"), std::string::npos) << result.verdict;
}

TEST_F(LocalCompanyRun, ARefusedStateQuestionChangesNothingInTheCompany) {
  ui_.Answer("State Confirmation", false);
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kRefused);
  EXPECT_EQ(ui_.events, (std::vector<std::string>{
                            "ask State Confirmation",
                            "message Error|Kindly select the same state in Vuvoda Company as that "
                            "in the Vodori Company"}));
  EXPECT_TRUE(Journal().empty());
  EXPECT_TRUE(server_.requests().empty());
}

TEST_F(LocalCompanyRun, AFullRunAsksInOrderReportsAndLeavesTheWindowAtRest) {
  ui_.Answer("State Confirmation", true);
  ui_.Answer("Feature Confirmation", true);
  ui_.Answer("Feature Confirmation", false);
  ui_.Answer("Mapping Confirmation", true);
  ui_.MappingAnswer({{"SUNDRY DEBTORS", "Sundry Debtors"}});
  RunResult result = Run();
  ASSERT_NE(result.outcome, RunOutcome::kFailed) << result.error_text;
  ASSERT_NE(result.outcome, RunOutcome::kRefused) << result.error_text;

  // The dialogue, without the stages' own lines; messages by their caption.
  std::vector<std::string> dialogue;
  for (const std::string& e : ui_.events)
    if (e.rfind("stage ", 0) != 0 && e.rfind("message Error", 0) != 0)
      dialogue.push_back(e.rfind("message ", 0) == 0 ? e.substr(0, e.find('|')) : e);
  const bool partial = result.outcome == RunOutcome::kPartial;
  std::vector<std::string> expected = {"ask State Confirmation",
                                       "inputs off",
                                       "progress shown",
                                       "layout run",
                                       "ask Feature Confirmation",
                                       "ask Feature Confirmation",
                                       "ask Mapping Confirmation",
                                       "mapping dialog",
                                       "layout rest",
                                       "progress hidden",
                                       partial ? "message Alert!" : "message Success"};
  if (partial) expected.push_back("ask Confirmation");
  expected.push_back("inputs on");
  EXPECT_EQ(dialogue, expected);
  EXPECT_EQ(ui_.EventsStartingWith("stage "),
            (std::vector<std::string>{"stage ImportItems", "stage ImportMaterialCentres",
                                      "stage ImportAccountGroups", "stage ImportLedgers",
                                      "stage ImportTaxTypes", "stage ImportInventoryVouchers",
                                      "stage ImportAccountingVouchers"}));
  // The dialog was offered the export's groups and the company's.
  EXPECT_FALSE(ui_.mapping_vodori_groups.empty());
  EXPECT_NE(std::find(ui_.mapping_vuvoda_groups.begin(), ui_.mapping_vuvoda_groups.end(),
                      "Sundry Debtors"),
            ui_.mapping_vuvoda_groups.end());
  EXPECT_EQ(group_mapping_left_, 0u);  // released at the end of the run

  // The configuration reached the company: thirteen series and the batch-wise switches, not the
  // alternate unit.
  int series = 0;
  bool batch = false, alt_unit = false, master_fields = false;
  for (const auto& row : Journal()) {
    if (row.operation == "SaveVchSeriesForMultiSeriesCreation") ++series;
    if (row.text.find("B7= -1") != std::string::npos) batch = true;
    if (row.text.find("B11=-1") != std::string::npos) alt_unit = true;
    if (row.text.find("'Salt'") != std::string::npos) master_fields = true;
  }
  EXPECT_EQ(series, 13);
  EXPECT_TRUE(batch);
  EXPECT_FALSE(alt_unit);
  EXPECT_TRUE(master_fields);

  auto requests = server_.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(*requests[0].Header("ModuleSubName"), "InProcess");
  EXPECT_EQ(*requests[1].Header("ModuleSubName"), result.end_status);
  for (const auto& r : requests) EXPECT_EQ(*r.Header("Identity"), Guid() + "_2024");
}

TEST_F(LocalCompanyRun, AVouchersRunDefinesNoMasterFieldsAndAsksNoMapping) {
  inputs_.masters = false;
  ui_.Answer("State Confirmation", true);
  RunResult result = Run();
  ASSERT_TRUE(result.outcome == RunOutcome::kCompleted || result.outcome == RunOutcome::kPartial)
      << result.error_text;
  EXPECT_TRUE(ui_.EventsStartingWith("ask Mapping").empty());
  EXPECT_EQ(ui_.EventsStartingWith("stage "),
            (std::vector<std::string>{"stage ImportTaxTypes", "stage ImportInventoryVouchers",
                                      "stage ImportAccountingVouchers"}));
  for (const auto& row : Journal()) EXPECT_EQ(row.text.find("'Salt'"), std::string::npos);
}

TEST_F(LocalCompanyRun, AYearTheCompanyDoesNotKeepIsNamedBeforeAnythingOpens) {
  inputs_.fin_year_text = "2019";
  RunResult result = Run();
  EXPECT_EQ(result.outcome, RunOutcome::kRefused);
  EXPECT_EQ(result.focus_control, "cmbFinYear");
  EXPECT_EQ(ui_.events, std::vector<std::string>{"message Alert!|The company '" +
                                                 std::string(kSampleCompanyName) +
                                                 "' has no financial year 2019; its years are "
                                                 "2023, 2024."});
  EXPECT_TRUE(Journal().empty());
}

TEST_F(LocalCompanyRun, AnEndReportRefusalIsListedAfterTheRunsOwnErrors) {
  server_.Respond({"T", "", 200, 0});
  server_.Respond({"F", "Licence not registered", 200, 0});
  ui_.Answer("State Confirmation", true);
  ui_.Answer("Confirmation", true);
  RunResult result = Run();
  ASSERT_EQ(result.outcome, RunOutcome::kPartial) << result.error_text;
  EXPECT_GE(result.error_text.size(), std::string("Licence not registered_").size());
  EXPECT_EQ(result.error_text.substr(result.error_text.size() - 23), "Licence not registered_");
  ASSERT_FALSE(result.error_list_path.empty());
  EXPECT_EQ(fs::path(result.error_list_path).parent_path(), temp_);
}

}  // namespace
}  // namespace vodare
