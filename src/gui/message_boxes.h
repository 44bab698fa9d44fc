#pragma once
// The window's modal message boxes go through one hook, so that a test (or another front-end
// built on these forms) can answer them without a person at the screen.

#include <QString>
#include <functional>
#include <string>

#include "common/run_ui.h"

class QWidget;

namespace vodare::gui {

struct MessageRequest {
  QWidget* parent = nullptr;
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::kNone;
  bool question = false;  // Yes/No with the question icon; otherwise OK only
  std::string details;    // shown behind the box's "Show Details..." button when not empty
};

// Shows the box; for a question, true for Yes. For a message the result is not used.
using MessageHook = std::function<bool(const MessageRequest&)>;

// The real modal QMessageBox.
bool ShowMessageBox(const MessageRequest& request);

// The folder picker: the folder chosen, or an empty text when the user cancels.
using FolderHook = std::function<QString(QWidget* parent, const QString& start_folder)>;

// The platform's folder dialog, titled "Select Folder", opened at the start folder.
QString PickFolder(QWidget* parent, const QString& start_folder);

}  // namespace vodare::gui
