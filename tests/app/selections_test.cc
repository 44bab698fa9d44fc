// The selections the window offers: drives' folders, an installation's companies and years.
#include "app/selections.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/machine_paths.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/local_factory.h"
#include "source/source_db.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"
#include "support/recording_server.h"
#include "support/text_dbf.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> Entries(const std::vector<CompanyEntry>& list) {
  std::vector<std::string> out;
  for (const CompanyEntry& e : list) out.push_back(e.name + " " + e.code);
  return out;
}

// A scratch folder standing for the machine's drives while a test runs.
class Drives : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("VODARE_DRIVES", dir_.path().c_str(), 1); }
  void TearDown() override { ::unsetenv("VODARE_DRIVES"); }
  void Make(const std::string& relative) { fs::create_directories(dir_.path() / relative); }
  void Write(const std::string& relative, const std::string& bytes) {
    fs::create_directories((dir_.path() / relative).parent_path());
    std::ofstream(dir_.path() / relative, std::ios::binary) << bytes;
  }
  std::string R(const std::string& relative) const { return dir_ / relative; }

  testing::TempDir dir_;
};

// Drive paths, folders matched in any form and the data folder named by the programs' record,
// as tests/data/machine_paths.txt keeps them (\r, \n and \xHH written out, <drives> the folder).
TEST_F(Drives, PathsFoldersAndTheDataFolderRecordAsKept) {
  Make("c/DeredaDir/Data/Comp0001");
  Write("c/DeredaDir/Data/file.txt", "x");
  Make("d/DeredaDir/SYSTEM/DP.txt");
  Write("e/DeredaDir/system/dp.TXT", "E:\\Data");
  const std::string root = dir_.str();
  testing::ExpectKeptAnswers("machine_paths.txt", [&](const std::string& f, const std::string& in) {
    std::string x;
    for (size_t i = 0; i < in.size(); ++i) {
      if (in.compare(i, 2, "\\r") == 0 || in.compare(i, 2, "\\n") == 0) {
        x += in[++i] == 'r' ? '\r' : '\n';
      } else if (in.compare(i, 2, "\\x") == 0 && i + 3 < in.size() && std::isxdigit(in[i + 2])) {
        x += static_cast<char>(std::stoi(in.substr(i + 2, 2), nullptr, 16));
        i += 3;
      } else if (in.compare(i, 8, "<drives>") == 0) {
        x += root;
        i += 7;
      } else {
        x += in[i];
      }
    }
    const std::vector<std::string> parts = testing::InputParts(x, 2);
    std::string out = f == "Local"     ? ToLocalPath(x)
                      : f == "Folder"  ? (LocalFolderExists(x) ? "yes" : "no")
                      : f == "File"    ? (LocalFileExists(x) ? "yes" : "no")
                      : f == "With"    ? WithFinalSeparator(x)
                      : f == "Without" ? WithoutFinalSeparator(x)
                      : f == "Join"    ? JoinLocalPath(parts[0], parts[1])
                                       : "";
    if (f == "DataPath") {  // the record's text on drive C | the programs' folder
      Write("c/DeredaDir/SYSTEM/DP.txt", parts[0]);
      out = ReadDataPath(parts[1]);
    }
    if (f == "DataPathOf") out = ReadDataPath(x);
    for (size_t at; (at = out.find(root)) != std::string::npos;)
      out.replace(at, root.size(), "<drives>");
    return out.empty() ? "(empty)" : out;
  });
  EXPECT_EQ(DefaultExportFolder(), R("c/DeredaDir/Rededo/DB"));
  ::unsetenv("VODARE_DRIVES");
  EXPECT_EQ(DefaultExportFolder(), "/mnt/c/DeredaDir/Rededo/DB");
}

TEST_F(Drives, TheInstallFolderIsOnTheFirstDriveFromCThatHasOne) {
  EXPECT_EQ(FindInstallPath(), "");
  Make("a/DeredaDir");
  Make("b/DeredaDir");
  EXPECT_EQ(FindInstallPath(), "") << "drives A and B are never tried";
  Write("c/DeredaDir", "a file named like the install folder is not one");
  Make("e/DeredaDir");
  Make("d/DeredaDir");
  EXPECT_EQ(FindInstallPath(), R("d/DeredaDir/"));
  fs::remove(dir_.path() / "c/DeredaDir");
  Make("c/deredadir");
  EXPECT_EQ(FindInstallPath(), R("c/deredadir/")) << "found whatever its letter case";
}

TEST(SelectMatchingEntry, FirstEntryEqualIgnoringCaseAndBlanksOrNone) {
  std::vector<std::string> names = {"Alpha Traders", "Shree Ganesh", "shree ganesh "};
  EXPECT_EQ(SelectMatchingEntry(names, " SHREE GANESH"), 1);
  EXPECT_EQ(SelectMatchingEntry(names, "Shree"), -1);
  EXPECT_EQ(SelectMatchingEntry(names, ""), -1);
  EXPECT_EQ(SelectMatchingEntry({}, "x"), -1);
  EXPECT_EQ(SelectMatchingEntry({"", "2024"}, ""), 0);
}

TEST(GetCompanyList, AsksFreshObjectsAndClosesALeftOpenCompanyOnlyWhenTheListIsHidden) {
  testing::RecordingFactory f;
  f.state.companies = {{"Alpha", "Comp0001"}, {"Beta", "Comp0002"}};
  f.state.open_code = "Comp0002";
  f.state.list_hidden_while_open = true;
  std::string error = "stale";
  auto list = GetCompanyList(f, "/data", error);
  EXPECT_EQ(error, "");
  EXPECT_THAT(Entries(list), ElementsAre("Alpha Comp0001", "Beta Comp0002"));
  EXPECT_THAT(f.state.log,
              ElementsAre("Create Vodavi2V21.CFixedInterface", "Create Vodavi2V21.CFixedInterface1",
                          "GetCurrentUserName", "GetCompCode", "GetCompList /data/", "CloseDB",
                          "GetCompList /data/"));

  // A logged-in user, or no open company, means the empty list is the answer.
  for (bool with_user : {true, false}) {
    testing::RecordingFactory g;
    g.state.companies = {{"Alpha", "Comp0001"}};
    g.state.list_hidden_while_open = true;
    g.state.open_code = with_user ? "Comp0001" : "";
    g.state.user_name = with_user ? "admin" : "";
    EXPECT_EQ(GetCompanyList(g, "/data/", error).size(), with_user ? 0u : 1u);
    EXPECT_EQ(std::count(g.state.log.begin(), g.state.log.end(), "CloseDB"), 0);
  }
}

TEST(GetCompanyList, ABlankFolderAsksNothingAndAServerFailureGivesAReason) {
  testing::RecordingFactory f;
  f.state.companies = {{"Alpha", "Comp0001"}};
  std::string error;
  EXPECT_TRUE(GetCompanyList(f, "  ", error).empty());
  EXPECT_EQ(error, "");
  EXPECT_TRUE(f.state.log.empty());

  f.state.missing_prog_ids.insert(kProgIdFixedInterface1);
  EXPECT_TRUE(GetCompanyList(f, "C:\\Data", error).empty());
  EXPECT_THAT(error, HasSubstr("could not be read"));
  EXPECT_THAT(error, HasSubstr("/c/Data/"));

  testing::RecordingFactory g;
  g.state.raise_on = "GetCompList";
  EXPECT_TRUE(GetCompanyList(g, "/data", error).empty());
  EXPECT_THAT(error, HasSubstr("Server failure at GetCompList"));
  g.state.raise_on = "GetAllFinYears";
  EXPECT_TRUE(GetFinYears(g, "Comp0003", error).empty());
  EXPECT_THAT(error, HasSubstr("Comp0003"));
}

TEST(SelectionsOnAnInstallation, DataFolderCompaniesAndYearsAsTheWindowReadsThem) {
  testing::LocalCompany first =
      testing::CreateLocalCompany({.name = "Alpha Traders", .years = {2022, 2023, 2024}});
  local::NewCompany second;
  second.name = "Beta Pharma";
  second.state = "GUJARAT";
  second.years = {2024};
  std::string second_code = local::CompanyStore::Create(first.data_folder, second);

  std::string data = ReadDataPath(first.program_folder);
  EXPECT_EQ(data, WithFinalSeparator(first.data_folder));
  EXPECT_EQ(ReadDataPath(WithFinalSeparator(first.program_folder)), data);

  local::LocalAutomationFactory factory(first.program_folder);
  std::string error;
  for (const std::string& folder : {data, WithoutFinalSeparator(data)}) {
    std::vector<CompanyEntry> list = GetCompanyList(factory, folder, error);
    EXPECT_EQ(error, "");
    EXPECT_THAT(Entries(list),
                ElementsAre("Alpha Traders " + first.code, "Beta Pharma " + second_code));
  }
  std::vector<std::string> years = GetFinYears(factory, first.code, error);
  EXPECT_EQ(error, "");
  EXPECT_THAT(years, ElementsAre("2022", "2023", "2024"));
  EXPECT_THAT(GetFinYears(factory, second_code, error), ElementsAre("2024"));

  // A folder without companies gives an empty list, not a failure.
  testing::TempDir empty;
  local::LocalAutomationFactory bare;
  EXPECT_TRUE(GetCompanyList(bare, empty.str(), error).empty());
  EXPECT_TRUE(GetCompanyList(bare, empty / "missing", error).empty());
  EXPECT_EQ(ReadDataPath(empty.str()), "") << "no installation there";
}

// The first remark marked as the company's, trimmed; empty without the row, the table, a remark
// or an export.
TEST(GetVodoriCompanyName, TheFirstMarkedRemarkTrimmed) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"L001|0|a@b.in|", "|99|  Shree Sai Pharma  |zoravized3", "|99|Second|ZORAVIZED3"},
       "Shree Sai Pharma"},
      {{"L001|0|x|"}, ""},
      {{"|99||ZORAVIZED3"}, ""},
      {{}, ""},  // no support table at all
  };
  for (const auto& [rows, name] : cases) {
    testing::TempDir dir;
    if (rows.empty())
      testing::WriteTextDbf(dir / "pro.dbf", "CODE N 6 0", {});
    else
      testing::WriteTextDbf(dir / "support.dbf", "LCODE C 8;PCODE N 3 0;REMARK C 60;ALIASE C 10",
                            rows);
    testing::RecordingRunUi ui;
    RunContext ctx(ui);
    EXPECT_EQ(GetVodoriCompanyName(ctx), "") << "no export open";
    ErrorList errors;
    ASSERT_TRUE(OpenSourceDb(ctx, dir.str(), errors)) << errors.Text();
    EXPECT_EQ(GetVodoriCompanyName(ctx), name);
  }
}

}  // namespace
}  // namespace vodare
