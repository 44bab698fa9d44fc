#pragma once
// The command line's side of a run's dialogue: questions are answered from the flags (a question
// without its flag is answered No, and said), messages go to stderr, and a progress bar with the
// status caption is drawn on stderr when stderr is a terminal.

#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/run_ui.h"

namespace vodare::cli {

struct CliAnswers {
  std::optional<bool> same_state;   // --same-state yes|no
  std::optional<bool> batch_stock;  // --batch-stock yes|no
  std::optional<bool> alt_units;    // --alt-units yes|no
  std::optional<bool> map_groups;   // --map-groups auto (true) | none (false)
};

// Pairs Vodori groups with Vuvoda groups without a window (the automatic matcher).
using AutoMapper = std::function<GroupPairs(const std::vector<std::string>& vodori_groups,
                                            const std::vector<std::string>& vuvoda_groups)>;

class CliRunUi : public RunUi {
 public:
  CliRunUi(CliAnswers answers, std::FILE* err = stderr);
  ~CliRunUi() override;

  void SetAutoMapper(AutoMapper mapper) { auto_mapper_ = std::move(mapper); }

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

  CliAnswers answers_;
  std::FILE* err_;
  bool terminal_ = false;
  bool bar_shown_ = false;
  bool bar_drawn_ = false;
  int progress_ = 0;
  std::string status_;
  std::string voucher_date_;
  AutoMapper auto_mapper_;
};

// "yes"/"no" (any case) to a flag value; nothing for anything else.
std::optional<bool> YesNo(const std::string& text);

}  // namespace vodare::cli
