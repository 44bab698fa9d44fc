#pragma once
// What the command line needs of the layers beside the run: the automation factory of the local
// company store, its company list, and the automatic group matcher.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_run_ui.h"
#include "destination/automation.h"

namespace vodare::cli {

// The factory whose objects work on the local company store; null when it cannot be made.
std::unique_ptr<AutomationFactory> MakeFactory(const std::string& program_folder);
// The companies of a data folder (empty when it holds none or cannot be read).
std::vector<CompanyEntry> ListLocalCompanies(const std::string& program_folder,
                                             const std::string& data_folder);
// The code of the data folder's company given by its code or its name (code first, then name,
// ignoring case); nothing when none matches.
std::optional<std::string> FindCompanyCode(const std::string& data_folder, const std::string& text);
// Pairs groups as the mapping dialog's "Auto Map" would.
AutoMapper LocalAutoMapper();

}  // namespace vodare::cli
