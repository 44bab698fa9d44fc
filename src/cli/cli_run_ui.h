#pragma once
// The command line's side of a run's dialogue: questions are answered from the flags (a question
// without its flag is answered No, and said), messages go to stderr, and a progress bar with the
// status caption is drawn on stderr when stderr is a terminal. On a pipe or in a log the progress
// becomes lines instead: one when a stage ends, and one at most every two seconds while it runs,
// each with the stage, the record in hand of the stage's records and the records per second.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/run_ui.h"

namespace vodare::cli {

struct CliAnswers {
  std::optional<bool> same_state;       // --same-state yes|no
  std::optional<bool> batch_stock;      // --batch-stock yes|no
  std::optional<bool> alt_units;        // --alt-units yes|no
  std::optional<bool> map_groups;       // --map-groups auto (true) | none (false)
  std::optional<bool> accept_warnings;  // --accept-warnings: the export check's question
};

// Pairs Vodori groups with Vuvoda groups without a window (the automatic matcher).
using AutoMapper = std::function<GroupPairs(const std::vector<std::string>& vodori_groups,
                                            const std::vector<std::string>& vuvoda_groups)>;

class CliRunUi : public RunUi {
 public:
  CliRunUi(CliAnswers answers, std::FILE* err = stderr);
  ~CliRunUi() override;

  void SetAutoMapper(AutoMapper mapper) { auto_mapper_ = std::move(mapper); }
  // The clock of the progress lines, in seconds (a steady clock unless a test gives its own).
  void SetClock(std::function<double()> seconds) { clock_ = std::move(seconds); }

  void SetProgress(int value) override;
  void SetStatus(const std::string& caption) override;
  void SetVoucherDate(const std::string& text) override;
  void ProcessEvents() override {}
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void SetProgressVisible(bool shown) override;
  bool MapAccountGroups(const std::vector<std::string>& vodori_groups,
                        const std::vector<std::string>& vuvoda_groups, GroupPairs& pairs) override;
  bool StopRequested() const override;

  // Ctrl-C asks the run to stop after the record in hand instead of killing the process.
  static void CatchInterrupt();

 private:
  void Draw();
  void ClearBar();
  void Say(const std::string& line);
  // The progress as lines, for a stderr that is no terminal.
  void LogProgress();
  void PrintProgressLine();
  std::string ProgressState() const;  // "12 of 340", or "40%" for a stage without a count

  CliAnswers answers_;
  std::FILE* err_;
  bool terminal_ = false;
  bool bar_shown_ = false;
  bool bar_drawn_ = false;
  int progress_ = 0;
  std::string status_;
  std::string voucher_date_;
  AutoMapper auto_mapper_;
  std::function<double()> clock_;
  // The stage the progress lines follow: its caption without the count, when it began, and
  // whether its latest state is still unprinted.
  std::string log_stage_;
  int64_t log_done_ = -1, log_total_ = -1;  // the record in hand and the stage's records
  int64_t log_first_done_ = -1;             // the record in hand at the stage's first caption
  int log_percent_ = 0;                     // the bar's highest value in the stage
  double log_started_ = 0, log_printed_ = 0;
  std::string log_printed_state_;
  bool log_pending_ = false;
};

// "yes"/"no" (any case) to a flag value; nothing for anything else.
std::optional<bool> YesNo(const std::string& text);

}  // namespace vodare::cli
