#pragma once
// The connection to the chosen destination company: the four server objects of one session,
// and the company's settings read from its configuration XML.

#include <cstdint>
#include <pugixml.hpp>
#include <string>

#include "common/error_entries.h"
#include "common/value.h"
#include "destination/automation.h"
#include "destination/company_settings.h"

namespace vodare {

inline constexpr const char* kNotInstalledMessage =
    "Error: Vuvoda is not correctly installed on this PC.";
inline constexpr const char* kUnableToConnectMessage = "Unable to connect to database.";
// The stage the connection's entries are filed under.
inline constexpr const char* kConnectionStage = "Connection";

// Makes a new set of server objects in session and opens the company in the year. On a company
// that does not open, adds "Unable to connect to database." to errors; when the server cannot
// be reached at all, adds the not-installed message (with no "_" after it in the error text).
// On success the list is replaced by the text the company object hands back when loaded.
bool ConnectDestination(AutomationFactory& factory, DestinationSession& session,
                        const std::string& program_folder, const std::string& data_folder,
                        const std::string& company_code, int16_t year, ErrorList& errors);

// The company's settings. Never fails: what cannot be read keeps its default.
CompanySettings ReadCompanySettings(const DestinationSession& session);

// The first element that name selects below node, converted by kind: 1 text, 2 16-bit and
// 3 32-bit whole number, 5 amount, 6 date, 7 flag, 8 date and time (as the day serial with the
// fraction of the day), 12 time text. A missing element or a failed conversion gives the kind's
// default; kinds without a conversion give Null. company is needed for amounts only.
Value GetNodeValue(const pugi::xml_node& node, const std::string& name, int16_t kind,
                   const CCompany* company = nullptr);

}  // namespace vodare
