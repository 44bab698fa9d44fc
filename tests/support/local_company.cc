#include "support/local_company.h"

#include <cstdlib>
#include <stdexcept>

#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"

namespace vodare::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vodare-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

LocalCompany CreateLocalCompany(const LocalCompanyOptions& options) {
  LocalCompany c;
  c.dir = std::make_unique<TempDir>();
  c.program_folder = (c.dir->path() / "Vuvoda").string();
  c.data_folder = (c.dir->path() / "Data").string();
  local::EnsureInstallation(c.program_folder, c.data_folder);
  local::NewCompany spec;
  spec.name = options.name;
  spec.state = options.state;
  spec.vat = options.vat;
  spec.years = options.years;
  c.code = local::CompanyStore::Create(c.data_folder, spec);
  c.year = options.years.empty() ? 0 : options.years.back();
  return c;
}

LocalSessionObjects OpenLocalCompany(const LocalCompany& company) {
  LocalSessionObjects s;
  s.factory = local::MakeLocalAutomationFactory(company.program_folder);
  s.fixed = s.factory->CreateFixedInterface(kProgIdFixedInterface);
  std::string code = company.code;
  int16_t year = static_cast<int16_t>(company.year);
  if (!s.fixed->OpenDB(company.program_folder, company.data_folder, code) ||
      !s.fixed->OpenDB(company.program_folder, company.data_folder, code, year)) {
    throw std::runtime_error("the local company did not open");
  }
  s.fixed1 = s.factory->CreateFixedInterface1(kProgIdFixedInterface1);
  s.company = s.factory->CreateCompany(kProgIdCompany);
  s.mast_config = s.factory->CreateMastConfig(kProgIdMastConfig);
  std::string text;
  s.company->Load(text);
  return s;
}

}  // namespace vodare::testing
