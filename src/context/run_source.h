#pragma once
// The export calls of the source layer over the run's context: its open export database, its
// window and its name caches. The stages call these; the source layer itself knows no run.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "context/run_context.h"
#include "source/lookups.h"
#include "source/source_db.h"

namespace vodare {

// As OpenExport; on success the run's export database is replaced, on failure it is kept.
bool OpenSourceDb(RunContext& ctx, const std::string& folder, ErrorList& errors,
                  const SourceOpenOptions& options);
// The same over the dBASE tables of the folder.
bool OpenSourceDb(RunContext& ctx, const std::string& folder, ErrorList& errors);

Recordset GetRecordset(RunContext& ctx, std::string_view jet_sql);
bool ForEachRecordBatch(RunContext& ctx, std::string_view jet_sql, size_t batch_rows,
                        const std::function<void(Recordset&)>& batch);

std::string GetSourceName(RunContext& ctx, std::string_view kind, std::string_view code);
std::string GetAccountName(RunContext& ctx, std::string_view code);
std::string GetPartyEmail(RunContext& ctx, std::string_view code);
std::string GetPartyStateCode(RunContext& ctx, std::string_view code);

// Fill the run's ItemNameCache and AccountNameCache.
void BuildItemNameCache(RunContext& ctx);
void BuildAccountNameCache(RunContext& ctx);

int32_t CountGodowns(RunContext& ctx);

}  // namespace vodare
