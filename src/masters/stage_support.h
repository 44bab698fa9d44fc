#pragma once
// What every master stage does the same way: progress, the server objects it
// needs, the text of a caught error, and the tally of its records.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>

#include "context/run_context.h"
#include "masters/ledgers.h"

namespace vodare {

// Progress value round(n / total x 100), the status caption, and a moment for
// the window.
void ShowStageProgress(RunUi &ui, int64_t n, int64_t total, const std::string &caption);

// The server objects of the connection; a missing one is the "object not set"
// run-time error.
CFixedInterface &FixedApiOf(RunContext &ctx);
CCompany &CompanyApiOf(RunContext &ctx);

// The description a stage's error line carries.
std::string ErrorDescription(const std::exception &e);

// Saves one master record as text: true when saved; otherwise the server's
// message is in `message`.
bool SaveMaster(RunContext &ctx, int16_t kind, std::string record, std::string &message);

// A master the company refused: one it holds already (an earlier run saved it, or a new company
// comes with it, as Cash and the tax ledgers) counts as already present, any other as refused.
bool AlreadyInCompany(const std::string &message);
void CountRefusal(StageTally &tally, const std::string &message);

// The text pasted into a row's SQL for a numeric code: the code itself when it
// is a number, otherwise the code quoted (quotes doubled), so that a stray code
// matches nothing instead of breaking the statement.
std::string NumericCodeLiteral(const std::string &code);

// The code list of the item and ledger stages: the codes of the rows that have
// a name, each once, in the query's order. A code without a name adds
// `blank_name_error` + "_" to the error text; blank and repeated codes are
// passed over (and counted in `tally`).
int64_t CollectMasterCodes(RunContext &ctx, const std::string &sql, const char *code_field,
                           const char *name_field, const char *caption,
                           const char *blank_name_error, const char *stage,
                           std::vector<LedgerCode> &codes, CodeListTally *tally);
// Adds what the code list read and passed over to a stage's tally.
void AddCodeListSkips(StageTally &stage, const CodeListTally &list);

// GetSourceName with the answers remembered for one stage: the export does not change during a
// run, and item groups, salts and account groups repeat over thousands of records.
class SourceNameMemo {
 public:
  explicit SourceNameMemo(RunContext &ctx) : ctx_(ctx) {}
  std::string Get(std::string_view kind, std::string_view code);

 private:
  RunContext &ctx_;
  std::unordered_map<std::string, std::string> names_;
};

// Stage names of the run summary.
inline constexpr const char *kTallyItems = "Items";
inline constexpr const char *kTallyBatchDetails = "Batch details (from items)";
inline constexpr const char *kTallyMaterialCentres = "Material Centres";
inline constexpr const char *kTallyScrapStore = "Scrap Store (fixed)";
inline constexpr const char *kTallyAccountGroups = "Account Groups";
inline constexpr const char *kTallyLedgers = "Ledgers";
inline constexpr const char *kTallyBrokers = "Brokers (from ledgers)";
inline constexpr const char *kTallyTaxTypes = "Sale/Purchase Types (fixed)";

// Skip rules of the run summary.
inline constexpr const char *kSkipMappedGroup = "mapped group";
inline constexpr const char *kSkipBlankCode = "blank code";
inline constexpr const char *kSkipBlankName = "blank name";
inline constexpr const char *kSkipRepeatedCode = "repeated code";
inline constexpr const char *kSkipMainLocation = "\"Main Location\" or \"MAIN STORE\"";
inline constexpr const char *kSkipBatchesDoNotAddUp = "batches do not add up";
inline constexpr const char *kSkipAlreadyThere = "already in the company";

}  // namespace vodare
