#include "context/run_destination.h"

#include "context/run_source.h"

namespace vodare {

bool ConnectDestination(RunContext& ctx, const std::string& program_folder,
                        const std::string& data_folder, const std::string& company_code,
                        int16_t year) {
  if (ctx.factory == nullptr) {
    ctx.errors.Add(kConnectionStage, "", kNotInstalledMessage, "");
    return false;
  }
  return ConnectDestination(*ctx.factory, ctx.destination, program_folder, data_folder,
                            company_code, year, ctx.errors);
}

ConfigureResult ConfigureDestination(RunContext& ctx, int16_t masters_value) {
  // The godowns are counted on the run's export when the switches come to them.
  return ConfigureDestination(ctx.destination, ctx.ui, masters_value,
                              [&ctx] { return CountGodowns(ctx); });
}

}  // namespace vodare
