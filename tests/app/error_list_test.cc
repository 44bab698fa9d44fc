// The error list file: its folder, its name and its CR LF lines.
#include "app/error_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ErrorListTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("TEMP", dir_.c_str(), 1); }
  void TearDown() override { ::unsetenv("TEMP"); }
  testing::TempDir temp_;
  const fs::path dir_ = temp_.path();
};

TEST(ErrorListFileName, IsTheDateAndTimeOfTheRun) {
  std::tm t{};
  t.tm_year = 2025 - 1900;
  t.tm_mon = 1;
  t.tm_mday = 17;
  t.tm_hour = 14;
  t.tm_min = 30;
  t.tm_sec = 5;
  EXPECT_EQ(ErrorListFileName(t, 7), "VodoriErrorList_20250217_143005_007.txt");
}

ErrorList Entries(std::initializer_list<const char*> messages) {
  ErrorList errors;
  for (const char* m : messages) errors.Add("Inventory vouchers", "", m);
  return errors;
}

TEST(ErrorListFileText, OneLinePerEntryWhateverItsMessageHolds) {
  // The error text keeps its "_" after every entry; the file breaks lines only between entries.
  const ErrorList refused =
      Entries({"Purchase Return voucher with Vch No : 7 on 01-05-2024 - "
               "Series 'P_Return' does not exist",
               "Item Name : X_Y - refused"});
  EXPECT_EQ(refused.Text(),
            "Purchase Return voucher with Vch No : 7 on 01-05-2024 - Series 'P_Return' does not "
            "exist_Item Name : X_Y - refused_");
  EXPECT_EQ(ErrorListFileText(refused),
            "Purchase Return voucher with Vch No : 7 on 01-05-2024 - Series 'P_Return' does not "
            "exist\r\nItem Name : X_Y - refused\r\n\r\n");
  EXPECT_EQ(ErrorListFileText(ErrorList()), "\r\n");
  // An entry that ends with a line break, and one that ends with nothing, are lines of their own.
  ErrorList ends;
  ends.Add("Sale/Purchase Types (fixed)", "", "ST Name : A - refused", "\r\n");
  ends.Add("Connection", "", "Error: not installed", "");
  ends.Add("Run", "", "b");
  EXPECT_EQ(ends.Text(), "ST Name : A - refused\r\nError: not installedb_");
  EXPECT_EQ(ErrorListFileText(ends), "ST Name : A - refused\r\nError: not installed\r\nb\r\n\r\n");
}

TEST_F(ErrorListTest, WritesOneCrLfLinePerEntryInTheTempFolderAndOpensIt) {
  testing::RecordingRunUi ui;
  std::string opened;
  std::string path =
      ShowErrorList(Entries({"a", "b"}), ui, [&](const std::string& p, std::string&) {
        opened = p;
        return true;
      });
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(opened, path);
  EXPECT_EQ(fs::path(path).parent_path(), dir_);
  std::string name = fs::path(path).filename().string();
  EXPECT_EQ(name.rfind("VodoriErrorList_", 0), 0u);
  EXPECT_EQ(name.size(), std::string("VodoriErrorList_20250217_143005_007.txt").size());
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n\r\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ErrorListTest, RunsThatEndTogetherNeverShareAList) {
  testing::RecordingRunUi ui;
  std::set<std::string> paths;
  for (int i = 0; i < 20; ++i) paths.insert(SaveErrorList(Entries({"one"}), ui));
  EXPECT_EQ(paths.size(), 20u);
  EXPECT_EQ(paths.count(""), 0u);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ErrorListTest, EachCompanyKnowsTheListOfItsOwnLastRun) {
  const std::string folder = dir_.string();
  testing::RecordingRunUi ui;
  const std::string a_list = SaveErrorList(Entries({"a"}), ui);
  const std::string b_list = SaveErrorList(Entries({"b"}), ui);
  EXPECT_FALSE(LastRunErrorList(folder, "{A-1}"));  // no run noted yet
  ASSERT_TRUE(RecordLastRun(folder, "{A-1}", a_list));
  ASSERT_TRUE(RecordLastRun(folder, "{B-2}", b_list));
  EXPECT_EQ(LastRunErrorList(folder, "{A-1}"), a_list);
  EXPECT_EQ(LastRunErrorList(folder, "{B-2}"), b_list);
  // A's next run leaves no entries: its older list is not its last run's.
  ASSERT_TRUE(RecordLastRun(folder, "{A-1}", ""));
  EXPECT_EQ(LastRunErrorList(folder, "{A-1}"), "");
  EXPECT_EQ(LastRunErrorList(folder, "{B-2}"), b_list);
}

TEST_F(ErrorListTest, TmpDirServesWhenTempIsNotSet) {
  ::unsetenv("TEMP");
  const char* old = std::getenv("TMPDIR");
  std::string saved = old ? old : "";
  ::setenv("TMPDIR", dir_.c_str(), 1);
  EXPECT_EQ(ErrorListFolder(), dir_.string());
  if (old)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
}

TEST_F(ErrorListTest, AFolderThatCannotBeWrittenGivesAClearMessage) {
  // TEMP names a file, not a folder: nothing can be created below it, whoever runs the test.
  const fs::path file = dir_ / "not_a_folder";
  std::ofstream(file) << "x";
  ::setenv("TEMP", file.c_str(), 1);
  testing::RecordingRunUi ui;
  bool opened = false;
  std::string path = ShowErrorList(Entries({"a"}), ui, [&](const std::string&, std::string&) {
    opened = true;
    return true;
  });
  EXPECT_TRUE(path.empty());
  EXPECT_FALSE(opened);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Error");
  EXPECT_NE(ui.messages[0].text.find("could not be written"), std::string::npos);
}

TEST_F(ErrorListTest, AMissingTempFolderGivesAClearMessage) {
  ::setenv("TEMP", (dir_ / "missing").c_str(), 1);
  testing::RecordingRunUi ui;
  EXPECT_TRUE(ShowErrorList(Entries({"a"}), ui, nullptr).empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find((dir_ / "missing").string()), std::string::npos);
}

TEST_F(ErrorListTest, AnEditorThatCannotStartIsSaidAndTheFileStays) {
  testing::RecordingRunUi ui;
  std::string path = ShowErrorList(Entries({"a"}), ui, [](const std::string&, std::string& why) {
    why = "no editor";
    return false;
  });
  EXPECT_TRUE(fs::exists(path));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("no editor"), std::string::npos);
}

}  // namespace
}  // namespace vodare
