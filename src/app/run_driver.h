#pragma once
// The conversion run, from the press of "Import Data" to the end: it checks the choices that need
// nothing opened, opens the export and checks its tables, connects to the company, checks the
// dates, asks the state question, reports the start, prepares the company, offers the group
// mapping, calls the master and voucher stages in their fixed order, holds the company beside
// the export, reports the end, writes the error list, says how the run ended and offers the
// list. A test run does all of it on a throw-away copy of the company and reports nothing.
// Every message goes through the context's RunUi; nothing escapes the run, and whatever ends it
// leaves the inputs enabled and the window at rest.

#include <cstdint>
#include <optional>
#include <string>

#include "app/run_inputs.h"
#include "app/run_stages.h"
#include "app/validate_inputs.h"
#include "context/run_context.h"

namespace vodare {

inline constexpr const char* kAppName = "Vodare";
inline constexpr const char* kModuleName = "Data Conversion";
inline constexpr const char* kStatusInProcess = "InProcess";
inline constexpr const char* kStatusCompleted = "Completed";
inline constexpr const char* kStatusPartial = "Partial Completed";

extern const char* const kStateConfirmationText;
extern const char* const kStateRefusedText;
extern const char* const kMappingQuestion;
extern const char* const kErrorListQuestion;
// Said when the user answers No to the export check's question.
inline constexpr const char* kExportNotAccepted =
    "The run was not started: the export check's findings were not accepted. Nothing was "
    "converted.";

// Runs the whole sequence with the given steps (DefaultRunStages() for the program's own).
RunResult RunConversion(RunContext& ctx, const RunInputs& inputs, const RunStages& stages);

// The box a run that went through its stages ends with: "Success" and the run's own success
// text when the error list is empty; otherwise "Alert!" and how many entries it holds, or that
// the user stopped it. A test run says so and that the company was left as it was; the verdict,
// when there is one, is the last line.
struct Headline {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::kInformation;
};
Headline RunHeadline(bool masters, bool vouchers, int64_t error_entries, bool stopped, bool dry_run,
                     const std::string& verdict);

// The entries of an error list that say something (a blank one is no entry to the user).
int64_t CountErrorEntries(const ErrorList& errors);

// The financial year box's text as a 16-bit year, or nothing when it is not a number in range.
std::optional<int16_t> FinYearNumber(const std::string& text);

void DisableInputs(RunUi& ui);
void EnableInputs(RunUi& ui);
// Releases the run's keyed collections so that the next run builds them afresh.
void ReleaseNameCaches(RunContext& ctx);

}  // namespace vodare
