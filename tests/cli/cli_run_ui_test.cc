#include "cli/cli_run_ui.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vodare::cli {
namespace {

// The command line's ui writing to a file, as it writes to a pipe or a log, on a clock the
// test moves by hand.
class CliProgressLines : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::tmpfile();
    ASSERT_NE(file_, nullptr);
    ui_ = std::make_unique<CliRunUi>(CliAnswers{}, file_);
    ui_->SetClock([this] { return now_; });
    ui_->SetProgressVisible(true);
  }
  void TearDown() override { std::fclose(file_); }
  void At(double seconds, int percent, const std::string& caption) {
    now_ = seconds;
    ui_->SetProgress(percent);
    ui_->SetStatus(caption);
  }
  std::string Written() {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    return text;
  }

  std::FILE* file_ = nullptr;
  double now_ = 0;
  std::unique_ptr<CliRunUi> ui_;
};

TEST_F(CliProgressLines, ALineWhenAStageEndsAndAtMostEveryTwoSecondsWhileItRuns) {
  At(0.0, 0, "Importing Ledgers(1 of 340)");
  At(0.5, 1, "Importing Ledgers(2 of 340)");
  At(2.0, 30, "Importing Ledgers(100 of 340)");  // two seconds since the stage began
  At(3.0, 59, "Importing Ledgers(200 of 340)");
  At(3.5, 59, "Getting Inv Vch Details..");  // the ledgers end where they were
  At(3.6, 50, "Getting Inv Vch Details..");
  At(3.7, 100, "Getting Inv Vch Details..");
  ui_->ShowMessage("The vouchers have been\r\nimported successfully!", "Success",
                   MessageIcon::kInformation);
  now_ = 3.8;
  ui_->SetProgress(0);  // the run's end sets the bar back before hiding it
  ui_->SetProgressVisible(false);
  EXPECT_EQ(Written(),
            "Importing Ledgers: 100 of 340, 50 records/s\n"
            "Importing Ledgers: 200 of 340, 57 records/s\n"
            "Getting Inv Vch Details..: 100%\n"
            "Success: The vouchers have been / imported successfully!\n");
}

TEST_F(CliProgressLines, AStageOfOneRecordHasNoRateAndEachStateIsPrintedOnce) {
  At(0.0, 100, "Importing Material Centres.(1 of 1)");
  At(0.0, 100, "Importing Material Centres.(1 of 1)");
  ui_->SetVoucherDate("1st April 2024");
  ui_.reset();  // a run ended without hiding its progress still leaves its last line
  EXPECT_EQ(Written(), "Importing Material Centres: 1 of 1\n");
}

}  // namespace
}  // namespace vodare::cli
