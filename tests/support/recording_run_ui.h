#pragma once
// A RunUi for tests: records every message box, question, progress value and caption, and
// answers questions (and the group mapping dialog) from a script.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/run_ui.h"

namespace vodare::testing {

class RecordingRunUi : public RunUi {
 public:
  struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::kNone;
  };
  struct Question {
    std::string text;
    std::string caption;
    bool answer = false;
  };

  // Queues the answers of the next questions, in order; once used up, default_answer applies.
  void AnswerNext(bool yes) { answers_.push_back(yes); }
  bool default_answer = false;
  // What the mapping dialog hands back; nullopt: the user quits it.
  std::optional<GroupPairs> mapping_answer;
  // Set to make StopRequested() true (after `stop_after_events` ProcessEvents calls when >= 0).
  bool stop = false;
  int stop_after_events = -1;

  std::vector<Message> messages;
  std::vector<Question> questions;
  std::vector<int> progress;
  std::vector<std::string> statuses;
  std::vector<std::string> voucher_dates;
  std::vector<bool> inputs_enabled;
  int process_events = 0;
  int mapping_dialogs = 0;

  // Messages shown with this caption (all when empty).
  std::vector<Message> MessagesWithCaption(const std::string& caption) const;
  // The texts of all messages, in order.
  std::vector<std::string> MessageTexts() const;
  void Clear();

  void SetProgress(int value) override;
  void SetStatus(const std::string& caption) override;
  void SetVoucherDate(const std::string& text) override;
  void ProcessEvents() override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void SetInputsEnabled(bool enabled) override;
  bool MapAccountGroups(const std::vector<std::string>& vodori_groups,
                        const std::vector<std::string>& vuvoda_groups, GroupPairs& pairs) override;
  bool StopRequested() const override;

 private:
  std::deque<bool> answers_;
};

}  // namespace vodare::testing
