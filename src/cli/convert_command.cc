// vodare-cli convert: the same run as the window's "Import Data", answered from flags.
#include <cstdio>
#include <map>
#include <set>

#include "app/run_driver.h"
#include "app/run_stages.h"
#include "cli/commands.h"
#include "cli/convert_run.h"
#include "cli/help.h"
#include "cli/local_setup.h"
#include "cli/number_args.h"
#include "common/text.h"

namespace vodare::cli {

namespace {

void PrintSummary(const RunSummary& summary) {
  if (summary.stages().empty()) return;
  // "present": already in the company (an earlier run, or the new company's own chart);
  // "skipped": passed over by the program's own rules.
  std::printf("%-32s %8s %8s %8s %8s %8s %8s %9s\n", "stage", "read", "saved", "present", "refused",
              "failed", "skipped", "unreached");
  for (const StageTally& t : summary.stages())
    std::printf("%-32s %8lld %8lld %8lld %8lld %8lld %8lld %9lld\n", t.stage.c_str(),
                static_cast<long long>(t.read), static_cast<long long>(t.saved),
                static_cast<long long>(t.AlreadyPresent()), static_cast<long long>(t.refused),
                static_cast<long long>(t.failed), static_cast<long long>(t.SkippedByRules()),
                static_cast<long long>(t.not_reached));
}

}  // namespace

int ExitStatusOf(const RunResult& result) {
  switch (result.outcome) {
    case RunOutcome::kCompleted:
      return 0;
    case RunOutcome::kPartial:
    case RunOutcome::kStopped:
      return 1;
    default:
      return 2;
  }
}

void ResolveCompany(const std::string& program, const std::string& data, const std::string& text,
                    RunInputs& inputs) {
  inputs.company_code = text;
  inputs.company_name = text;
  std::vector<CompanyEntry> companies = ListLocalCompanies(program, data);
  for (const CompanyEntry& c : companies) {
    if (EqualsNoCase(Trim(c.code), Trim(text))) {
      inputs.company_code = c.code;
      inputs.company_name = c.name;
      return;
    }
  }
  for (const CompanyEntry& c : companies) {
    if (EqualsNoCase(Trim(c.name), Trim(text))) {
      inputs.company_code = c.code;
      inputs.company_name = c.name;
      return;
    }
  }
}

int ConvertAndReport(const RunInputs& inputs, const CliAnswers& answers, CliRunOutput* output) {
  CliRunUi ui(answers);
  CliRunUi::CatchInterrupt();
  ui.SetAutoMapper(LocalAutoMapper());
  RunContext ctx(ui);
  std::unique_ptr<AutomationFactory> factory = MakeFactory(Trim(inputs.vuvoda_path));
  ctx.factory = factory.get();
  RunStages stages = DefaultRunStages();
  // The list is written at the end of every run that has entries; its path is printed with
  // the summary instead of opening an editor.
  stages.OpenErrorList = nullptr;
  RunResult result = RunConversion(ctx, inputs, stages);
  PrintSummary(ctx.summary);
  if (!result.verdict.empty()) std::printf("%s\n", result.verdict.c_str());
  if (!result.error_list_path.empty())
    std::printf("error list: %s\n", result.error_list_path.c_str());
  std::printf("run: %s\n", OutcomeLine(result).c_str());
  if (output) {
    output->result = result;
    output->summary = ctx.summary;
  }
  return ExitStatusOf(result);
}

int ConvertCommand(const Args& args) {
  static const std::set<std::string> kValued = {
      "--program", "--data",        "--company",   "--year",       "--export",    "--from",
      "--to",      "--batch-stock", "--alt-units", "--map-groups", "--same-state"};
  const std::string usage = UsageOf("convert");
  std::map<std::string, std::string> values;
  bool masters = false, vouchers = false, dry_run = false, accept_warnings = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--masters") {
      masters = true;
    } else if (a == "--vouchers") {
      vouchers = true;
    } else if (a == "--dry-run") {
      dry_run = true;
    } else if (a == "--accept-warnings") {
      accept_warnings = true;
    } else if (kValued.count(a)) {
      if (i + 1 >= args.size()) return Fail(a + " needs a value\n" + usage);
      values[a] = args[++i];
    } else {
      return Fail("convert: unknown argument '" + a + "'\n" + usage);
    }
  }
  CliAnswers answers;
  if (accept_warnings) answers.accept_warnings = true;
  for (const auto& [flag, target] :
       {std::pair<const char*, std::optional<bool>*>{"--same-state", &answers.same_state},
        {"--batch-stock", &answers.batch_stock},
        {"--alt-units", &answers.alt_units}}) {
    if (!values.count(flag)) continue;
    *target = YesNo(values[flag]);
    if (!*target) return Fail(std::string(flag) + " takes yes or no");
  }
  if (values.count("--map-groups")) {
    if (EqualsNoCase(values["--map-groups"], "auto"))
      answers.map_groups = true;
    else if (EqualsNoCase(values["--map-groups"], "none"))
      answers.map_groups = false;
    else
      return Fail("--map-groups takes none or auto");
  }
  RunInputs inputs;
  inputs.vuvoda_path = values["--program"];
  inputs.vuvoda_data_path = values["--data"];
  inputs.fin_year_text = values["--year"];
  inputs.vodori_data_path = values["--export"];
  inputs.masters = masters;
  inputs.vouchers = vouchers;
  inputs.dry_run = dry_run;
  for (const auto& [flag, target] :
       {std::pair<const char*, Date*>{"--from", &inputs.from_date}, {"--to", &inputs.to_date}}) {
    if (!values.count(flag)) continue;
    std::optional<Date> date = ParseShortDate(values[flag]);
    if (!date)
      return Fail(std::string(flag) + ": '" + values[flag] +
                  "' is not a date of the form DD-MM-YYYY");
    *target = *date;
  }
  if (values.count("--company"))
    ResolveCompany(Trim(inputs.vuvoda_path), Trim(inputs.vuvoda_data_path), values["--company"],
                   inputs);
  return ConvertAndReport(inputs, answers, nullptr);
}

}  // namespace vodare::cli
