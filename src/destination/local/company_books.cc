#include "destination/local/company_books.h"

#include <optional>
#include <utility>

#include "destination/local/installation.h"
#include "destination/local/reports.h"

namespace vodare::local {

std::vector<StoredVoucher> LocalCompanyBooks::Vouchers() { return ListVoucherTotals(store_); }

std::vector<StoredMaster> LocalCompanyBooks::Masters(int kind) {
  std::vector<StoredMaster> masters;
  for (MasterRow& m : ListMasters(store_, kind))
    masters.push_back({std::move(m.name), m.opening_balance});
  return masters;
}

std::unique_ptr<CompanyBooks> OpenCompanyBooks(const std::string& data_folder,
                                               const std::string& company_code) {
  std::optional<std::filesystem::path> file = FindCompanyFile(data_folder, company_code);
  if (!file) return nullptr;
  return std::make_unique<LocalCompanyBooks>(*file);
}

}  // namespace vodare::local
