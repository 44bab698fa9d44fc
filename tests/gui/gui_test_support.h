#pragma once
// What the window and dialog tests share: one QApplication on the offscreen platform, and a
// message hook that records every box and answers questions from a script.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTableWidget>
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
      auto& queue = answers[r.caption];
      if (!r.question || queue.empty()) return false;
      bool yes = queue.front();
      queue.pop_front();
      return yes;
    };
  }
  // Each box's caption, or "caption|text".
  std::vector<std::string> Captions(bool with_text = false) const {
    std::vector<std::string> c;
    for (const auto& r : shown) c.push_back(with_text ? r.caption + "|" + r.text : r.caption);
    return c;
  }
};

// Every named widget of the form's own window, in the order made, one line each: its class, place
// and size (unless left out: a dialog's are laid out by the fonts), whether it shows and takes
// input, and what it shows; the folder `root` reads <root>.
inline std::string FormText(const QWidget& form, const std::string& root = "",
                            bool geometry = true) {
  std::string out = form.objectName().toStdString() + " '" + form.windowTitle().toStdString() +
                    "' " + std::to_string(form.width()) + "x" + std::to_string(form.height()) +
                    "\n";
  for (const QWidget* w : form.findChildren<QWidget*>()) {
    if (w->objectName().isEmpty() || w->objectName().startsWith("qt_") || w->window() != &form)
      continue;
    const QRect g = w->geometry();
    std::string shows;
    if (auto* e = qobject_cast<const QLineEdit*>(w)) shows = e->text().toStdString();
    if (auto* l = qobject_cast<const QLabel*>(w)) shows = l->text().toStdString();
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
      shows = b->text().toStdString() + (b->isChecked() ? " [x]" : "") +
              (b->icon().isNull() ? "" : " (icon)");
    if (auto* d = qobject_cast<const QDateEdit*>(w)) shows = d->text().trimmed().toStdString();
    if (auto* c = qobject_cast<const QComboBox*>(w))
      for (int i = 0; i < c->count(); ++i)
        shows += (i == c->currentIndex() ? "*" : "") + c->itemText(i).toStdString() + ";";
    if (auto* list = qobject_cast<const QListWidget*>(w))
      for (int i = 0; i < list->count(); ++i) shows += list->item(i)->text().toStdString() + ";";
    if (auto* t = qobject_cast<const QTableWidget*>(w))
      for (int c = 0; c < t->columnCount(); ++c) {
        const QTableWidgetItem* h = t->horizontalHeaderItem(c);
        shows += "\n    " + h->text().toStdString() + " (" + h->toolTip().toStdString() + "):";
        for (int r = 0; r < t->rowCount(); ++r) shows += " " + t->item(r, c)->text().toStdString();
      }
    if (auto* p = qobject_cast<const QProgressBar*>(w)) shows = std::to_string(p->value());
    out += "  " + w->objectName().toStdString() + " " + w->metaObject()->className() +
           (geometry ? " " + std::to_string(g.x()) + "," + std::to_string(g.y()) + " " +
                           std::to_string(g.width()) + "x" + std::to_string(g.height())
                     : "") +
           (w->isVisible() ? "" : " hidden") + (w->isEnabled() ? "" : " disabled") + " '" + shows +
           "'\n";
  }
  if (!root.empty())
    for (size_t at; (at = out.find(root)) != std::string::npos;)
      out.replace(at, root.size(), "<root>");
  return out;
}

}  // namespace vodare::testing
