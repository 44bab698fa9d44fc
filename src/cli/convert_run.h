#pragma once
// One conversion run from the command line, shared by `convert` and `demo`.

#include <memory>
#include <string>

#include "app/run_inputs.h"
#include "cli/cli_run_ui.h"
#include "context/run_context.h"

namespace vodare::cli {

struct CliRunOutput {
  RunResult result;
  RunSummary summary;
};

// Runs the driver on the inputs with the program's own steps over the local company store and
// prints the summary per stage, the verdict, the error list's path when one was written and the
// closing "run: " line. Exit status: 0 completed with an empty error list, 1 completed with
// entries in it or stopped by the user, 2 refused, not started or ended early.
int ConvertAndReport(const RunInputs& inputs, const CliAnswers& answers, CliRunOutput* output);

// The exit status for a run's result.
int ExitStatusOf(const RunResult& result);

// The inputs' company given as a code or a name: the code and name of the matching company of
// the data folder (code first, then name, ignoring case); the text itself when none matches.
void ResolveCompany(const std::string& program, const std::string& data, const std::string& text,
                    RunInputs& inputs);

}  // namespace vodare::cli
