#pragma once
// Where the local company store keeps its books: a program folder holding SYSTEM/DP.txt (whose
// whole content is the data folder) and, in the data folder, one folder per company (Comp0001,
// Comp0002, ...) holding one SQLite file. Names are found whatever their letter case, and a
// folder text means the same folder with or without a final separator.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vodare::local {

// The file of a company's books inside its folder.
inline constexpr const char* kCompanyFileName = "books.sqlite";

// A folder text as this machine's path: blanks trimmed, "C:\..." mapped to the drive folder
// ($VODARE_DRIVES/c, default /mnt/c), backslashes as separators, no final separator.
std::filesystem::path FolderPath(const std::string& text);

// The entry of that name in the folder, found whatever its letter case; nullopt when none.
std::optional<std::filesystem::path> FindEntryNoCase(const std::filesystem::path& folder,
                                                     const std::string& name);

// The data folder recorded in the program folder's SYSTEM/DP.txt; nullopt when the folder is no
// installation (no such file, or an empty one).
std::optional<std::string> ReadInstalledDataFolder(const std::string& program_folder);

// The company's SQLite file when the company exists in the data folder.
std::optional<std::filesystem::path> FindCompanyFile(const std::string& data_folder,
                                                     const std::string& company_code);

// Company codes found in the data folder, in code order.
std::vector<std::string> ListCompanyCodes(const std::string& data_folder);

// "Comp0001" for 1.
std::string CompanyCodeOf(int number);

// Makes the program folder an installation recording the data folder, when it is not one yet.
void EnsureInstallation(const std::string& program_folder, const std::string& data_folder);

}  // namespace vodare::local
