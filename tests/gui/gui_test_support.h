#pragma once
// What the window and dialog tests share: one QApplication on the offscreen platform, and a
// message hook that records every box and answers questions from a script.

#include <QApplication>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "gui/message_boxes.h"

namespace vodare::testing {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

struct ScriptedBoxes {
  std::vector<gui::MessageRequest> shown;           // every box, in order
  std::map<std::string, std::deque<bool>> answers;  // by caption; No once they run out

  gui::MessageHook Hook() {
    return [this](const gui::MessageRequest& r) {
      shown.push_back(r);
      if (!r.question) return false;
      auto& queue = answers[r.caption];
      if (queue.empty()) return false;
      bool yes = queue.front();
      queue.pop_front();
      return yes;
    };
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> c;
    for (const auto& r : shown) c.push_back(r.caption);
    return c;
  }
};

}  // namespace vodare::testing
