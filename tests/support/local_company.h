#pragma once
// A real local company for tests, with the standard chart, in a temporary installation.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "context/run_context.h"
#include "destination/automation.h"
#include "destination/local/company_store.h"
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

LocalCompany CreateLocalCompany(const LocalCompanyOptions& options = {});

// A factory of the local store, and the four objects of one session opened on the company and
// its last year (OpenDB with and without the year, as a connection does).
struct LocalSessionObjects {
  std::unique_ptr<AutomationFactory> factory;
  std::unique_ptr<CFixedInterface> fixed;
  std::unique_ptr<CFixedInterface1> fixed1;
  std::unique_ptr<CCompany> company;
  std::unique_ptr<CMastConfig> mast_config;
};
LocalSessionObjects OpenLocalCompany(const LocalCompany& company);

// A session on the company handed to the run's context as a connection leaves it. The factory
// returned made the context's objects and must outlive them.
std::unique_ptr<AutomationFactory> ConnectLocalCompany(RunContext& ctx,
                                                       const LocalCompany& company);

// The company's journal rows of one operation ("SaveVchFromXML", "SaveMasterFromXML"), in the
// order they came; only the accepted ones when asked.
std::vector<local::JournalRow> JournalOf(const LocalCompany& company, const std::string& operation,
                                         bool accepted_only = false);

// The company's store file opened on its own connection, and the first column of the first row
// a query gives there.
local::CompanyStore StoreOf(const LocalCompany& company);
std::string Scalar(local::CompanyStore& store, const std::string& sql);

// What a stage run left, for the stage tests' kept copies: each journal row of the operation
// ("+" accepted, "-" refused with the store's answer, then the record), the run's error entries
// and every stage's tally; no rows for an empty operation.
std::string StageRunText(const LocalCompany& company, const std::string& operation,
                         const RunContext& ctx);

// Saves each (kind, record) master, failing the test at the first one refused.
void SaveMasters(LocalSessionObjects& s,
                 const std::vector<std::pair<int16_t, std::string>>& masters);

}  // namespace vodare::testing
