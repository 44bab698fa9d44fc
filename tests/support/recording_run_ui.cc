#include "support/recording_run_ui.h"

namespace vodare::testing {

std::vector<RecordingRunUi::Message> RecordingRunUi::MessagesWithCaption(
    const std::string& caption) const {
  std::vector<Message> out;
  for (const Message& m : messages)
    if (caption.empty() || m.caption == caption) out.push_back(m);
  return out;
}

std::vector<std::string> RecordingRunUi::MessageTexts() const {
  std::vector<std::string> out;
  for (const Message& m : messages) out.push_back(m.text);
  return out;
}

void RecordingRunUi::Clear() {
  messages.clear();
  questions.clear();
  progress.clear();
  statuses.clear();
  voucher_dates.clear();
  inputs_enabled.clear();
  process_events = 0;
  mapping_dialogs = 0;
}

void RecordingRunUi::SetProgress(int value) { progress.push_back(value); }
void RecordingRunUi::SetStatus(const std::string& caption) { statuses.push_back(caption); }
void RecordingRunUi::SetVoucherDate(const std::string& text) { voucher_dates.push_back(text); }
void RecordingRunUi::ProcessEvents() { ++process_events; }

void RecordingRunUi::ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon) {
  messages.push_back({text, caption, icon});
}

bool RecordingRunUi::AskYesNo(const std::string& text, const std::string& caption) {
  bool answer = default_answer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  questions.push_back({text, caption, answer});
  return answer;
}

void RecordingRunUi::SetInputsEnabled(bool enabled) { inputs_enabled.push_back(enabled); }

bool RecordingRunUi::MapAccountGroups(const std::vector<std::string>&,
                                      const std::vector<std::string>&, GroupPairs& pairs) {
  ++mapping_dialogs;
  if (!mapping_answer) return false;
  pairs = *mapping_answer;
  return true;
}

bool RecordingRunUi::StopRequested() const {
  return stop || (stop_after_events >= 0 && process_events >= stop_after_events);
}

}  // namespace vodare::testing
