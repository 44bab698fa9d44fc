#pragma once
// The companies of a data folder, read without opening their books for writing.

#include <filesystem>
#include <string>
#include <vector>

namespace vodare::local {

struct CompanySummary {
  std::string code;
  std::string name;
  std::string state;
  std::string tax_type;
  std::string guid;  // the company's identity, as the server gives it out
  std::vector<int> years;
};

// Name, state and years of the company file; empty fields when it cannot be read.
CompanySummary ReadCompanySummary(const std::filesystem::path& file);

// Every company of the data folder, in code order.
std::vector<CompanySummary> ListCompanies(const std::string& data_folder);

// Copies a company's books into the target file (replaced when it exists) with SQLite's online
// backup: the copy is consistent even while another connection holds the books, and the books
// are only read. Raises RunTimeError with SQLite's description when it cannot.
void CopyCompanyBooks(const std::filesystem::path& books, const std::filesystem::path& target);

}  // namespace vodare::local
