#include "app/run_stages.h"

#include "app/error_list.h"
#include "app/status_report.h"

namespace vodare {

RunStages DefaultRunStages() {
  RunStages stages;
  stages.ReportRunStatus = ReportRunStatus;
  stages.OpenErrorList = OpenInTextEditor;
  return stages;
}

}  // namespace vodare
