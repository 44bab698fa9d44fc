#include "cli/local_setup.h"

#include "common/text.h"
#include "destination/local/company_directory.h"
#include "destination/local/local_factory.h"
#include "mapping/mapping_step.h"

namespace vodare::cli {

std::unique_ptr<AutomationFactory> MakeFactory(const std::string& program_folder) {
  return local::MakeLocalAutomationFactory(program_folder);
}

std::vector<CompanyEntry> ListLocalCompanies(const std::string& program_folder,
                                             const std::string& data_folder) {
  std::unique_ptr<AutomationFactory> factory = MakeFactory(program_folder);
  if (!factory) return {};
  try {
    std::unique_ptr<CFixedInterface> fixed = factory->CreateFixedInterface(kProgIdFixedInterface);
    std::string folder = data_folder;
    return fixed->GetCompList(folder);
  } catch (const std::exception&) {
    return {};
  }
}

std::optional<std::string> FindCompanyCode(const std::string& data_folder,
                                           const std::string& text) {
  const std::vector<local::CompanySummary> companies = local::ListCompanies(data_folder);
  for (const local::CompanySummary& c : companies)
    if (EqualsNoCase(Trim(c.code), Trim(text))) return c.code;
  for (const local::CompanySummary& c : companies)
    if (EqualsNoCase(Trim(c.name), Trim(text))) return c.code;
  return std::nullopt;
}

AutoMapper LocalAutoMapper() { return AutoMapGroupLists; }

}  // namespace vodare::cli
