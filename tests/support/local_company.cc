#include "support/local_company.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"

namespace vodare::testing {

namespace fs = std::filesystem;

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

std::unique_ptr<AutomationFactory> ConnectLocalCompany(RunContext& ctx,
                                                       const LocalCompany& company) {
  LocalSessionObjects s = OpenLocalCompany(company);
  ctx.factory = s.factory.get();
  ctx.destination.FixedApi = std::move(s.fixed);
  ctx.destination.FixedApi1 = std::move(s.fixed1);
  ctx.destination.CompanyApi = std::move(s.company);
  ctx.destination.MastConfigApi = std::move(s.mast_config);
  return std::move(s.factory);
}

std::vector<local::JournalRow> JournalOf(const LocalCompany& company, const std::string& operation,
                                         bool accepted_only) {
  local::CompanyStore store = StoreOf(company);
  std::vector<local::JournalRow> out;
  for (auto& row : local::ReadJournal(store))
    if (row.operation == operation && (row.accepted || !accepted_only)) out.push_back(row);
  return out;
}

local::CompanyStore StoreOf(const LocalCompany& company) {
  return local::CompanyStore(*local::FindCompanyFile(company.data_folder, company.code));
}

std::string Scalar(local::CompanyStore& store, const std::string& sql) {
  auto& st = store.db().Cached(sql);
  st.Step();
  std::string text = st.Text(0);
  st.Reset();
  return text;
}

void SaveMasters(LocalSessionObjects& s,
                 const std::vector<std::pair<int16_t, std::string>>& masters) {
  for (auto [kind, xml] : masters) {
    std::string message;
    ASSERT_TRUE(s.fixed->SaveMasterFromXML(kind, xml, message)) << xml << ": " << message;
  }
}

std::string StageRunText(const LocalCompany& company, const std::string& operation,
                         const RunContext& ctx) {
  std::string out;
  if (!operation.empty())
    for (const local::JournalRow& row : JournalOf(company, operation)) {
      out += row.accepted ? "+ " : "- " + row.message + "\n  ";
      out += row.text + "\n";
    }
  out += "errors:\n";
  for (const ErrorEntry& e : ctx.errors.entries())
    out += "  [" + e.stage + "] " + e.key + ": " + e.message +
           (e.end == "_" ? "" : " (ends " + std::to_string(e.end.size()) + ")") + "\n";
  for (const StageTally& t : ctx.summary.stages()) {
    out += "tally " + t.stage + ": read " + std::to_string(t.read) + " saved " +
           std::to_string(t.saved) + " refused " + std::to_string(t.refused) + " failed " +
           std::to_string(t.failed) + " not reached " + std::to_string(t.not_reached);
    for (const auto& [rule, n] : t.skipped) out += "; " + rule + " " + std::to_string(n);
    out += t.Balanced() ? "\n" : " (unbalanced)\n";
  }
  return out;
}

}  // namespace vodare::testing
