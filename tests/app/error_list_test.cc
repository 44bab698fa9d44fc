// The error list file: its folder, its name and its CR LF lines.
#include "app/error_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "support/recording_run_ui.h"
#include "support/temp_dir.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

ErrorList Entries(std::initializer_list<const char*> messages) {
  ErrorList errors;
  for (const char* m : messages) errors.Add("Inventory vouchers", "", m);
  return errors;
}

TEST(ErrorListFile, IsNamedForTheTimeOfTheRunAndHoldsOneLinePerEntry) {
  std::tm t{};
  ASSERT_TRUE(strptime("2025-02-17 14:30:05", "%Y-%m-%d %H:%M:%S", &t));
  EXPECT_EQ(ErrorListFileName(t, 7), "VodoriErrorList_20250217_143005_007.txt");

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

class ErrorListTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("TEMP", dir_.c_str(), 1); }
  void TearDown() override { ::unsetenv("TEMP"); }
  // The list shown with an editor that opens (or cannot open, giving its reason).
  std::string Show(const char* editor_fails = nullptr) {
    return ShowErrorList(Entries({"a", "b"}), ui_,
                         [=, this](const std::string& p, std::string& why) {
                           opened_ = p;
                           if (editor_fails) why = editor_fails;
                           return !editor_fails;
                         });
  }
  testing::TempDir temp_;
  const fs::path dir_ = temp_.path();
  testing::RecordingRunUi ui_;
  std::string opened_;
};

// Where the list is written, its bytes and its opening: the run driver's kept endings.
TEST_F(ErrorListTest, RunsThatEndTogetherNeverShareAListAndAFailingEditorIsSaid) {
  std::string path = Show();
  std::set<std::string> paths = {path};
  for (int i = 0; i < 20; ++i) paths.insert(SaveErrorList(Entries({"one"}), ui_));
  EXPECT_EQ(paths.size(), 21u);
  EXPECT_EQ(paths.count(""), 0u);
  EXPECT_TRUE(ui_.messages.empty());

  // An editor that cannot start is said, and the file stays.
  path = Show("no editor");
  EXPECT_TRUE(fs::exists(path));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("no editor"), std::string::npos);
}

TEST_F(ErrorListTest, EachCompanyKnowsTheListOfItsOwnLastRun) {
  const std::string folder = dir_.string();
  const std::string a_list = SaveErrorList(Entries({"a"}), ui_);
  const std::string b_list = SaveErrorList(Entries({"b"}), ui_);
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

TEST_F(ErrorListTest, ATempFolderThatIsMissingOrCannotBeWrittenGivesAClearMessage) {
  ::unsetenv("TEMP");
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  ::setenv("TMPDIR", dir_.c_str(), 1);
  EXPECT_EQ(ErrorListFolder(), dir_.string()) << "TMPDIR serves when TEMP is not set";
  old ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");

  // TEMP names a file, not a folder: nothing can be created below it, whoever runs the test.
  std::ofstream(dir_ / "not_a_folder") << "x";
  ::setenv("TEMP", (dir_ / "not_a_folder").c_str(), 1);
  EXPECT_TRUE(Show().empty());
  EXPECT_TRUE(opened_.empty());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "Error");
  EXPECT_NE(ui_.messages[0].text.find("could not be written"), std::string::npos);

  ::setenv("TEMP", (dir_ / "missing").c_str(), 1);
  EXPECT_TRUE(ShowErrorList(Entries({"a"}), ui_, nullptr).empty());
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_NE(ui_.messages[1].text.find((dir_ / "missing").string()), std::string::npos);
}

}  // namespace
}  // namespace vodare
