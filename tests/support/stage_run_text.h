#pragma once
// A stage run on a real local company as one text, for the kept copies of the stage tests.

#include <string>

#include "context/run_context.h"
#include "support/local_company.h"

namespace vodare::testing {

// What a stage run left: each journal row of the operation ("+" accepted, "-" refused with the
// store's answer, then the record), the run's error entries and every stage's tally; no rows
// for an empty operation.
std::string StageRunText(const LocalCompany& company, const std::string& operation,
                         const RunContext& ctx);

}  // namespace vodare::testing
