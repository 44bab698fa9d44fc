#include "masters/stage_support.h"

#include <algorithm>

#include "common/helpers.h"
#include "common/run_error.h"
#include "context/run_source.h"
#include "source/lookups.h"
#include "source/source_db.h"

namespace vodare {

void ShowStageProgress(RunUi &ui, int64_t n, int64_t total, const std::string &caption) {
  if (total > 0) {
    double percent = RoundHalfEven(static_cast<double>(n) / static_cast<double>(total) * 100.0);
    ui.SetProgress(static_cast<int>(std::clamp(percent, 0.0, 100.0)));
  }
  ui.SetStatus(caption);
  ui.ProcessEvents();
}

CFixedInterface &FixedApiOf(RunContext &ctx) {
  if (!ctx.destination.FixedApi) throw RunTimeError(kObjectNotSet, 91);
  return *ctx.destination.FixedApi;
}

CCompany &CompanyApiOf(RunContext &ctx) {
  if (!ctx.destination.CompanyApi) throw RunTimeError(kObjectNotSet, 91);
  return *ctx.destination.CompanyApi;
}

std::string ErrorDescription(const std::exception &e) { return e.what(); }

bool SaveMaster(RunContext &ctx, int16_t kind, std::string record, std::string &message) {
  message.clear();
  return FixedApiOf(ctx).SaveMasterFromXML(kind, record, message);
}

std::string SourceNameMemo::Get(std::string_view kind, std::string_view code) {
  // The export compares codes without regard to case, so the memo does too.
  std::string key(kind);
  key += '\x1f';
  key += FoldKey(code);
  auto it = names_.find(key);
  if (it != names_.end()) return it->second;
  std::string name = GetSourceName(ctx_, kind, code);
  names_.emplace(std::move(key), name);
  return name;
}

bool AlreadyInCompany(const std::string &message) {
  return message.find(" already exists") != std::string::npos;
}

void CountRefusal(StageTally &tally, const std::string &message) {
  if (AlreadyInCompany(message))
    ++tally.skipped[kSkipAlreadyThere];
  else
    ++tally.refused;
}

std::string NumericCodeLiteral(const std::string &code) {
  if (TryTextToNumber(code)) return Trim(code);
  return "'" + CleanTextCopy(code, 3) + "'";
}

// The code list shared by the item and ledger stages: codes whose row has a
// name, each once.
int64_t CollectMasterCodes(RunContext &ctx, const std::string &sql, const char *code_field,
                           const char *name_field, const char *caption,
                           const char *blank_name_error, const char *stage,
                           std::vector<LedgerCode> &codes, CodeListTally *tally) {
  ctx.ui.SetStatus(caption);
  ctx.ui.ProcessEvents();
  Recordset rs = GetRecordset(ctx, sql);
  const int64_t total = rs.RecordCount();
  if (total < 1) return 0;
  KeyedCollection<char> seen;
  int64_t count = 0;
  int64_t rows = 0;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    ++rows;
    std::string stored = NzText(rs.Field(code_field));
    std::string code = CleanTextCopy(stored, 3);
    std::string name = NzTrim(rs.Field(name_field));
    if (tally) ++tally->rows;
    if (!IsBlank(code) && !IsBlank(name) && !seen.Contains(code)) {
      seen.Add(code, 0);
      codes.push_back(LedgerCode{Trim(stored), code});
      ++count;
    } else if (!IsBlank(code) && IsBlank(name)) {
      ctx.errors.Add(stage, Trim(stored), blank_name_error);
      if (tally) ++tally->blank_name;
    } else if (tally) {
      ++(IsBlank(code) ? tally->blank_code : tally->repeated_code);
    }
    if (rows % 50 == 0) ShowStageProgress(ctx.ui, rows, total, caption);
  }
  return count;
}

void AddCodeListSkips(StageTally &stage, const CodeListTally &list) {
  stage.read += list.rows;
  if (list.blank_code) stage.skipped[kSkipBlankCode] += list.blank_code;
  if (list.blank_name) stage.skipped[kSkipBlankName] += list.blank_name;
  if (list.repeated_code) stage.skipped[kSkipRepeatedCode] += list.repeated_code;
}

}  // namespace vodare
