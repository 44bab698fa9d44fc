#include "support/recording_run_ui.h"

namespace vodare::testing {

bool RecordingRunUi::AskYesNo(const std::string& text, const std::string& caption) {
  questions.push_back(text);
  events.push_back("ask " + caption);
  auto it = answers_.find(caption);
  if (it == answers_.end() || it->second.empty()) return false;
  bool yes = it->second.front();
  it->second.pop_front();
  return yes;
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
