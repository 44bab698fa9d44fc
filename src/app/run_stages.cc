#include "app/run_stages.h"

#include "app/error_list.h"
#include "app/status_report.h"
#include "common/run_error.h"
#include "context/run_context.h"
#include "destination/configure.h"
#include "destination/connection.h"
#include "mapping/mapping_step.h"
#include "masters/account_groups.h"
#include "masters/items.h"
#include "masters/ledgers.h"
#include "masters/material_centres.h"
#include "source/source_db.h"
#include "vouchers/accounting_vouchers.h"
#include "vouchers/inventory_vouchers.h"

namespace vodare {

RunStages DefaultRunStages() {
  RunStages stages;
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
  return stages;
}

}  // namespace vodare
