#include "context/run_source.h"

#include <memory>
#include <utility>

namespace vodare {

bool OpenSourceDb(RunContext& ctx, const std::string& folder, ErrorList& errors,
                  const SourceOpenOptions& options) {
  std::shared_ptr<SourceDb> db = OpenExport(folder, errors, options);
  if (!db) return false;
  ctx.source = std::move(db);
  return true;
}

bool OpenSourceDb(RunContext& ctx, const std::string& folder, ErrorList& errors) {
  std::shared_ptr<SourceDb> db = OpenExport(folder, errors);
  if (!db) return false;
  ctx.source = std::move(db);
  return true;
}

Recordset GetRecordset(RunContext& ctx, std::string_view jet_sql) {
  return GetRecordset(ctx.source.get(), ctx.ui, jet_sql);
}

bool ForEachRecordBatch(RunContext& ctx, std::string_view jet_sql, size_t batch_rows,
                        const std::function<void(Recordset&)>& batch) {
  return ForEachRecordBatch(ctx.source.get(), ctx.ui, jet_sql, batch_rows, batch);
}

std::string GetSourceName(RunContext& ctx, std::string_view kind, std::string_view code) {
  return GetSourceName(ctx.source.get(), ctx.ui, kind, code);
}

std::string GetAccountName(RunContext& ctx, std::string_view code) {
  return GetAccountName(ctx.source.get(), ctx.ui, code);
}

std::string GetPartyEmail(RunContext& ctx, std::string_view code) {
  return GetPartyEmail(ctx.source.get(), ctx.ui, code);
}

std::string GetPartyStateCode(RunContext& ctx, std::string_view code) {
  return GetPartyStateCode(ctx.source.get(), ctx.ui, code);
}

void BuildItemNameCache(RunContext& ctx) {
  BuildItemNameCache(ctx.source.get(), ctx.ui, ctx.ItemNameCache);
}

void BuildAccountNameCache(RunContext& ctx) {
  BuildAccountNameCache(ctx.source.get(), ctx.ui, ctx.AccountNameCache);
}

int32_t CountGodowns(RunContext& ctx) { return CountGodowns(ctx.source.get(), ctx.ui); }

}  // namespace vodare
