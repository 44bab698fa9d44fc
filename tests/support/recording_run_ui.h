#pragma once
// A RunUi for tests: answers questions from a script by caption (No when it has none) and
// records what the run showed, in order, as short lines ("message Alert!|...", "ask ...").

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "common/run_ui.h"

namespace vodare::testing {

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

class RecordingRunUi : public RunUi {
 public:
  // Queues an answer for the next question with this caption.
  void Answer(const std::string& caption, bool yes) { answers_[caption].push_back(yes); }
  // Pairs handed back by the mapping dialog (true = "Okay"); unset means "Quit".
  void MappingAnswer(GroupPairs pairs) {
    mapping_pairs_ = std::move(pairs);
    mapping_accepts_ = true;
  }
  // After this many ProcessEvents calls the user asks the run to stop (negative: never).
  void StopAfterEvents(int count) { stop_after_ = count; }

  void SetProgress(int value) override { progress_values.push_back(value); }
  void SetStatus(const std::string& caption) override { statuses.push_back(caption); }
  void SetVoucherDate(const std::string&) override {}
  void ProcessEvents() override { ++process_events_calls; }
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
    events.push_back("message " + caption + "|" + text);
  }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back(text);
    events.push_back("ask " + caption);
    std::deque<bool>& queue = answers_[caption];
    if (queue.empty()) return false;
    bool yes = queue.front();
    queue.pop_front();
    return yes;
  }
  void SetInputsEnabled(bool enabled) override {
    inputs_enabled = enabled;
    events.push_back(enabled ? "inputs on" : "inputs off");
  }
  void SetProgressVisible(bool shown) override {
    progress_visible = shown;
    events.push_back(shown ? "progress shown" : "progress hidden");
  }
  void SetRunLayout(bool running) override {
    run_layout = running;
    events.push_back(running ? "layout run" : "layout rest");
  }
  bool MapAccountGroups(const std::vector<std::string>& vodori_groups,
                        const std::vector<std::string>& vuvoda_groups, GroupPairs& pairs) override {
    events.push_back("mapping dialog");
    mapping_vodori_groups = vodori_groups;
    mapping_vuvoda_groups = vuvoda_groups;
    if (mapping_accepts_) pairs = mapping_pairs_;
    return mapping_accepts_;
  }
  bool StopRequested() const override {
    return stop_after_ >= 0 && process_events_calls >= stop_after_;
  }

  // Adds a line of the test's own (a stage hook saying it ran) to the same record.
  void Note(const std::string& line) { events.push_back(line); }
  // The recorded lines that start with the prefix, in order.
  std::vector<std::string> EventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : events)
      if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
  }
  // The whole record as lines, each message with its icon and each question with its text
  // (line breaks shown as \r \n), for a kept copy of a dialogue.
  std::string Dialogue() const {
    std::string out;
    size_t message = 0, question = 0;
    for (const std::string& e : events) {
      std::string line = e;
      if (e.rfind("message ", 0) == 0 && message < messages.size()) {
        const ShownMessage& m = messages[message++];
        line = "message " + m.caption + " (icon " + std::to_string(static_cast<int>(m.icon)) +
               ")|" + m.text;
      } else if (e.rfind("ask ", 0) == 0 && question < questions.size()) {
        line += "|" + questions[question++];
      }
      for (char c : line) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
      out += "\n";
    }
    return out;
  }

  std::vector<std::string> events;
  std::vector<ShownMessage> messages;
  std::vector<std::string> questions;  // the texts asked, in order
  std::vector<int> progress_values;
  std::vector<std::string> statuses;
  bool inputs_enabled = true;
  bool progress_visible = false;
  bool run_layout = false;
  int process_events_calls = 0;
  std::vector<std::string> mapping_vodori_groups;
  std::vector<std::string> mapping_vuvoda_groups;

 private:
  std::map<std::string, std::deque<bool>> answers_;
  GroupPairs mapping_pairs_;
  bool mapping_accepts_ = false;
  int stop_after_ = -1;
};

}  // namespace vodare::testing
