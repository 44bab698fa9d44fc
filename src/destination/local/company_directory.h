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
  std::vector<int> years;
};

// Name, state and years of the company file; empty fields when it cannot be read.
CompanySummary ReadCompanySummary(const std::filesystem::path& file);

// Every company of the data folder, in code order.
std::vector<CompanySummary> ListCompanies(const std::string& data_folder);

}  // namespace vodare::local
