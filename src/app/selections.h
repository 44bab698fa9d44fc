#pragma once
// Where the destination program and its data are on this machine, which companies and years it
// holds, and the Vodori company's own name: what the window offers before a run. Folders are
// read by the rules of app/machine_paths.h. Nothing here throws: a failure ends in an empty
// result and, where the user should hear of it, an error text.

#include <string>
#include <string_view>
#include <vector>

#include "context/run_context.h"
#include "destination/automation.h"

namespace vodare {

// ---- Selections ----
// The first drive from C to Z holding a DeredaDir folder: that folder with a final separator,
// or empty.
std::string FindInstallPath();
// The data folder that SYSTEM\DP.txt of the program folder names, with a final separator; empty
// when the file is missing, empty or unreadable.
std::string ReadDataPath(std::string_view program_folder);
// The companies of a data folder, each with its name and code, through objects made for this
// call. On a server failure the list is empty and error says why.
std::vector<CompanyEntry> GetCompanyList(AutomationFactory& factory, std::string_view data_folder,
                                         std::string& error);
// The financial years (four-digit starting years) of a company, in the server's order. On a
// server failure the list is empty and error says why.
std::vector<std::string> GetFinYears(AutomationFactory& factory, std::string_view company_code,
                                     std::string& error);
// The index of the first entry equal to text (trimmed, ignoring case), or -1 when none is:
// the selection is then left as it is.
int SelectMatchingEntry(const std::vector<std::string>& entries, std::string_view text);
// The Vodori company's name as the export records it; empty when there is none or it cannot be
// read.
std::string GetVodoriCompanyName(RunContext& ctx);

}  // namespace vodare
