#pragma once
// The steps the run driver calls in their places: opening the export, connecting to the
// company, configuring it, the mapping dialog, the master and voucher stages, the status report
// and the opening of the error list. Each is a hook, so that a front-end (or a test) can run the
// driver over any set of them; an empty hook does nothing. DefaultRunStages() fills every hook
// with the program's own procedure.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/validate_inputs.h"
#include "common/error_entries.h"
#include "common/text.h"
#include "destination/company_settings.h"

namespace vodare {

struct RunContext;

// The texts a stage is handed: the two Vuvoda folders of the run and, for the voucher stages,
// the date range in the system's short date form.
struct StageArgs {
  std::string vuvoda_path;
  std::string vuvoda_data_path;
  std::string from_text;
  std::string to_text;
};

// A throw-away copy of the company for a test run: a data folder of its own that holds the
// company under its code, and what removes it again.
struct TestCopy {
  std::string data_folder;
  std::function<void()> remove;
};

// The company beside the export after a run: the one-line verdict and whether all agreed.
struct RunVerdict {
  std::string text;
  bool agrees = false;
};

struct RunStages {
  using Stage = std::function<void(RunContext&, const StageArgs&)>;

  // What the server says of the company before anything is opened (is it in the data folder,
  // which years has it); nothing when the server cannot be asked.
  std::function<std::optional<CompanyFacts>(RunContext&, const std::string& data_folder,
                                            const std::string& company_code)>
      LookUpCompany;

  // Opens the export folder as the run's database and builds its indexes; false with an entry
  // in errors when it does not open.
  std::function<bool(RunContext&, const std::string& folder, ErrorList& errors)> OpenSourceDb;
  // Creates the server objects and opens the company and year; false with the reason in errors.
  std::function<bool(RunContext&, const std::string& program_folder, const std::string& data_folder,
                     const std::string& company_code, int16_t year, ErrorList& errors)>
      ConnectDestination;
  std::function<CompanySettings(RunContext&)> ReadCompanySettings;
  // Creates the voucher series and sets the feature switches. Throws RunTimeError when an
  // error ends the step; the run then ends with that description.
  std::function<void(RunContext&, int16_t masters_value)> ConfigureDestination;
  // The account group mapping dialog: fills the context's GroupMapping when the user accepts.
  std::function<void(RunContext&)> MapAccountGroups;

  Stage ImportItems;
  Stage ImportMaterialCentres;
  Stage ImportAccountGroups;
  Stage ImportLedgers;
  Stage ImportTaxTypes;
  Stage ImportInventoryVouchers;
  Stage ImportAccountingVouchers;

  // The usage report: true when accepted; otherwise false with the reason in error_out.
  std::function<bool(const std::string& app_name, const std::string& module_name,
                     const std::string& status, std::string& error_out,
                     const std::string& identity)>
      ReportRunStatus;
  // Shows a written error list to the user; false with the reason when it cannot.
  std::function<bool(const std::string& path, std::string& why)> OpenErrorList;

  // Copies the company into a temporary data folder for a test run; nothing, with the reason
  // in why, when it cannot. An empty hook makes every test run refused.
  std::function<std::optional<TestCopy>(RunContext&, const std::string& data_folder,
                                        const std::string& company_code, std::string& why)>
      MakeTestCopy;
  // Holds the export's vouchers of the range beside the company's after a run, with the run's
  // error list. Throws when either cannot be read.
  std::function<RunVerdict(const std::string& export_folder, const std::string& data_folder,
                           const std::string& company_code, const Date& from, const Date& to,
                           const ErrorList& errors)>
      ReconcileRun;
};

// Every hook filled with the program's own procedure (stages whose layer is not built yet are
// left empty, which the driver treats as a stage with nothing to do).
RunStages DefaultRunStages();

}  // namespace vodare
