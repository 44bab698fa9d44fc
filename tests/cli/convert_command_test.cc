// vodare-cli convert as a user runs it: flags, messages, exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "cli_process.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"
#include "support/local_company.h"
#include "support/loopback_http_server.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
// The file an output's "error list: " line names.
std::string ErrorListOf(const std::string& out) {
  const size_t at = out.find("error list: ");
  return at == std::string::npos ? "" : out.substr(at + 12, out.find('\n', at) - at - 12);
}

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
  // A year that is no number is refused with the year's message.
  auto run = RunCli({"convert", "--program", "/nonexistent", "--masters"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Enter valid Financial Year"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("run: refused"), std::string::npos) << run.out;
}

class ConvertOnLocalCompany : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = testing::CreateLocalCompany({.name = kSampleCompanyName});
    export_ = *company_.dir / "export";
    WriteSampleExport(export_, SampleExportOptions{});
    temp_ = *company_.dir / "temp";
    fs::create_directories(temp_);
  }
  // The flags of a run into the company by its name, some values replaced, more flags added.
  std::vector<std::string> Args(std::vector<std::string> extra,
                                const std::map<std::string, std::string>& values = {}) {
    std::vector<std::string> args = {"convert",
                                     "--program",
                                     company_.program_folder,
                                     "--data",
                                     company_.data_folder,
                                     "--company",
                                     kSampleCompanyName,
                                     "--year",
                                     "2024",
                                     "--export",
                                     export_,
                                     "--from",
                                     "01-04-2024",
                                     "--to",
                                     "31-03-2025"};
    for (size_t i = 0; i + 1 < args.size(); ++i)
      if (values.count(args[i])) args[i + 1] = values.at(args[i]);
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  std::string Books() const {
    return Bytes(fs::path(company_.data_folder) / company_.code / "books.sqlite");
  }
  std::vector<local::JournalRow> Journal() const {
    local::CompanyStore store(*local::FindCompanyFile(company_.data_folder, company_.code));
    return local::ReadJournal(store);
  }
  // A copy of the export with dis.dbf's bytes changed.
  std::string Damaged(const std::string& name, const std::function<void(std::string&)>& change) {
    const fs::path where = company_.dir->path() / name;
    fs::create_directories(where);
    for (const auto& e : fs::directory_iterator(export_))
      fs::copy_file(e.path(), where / e.path().filename());
    std::string bytes = Bytes(where / "dis.dbf");
    change(bytes);
    std::ofstream(where / "dis.dbf", std::ios::binary | std::ios::trunc) << bytes;
    return where.string();
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
  for (const char* said : {"\"State Confirmation\"", "answered No; give --same-state yes|no",
                           "Error: Kindly select the same state"})
    EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("run: refused"), std::string::npos) << run.out;
  EXPECT_TRUE(Journal().empty());
}

// A vouchers run defines no master fields and asks no mapping; the end report's refusal makes
// the exit 1 and its reason goes to the list in TEMP.
TEST_F(ConvertOnLocalCompany, ARefusedEndReportMakesExitOneAndTheListHoldsItsReason) {
  testing::LoopbackHttpServer server;
  server.Respond({"T", "", 200, 0});
  server.Respond({"t", "Not registered", 200, 0});
  auto run = RunCli(Args({"--vouchers", "--same-state", "yes"}), Env(server.endpoint()));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("run: completed with "), std::string::npos) << run.out;
  const std::string list = ErrorListOf(run.out);
  EXPECT_EQ(fs::path(list).parent_path(), fs::path(temp_));
  EXPECT_NE(Bytes(list).find("Not registered\r\n"), std::string::npos) << Bytes(list);
  EXPECT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(run.err.find("account groups mapped"), std::string::npos) << run.err;
  for (const auto& row : Journal()) EXPECT_EQ(row.text.find("'Salt'"), std::string::npos);
}

TEST_F(ConvertOnLocalCompany, CtrlCEndsTheRunCleanlyWithItsErrorListWritten) {
  // The groups are mapped before the first stage: the interrupt reaches a run that has work
  // before it, whatever the machine's speed.
  testing::LoopbackHttpServer server;
  auto run = RunCli(Args({"--masters", "--vouchers", "--same-state", "yes", "--batch-stock", "yes",
                          "--alt-units", "no", "--map-groups", "auto"}),
                    Env(server.endpoint()), "account groups mapped automatically");
  ASSERT_TRUE(run.interrupted) << run.err;
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("run: stopped by the user"), std::string::npos) << run.out;
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(*requests[1].Header("ModuleSubName"), "Partial Completed");
  EXPECT_NE(Bytes(ErrorListOf(run.out)).find("The run was stopped before its end."),
            std::string::npos);
}

TEST_F(ConvertOnLocalCompany, ARunThatCannotGoRightIsRefusedWithOnePlainLineAndTouchesNothing) {
  const std::string not_export = *company_.dir / "papers";
  fs::create_directories(not_export);
  std::ofstream(not_export + "/readme.txt") << "not an export";
  const std::vector<std::pair<std::map<std::string, std::string>, std::string>> cases = {
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
      // A copy interrupted in the middle of dis's last record: nothing is converted.
      {{{"--export", Damaged("cut", [](std::string& b) { b.resize(b.size() - 100); })}},
       "Error in table dis: the header counts "},
  };
  const std::string books = Books();
  for (const auto& [values, said] : cases) {
    SCOPED_TRACE(said);
    auto run = RunCli(Args({"--masters", "--vouchers", "--same-state", "yes"}, values), Env());
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.out.find("run: refused"), std::string::npos) << run.out;
    EXPECT_EQ(Books(), books);
  }
  // The folder that is no export was not written into either.
  EXPECT_EQ(std::distance(fs::directory_iterator(not_export), fs::directory_iterator()), 1);
  EXPECT_TRUE(Journal().empty());
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

// A value no stage can read is put to the user before anything else, goes to the error list,
// and keeps its one voucher out, naming the value; every other voucher arrives.
TEST_F(ConvertOnLocalCompany, AValueNoStageCanReadKeepsItsVoucherOutAndNamesIt) {
  std::string number;
  const std::string abc = Damaged("abc", [&](std::string& b) {
    const size_t header =
        static_cast<unsigned char>(b[8]) | (static_cast<unsigned char>(b[9]) << 8);
    b.replace(header + FieldOffset(b, "AMMMOUNT"), 12, "         ABC");
    number = b.substr(header + FieldOffset(b, "VCN"), 10);
    number = number.substr(0, number.find_last_not_of(' ') + 1);
  });
  auto run = RunCli(Args({"--masters", "--vouchers", "--same-state", "yes", "--batch-stock", "yes",
                          "--alt-units", "no", "--map-groups", "none", "--accept-warnings"},
                         {{"--export", abc}}),
                    Env());
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  const std::string finding =
      "Warning in table dis, field AMMMOUNT, record 1: holds \"ABC\", which is not a number";
  const size_t asked = run.err.find(finding);
  EXPECT_LT(asked, run.err.find("Importing ")) << run.err;
  const std::string list = Bytes(ErrorListOf(run.out));
  EXPECT_NE(list.find(finding), std::string::npos) << list;
  const size_t refused = list.find("Vch No : " + number + " on ");
  ASSERT_NE(refused, std::string::npos) << number << "\n" << list;
  EXPECT_NE(list.find("holds \"ABC\", which is not a number", refused), std::string::npos) << list;
  EXPECT_NE(run.out.find("in the error list"), std::string::npos) << run.out;
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
  EXPECT_TRUE(Journal().empty());
  EXPECT_NE(test_run.err.find("Test run: "), std::string::npos) << test_run.err;
  EXPECT_NE(test_run.err.find("The company was left as it was."), std::string::npos);

  auto run = RunCli(Args(flags), Env(server.endpoint()));
  EXPECT_NE(Books(), books);
  EXPECT_EQ(test_run.status, run.status) << test_run.out << run.out;
  // Exit 0 and "Success" only with an empty error list; otherwise both say how many entries.
  if (run.out.find("run: completed\n") != std::string::npos) {
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(ErrorListOf(run.out), "");
    EXPECT_NE(run.err.find("Success: The masters and the vouchers have been imported"),
              std::string::npos);
  } else {
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find(" entries in the error list\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find("Success:"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Alert!: The import of the masters and the vouchers completed with "),
              std::string::npos)
        << run.err;
  }
  // Every question had its flag, none answered by default, the groups offered to the mapping
  // were the export's; stderr is a pipe here, so the progress comes as lines, no bar drawn over
  // itself.
  EXPECT_EQ(run.err.find("answered No"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("account groups mapped automatically"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("vodare-cli: 0 of "), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\r'), std::string::npos);
  for (const char* stage : {"\nImporting Item Masters: ", "\nImporting Ledgers: ",
                            "\nImporting Inv Vch: ", "\nImporting Acc Vch: ", " records/s\n"})
    EXPECT_NE(run.err.find(stage), std::string::npos) << stage << " in\n" << run.err;

  // The configuration reached the company: thirteen series and the batch-wise switches, not the
  // alternate unit, and the masters' own fields.
  int series = 0;
  bool batch = false, alt_unit = false, master_fields = false;
  for (const auto& row : Journal()) {
    series += row.operation == "SaveVchSeriesForMultiSeriesCreation";
    batch = batch || row.text.find("B7= -1") != std::string::npos;
    alt_unit = alt_unit || row.text.find("B11=-1") != std::string::npos;
    master_fields = master_fields || row.text.find("'Salt'") != std::string::npos;
  }
  EXPECT_EQ(series, 13);
  EXPECT_TRUE(batch);
  EXPECT_FALSE(alt_unit);
  EXPECT_TRUE(master_fields);
  // Both reports carry the company's own identity and the year.
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(*requests[0].Header("ModuleSubName"), "InProcess");
  local::CompanyStore store(*local::FindCompanyFile(company_.data_folder, company_.code));
  for (const auto& r : requests) EXPECT_EQ(*r.Header("Identity"), store.guid() + "_2024");

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
  EXPECT_EQ(comparable(test_run.out), comparable(run.out));
  EXPECT_NE(run.out.find("Inventory vouchers"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(" inventory vouchers and "), std::string::npos) << run.out;

  // Asked without --errors, reconcile explains with the list of the real run, the last one into
  // this company.
  auto reconcile =
      RunCli({"reconcile", "--export", export_, "--data", company_.data_folder, "--company",
              kSampleCompanyName, "--from", "01-04-2024", "--to", "31-03-2025"},
             Env());
  EXPECT_NE(reconcile.out.find("error list: " + ErrorListOf(run.out) + "\n"), std::string::npos)
      << reconcile.out << reconcile.err;
}

TEST(CliHelp, EveryCommandExplainsItselfAndItsFlagsOnStdout) {
  // The command's words, then what its help must name.
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"--help", {"usage: vodare-cli COMMAND", "convert", "reconcile"}},
      {"convert --help",
       {"usage: vodare-cli convert", "--batch-stock yes|no", "--alt-units yes|no",
        "--same-state yes|no", "--map-groups none|auto", "--dry-run", "Exit status: 0"}},
      {"reconcile -h", {"usage: vodare-cli reconcile", "--company CODE|NAME", "--errors"}},
      {"company --help", {"create", "list", "show"}},
      {"company create --help", {"usage: vodare-cli company create", "--years", "--vat"}},
      {"company list --help", {"usage: vodare-cli company list"}},
      {"company show --help", {"--company CODE|NAME", "journal"}},
      {"demo --help", {"usage: vodare-cli demo"}},
      {"sample-export --help", {"usage: vodare-cli sample-export", "--seed"}},
      {"tables --help", {"usage: vodare-cli tables"}},
      {"query --help", {"usage: vodare-cli query"}},
  };
  for (const auto& [words, said] : cases) {
    SCOPED_TRACE(words);
    std::vector<std::string> args;
    std::istringstream in(words);
    for (std::string word; in >> word;) args.push_back(word);
    auto run = RunCli(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const std::string& text : said) EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace vodare
