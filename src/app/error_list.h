#pragma once
// The error list file: the run's entries written one a line to a dated file in the user's
// temporary folder, and shown in the system's text editor. Beside the lists, one small note per
// company names the list of the last run into it, so that a later look at the company's books
// reads that run's list and never another company's.

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_entries.h"
#include "common/run_ui.h"

namespace vodare {

// The folder named by TEMP, else by TMPDIR, else the system's temporary folder.
std::string ErrorListFolder();
// "VodoriErrorList_" + YYYYMMDD_HHMMSS_mmm of the given local time and milliseconds + ".txt".
std::string ErrorListFileName(const std::tm& local_time, int milliseconds);

// The file's text: each entry's message as one line ended by CR LF, then one empty line (where
// the error text's last "_" leaves nothing after it). A "_" inside a message stays in its line.
std::string ErrorListFileText(const ErrorList& errors);

// Creates (or replaces) the file with that text. False with the reason when the file cannot be
// written. With exclusive set, a file that exists already is left alone and counts as a failure
// (EEXIST in the error number).
bool WriteErrorList(const ErrorList& errors, const std::string& path, std::string& why,
                    bool exclusive = false);

// Writes the error list for the current local time under a name no other list has (a counter
// follows the time when two runs end in the same millisecond). A file that cannot be written is
// reported through the ui. Returns the path written, or empty.
std::string SaveErrorList(const ErrorList& errors, RunUi& ui);

// Starts the system's text editor on the file without waiting for it: notepad on Windows, the
// desktop's default handler elsewhere. False with the reason when it cannot be started.
bool OpenInTextEditor(const std::string& path, std::string& why);

using ErrorListOpener = std::function<bool(const std::string& path, std::string& why)>;

// Opens a written error list; one that cannot be opened is reported through the ui.
void OpenErrorList(const std::string& path, RunUi& ui, const ErrorListOpener& open);

// Writes the error list and opens it. A file that cannot be written
// or opened is reported through the ui; the run goes on. Returns the path written, or empty.
std::string ShowErrorList(const ErrorList& errors, RunUi& ui,
                          const ErrorListOpener& open = OpenInTextEditor);

// Notes in the folder that the last run into the company (its identity as the server gives it)
// left the error list at list_path (empty: it left none). False when the note cannot be written.
bool RecordLastRun(const std::string& folder, const std::string& company_identity,
                   const std::string& list_path);
// The error list the last run into the company left: nothing when no run is noted; an empty
// path when that run left no list (or the list is gone).
std::optional<std::string> LastRunErrorList(const std::string& folder,
                                            const std::string& company_identity);

}  // namespace vodare
