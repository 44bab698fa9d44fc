#include "app/validate_inputs.h"

#include "app/machine_paths.h"
#include "common/helpers.h"
#include "common/text.h"

namespace vodare {

namespace {
// The captions of the checks differ on purpose: the first has a blank before the "!", the
// next four carry a double quote after it.
constexpr const char* kCaptionSpaced = "Alert !";
constexpr const char* kCaptionQuoted = "Alert!\"";
constexpr const char* kCaptionPlain = "Alert!";
constexpr const char* kDateMessage =
    "Kindly select date in between the current financial year of the company!";
}  // namespace

CheckFailure FinYearFailure() {
  return {"Enter valid Financial Year", kCaptionQuoted, MessageIcon::kExclamation, kControlFinYear};
}

std::optional<CheckFailure> CheckInputs(const RunInputs& inputs, const CompanySettings& settings) {
  const std::string program = Trim(inputs.vuvoda_path);
  if (IsBlank(program) || !LocalFolderExists(program))
    return CheckFailure{"Enter Valid Vuvoda Installation Path.", kCaptionSpaced, MessageIcon::kNone,
                        kControlVuvodaPath};
  const std::string data = Trim(inputs.vuvoda_data_path);
  if (IsBlank(data) || !LocalFolderExists(data))
    return CheckFailure{"Enter Valid Vuvoda Data Path.", kCaptionQuoted, MessageIcon::kExclamation,
                        kControlVuvodaDataPath};
  if (!inputs.CompanySelected())
    return CheckFailure{"Select valid Company.", kCaptionQuoted, MessageIcon::kExclamation,
                        kControlCompany};
  // The company's folder lies in the data folder, whether or not that was typed with its final
  // separator.
  if (!LocalFolderExists(JoinLocalPath(data, inputs.company_code)))
    return CheckFailure{"Data path not valid.", kCaptionQuoted, MessageIcon::kExclamation,
                        kControlVuvodaDataPath};
  if (Len(inputs.fin_year_text) != 4) return FinYearFailure();
  if (!inputs.masters && !inputs.vouchers)
    return CheckFailure{"Kindly select Masters and Vouchers to proceed with the import.",
                        kCaptionPlain, MessageIcon::kExclamation, kControlMasters};
  const Date start = settings.CurFY;
  const Date end = ParseDateText("31-03-" + LongToText(start.Year() + 1));
  if (inputs.from_date < start || inputs.to_date > end)
    return CheckFailure{kDateMessage, kCaptionPlain, MessageIcon::kExclamation, kControlFromDate};
  if (inputs.to_date < start || inputs.to_date > end)
    return CheckFailure{kDateMessage, kCaptionPlain, MessageIcon::kExclamation, kControlToDate};
  return std::nullopt;
}

bool ValidateInputs(RunUi& ui, const RunInputs& inputs, const CompanySettings& settings,
                    std::string* focus_control) {
  std::optional<CheckFailure> failure = CheckInputs(inputs, settings);
  if (!failure) return true;
  ui.ShowMessage(failure->message, failure->caption, failure->icon);
  if (focus_control) *focus_control = failure->focus_control;
  return false;
}

}  // namespace vodare
