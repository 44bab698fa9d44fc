#pragma once
// The checks made on the user's choices before a run changes anything: at most one message is
// shown, and the control concerned is named so that the front-end can move the focus there.

#include <optional>
#include <string>

#include "app/run_inputs.h"
#include "common/run_ui.h"
#include "destination/company_settings.h"

namespace vodare {

struct CheckFailure {
  std::string message;
  std::string caption;
  MessageIcon icon = MessageIcon::kExclamation;
  std::string focus_control;
};

// The first check that fails, in the order of the checks, or nothing when all pass. The
// financial year runs from the company's current-year start to 31 March of the next year.
std::optional<CheckFailure> CheckInputs(const RunInputs& inputs, const CompanySettings& settings);

// Runs the checks; a failure is shown through the ui and its control written to focus_control.
bool ValidateInputs(RunUi& ui, const RunInputs& inputs, const CompanySettings& settings,
                    std::string* focus_control);

// The failure shown when the financial year text does not give a year at all.
CheckFailure FinYearFailure();

}  // namespace vodare
