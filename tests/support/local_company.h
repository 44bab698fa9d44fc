#pragma once
// A real local company for tests: a fresh installation and data folder in a temporary folder
// that is removed afterwards, and a company created in it with the standard chart.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "context/run_context.h"
#include "destination/automation.h"
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

}  // namespace vodare::testing
