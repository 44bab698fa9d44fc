#include "app/run_driver.h"

#include <cmath>
#include <exception>
#include <functional>

#include "app/error_list.h"
#include "app/export_check.h"
#include "app/export_tables.h"
#include "common/helpers.h"
#include "common/run_error.h"
#include "common/text.h"

namespace vodare {

const char* const kStateConfirmationText =
    "Kindly confirm the following:\r\n\r\n"
    "The state of the company in Vuvoda is the same as the state of the company in Vodori."
    "\r\n\r\nClick 'Yes' to confirm or 'No' to cancel.";
const char* const kStateRefusedText =
    "Kindly select the same state in Vuvoda Company as that in the Vodori Company";
const char* const kMappingQuestion = "Would you like to map account groups?";
const char* const kErrorListQuestion =
    "There were some errors while importing the data.\r\nDo you want to view the error log file?";

namespace {

constexpr const char* kStoppedEntry = "The run was stopped before its end.";
// The stages the driver's own entries are filed under.
constexpr const char* kRunStage = "Run";
constexpr const char* kUsageReportStage = "Usage report";
// The reason recorded when the end report is refused without one.
constexpr const char* kReportRefused = "The usage report was not accepted.";
constexpr const char* kComparingStatus = "Holding the company beside the export..";

// Entries as a message box shows them: one a line, without the separators.
std::string PlainText(const ErrorList& errors) {
  std::string out;
  for (const ErrorEntry& entry : errors.entries()) {
    if (IsBlank(entry.message)) continue;
    out += (out.empty() ? "" : "\r\n") + entry.message;
  }
  return out;
}

// "the masters", "the vouchers" or both.
std::string WhatWasChosen(bool masters, bool vouchers) {
  if (masters && vouchers) return "the masters and the vouchers";
  return masters ? "the masters" : "the vouchers";
}

std::string EntriesText(int64_t n) {
  return LongToText(n) + (n == 1 ? " entry" : " entries") + " in the error list";
}

// One run: the state of the window it has changed, so that any way out puts it back at rest.
class Run {
 public:
  Run(RunContext& ctx, const RunInputs& inputs, const RunStages& stages)
      : ctx_(ctx), ui_(ctx.ui), inputs_(inputs), stages_(stages) {}

  RunResult Go() {
    try {
      Sequence();
    } catch (const std::exception& e) {
      Fail(e.what());
    } catch (...) {
      Fail("An unexpected failure ended the run.");
    }
    DropTestCopy();
    result_.dry_run = inputs_.dry_run;
    return result_;
  }

 private:
  void Sequence() {
    // 1. The run's values.
    ctx_.errors.Clear();
    ctx_.summary.Clear();
    std::string identity;
    const std::string program = Trim(inputs_.vuvoda_path);
    const std::string data = Trim(inputs_.vuvoda_data_path);
    const std::string code = inputs_.company_code;
    const std::string export_folder = Trim(inputs_.vodori_data_path);
    std::optional<int16_t> year = FinYearNumber(inputs_.fin_year_text);
    if (!year) {
      // No year chosen (or a text that is no year): refused as the year check refuses it.
      Refuse(FinYearFailure());
      return;
    }
    // What can be checked with nothing opened is checked first: a wrong folder, company or year
    // costs no opening of the export and shows one plain message, however often it is tried.
    auto facts = [&]() -> std::optional<CompanyFacts> {
      if (!stages_.LookUpCompany) return std::nullopt;
      try {
        return stages_.LookUpCompany(ctx_, data, code);
      } catch (const std::exception&) {
        return std::nullopt;
      }
    };
    if (auto failure = CheckBeforeOpening(inputs_, facts)) {
      Refuse(*failure);
      return;
    }

    // 2. The export, and the tables the chosen stages read. What the opening noted on the way
    // (indexes a former opening made) is not the user's business unless the opening failed.
    std::vector<std::string> missing =
        MissingExportTableFiles(export_folder, inputs_.masters, inputs_.vouchers);
    if (!missing.empty()) {
      Refuse(MissingTablesFailure(export_folder, missing));
      return;
    }
    ErrorList opening;
    if (stages_.OpenSourceDb && !stages_.OpenSourceDb(ctx_, export_folder, opening)) {
      Fail(PlainText(opening));
      return;
    }
    std::vector<ExportFinding> findings;
    if (ctx_.source) {
      missing = MissingExportTables(*ctx_.source, inputs_.masters, inputs_.vouchers);
      if (!missing.empty()) {
        Refuse(MissingTablesFailure(export_folder, missing));
        return;
      }
      // The export check: nothing is booked from a table that cannot be trusted whole, and
      // what may be accepted is put to the user once, before the company is touched.
      findings = CheckExport(*ctx_.source, inputs_.masters, inputs_.vouchers);
      if (HasErrors(findings)) {
        RefuseExport(findings);
        return;
      }
      if (!findings.empty() && !ui_.AskYesNo(ExportCheckQuestion(findings), kExportCheckCaption)) {
        result_.outcome = RunOutcome::kRefused;
        result_.error_text = kExportNotAccepted;
        ui_.ShowMessage(kExportNotAccepted, kExportCheckCaption, MessageIcon::kInformation);
        return;
      }
    }
    // A test run works on a copy of the company from here on.
    std::string run_data = data;
    if (inputs_.dry_run) {
      if (!MakeTestCopy(data, code)) return;
      run_data = test_copy_->data_folder;
    }
    // 3. The company.
    if (!Connect(program, run_data, code, *year)) return;
    // 4. Its settings.
    if (stages_.ReadCompanySettings) ctx_.settings = stages_.ReadCompanySettings(ctx_);
    // 5. The dates against the company's financial year.
    if (auto failure = CheckDates(inputs_, ctx_.settings)) {
      Refuse(*failure);
      return;
    }
    // 6. The state question.
    if (!ui_.AskYesNo(kStateConfirmationText, "State Confirmation")) {
      ui_.ShowMessage(kStateRefusedText, "Error", MessageIcon::kExclamation);
      result_.outcome = RunOutcome::kRefused;
      result_.error_text = kStateRefusedText;
      return;
    }
    // 7. From here on the inputs stay disabled until the run ends.
    DisableInputs(ui_);
    ui_.SetProgress(0);
    ui_.SetProgressVisible(true);
    ui_.SetStatus("");
    progress_shown_ = true;
    // 8. The company's identity for the reports.
    std::string guid;
    try {
      if (!ctx_.destination.FixedApi1) throw RunTimeError(kObjectNotSet, 91);
      guid = ctx_.destination.FixedApi1->GetCompGUID();
    } catch (const std::exception& e) {
      Fail(std::string("The company's identity could not be read: ") + e.what());
      return;
    }
    identity = guid + "_" + LongToText(*year);
    // 9. The start report (none for a test run); whatever the opening steps and the report left
    // in the error text is not part of the run's errors.
    const bool report = stages_.ReportRunStatus && !inputs_.dry_run;
    if (report) {
      std::string report_text = ctx_.errors.Text();
      stages_.ReportRunStatus(kAppName, kModuleName, kStatusInProcess, report_text, identity);
    }
    ctx_.errors.Clear();
    // 10. The run layout.
    ui_.SetRunLayout(true);
    run_layout_ = true;
    // 11. The company's series and switches.
    if (stages_.ConfigureDestination) {
      try {
        stages_.ConfigureDestination(ctx_, inputs_.masters ? 1 : 0);
      } catch (const std::exception& e) {
        Fail(e.what());
        return;
      }
    }
    // 12. Connect again, so that the server sees the new configuration.
    if (!Connect(program, run_data, code, *year)) return;
    // 13. The group mapping.
    if (inputs_.masters && ui_.AskYesNo(kMappingQuestion, "Mapping Confirmation")) {
      if (stages_.MapAccountGroups) stages_.MapAccountGroups(ctx_);
    }
    // What the user accepted of the export check belongs to the run's errors (the connection
    // and configuration keep notes of their own in the list until here).
    AddFindings(ctx_.errors, findings);
    // 14. The stages.
    StageArgs args{program, run_data, "", ""};
    if (inputs_.masters && !inputs_.vouchers) {
      RunMasters(args);
    } else if (!inputs_.masters && inputs_.vouchers) {
      RunStage(stages_.ImportTaxTypes, args, "tax types");
      RunVouchers(args);
    } else if (inputs_.masters && inputs_.vouchers) {
      RunMasters(args);
      RunVouchers(args);
    }
    if (stopped_) {
      std::string entry = kStoppedEntry;
      if (!stopped_in_.empty())
        entry += " It stopped in the " + stopped_in_ +
                 " after the record in hand; the records after it were not imported.";
      ctx_.errors.Add(kRunStage, "", std::move(entry));
    } else {
      // Each master stage read as many records as its table holds, or the difference is said.
      if (ctx_.source)
        for (std::string& line : CountDifferences(*ctx_.source, ctx_.summary))
          ctx_.errors.Add(kExportCheckStage, "", std::move(line));
    }
    if (!stopped_ && inputs_.vouchers && stages_.ReconcileRun) {
      // The books beside the export, while the company the run wrote into is still there.
      ui_.SetStatus(kComparingStatus);
      ui_.ProcessEvents();
      try {
        RunVerdict verdict = stages_.ReconcileRun(export_folder, run_data, code, inputs_.from_date,
                                                  inputs_.to_date, ctx_.errors);
        result_.verdict = verdict.text;
        result_.books_agree = verdict.agrees;
      } catch (const std::exception& e) {
        result_.verdict =
            std::string("The company could not be held beside the export: ") + e.what();
      }
    }
    // 15. The window at rest again.
    Rest();
    // 16. The end report. A refused or failed report adds its reason to the run's errors; it
    // never replaces them.
    result_.end_status = ctx_.errors.Blank() ? kStatusCompleted : kStatusPartial;
    if (report) {
      std::string reason;
      if (!stages_.ReportRunStatus(kAppName, kModuleName, result_.end_status, reason, identity)) {
        if (IsBlank(reason)) reason = kReportRefused;
        ctx_.errors.Add(kUsageReportStage, "", reason);
      }
    }
    // 17. The error list, written whether or not the user looks at it, and noted as the list of
    // the last run into this company (a test run's list concerns a copy, not the company).
    result_.error_entries = CountErrorEntries(ctx_.errors);
    if (result_.error_entries > 0) result_.error_list_path = SaveErrorList(ctx_.errors, ui_);
    if (!inputs_.dry_run) RecordLastRun(ErrorListFolder(), guid, result_.error_list_path);
    // How the run ended, in words that match the list.
    Headline headline = RunHeadline(inputs_.masters, inputs_.vouchers, result_.error_entries,
                                    stopped_, inputs_.dry_run, result_.verdict);
    result_.headline = headline.text;
    result_.headline_caption = headline.caption;
    ui_.ShowMessage(headline.text, headline.caption, headline.icon);
    if (!result_.error_list_path.empty() && ui_.AskYesNo(kErrorListQuestion, "Confirmation"))
      OpenErrorList(result_.error_list_path, ui_, stages_.OpenErrorList);
    // 18.
    EnableInputs(ui_);
    ReleaseNameCaches(ctx_);
    result_.error_text = ctx_.errors.Text();
    result_.errors = ctx_.errors;
    if (stopped_)
      result_.outcome = RunOutcome::kStopped;
    else
      result_.outcome = result_.error_entries == 0 ? RunOutcome::kCompleted : RunOutcome::kPartial;
  }

  bool MakeTestCopy(const std::string& data, const std::string& code) {
    std::string why;
    std::optional<TestCopy> copy;
    if (!stages_.MakeTestCopy) {
      why = "this installation offers no copy of a company";
    } else {
      try {
        copy = stages_.MakeTestCopy(ctx_, data, code, why);
      } catch (const std::exception& e) {
        why = e.what();
      }
    }
    if (!copy) {
      Fail("The test run needs a copy of the company, which could not be made: " + why);
      return false;
    }
    test_copy_ = std::move(copy);
    return true;
  }

  // The copy goes with the server objects that hold it open.
  void DropTestCopy() {
    if (!test_copy_) return;
    ctx_.destination.FixedApi.reset();
    ctx_.destination.FixedApi1.reset();
    ctx_.destination.CompanyApi.reset();
    ctx_.destination.MastConfigApi.reset();
    try {
      if (test_copy_->remove) test_copy_->remove();
    } catch (...) {
    }
    test_copy_.reset();
  }

  bool Connect(const std::string& program, const std::string& data, const std::string& code,
               int16_t year) {
    bool connected = false;
    if (stages_.ConnectDestination) {
      try {
        connected = stages_.ConnectDestination(ctx_, program, data, code, year, ctx_.errors);
      } catch (const std::exception& e) {
        ctx_.errors.Add(kRunStage, "", e.what(), "");
      }
    }
    if (!connected) {
      if (ctx_.errors.Blank()) {
        ctx_.errors.Clear();
        ctx_.errors.Add(kRunStage, "", "Unable to connect to database.");
      }
      Fail(PlainText(ctx_.errors));
    }
    return connected;
  }

  void RunMasters(const StageArgs& args) {
    RunStage(stages_.ImportItems, args, "items");
    RunStage(stages_.ImportMaterialCentres, args, "material centres");
    RunStage(stages_.ImportAccountGroups, args, "account groups");
    RunStage(stages_.ImportLedgers, args, "ledgers");
    RunStage(stages_.ImportTaxTypes, args, "tax types");
  }

  void RunVouchers(StageArgs args) {
    // The date range is taken afresh before each voucher stage.
    args.from_text = inputs_.from_date.ToText();
    args.to_text = inputs_.to_date.ToText();
    RunStage(stages_.ImportInventoryVouchers, args, "inventory vouchers");
    args.from_text = inputs_.from_date.ToText();
    args.to_text = inputs_.to_date.ToText();
    RunStage(stages_.ImportAccountingVouchers, args, "accounting vouchers");
  }

  // A stage traps its own errors; one that escapes all the same becomes one entry of the error
  // text and the run goes on with the next stage.
  void RunStage(const RunStages::Stage& stage, const StageArgs& args, const char* what) {
    if (stopped_ || !stage) return;
    if (ui_.StopRequested()) {
      stopped_ = true;
      return;
    }
    try {
      stage(ctx_, args);
    } catch (const std::exception& e) {
      ctx_.errors.Add(what, "", std::string("RTE while importing ") + what + " " + e.what());
    }
    if (ui_.StopRequested()) {
      stopped_ = true;
      stopped_in_ = what;
    }
  }

  void Rest() {
    if (run_layout_) {
      ui_.SetRunLayout(false);
      run_layout_ = false;
    }
    if (progress_shown_) {
      ui_.SetProgress(0);
      ui_.SetProgressVisible(false);
      ui_.SetStatus("");
      progress_shown_ = false;
    }
  }

  // Ends the run before anything is changed: the check's message, the focus on its control.
  void Refuse(const CheckFailure& failure) {
    ui_.ShowMessage(failure.message, failure.caption, failure.icon);
    result_.outcome = RunOutcome::kRefused;
    result_.error_text = failure.message;
    result_.focus_control = failure.focus_control;
  }

  // A run refused by the export check: the findings listed, each in an error list of its own
  // (the user may want them all), nothing opened in the company.
  void RefuseExport(const std::vector<ExportFinding>& findings) {
    ErrorList list;
    AddFindings(list, findings);
    result_.errors = list;
    result_.error_entries = static_cast<int64_t>(findings.size());
    result_.error_list_path = SaveErrorList(list, ui_);
    std::string text = ExportCheckRefusal(findings);
    if (!result_.error_list_path.empty()) text += "\n\nThe error list: " + result_.error_list_path;
    Refuse({text, kExportCheckCaption, MessageIcon::kExclamation, ""});
  }

  // Ends the run early: the window back at rest, the inputs enabled, the reason in an "Error"
  // box.
  void Fail(const std::string& message) {
    try {
      Rest();
      EnableInputs(ui_);
      ui_.ShowMessage(message, "Error", MessageIcon::kExclamation);
    } catch (...) {
    }
    ReleaseNameCaches(ctx_);
    result_.outcome = RunOutcome::kFailed;
    result_.error_text = message;
    result_.errors = ctx_.errors;
  }

  RunContext& ctx_;
  RunUi& ui_;
  const RunInputs& inputs_;
  const RunStages& stages_;
  RunResult result_;
  std::optional<TestCopy> test_copy_;
  bool progress_shown_ = false;
  bool run_layout_ = false;
  bool stopped_ = false;
  std::string stopped_in_;  // the stage that was running when the stop came
};

}  // namespace

const char* OutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kCompleted:
      return "completed";
    case RunOutcome::kPartial:
      return "partial";
    case RunOutcome::kRefused:
      return "refused";
    case RunOutcome::kFailed:
      return "failed";
    case RunOutcome::kStopped:
      return "stopped";
  }
  return "failed";
}

std::string OutcomeLine(const RunResult& result) {
  std::string line;
  switch (result.outcome) {
    case RunOutcome::kCompleted:
      line = "completed";
      break;
    case RunOutcome::kPartial:
      line = "completed with " + EntriesText(result.error_entries);
      break;
    case RunOutcome::kStopped:
      line = "stopped by the user, " + EntriesText(result.error_entries);
      break;
    case RunOutcome::kRefused:
      return "refused";
    case RunOutcome::kFailed:
      return "failed";
  }
  if (result.dry_run) line += " (test run: the company was left as it was)";
  return line;
}

int64_t CountErrorEntries(const ErrorList& errors) {
  int64_t n = 0;
  for (const ErrorEntry& entry : errors.entries())
    if (!IsBlank(entry.message)) ++n;
  return n;
}

Headline RunHeadline(bool masters, bool vouchers, int64_t error_entries, bool stopped, bool dry_run,
                     const std::string& verdict) {
  const std::string what = WhatWasChosen(masters, vouchers);
  const bool clean = error_entries == 0 && !stopped;
  Headline h;
  if (stopped) {
    h.text = "The import of " + what +
             " was stopped by the user after the record in hand; the error list holds " +
             LongToText(error_entries) + (error_entries == 1 ? " entry." : " entries.");
  } else if (clean) {
    h.text = dry_run ? what + " would have been imported successfully!"
                     : "T" + what.substr(1) + " have been imported successfully!";
  } else {
    h.text = "The import of " + what + " completed with " + EntriesText(error_entries) + ".";
  }
  if (dry_run) h.text = "Test run: " + h.text + "\r\nThe company was left as it was.";
  if (!verdict.empty()) h.text += "\r\n" + verdict;
  h.caption = clean ? "Success" : "Alert!";
  h.icon = clean ? MessageIcon::kInformation : MessageIcon::kExclamation;
  return h;
}

std::optional<int16_t> FinYearNumber(const std::string& text) {
  std::optional<double> number = TryTextToNumber(text);
  if (!number || !std::isfinite(*number)) return std::nullopt;
  double whole = RoundHalfEven(*number);
  if (whole < -32768.0 || whole > 32767.0) return std::nullopt;
  return static_cast<int16_t>(whole);
}

RunResult RunConversion(RunContext& ctx, const RunInputs& inputs, const RunStages& stages) {
  return Run(ctx, inputs, stages).Go();
}

void DisableInputs(RunUi& ui) { ui.SetInputsEnabled(false); }
void EnableInputs(RunUi& ui) { ui.SetInputsEnabled(true); }

void ReleaseNameCaches(RunContext& ctx) { ctx.ReleaseNameCaches(); }

}  // namespace vodare
