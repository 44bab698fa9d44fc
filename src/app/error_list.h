#pragma once
// The error list: the run's error text written one entry a line to a dated file in the user's
// temporary folder, and shown in the system's text editor.

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_ui.h"

namespace vodare {

// The entries of an error text: it is split at every "_", so the text after the last "_"
// (normally empty) is an entry too.
std::vector<std::string> SplitErrorEntries(std::string_view error_text);

// The folder named by TEMP, else by TMPDIR, else the system's temporary folder.
std::string ErrorListFolder();
// "VodoriErrorList_" + YYYYMMDD_HHMMSS of the given local time + ".txt".
std::string ErrorListFileName(const std::tm& local_time);

// Creates (or replaces) the file and writes each entry as one line ended by CR LF. False with
// the reason when the file cannot be written.
bool WriteErrorList(std::string_view error_text, const std::string& path, std::string& why);

// Starts the system's text editor on the file without waiting for it: notepad on Windows, the
// desktop's default handler elsewhere. False with the reason when it cannot be started.
bool OpenInTextEditor(const std::string& path, std::string& why);

using ErrorListOpener = std::function<bool(const std::string& path, std::string& why)>;

// Writes the error list for the current local time and opens it. A file that cannot be written
// or opened is reported through the ui; the run goes on. Returns the path written, or empty.
std::string ShowErrorList(std::string_view error_text, RunUi& ui,
                          const ErrorListOpener& open = OpenInTextEditor);

}  // namespace vodare
