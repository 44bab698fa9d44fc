#include "app/selections.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/machine_paths.h"
#include "common/run_error.h"
#include "support/recording_server.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// A scratch folder standing for the machine's drives while a test runs.
class Drives : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("vodare-drives-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    const char* old = std::getenv("VODARE_DRIVES");
    if (old) saved_ = old;
    had_ = old != nullptr;
    ::setenv("VODARE_DRIVES", root_.c_str(), 1);
  }
  void TearDown() override {
    if (had_)
      ::setenv("VODARE_DRIVES", saved_.c_str(), 1);
    else
      ::unsetenv("VODARE_DRIVES");
    fs::remove_all(root_);
  }
  fs::path Make(const std::string& relative) {
    fs::path p = root_ / relative;
    fs::create_directories(p);
    return p;
  }
  void Write(const std::string& relative, const std::string& bytes) {
    fs::path p = root_ / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  std::string R(const std::string& relative) const { return (root_ / relative).string(); }

  fs::path root_;
  std::string saved_;
  bool had_ = false;
};

TEST_F(Drives, DrivePathsMapToTheDrivesFolderAndOtherPathsStay) {
  EXPECT_EQ(ToLocalPath("C:\\DeredaDir\\Rededo\\DB"), R("c/DeredaDir/Rededo/DB"));
  EXPECT_EQ(ToLocalPath("  d:\\Data\\ "), R("d/Data/"));
  EXPECT_EQ(ToLocalPath("E:"), R("e/"));
  EXPECT_EQ(ToLocalPath("E:\\"), R("e/"));
  EXPECT_EQ(ToLocalPath("/srv/data"), "/srv/data");
  EXPECT_EQ(ToLocalPath("CC:\\x"), "CC:\\x");
  EXPECT_EQ(DefaultExportFolder(), R("c/DeredaDir/Rededo/DB"));
  ::unsetenv("VODARE_DRIVES");
  EXPECT_EQ(DefaultExportFolder(), "/mnt/c/DeredaDir/Rededo/DB");
}

TEST_F(Drives, FoldersAreTheSameWithOrWithoutTheFinalSeparatorAndInAnyLetterCase) {
  Make("c/DeredaDir/Data/Comp0001");
  EXPECT_TRUE(LocalFolderExists(R("c/DeredaDir/Data")));
  EXPECT_TRUE(LocalFolderExists(R("c/DeredaDir/Data/")));
  EXPECT_TRUE(LocalFolderExists("C:\\deredadir\\DATA\\comp0001"));
  EXPECT_TRUE(LocalFolderExists(JoinLocalPath(R("c/DeredaDir/Data"), "Comp0001")));
  EXPECT_TRUE(LocalFolderExists(JoinLocalPath(R("c/DeredaDir/Data/"), "Comp0001")));
  EXPECT_FALSE(LocalFolderExists(R("c/DeredaDir/Data") + "Comp0001"));
  EXPECT_FALSE(LocalFolderExists(""));
  EXPECT_FALSE(LocalFolderExists("   "));
  Write("c/DeredaDir/Data/file.txt", "x");
  EXPECT_FALSE(LocalFolderExists(R("c/DeredaDir/Data/file.txt")));
  EXPECT_TRUE(LocalFileExists(R("c/DeredaDir/Data/FILE.TXT")));
  EXPECT_EQ(WithoutFinalSeparator("/a/b//"), "/a/b");
  EXPECT_EQ(WithoutFinalSeparator("/"), "/");
  EXPECT_EQ(WithFinalSeparator("/a/b"), "/a/b/");
  EXPECT_EQ(WithFinalSeparator("/a/b/"), "/a/b/");
}

TEST_F(Drives, TheInstallFolderIsOnTheFirstDriveFromCThatHasOne) {
  EXPECT_EQ(FindInstallPath(), "");
  Make("a/DeredaDir");
  Make("b/DeredaDir");
  EXPECT_EQ(FindInstallPath(), "") << "drives A and B are never tried";
  Make("e/DeredaDir");
  Make("d/DeredaDir");
  EXPECT_EQ(FindInstallPath(), R("d/DeredaDir/"));
  Make("c/deredadir");
  EXPECT_EQ(FindInstallPath(), R("c/deredadir/")) << "found whatever its letter case";
}

TEST_F(Drives, AFileNamedLikeTheInstallFolderIsNotOne) {
  Write("c/DeredaDir", "not a folder");
  Make("f/DeredaDir");
  EXPECT_EQ(FindInstallPath(), R("f/DeredaDir/"));
}

TEST_F(Drives, TheDataFolderIsReadFromTheProgramsRecordWithOneFinalSeparator) {
  Make("c/DeredaDir/Data");
  for (const char* content : {"C:\\DeredaDir\\Data", "C:\\DeredaDir\\Data\\",
                              "  C:\\DeredaDir\\Data  ", "C:\\DeredaDir\\Data\r\n",
                              "\xEF\xBB\xBF"
                              "C:\\DeredaDir\\Data\\\r\n"}) {
    Write("c/DeredaDir/SYSTEM/DP.txt", content);
    EXPECT_EQ(ReadDataPath(R("c/DeredaDir/")), R("c/DeredaDir/Data/")) << content;
    EXPECT_EQ(ReadDataPath(R("c/DeredaDir")), R("c/DeredaDir/Data/")) << content;
    EXPECT_EQ(ReadDataPath("C:\\DeredaDir\\"), R("c/DeredaDir/Data/")) << content;
  }
  Write("c/DeredaDir/SYSTEM/DP.txt", "/srv/vuvoda/data");
  EXPECT_EQ(ReadDataPath(R("c/DeredaDir")), "/srv/vuvoda/data/");
  Write("c/DeredaDir/SYSTEM/DP.txt", "D:\\Caf\xE9");
  EXPECT_EQ(ReadDataPath(R("c/DeredaDir")), R("d/Caf\xC3\xA9/")) << "the Windows code page";
  Write("c/DeredaDir/SYSTEM/DP.txt", "D:\\Caf\xC3\xA9");
  EXPECT_EQ(ReadDataPath(R("c/DeredaDir")), R("d/Caf\xC3\xA9/")) << "UTF-8 stays";
}

TEST_F(Drives, AMissingEmptyOrUnreadableRecordGivesNoDataFolder) {
  EXPECT_EQ(ReadDataPath(R("c/DeredaDir")), "");
  EXPECT_EQ(ReadDataPath(""), "");
  EXPECT_EQ(ReadDataPath("   "), "");
  Write("c/DeredaDir/SYSTEM/DP.txt", "");
  EXPECT_EQ(ReadDataPath(R("c/DeredaDir")), "");
  Write("c/DeredaDir/SYSTEM/DP.txt", " \r\n ");
  EXPECT_EQ(ReadDataPath(R("c/DeredaDir")), "");
  Make("d/DeredaDir/SYSTEM/DP.txt");
  EXPECT_EQ(ReadDataPath(R("d/DeredaDir")), "") << "a folder of that name";
  Write("e/DeredaDir/system/dp.TXT", "E:\\Data");
  EXPECT_EQ(ReadDataPath(R("e/DeredaDir")), R("e/Data/")) << "file names in any letter case";
}

TEST(SelectMatchingEntry, FirstEntryEqualIgnoringCaseAndBlanksOrNone) {
  std::vector<std::string> names = {"Alpha Traders", "Shree Ganesh", "shree ganesh "};
  EXPECT_EQ(SelectMatchingEntry(names, " SHREE GANESH"), 1);
  EXPECT_EQ(SelectMatchingEntry(names, "Shree"), -1);
  EXPECT_EQ(SelectMatchingEntry(names, ""), -1);
  EXPECT_EQ(SelectMatchingEntry({}, "x"), -1);
  EXPECT_EQ(SelectMatchingEntry({"", "2024"}, ""), 0);
}

}  // namespace
}  // namespace vodare

namespace vodare {
namespace {

using testing::RecordingFactory;

TEST(GetCompanyList, AsksFreshObjectsAndClosesALeftOpenCompanyWhenTheListIsHidden) {
  RecordingFactory f;
  f.state.companies = {{"Alpha", "Comp0001"}, {"Beta", "Comp0002"}};
  f.state.open_code = "Comp0002";
  f.state.list_hidden_while_open = true;
  std::string error = "stale";
  auto list = GetCompanyList(f, "/data", error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].name, "Beta");
  EXPECT_EQ(list[1].code, "Comp0002");
  EXPECT_THAT(f.state.log,
              ElementsAre("Create Vodavi2V21.CFixedInterface", "Create Vodavi2V21.CFixedInterface1",
                          "GetCurrentUserName", "GetCompCode", "GetCompList /data/", "CloseDB",
                          "GetCompList /data/"));
}

TEST(GetCompanyList, ALoggedInUserOrNoOpenCompanyMeansTheEmptyListIsTheAnswer) {
  for (bool with_user : {true, false}) {
    RecordingFactory f;
    f.state.companies = {{"Alpha", "Comp0001"}};
    f.state.list_hidden_while_open = true;
    f.state.open_code = with_user ? "Comp0001" : "";
    f.state.user_name = with_user ? "admin" : "";
    std::string error;
    auto list = GetCompanyList(f, "/data/", error);
    EXPECT_EQ(list.size(), with_user ? 0u : 1u);
    EXPECT_EQ(std::count(f.state.log.begin(), f.state.log.end(), "CloseDB"), 0);
  }
}

TEST(GetCompanyList, ABlankFolderNamesNoCompaniesWithoutAskingTheServer) {
  RecordingFactory f;
  f.state.companies = {{"Alpha", "Comp0001"}};
  std::string error;
  EXPECT_TRUE(GetCompanyList(f, "  ", error).empty());
  EXPECT_EQ(error, "");
  EXPECT_TRUE(f.state.log.empty());
}

TEST(GetCompanyList, AServerFailureGivesAnEmptyListAndAReason) {
  RecordingFactory f;
  f.state.missing_prog_ids.insert(kProgIdFixedInterface1);
  std::string error;
  EXPECT_TRUE(GetCompanyList(f, "C:\\Data", error).empty());
  EXPECT_THAT(error, ::testing::HasSubstr("could not be read"));
  EXPECT_THAT(error, ::testing::HasSubstr("/c/Data/"));

  RecordingFactory g;
  g.state.raise_on = "GetCompList";
  EXPECT_TRUE(GetCompanyList(g, "/data", error).empty());
  EXPECT_THAT(error, ::testing::HasSubstr("Server failure at GetCompList"));
}

TEST(GetFinYears, AServerFailureGivesNoYearsAndAReason) {
  RecordingFactory f;
  f.state.raise_on = "GetAllFinYears";
  std::string error;
  EXPECT_TRUE(GetFinYears(f, "Comp0003", error).empty());
  EXPECT_THAT(error, ::testing::HasSubstr("Comp0003"));
}

}  // namespace
}  // namespace vodare
