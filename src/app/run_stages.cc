#include "app/run_stages.h"

#include <filesystem>
#include <random>

#include "app/error_list.h"
#include "app/reconcile.h"
#include "app/selections.h"
#include "app/status_report.h"
#include "common/run_error.h"
#include "context/run_context.h"
#include "context/run_destination.h"
#include "context/run_source.h"
#include "destination/configure.h"
#include "destination/connection.h"
#include "destination/local/company_directory.h"
#include "destination/local/installation.h"
#include "mapping/mapping_step.h"
#include "masters/account_groups.h"
#include "masters/items.h"
#include "masters/ledgers.h"
#include "masters/material_centres.h"
#include "source/source_db.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/inventory_vouchers.h"

namespace vodare {

namespace {

namespace fs = std::filesystem;

std::optional<CompanyFacts> LookUpCompany(RunContext& ctx, const std::string& data_folder,
                                          const std::string& company_code) {
  if (ctx.factory == nullptr) return std::nullopt;
  std::string error;
  std::vector<CompanyEntry> companies = GetCompanyList(*ctx.factory, data_folder, error);
  if (!error.empty()) return std::nullopt;
  CompanyFacts facts;
  for (const CompanyEntry& c : companies)
    if (EqualsNoCase(Trim(c.code), Trim(company_code))) facts.listed = true;
  if (!facts.listed) return facts;
  facts.years = GetFinYears(*ctx.factory, Trim(company_code), error);
  if (!error.empty()) return std::nullopt;
  return facts;
}

// A folder of the system's temporary folder that no one else uses.
fs::path NewTemporaryFolder() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path base = fs::temp_directory_path();
  for (int tries = 0; tries < 100; ++tries) {
    fs::path candidate = base / ("vodare-test-run-" + std::to_string(random() % 1000000000000ULL));
    if (fs::create_directory(candidate)) return candidate;
  }
  throw RunTimeError("No temporary folder could be made in " + base.string());
}

// The company's books copied into a data folder of their own, under the company's own folder
// name, so that the copy opens by the same code.
std::optional<TestCopy> CopyCompany(const std::string& data_folder, const std::string& company_code,
                                    std::string& why) {
  std::optional<fs::path> books = local::FindCompanyFile(data_folder, company_code);
  if (!books) {
    why = "no company " + company_code + " in the data folder " + data_folder;
    return std::nullopt;
  }
  const fs::path folder = NewTemporaryFolder();
  auto remove = [folder] {
    std::error_code ec;
    fs::remove_all(folder, ec);
  };
  try {
    const fs::path company_folder = folder / books->parent_path().filename();
    fs::create_directories(company_folder);
    local::CopyCompanyBooks(*books, company_folder / books->filename());
  } catch (const std::exception& e) {
    remove();
    why = e.what();
    return std::nullopt;
  }
  return TestCopy{folder.string(), remove};
}

}  // namespace

RunStages DefaultRunStages() {
  RunStages stages;
  stages.LookUpCompany = LookUpCompany;
  stages.OpenSourceDb = [](RunContext& ctx, const std::string& folder, ErrorList& errors) {
    return OpenSourceDb(ctx, folder, errors);
  };
  stages.ConnectDestination = [](RunContext& ctx, const std::string& program_folder,
                                 const std::string& data_folder, const std::string& company_code,
                                 int16_t year, ErrorList& errors) {
    if (ctx.factory == nullptr) {
      errors.Add(kConnectionStage, "", kNotInstalledMessage, "");
      return false;
    }
    return ConnectDestination(*ctx.factory, ctx.destination, program_folder, data_folder,
                              company_code, year, errors);
  };
  stages.ReadCompanySettings = [](RunContext& ctx) { return ReadCompanySettings(ctx.destination); };
  stages.ConfigureDestination = [](RunContext& ctx, int16_t masters_value) {
    ConfigureResult result = ConfigureDestination(ctx, masters_value);
    if (result.EndedByError()) throw RunTimeError(result.description);
  };
  stages.MapAccountGroups = MapAccountGroupsStep;
  stages.ImportItems = [](RunContext& ctx, const StageArgs&) { ImportItems(ctx); };
  stages.ImportMaterialCentres = [](RunContext& ctx, const StageArgs&) {
    ImportMaterialCentres(ctx);
  };
  stages.ImportAccountGroups = [](RunContext& ctx, const StageArgs&) { ImportAccountGroups(ctx); };
  stages.ImportLedgers = [](RunContext& ctx, const StageArgs&) { ImportLedgers(ctx); };
  stages.ImportTaxTypes = [](RunContext& ctx, const StageArgs&) { ImportTaxTypes(ctx); };
  stages.ImportInventoryVouchers = [](RunContext& ctx, const StageArgs& args) {
    std::string from = args.from_text, to = args.to_text;
    ImportInventoryVouchers(ctx, from, to);
  };
  stages.ImportAccountingVouchers = [](RunContext& ctx, const StageArgs& args) {
    std::string from = args.from_text, to = args.to_text;
    ImportAccountingVouchers(ctx, from, to);
  };
  stages.ReportRunStatus = ReportRunStatus;
  stages.OpenErrorList = OpenInTextEditor;
  stages.MakeTestCopy = [](RunContext&, const std::string& data_folder,
                           const std::string& company_code, std::string& why) {
    return CopyCompany(data_folder, company_code, why);
  };
  stages.ReconcileRun = [](const std::string& export_folder, const std::string& data_folder,
                           const std::string& company_code, const Date& from, const Date& to,
                           const ErrorList& errors) {
    Reconciliation r = ReconcileFolders(export_folder, data_folder, company_code, from, to, errors);
    return RunVerdict{r.Verdict(), r.Agrees()};
  };
  return stages;
}

}  // namespace vodare
