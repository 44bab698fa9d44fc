#pragma once
// A real local company for tests, with the standard chart, in a temporary installation.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "context/run_context.h"
#include "destination/automation.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"
#include "destination/local/reports.h"
#include "support/temp_dir.h"

namespace vodare::testing {

struct LocalCompanyOptions {
  std::string name = "Test Company";
  std::string state = "MAHARASHTRA";
  std::vector<int> years = {2024};
  bool vat = false;
};

struct LocalCompany {
  std::unique_ptr<TempDir> dir;
  std::string program_folder;  // an installation: SYSTEM/DP.txt names data_folder
  std::string data_folder;
  std::string code;  // "Comp0001"
  int year = 0;      // the last financial year
};

inline LocalCompany CreateLocalCompany(const LocalCompanyOptions& options = {}) {
  LocalCompany c;
  c.dir = std::make_unique<TempDir>();
  c.program_folder = (c.dir->path() / "Vuvoda").string();
  c.data_folder = (c.dir->path() / "Data").string();
  local::EnsureInstallation(c.program_folder, c.data_folder);
  c.code = local::CompanyStore::Create(
      c.data_folder,
      {.name = options.name, .state = options.state, .vat = options.vat, .years = options.years});
  c.year = options.years.empty() ? 0 : options.years.back();
  return c;
}

// A factory of the local store, and the four objects of one session opened on the company and
// its last year (OpenDB with and without the year, as a connection does).
struct LocalSessionObjects {
  std::unique_ptr<AutomationFactory> factory;
  std::unique_ptr<CFixedInterface> fixed;
  std::unique_ptr<CFixedInterface1> fixed1;
  std::unique_ptr<CCompany> company;
  std::unique_ptr<CMastConfig> mast_config;
};
inline LocalSessionObjects OpenLocalCompany(const LocalCompany& company) {
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

// A session on the company handed to the run's context as a connection leaves it. The factory
// returned made the context's objects and must outlive them.
inline std::unique_ptr<AutomationFactory> ConnectLocalCompany(RunContext& ctx,
                                                              const LocalCompany& company) {
  LocalSessionObjects s = OpenLocalCompany(company);
  ctx.factory = s.factory.get();
  ctx.destination.FixedApi = std::move(s.fixed);
  ctx.destination.FixedApi1 = std::move(s.fixed1);
  ctx.destination.CompanyApi = std::move(s.company);
  ctx.destination.MastConfigApi = std::move(s.mast_config);
  return std::move(s.factory);
}

// The company's store file opened on its own connection, and the first column of the first row
// a query gives there.
inline local::CompanyStore StoreOf(const LocalCompany& company) {
  return local::CompanyStore(*local::FindCompanyFile(company.data_folder, company.code));
}
inline std::string Scalar(local::CompanyStore& store, const std::string& sql) {
  auto& st = store.db().Cached(sql);
  st.Step();
  std::string text = st.Text(0);
  st.Reset();
  return text;
}

// The company's journal rows of one operation ("SaveVchFromXML", "SaveMasterFromXML"), in the
// order they came; only the accepted ones when asked.
inline std::vector<local::JournalRow> JournalOf(const LocalCompany& company,
                                                const std::string& operation,
                                                bool accepted_only = false) {
  local::CompanyStore store = StoreOf(company);
  std::vector<local::JournalRow> out;
  for (auto& row : local::ReadJournal(store))
    if (row.operation == operation && (row.accepted || !accepted_only)) out.push_back(row);
  return out;
}

// What a stage run left, for the stage tests' kept copies: each journal row of the operation
// ("+" accepted, "-" refused with the store's answer, then the record), the run's error entries
// and every stage's tally; no rows for an empty operation.
inline std::string StageRunText(const LocalCompany& company, const std::string& operation,
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

// Saves each (kind, record) master, failing the test at the first one refused.
inline void SaveMasters(LocalSessionObjects& s,
                        const std::vector<std::pair<int16_t, std::string>>& masters) {
  for (auto [kind, xml] : masters) {
    std::string message;
    ASSERT_TRUE(s.fixed->SaveMasterFromXML(kind, xml, message)) << xml << ": " << message;
  }
}

}  // namespace vodare::testing
