#include "app/validate_inputs.h"

#include <algorithm>

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

std::string Listed(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

std::string CompanyLabel(const RunInputs& inputs) {
  return "'" + (IsBlank(inputs.company_name) ? inputs.company_code : inputs.company_name) + "'";
}
}  // namespace

CheckFailure FinYearFailure() {
  return {"Enter valid Financial Year", kCaptionQuoted, MessageIcon::kExclamation, kControlFinYear};
}

CheckFailure MissingTablesFailure(const std::string& folder,
                                  const std::vector<std::string>& missing) {
  return {"The folder " + folder + " is not a complete Vodori export: it lacks the table" +
              (missing.size() == 1 ? " " : "s ") + Listed(missing) +
              ". Kindly choose the folder the Vodori export was written to.",
          kCaptionPlain, MessageIcon::kExclamation, kControlVodoriDataPath};
}

std::optional<CheckFailure> CheckBeforeOpening(const RunInputs& inputs,
                                               const CompanyFactsSource& facts_of_company) {
  const std::string program = Trim(inputs.vuvoda_path);
  if (IsBlank(program) || !LocalFolderExists(program))
    return CheckFailure{"Enter Valid Vuvoda Installation Path.", kCaptionSpaced, MessageIcon::kNone,
                        kControlVuvodaPath};
  const std::string data = Trim(inputs.vuvoda_data_path);
  if (IsBlank(data) || !LocalFolderExists(data))
    return CheckFailure{"Enter Valid Vuvoda Data Path.", kCaptionQuoted, MessageIcon::kExclamation,
                        kControlVuvodaDataPath};
  if (!inputs.CompanySelected() || IsBlank(inputs.company_code))
    return CheckFailure{"Select valid Company.", kCaptionQuoted, MessageIcon::kExclamation,
                        kControlCompany};
  const std::optional<CompanyFacts> facts = facts_of_company ? facts_of_company() : std::nullopt;
  if (facts && !facts->listed)
    return CheckFailure{
        "There is no company " + CompanyLabel(inputs) + " in the data folder " + data + ".",
        kCaptionPlain, MessageIcon::kExclamation, kControlCompany};
  // The company's folder lies in the data folder, whether or not that was typed with its final
  // separator.
  if (!LocalFolderExists(JoinLocalPath(data, inputs.company_code)))
    return CheckFailure{"Data path not valid.", kCaptionQuoted, MessageIcon::kExclamation,
                        kControlVuvodaDataPath};
  if (Len(inputs.fin_year_text) != 4) return FinYearFailure();
  if (facts && std::none_of(facts->years.begin(), facts->years.end(), [&](const std::string& y) {
        return Trim(y) == Trim(inputs.fin_year_text);
      })) {
    return CheckFailure{
        "The company " + CompanyLabel(inputs) + " has no financial year " + inputs.fin_year_text +
            (facts->years.empty() ? std::string(".")
                                  : "; its years are " + Listed(facts->years) + "."),
        kCaptionPlain, MessageIcon::kExclamation, kControlFinYear};
  }
  if (!inputs.masters && !inputs.vouchers)
    return CheckFailure{"Kindly select Masters and Vouchers to proceed with the import.",
                        kCaptionPlain, MessageIcon::kExclamation, kControlMasters};
  return std::nullopt;
}

std::optional<CheckFailure> CheckDates(const RunInputs& inputs, const CompanySettings& settings) {
  const Date start = settings.CurFY;
  const Date end = ParseDateText("31-03-" + LongToText(start.Year() + 1));
  if (inputs.from_date < start || inputs.to_date > end)
    return CheckFailure{kDateMessage, kCaptionPlain, MessageIcon::kExclamation, kControlFromDate};
  if (inputs.to_date < start || inputs.to_date > end)
    return CheckFailure{kDateMessage, kCaptionPlain, MessageIcon::kExclamation, kControlToDate};
  // Inside the year, a range that runs backwards would read no voucher at all.
  if (inputs.to_date < inputs.from_date)
    return CheckFailure{"The From Date (" + inputs.from_date.ToText() + ") is after the To Date (" +
                            inputs.to_date.ToText() +
                            "): kindly select a range that runs forwards.",
                        kCaptionPlain, MessageIcon::kExclamation, kControlFromDate};
  return std::nullopt;
}

std::optional<CheckFailure> CheckInputs(const RunInputs& inputs, const CompanySettings& settings) {
  if (auto failure = CheckBeforeOpening(inputs, nullptr)) return failure;
  return CheckDates(inputs, settings);
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
