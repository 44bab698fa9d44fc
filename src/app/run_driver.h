#pragma once
// The conversion run, from the press of "Import Data" to the end: it opens the export, connects
// to the company, checks the choices, asks the state question, reports the start, prepares the
// company, offers the group mapping, calls the master and voucher stages in their fixed order,
// reports the end and offers the error list. Every message goes through the context's RunUi;
// nothing escapes the run, and whatever ends it leaves the inputs enabled and the window at rest.

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

// Runs the whole sequence with the given steps (DefaultRunStages() for the program's own).
RunResult RunConversion(RunContext& ctx, const RunInputs& inputs, const RunStages& stages);

// The financial year box's text as a 16-bit year, or nothing when it is not a number in range.
std::optional<int16_t> FinYearNumber(const std::string& text);

void DisableInputs(RunUi& ui);
void EnableInputs(RunUi& ui);
// Releases the run's keyed collections so that the next run builds them afresh.
void ReleaseNameCaches(RunContext& ctx);

}  // namespace vodare
