#pragma once
// A local company's books as a reconciliation reads them.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "destination/company_books.h"
#include "destination/local/company_store.h"

namespace vodare::local {

class LocalCompanyBooks : public CompanyBooks {
 public:
  explicit LocalCompanyBooks(const std::filesystem::path& file) : store_(file) {}
  std::vector<StoredVoucher> Vouchers() override;
  std::vector<StoredMaster> Masters(int kind) override;

 private:
  CompanyStore store_;
};

// The books of the company with that code in the data folder; null when there is none.
std::unique_ptr<CompanyBooks> OpenCompanyBooks(const std::string& data_folder,
                                               const std::string& company_code);

}  // namespace vodare::local
