#pragma once
// The destination steps of a run over its context: the connection made with the run's factory
// into its session (entries into its error list), and the company's configuration with the
// run's window, counting the godowns of the run's export.

#include <cstdint>
#include <string>

#include "context/run_context.h"
#include "destination/configure.h"
#include "destination/connection.h"

namespace vodare {

// Without a factory the server cannot be reached: the not-installed entry, and false.
bool ConnectDestination(RunContext& ctx, const std::string& program_folder,
                        const std::string& data_folder, const std::string& company_code,
                        int16_t year);

ConfigureResult ConfigureDestination(RunContext& ctx, int16_t masters_value);

}  // namespace vodare
