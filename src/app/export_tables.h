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

// The tables of the chosen stages that the opened export lacks (letter case ignored), in that
// order: a table whose file could not be read is missing too.
std::vector<std::string> MissingExportTables(SourceDb& db, bool masters, bool vouchers);

// The same from the folder's files alone (NAME.dbf, any letter case), so that a folder that is
// no export is refused before the opening writes anything into it. Nothing for a folder that
// cannot be read: the opening then says why.
std::vector<std::string> MissingExportTableFiles(const std::string& folder, bool masters,
                                                 bool vouchers);

}  // namespace vodare
