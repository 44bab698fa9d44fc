#pragma once
// The error list file: the run's entries written one a line to a dated file in the user's
// temporary folder, and shown in the system's text editor.

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_entries.h"
#include "common/run_ui.h"

namespace vodare {

// The folder named by TEMP, else by TMPDIR, else the system's temporary folder.
std::string ErrorListFolder();
// "VodoriErrorList_" + YYYYMMDD_HHMMSS of the given local time + ".txt".
std::string ErrorListFileName(const std::tm& local_time);

// The file's text: each entry's message as one line ended by CR LF, then one empty line (where
// the error text's last "_" leaves nothing after it). A "_" inside a message stays in its line.
std::string ErrorListFileText(const ErrorList& errors);

// Creates (or replaces) the file with that text. False with the reason when the file cannot be
// written.
bool WriteErrorList(const ErrorList& errors, const std::string& path, std::string& why);

// Starts the system's text editor on the file without waiting for it: notepad on Windows, the
// desktop's default handler elsewhere. False with the reason when it cannot be started.
bool OpenInTextEditor(const std::string& path, std::string& why);

using ErrorListOpener = std::function<bool(const std::string& path, std::string& why)>;

// Writes the error list for the current local time and opens it. A file that cannot be written
// or opened is reported through the ui; the run goes on. Returns the path written, or empty.
std::string ShowErrorList(const ErrorList& errors, RunUi& ui,
                          const ErrorListOpener& open = OpenInTextEditor);

}  // namespace vodare
