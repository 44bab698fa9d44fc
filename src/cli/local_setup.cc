#include "cli/local_setup.h"

#include "common/keyed_collection.h"
#include "destination/local/local_factory.h"
#include "mapping/group_matching.h"

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

AutoMapper LocalAutoMapper() {
  return [](const std::vector<std::string>& vodori_groups,
            const std::vector<std::string>& vuvoda_groups) {
    KeyedCollection<std::string> vuvoda;
    for (const std::string& name : vuvoda_groups) vuvoda.Add(name, name);
    KeyedCollection<std::string> pending;
    GroupPairs pairs;
    for (const AutoPair& pair : AutoMapGroups(vodori_groups, vuvoda, pending))
      pairs.emplace_back(pair.vodori, pair.vuvoda);
    return pairs;
  };
}

}  // namespace vodare::cli
