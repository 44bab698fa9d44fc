#pragma once
// What a front-end hands the run driver (the user's choices as the window or the command line
// holds them) and what it gets back.

#include <cstdint>
#include <string>

#include "common/error_entries.h"
#include "common/text.h"

namespace vodare {

// The names of the inputs, as a front-end knows its controls: a refused check names the one
// that should get the focus.
inline constexpr const char* kControlVuvodaPath = "txtVuvodaPath";
inline constexpr const char* kControlVuvodaDataPath = "txtVuvodaDataPath";
inline constexpr const char* kControlCompany = "cmbComp";
inline constexpr const char* kControlFinYear = "cmbFinYear";
inline constexpr const char* kControlFromDate = "dtpFromDate";
inline constexpr const char* kControlToDate = "dtpToDate";
inline constexpr const char* kControlVodoriDataPath = "txtVodoriDataPath";
inline constexpr const char* kControlMasters = "chkMasters";
inline constexpr const char* kControlVouchers = "chkVouchers";

struct RunInputs {
  std::string vuvoda_path;       // Vuvoda program folder, as typed (trimmed by the driver)
  std::string vuvoda_data_path;  // Vuvoda data folder, as typed
  // The chosen Vuvoda company; both empty when no company is selected.
  std::string company_code;
  std::string company_name;
  std::string fin_year_text;     // the financial year box's text, a four-digit starting year
  std::string vodori_data_path;  // the Vodori export folder, as typed
  Date from_date;                // first voucher date
  Date to_date;                  // last voucher date
  bool masters = false;
  bool vouchers = false;
  // A test run: every stage runs against a throw-away copy of the company, which is left as it was;
  // no usage report is sent.
  bool dry_run = false;

  bool CompanySelected() const { return !company_code.empty() || !company_name.empty(); }
};

enum class RunOutcome {
  kCompleted,  // the whole sequence ran and the error text is empty
  kPartial,    // the whole sequence ran and the error text holds entries
  kRefused,    // a check or the state question ended the run before anything was changed
  kFailed,     // an opening step or a failure ended the run early
  kStopped,    // the user stopped the run; the records before the stop were imported
};

struct RunResult {
  RunOutcome outcome = RunOutcome::kFailed;
  // The run's error text at its end (completed or partial), or the text of the message that
  // ended it (refused or failed).
  std::string error_text;
  // The run's error list as it stood at its end (its text is error_text after a completed or
  // partial run).
  ErrorList errors;
  // After a refused check: the control that should get the focus; empty otherwise.
  std::string focus_control;
  // The error list file written at the end of a run that left entries, whether or not the user
  // asked to see it.
  std::string error_list_path;
  // How many entries the error list holds.
  int64_t error_entries = 0;
  // The status of the end report ("Completed" / "Partial Completed"); set for a test run too,
  // which sends no report.
  std::string end_status;
  // The box the run ended with (completed, partial or stopped), as it was shown.
  std::string headline;
  std::string headline_caption;
  // The company beside the export after a run with vouchers (empty when it was not compared):
  // the one-line verdict, and whether everything agreed.
  std::string verdict;
  bool books_agree = false;
  bool dry_run = false;  // the run was a test run: the company was left as it was
};

const char* OutcomeName(RunOutcome outcome);
// The run's end in one line, as the command line prints it after "run: " ("completed",
// "completed with 3 entries in the error list", "stopped by the user", "refused", "failed").
std::string OutcomeLine(const RunResult& result);

}  // namespace vodare
