#pragma once
// Whether an opened export holds the tables the chosen stages read: a folder that is not an
// export (or an export of something else) is refused before the company is touched.

#include <string>
#include <vector>

namespace vodare {

class SourceDb;

// The tables the masters and the vouchers read, in the order they are named to the user.
extern const std::vector<std::string> kMasterTables;
extern const std::vector<std::string> kVoucherTables;

// The tables of the chosen stages that the export lacks (letter case ignored), in that order.
std::vector<std::string> MissingExportTables(SourceDb& db, bool masters, bool vouchers);

}  // namespace vodare
