// vodare-cli convert as a user runs it: flags, messages, exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_process.h"
#include "export_writer/sample_export.h"
#include "support/local_company.h"
#include "support/loopback_http_server.h"

namespace vodare {
namespace {

using testing::RunCli;

TEST(ConvertCommand, BadFlagsAreRefusedBeforeAnyRun) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"convert", "--what"},
                                             {"convert", "--program"},
                                             {"convert", "--same-state", "maybe"},
                                             {"convert", "--map-groups", "all"},
                                             {"convert", "--from", "32-13-2024"}}) {
    auto run = RunCli(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_NE(run.err.find("vodare-cli:"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("run:"), std::string::npos);
  }
}

TEST(ConvertCommand, AYearThatIsNoNumberIsRefusedWithTheYearMessage) {
  auto run = RunCli({"convert", "--program", "/nonexistent", "--masters"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Enter valid Financial Year"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("run: refused"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace vodare

namespace vodare {
namespace {

class ConvertOnLocalCompany : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LocalCompanyOptions options;
    options.name = kSampleCompanyName;
    company_ = testing::CreateLocalCompany(options);
    export_ = (company_.dir->path() / "export").string();
    WriteSampleExport(export_, SampleExportOptions{});
    temp_ = (company_.dir->path() / "temp").string();
    std::filesystem::create_directories(temp_);
  }
  std::vector<std::string> Args(std::vector<std::string> extra) {
    std::vector<std::string> args = {"convert",
                                     "--program",
                                     company_.program_folder,
                                     "--data",
                                     company_.data_folder,
                                     "--company",
                                     kSampleCompanyName,  // by name
                                     "--year",
                                     "2024",
                                     "--export",
                                     export_,
                                     "--from",
                                     "01-04-2024",
                                     "--to",
                                     "31-03-2025"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  std::vector<std::string> Env(const std::string& endpoint = "") {
    return {"TEMP=" + temp_, "VODARE_USAGE_ENDPOINT=" + endpoint};
  }

  testing::LocalCompany company_;
  std::string export_;
  std::string temp_;
};

TEST_F(ConvertOnLocalCompany, AnUnansweredQuestionIsAnsweredNoAndSaid) {
  auto run = RunCli(Args({"--vouchers"}), Env());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("\"State Confirmation\""), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("answered No; give --same-state yes|no"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Error: Kindly select the same state"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("run: refused"), std::string::npos) << run.out;
}

TEST_F(ConvertOnLocalCompany, TheExitStatusFollowsTheRunsOutcome) {
  auto run = RunCli(Args({"--masters", "--vouchers", "--same-state", "yes", "--batch-stock", "yes",
                          "--alt-units", "no", "--map-groups", "auto"}),
                    Env());
  if (run.out.find("run: completed") != std::string::npos) {
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("error list:"), std::string::npos);
  } else {
    EXPECT_NE(run.out.find("run: partial"), std::string::npos) << run.out << run.err;
    EXPECT_EQ(run.status, 1);
  }
  // Every question had its flag: none was answered by default.
  EXPECT_EQ(run.err.find("answered No"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("account groups mapped automatically"), std::string::npos) << run.err;
  // stderr is a pipe here: the progress comes as lines, no bar drawn over itself.
  EXPECT_EQ(run.err.find('\r'), std::string::npos);
  for (const char* stage : {"\nImporting Item Masters: ", "\nImporting Ledgers: ",
                            "\nImporting Inv Vch: ", "\nImporting Acc Vch: "})
    EXPECT_NE(run.err.find(stage), std::string::npos) << stage << " in\n" << run.err;
  EXPECT_NE(run.err.find(" records/s\n"), std::string::npos) << run.err;
}

TEST_F(ConvertOnLocalCompany, ARefusedEndReportMakesExitOneAndTheListHoldsItsReason) {
  testing::LoopbackHttpServer server;
  server.Respond({"T", "", 200, 0});
  server.Respond({"t", "Not registered", 200, 0});
  auto run = RunCli(Args({"--vouchers", "--same-state", "yes"}), Env(server.endpoint()));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("run: partial"), std::string::npos) << run.out;
  size_t at = run.out.find("error list: ");
  ASSERT_NE(at, std::string::npos) << run.out;
  std::string path = run.out.substr(at + 12, run.out.find('\n', at) - at - 12);
  EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(temp_));
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("Not registered\r\n"), std::string::npos) << text.str();
  EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(ConvertOnLocalCompany, CtrlCEndsTheRunCleanlyWithItsErrorListWritten) {
  // The groups are mapped before the first stage: the interrupt reaches a run that has work
  // before it, whatever the machine's speed.
  testing::LoopbackHttpServer server;
  bool interrupted = false;
  auto run = testing::RunCliInterrupted(
      Args({"--masters", "--vouchers", "--same-state", "yes", "--batch-stock", "yes", "--alt-units",
            "no", "--map-groups", "auto"}),
      Env(server.endpoint()), "account groups mapped automatically", &interrupted);
  ASSERT_TRUE(interrupted) << run.err;
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("run: failed"), std::string::npos) << run.out;
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(*requests[1].Header("ModuleSubName"), "Partial Completed");
  size_t at = run.out.find("error list: ");
  ASSERT_NE(at, std::string::npos) << run.out;
  std::string path = run.out.substr(at + 12, run.out.find('\n', at) - at - 12);
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("The run was stopped before its end."), std::string::npos)
      << text.str();
}

}  // namespace
}  // namespace vodare
