// vodare-cli convert as a user runs it: flags, messages, exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>

#include "cli_process.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/loopback_http_server.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::RunCli;
using testing::Words;

// The file an output's "error list: " line names.
std::string ErrorListOf(const std::string& out) {
  const size_t at = out.find("error list: ");
  return at == std::string::npos ? "" : out.substr(at + 12, out.find('\n', at) - at - 12);
}
bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ConvertCommand, BadFlagsAreRefusedBeforeAnyRun) {
  // Another form of date than DD-MM-YYYY is not guessed at.
  for (const char* line : {"--what", "--program", "--same-state maybe", "--map-groups all",
                           "--from 32-13-2024", "--from 2024-04-01", "--to 31/03/2025"}) {
    auto run = RunCli(Words(std::string("convert ") + line));
    EXPECT_EQ(run.status, 2) << line;
    EXPECT_TRUE(Has(run.err, "vodare-cli:")) << run.err;
    EXPECT_FALSE(Has(run.out, "run:"));
  }
  // A year that is no number is refused with the year's message.
  auto run = RunCli(Words("convert --program /nonexistent --masters"));
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Has(run.err, "Enter valid Financial Year")) << run.err;
  EXPECT_TRUE(Has(run.out, "run: refused")) << run.out;
}

class ConvertOnLocalCompany : public ::testing::Test {
 protected:
  void SetUp() override {
    company_ = testing::CreateLocalCompany({.name = kSampleCompanyName});
    export_ = *company_.dir / "export";
    temp_ = *company_.dir / "temp";
    WriteSampleExport(export_, SampleExportOptions{});
    fs::create_directories(temp_);
  }
  // A run into the company by its name with these flags, some values replaced.
  testing::CliRun Convert(const std::string& flags,
                          const std::map<std::string, std::string>& values = {},
                          const std::string& endpoint = "", const std::string& interrupt = "") {
    std::vector<std::string> args =
        Words("convert --program " + company_.program_folder + " --data " + company_.data_folder +
              " --year 2024 --export " + export_ + " --from 01-04-2024 --to 31-03-2025 " + flags);
    args.insert(args.end(), {"--company", kSampleCompanyName});
    for (size_t i = 0; i + 1 < args.size(); ++i)
      if (values.count(args[i])) args[i + 1] = values.at(args[i]);
    return RunCli(args, {"TEMP=" + temp_, "VODARE_USAGE_ENDPOINT=" + endpoint}, interrupt);
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

  testing::LocalCompany company_;
  std::string export_, temp_;
};

TEST_F(ConvertOnLocalCompany, AnUnansweredQuestionIsAnsweredNoAndSaid) {
  auto run = Convert("--vouchers");
  EXPECT_EQ(run.status, 2);
  for (const char* said : {"\"State Confirmation\"", "answered No; give --same-state yes|no",
                           "Error: Kindly select the same state"})
    EXPECT_TRUE(Has(run.err, said)) << run.err;
  EXPECT_TRUE(Has(run.out, "run: refused")) << run.out;
  EXPECT_TRUE(Journal().empty());
}

TEST_F(ConvertOnLocalCompany, CtrlCEndsTheRunCleanlyWithItsErrorListWritten) {
  // The groups are mapped before the first stage: the interrupt reaches a run that has work before
  // it, whatever the machine's speed.
  testing::LoopbackHttpServer server;
  auto run = Convert(
      "--masters --vouchers --same-state yes --batch-stock yes --alt-units no "
      "--map-groups auto",
      {}, server.endpoint(), "account groups mapped automatically");
  ASSERT_TRUE(run.interrupted) << run.err;
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_TRUE(Has(run.out, "run: stopped by the user")) << run.out;
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(*requests[1].Header("ModuleSubName"), "Partial Completed");
  EXPECT_TRUE(Has(Bytes(ErrorListOf(run.out)), "The run was stopped before its end."));
}

TEST_F(ConvertOnLocalCompany, ARunThatCannotGoRightIsRefusedWithOnePlainLineAndTouchesNothing) {
  const std::string not_export = *company_.dir / "papers";
  fs::create_directories(not_export);
  std::ofstream(not_export + "/readme.txt") << "not an export";
  const std::vector<std::map<std::string, std::string>> cases = {
      {{"--export", not_export}},
      {{"--from", "31-03-2025"}, {"--to", "01-04-2024"}},
      {{"--company", "Nobody Traders"}},
      {{"--company", ""}},
      {{"--year", "2023"}},
      {{"--data", company_.data_folder + "-gone"}},
      // A copy interrupted in the middle of dis's last record: nothing is converted.
      {{"--export", Damaged("cut", [](std::string& b) { b.resize(b.size() - 100); })}},
  };
  const std::string books = Books();
  std::string text;
  for (const auto& values : cases) {
    auto run = Convert("--masters --vouchers --same-state yes", values);
    text += "== " + values.begin()->first + ", status " + std::to_string(run.status) + "\n" +
            run.err + run.out;
    EXPECT_EQ(Books(), books);
  }
  for (size_t at; (at = text.find(company_.dir->str())) != std::string::npos;)
    text.replace(at, company_.dir->str().size(), "<root>");
  testing::ExpectGolden("cli_convert_refusals.txt",
                        std::regex_replace(text, std::regex("List_[0-9_]+"), "List_<time>"));
  // The folder that is no export was not written into either.
  EXPECT_EQ(std::distance(fs::directory_iterator(not_export), fs::directory_iterator()), 1);
  EXPECT_TRUE(Journal().empty());
}

// Where a field's value starts in a record, from the table's own descriptors.
size_t FieldOffset(const std::string& b, const std::string& name) {
  size_t offset = 1 + (static_cast<unsigned char>(b[8]) | (static_cast<unsigned char>(b[9]) << 8));
  for (size_t d = 32; static_cast<unsigned char>(b[d]) != 0x0D; d += 32) {
    if (std::string(b.c_str() + d) == name) return offset;
    offset += static_cast<unsigned char>(b[d + 16]);
  }
  throw std::runtime_error("no field " + name);
}

// A value no stage can read is put to the user before anything else, goes to the error list, and
// keeps its one voucher out, naming the value; every other voucher arrives.
TEST_F(ConvertOnLocalCompany, AValueNoStageCanReadKeepsItsVoucherOutAndNamesIt) {
  std::string number;
  const std::string abc = Damaged("abc", [&](std::string& b) {
    b.replace(FieldOffset(b, "AMMMOUNT"), 12, "         ABC");
    number = b.substr(FieldOffset(b, "VCN"), 10);
    number.erase(number.find_last_not_of(' ') + 1);
  });
  auto run = Convert(
      "--masters --vouchers --same-state yes --batch-stock yes --alt-units no "
      "--map-groups none --accept-warnings",
      {{"--export", abc}});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  const std::string finding =
      "Warning in table dis, field AMMMOUNT, record 1: "
      "holds \"ABC\", which is not a number";
  EXPECT_LT(run.err.find(finding), run.err.find("Importing ")) << run.err;
  const std::string list = Bytes(ErrorListOf(run.out));
  EXPECT_TRUE(Has(list, finding)) << list;
  const size_t refused = list.find("Vch No : " + number + " on ");
  ASSERT_NE(refused, std::string::npos) << number << "\n" << list;
  EXPECT_NE(list.find("holds \"ABC\", which is not a number", refused), std::string::npos) << list;
  EXPECT_TRUE(Has(run.out, "in the error list")) << run.out;
}

TEST_F(ConvertOnLocalCompany, ATestRunLeavesTheCompanyAsItWasAndForetellsTheRealRun) {
  testing::LoopbackHttpServer server;
  const std::string flags =
      "--masters --vouchers --same-state yes --batch-stock yes --alt-units no "
      "--map-groups auto";
  const std::string books = Books();
  auto test_run = Convert(flags + " --dry-run", {}, server.endpoint());
  EXPECT_EQ(Books(), books);
  EXPECT_TRUE(server.requests().empty());
  EXPECT_TRUE(Journal().empty());
  EXPECT_TRUE(Has(test_run.err, "Test run: ")) << test_run.err;
  EXPECT_TRUE(Has(test_run.err, "The company was left as it was."));

  auto run = Convert(flags, {}, server.endpoint());
  EXPECT_NE(Books(), books);
  EXPECT_EQ(test_run.status, run.status) << test_run.out << run.out;
  // The sample run leaves entries in its error list: exit 1, and both outputs say so.
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  // Every question had its flag, none answered by default, the groups offered to the mapping were
  // the export's; stderr is a pipe here, so the progress comes as lines, no bar drawn over itself.
  for (const char* said :
       {"Alert!: The import of the masters and the vouchers completed with ",
        "account groups mapped automatically", "\nImporting Item Masters: ",
        "\nImporting Ledgers: ", "\nImporting Inv Vch: ", "\nImporting Acc Vch: ", " records/s\n"})
    EXPECT_TRUE(Has(run.err, said)) << said << " in\n" << run.err;
  for (const char* unsaid : {"answered No", "vodare-cli: 0 of ", "\r"})
    EXPECT_FALSE(Has(run.err, unsaid)) << unsaid << " in\n" << run.err;

  // The configuration reached the company: thirteen series and the batch-wise switches, not the
  // alternate unit, and the masters' own fields.
  int series = 0;
  std::string journal;
  for (const auto& row : Journal()) {
    series += row.operation == "SaveVchSeriesForMultiSeriesCreation";
    journal += row.text + "\n";
  }
  EXPECT_EQ(series, 13);
  EXPECT_TRUE(Has(journal, "B7= -1") && Has(journal, "'Salt'") && !Has(journal, "B11=-1"));
  // Both reports carry the company's own identity and the year.
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(*requests[0].Header("ModuleSubName"), "InProcess");
  local::CompanyStore store(*local::FindCompanyFile(company_.data_folder, company_.code));
  for (const auto& r : requests) EXPECT_EQ(*r.Header("Identity"), store.guid() + "_2024");

  // The same summary, verdict and ending, but for the error list's own name and the words that say
  // a test run changed nothing.
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
  testing::ExpectGolden("cli_convert_summary.txt", comparable(run.out));

  // Asked without --errors, reconcile explains with the list of the real run, the last one into
  // this company.
  auto reconcile =
      RunCli({"reconcile", "--export", export_, "--data", company_.data_folder, "--company",
              kSampleCompanyName, "--from", "01-04-2024", "--to", "31-03-2025"},
             {"TEMP=" + temp_});
  EXPECT_TRUE(Has(reconcile.out, "error list: " + ErrorListOf(run.out) + "\n"))
      << reconcile.out << reconcile.err;
}

TEST(CliHelp, EveryCommandExplainsItselfAndItsFlagsOnStdout) {
  std::string text;
  for (const char* words :
       {"--help", "convert --help", "reconcile -h", "company --help", "company create --help",
        "company list --help", "company show --help", "demo --help", "sample-export --help",
        "tables --help", "query --help"}) {
    auto run = RunCli(Words(words));
    text += std::string("$ ") + words + ", status " + std::to_string(run.status) + ", stderr '" +
            run.err + "'\n" + run.out;
  }
  testing::ExpectGolden("cli_help.txt", text);
}

}  // namespace
}  // namespace vodare
