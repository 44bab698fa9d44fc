#include "cli/cli_run_ui.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace vodare::cli {
namespace {

// What the command line's ui writes to a file, as it writes to a pipe or a log, on a clock the
// test moves by hand: (seconds, percent, caption) per step.
std::string Written(const std::vector<std::tuple<double, int, std::string>>& steps,
                    const std::function<void(CliRunUi&, double&)>& after) {
  std::FILE* file = std::tmpfile();
  double now = 0;
  {
    CliRunUi ui(CliAnswers{}, file);
    ui.SetClock([&now] { return now; });
    ui.SetProgressVisible(true);
    for (const auto& [seconds, percent, caption] : steps) {
      now = seconds;
      ui.SetProgress(percent);
      ui.SetStatus(caption);
    }
    after(ui, now);
  }
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fclose(file);
  return text;
}

TEST(CliProgressLines, ALineWhenAStageEndsAndAtMostEveryTwoSecondsWhileItRuns) {
  EXPECT_EQ(Written({{0.0, 0, "Importing Ledgers(1 of 340)"},
                     {0.5, 1, "Importing Ledgers(2 of 340)"},
                     {2.0, 30, "Importing Ledgers(100 of 340)"},  // two seconds since it began
                     {3.0, 59, "Importing Ledgers(200 of 340)"},
                     {3.5, 59, "Getting Inv Vch Details.."},  // the ledgers end where they were
                     {3.6, 50, "Getting Inv Vch Details.."},
                     {3.7, 100, "Getting Inv Vch Details.."}},
                    [](CliRunUi& ui, double& now) {
                      ui.ShowMessage("The vouchers have been\r\nimported successfully!", "Success",
                                     MessageIcon::kInformation);
                      now = 3.8;
                      ui.SetProgress(0);  // the run's end sets the bar back before hiding it
                      ui.SetProgressVisible(false);
                    }),
            "Importing Ledgers: 100 of 340, 50 records/s\n"
            "Importing Ledgers: 200 of 340, 57 records/s\n"
            "Getting Inv Vch Details..: 100%\n"
            "Success: The vouchers have been / imported successfully!\n");
  // A stage of one record has no rate, each state is printed once, and a run ended without
  // hiding its progress still leaves its last line.
  EXPECT_EQ(Written({{0.0, 100, "Importing Material Centres.(1 of 1)"},
                     {0.0, 100, "Importing Material Centres.(1 of 1)"}},
                    [](CliRunUi& ui, double&) { ui.SetVoucherDate("1st April 2024"); }),
            "Importing Material Centres: 1 of 1\n");
}

}  // namespace
}  // namespace vodare::cli
