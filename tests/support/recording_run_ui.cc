#include "support/recording_run_ui.h"

namespace vodare::testing {

void RecordingRunUi::SetProgress(int value) { progress_values.push_back(value); }

void RecordingRunUi::SetStatus(const std::string& caption) { statuses.push_back(caption); }

void RecordingRunUi::SetVoucherDate(const std::string&) {}

void RecordingRunUi::ProcessEvents() { ++process_events_calls; }

void RecordingRunUi::ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon) {
  messages.push_back({text, caption, icon});
  events.push_back("message " + caption + "|" + text);
}

bool RecordingRunUi::AskYesNo(const std::string& text, const std::string& caption) {
  questions.push_back(text);
  events.push_back("ask " + caption);
  auto it = answers_.find(caption);
  if (it == answers_.end() || it->second.empty()) return false;
  bool yes = it->second.front();
  it->second.pop_front();
  return yes;
}

void RecordingRunUi::SetInputsEnabled(bool enabled) {
  inputs_enabled = enabled;
  events.push_back(enabled ? "inputs on" : "inputs off");
}

void RecordingRunUi::SetProgressVisible(bool shown) {
  progress_visible = shown;
  events.push_back(shown ? "progress shown" : "progress hidden");
}

void RecordingRunUi::SetRunLayout(bool running) {
  run_layout = running;
  events.push_back(running ? "layout run" : "layout rest");
}

bool RecordingRunUi::MapAccountGroups(const std::vector<std::string>& vodori_groups,
                                      const std::vector<std::string>& vuvoda_groups,
                                      GroupPairs& pairs) {
  events.push_back("mapping dialog");
  mapping_vodori_groups = vodori_groups;
  mapping_vuvoda_groups = vuvoda_groups;
  if (!mapping_accepts_) return false;
  pairs = mapping_pairs_;
  return true;
}

bool RecordingRunUi::StopRequested() const {
  return stop_after_ >= 0 && process_events_calls >= stop_after_;
}

std::vector<std::string> RecordingRunUi::EventsStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& e : events)
    if (e.rfind(prefix, 0) == 0) out.push_back(e);
  return out;
}

std::string RecordingRunUi::Dialogue() const {
  auto shown = [](const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return out;
  };
  std::string out;
  size_t message = 0, question = 0;
  for (const std::string& e : events) {
    if (e.rfind("message ", 0) == 0 && message < messages.size()) {
      const ShownMessage& m = messages[message++];
      out += "message " + m.caption + " (icon " + std::to_string(static_cast<int>(m.icon)) + ")|" +
             shown(m.text) + "\n";
    } else if (e.rfind("ask ", 0) == 0 && question < questions.size()) {
      out += e + "|" + shown(questions[question++]) + "\n";
    } else {
      out += shown(e) + "\n";
    }
  }
  return out;
}

}  // namespace vodare::testing
