#pragma once
// The checks made on the user's choices before a run changes anything: at most one message is
// shown, and the control concerned is named so that the front-end can move the focus there.
// The choices that need neither the export nor the company opened are checked before either is
// opened, so that a wrong company, year or folder costs no opening and shows one plain message;
// the dates are checked against the company's financial year once it is connected.

#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// What the server says of the chosen company before anything is opened.
struct CompanyFacts {
  bool listed = false;             // the data folder holds a company of that code
  std::vector<std::string> years;  // its financial years (four-digit starting years)
};

// The first failing check of those made before the export and the company are opened: the
// program and data folders, the company (selected, held by the data folder, its folder there),
// the year (four characters, one of the company's), masters or vouchers chosen. The facts are asked
// for once the company is selected; without them (no way to ask, or the server could not be asked)
// the company's list and years are not checked, and the connection then says what is wrong.
using CompanyFactsSource = std::function<std::optional<CompanyFacts>()>;
std::optional<CheckFailure> CheckBeforeOpening(const RunInputs& inputs,
                                               const CompanyFactsSource& facts_of_company);
// The dates against the company's financial year, which runs from its current-year start to
// 31 March of the next year, and a range that does not run backwards.
std::optional<CheckFailure> CheckDates(const RunInputs& inputs, const CompanySettings& settings);

// Both, in that order: the first check that fails, or nothing when all pass.
std::optional<CheckFailure> CheckInputs(const RunInputs& inputs, const CompanySettings& settings);

// Runs the checks; a failure is shown through the ui and its control written to focus_control.
bool ValidateInputs(RunUi& ui, const RunInputs& inputs, const CompanySettings& settings,
                    std::string* focus_control);

// The failure shown when the financial year text does not give a year at all.
CheckFailure FinYearFailure();

// The failure shown when the export folder lacks tables the chosen stages read.
CheckFailure MissingTablesFailure(const std::string& folder,
                                  const std::vector<std::string>& missing);

}  // namespace vodare
