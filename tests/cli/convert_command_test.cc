// vodare-cli convert as a user runs it: flags, messages, exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli_process.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
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
                                             {"convert", "--from", "32-13-2024"},
                                             // Another form than DD-MM-YYYY is not guessed at.
                                             {"convert", "--from", "2024-04-01"},
                                             {"convert", "--to", "31/03/2025"}}) {
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

// Exit 0 and "Success" only with an empty error list; otherwise both say how many entries. Every
// question had its flag, none answered by default; stderr is a pipe here, so the progress comes
// as lines, no bar drawn over itself.
void ExpectExitStatusFollowsTheOutcome(const testing::CliRun& run) {
  if (run.out.find("run: completed\n") != std::string::npos) {
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("error list:"), std::string::npos);
    EXPECT_NE(run.err.find("Success: The masters and the vouchers have been imported"),
              std::string::npos);
  } else {
    EXPECT_NE(run.out.find(" entries in the error list\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("error list: "), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find("Success:"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Alert!: The import of the masters and the vouchers completed with "),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.status, 1);
  }
  EXPECT_EQ(run.err.find("answered No"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("account groups mapped automatically"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\r'), std::string::npos);
  for (const char* stage : {"\nImporting Item Masters: ", "\nImporting Ledgers: ",
                            "\nImporting Inv Vch: ", "\nImporting Acc Vch: "})
    EXPECT_NE(run.err.find(stage), std::string::npos) << stage << " in\n" << run.err;
  EXPECT_NE(run.err.find(" records/s\n"), std::string::npos) << run.err;
}

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
  // Args with the values of some flags replaced.
  std::vector<std::string> With(const std::map<std::string, std::string>& values,
                                std::vector<std::string> extra) {
    std::vector<std::string> args = Args(std::move(extra));
    for (size_t i = 0; i + 1 < args.size(); ++i)
      if (values.count(args[i])) args[i + 1] = values.at(args[i]);
    return args;
  }
  std::string Books() const {
    std::ifstream in(std::filesystem::path(company_.data_folder) / company_.code / "books.sqlite",
                     std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  size_t JournalRows() const {
    local::CompanyStore store(*local::FindCompanyFile(company_.data_folder, company_.code));
    return local::ReadJournal(store).size();
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

TEST_F(ConvertOnLocalCompany, ARefusedEndReportMakesExitOneAndTheListHoldsItsReason) {
  testing::LoopbackHttpServer server;
  server.Respond({"T", "", 200, 0});
  server.Respond({"t", "Not registered", 200, 0});
  auto run = RunCli(Args({"--vouchers", "--same-state", "yes"}), Env(server.endpoint()));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("run: completed with "), std::string::npos) << run.out;
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
  EXPECT_NE(run.out.find("run: stopped by the user"), std::string::npos) << run.out;
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

TEST_F(ConvertOnLocalCompany, ARunThatCannotGoRightIsRefusedWithOnePlainLineAndTouchesNothing) {
  const std::string not_export = (company_.dir->path() / "papers").string();
  std::filesystem::create_directories(not_export);
  std::ofstream(not_export + "/readme.txt") << "not an export";
  struct Case {
    std::map<std::string, std::string> values;
    std::string said;
  };
  const std::vector<Case> cases = {
      {{{"--export", not_export}},
       "Alert!: The folder " + not_export +
           " is not a complete Vodori export: it lacks the tables pro, probat, ACGROUP, order, "
           "SaleType, support, mdis, dis, pend, Gledger."},
      {{{"--from", "31-03-2025"}, {"--to", "01-04-2024"}},
       "Alert!: The From Date (31-03-2025) is after the To Date (01-04-2024)"},
      {{{"--company", "Nobody Traders"}},
       "Alert!: There is no company 'Nobody Traders' in the data folder"},
      {{{"--company", ""}}, "Select valid Company."},
      {{{"--year", "2023"}},
       "Alert!: The company '" + std::string(kSampleCompanyName) +
           "' has no financial year 2023; its years are 2024."},
      {{{"--data", company_.data_folder + "-gone"}}, "Enter Valid Vuvoda Data Path."},
  };
  const size_t journal = JournalRows();
  const std::string books = Books();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    auto run = RunCli(With(c.values, {"--masters", "--vouchers", "--same-state", "yes"}), Env());
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.out.find("run: refused"), std::string::npos) << run.out;
    EXPECT_EQ(Books(), books);
  }
  // The folder that is no export was not written into either.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(not_export),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(JournalRows(), journal);
}

TEST_F(ConvertOnLocalCompany, ATestRunLeavesTheCompanyAsItWasAndForetellsTheRealRun) {
  testing::LoopbackHttpServer server;
  const std::vector<std::string> flags = {"--masters",     "--vouchers", "--same-state", "yes",
                                          "--batch-stock", "yes",        "--alt-units",  "no",
                                          "--map-groups",  "auto"};
  std::vector<std::string> dry = flags;
  dry.push_back("--dry-run");
  const std::string books = Books();
  auto test_run = RunCli(Args(dry), Env(server.endpoint()));
  EXPECT_EQ(Books(), books);
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(JournalRows(), 0u);
  EXPECT_NE(test_run.err.find("Test run: "), std::string::npos) << test_run.err;
  EXPECT_NE(test_run.err.find("The company was left as it was."), std::string::npos);

  auto real_run = RunCli(Args(flags), Env(server.endpoint()));
  EXPECT_NE(Books(), books);
  EXPECT_EQ(server.requests().size(), 2u);
  ExpectExitStatusFollowsTheOutcome(real_run);
  EXPECT_EQ(test_run.status, real_run.status) << test_run.out << real_run.out;
  // The same summary, verdict and ending, but for the error list's own name and the words that
  // say a test run changed nothing.
  auto comparable = [](const std::string& out) {
    std::string kept;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("error list: ", 0) == 0) continue;
      const std::string note = " (test run: the company was left as it was)";
      if (size_t at = line.find(note); at != std::string::npos) line.erase(at, note.size());
      kept += line + "\n";
    }
    return kept;
  };
  EXPECT_EQ(comparable(test_run.out), comparable(real_run.out));
  EXPECT_NE(real_run.out.find("Inventory vouchers"), std::string::npos) << real_run.out;
  EXPECT_NE(real_run.out.find(" inventory vouchers and "), std::string::npos) << real_run.out;

  // Asked without --errors, reconcile explains with the list of the real run, the last one into
  // this company.
  size_t at = real_run.out.find("error list: ");
  ASSERT_NE(at, std::string::npos) << real_run.out;
  const std::string list = real_run.out.substr(at, real_run.out.find('\n', at) - at);
  auto reconcile =
      RunCli({"reconcile", "--export", export_, "--data", company_.data_folder, "--company",
              kSampleCompanyName, "--from", "01-04-2024", "--to", "31-03-2025"},
             Env());
  EXPECT_NE(reconcile.out.find(list + "\n"), std::string::npos) << reconcile.out << reconcile.err;
}

TEST(CliHelp, EveryCommandExplainsItselfAndItsFlagsOnStdout) {
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{"--help"}, {"usage: vodare-cli COMMAND", "convert", "reconcile"}},
      {{"convert", "--help"},
       {"usage: vodare-cli convert", "--batch-stock yes|no", "--alt-units yes|no",
        "--same-state yes|no", "--map-groups none|auto", "--dry-run", "Exit status: 0"}},
      {{"reconcile", "-h"}, {"usage: vodare-cli reconcile", "--company CODE|NAME", "--errors"}},
      {{"company", "--help"}, {"create", "list", "show"}},
      {{"company", "create", "--help"}, {"usage: vodare-cli company create", "--years", "--vat"}},
      {{"company", "list", "--help"}, {"usage: vodare-cli company list"}},
      {{"company", "show", "--help"}, {"--company CODE|NAME", "journal"}},
      {{"demo", "--help"}, {"usage: vodare-cli demo"}},
      {{"sample-export", "--help"}, {"usage: vodare-cli sample-export", "--seed"}},
      {{"tables", "--help"}, {"usage: vodare-cli tables"}},
      {{"query", "--help"}, {"usage: vodare-cli query"}},
  };
  for (const auto& [args, said] : cases) {
    SCOPED_TRACE(args.front() + (args.size() > 1 ? " " + args[1] : ""));
    auto run = RunCli(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const std::string& text : said) EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace vodare
