#pragma once
// The export check: before a run books anything, everything the opening found wrong with the
// export's tables, and what the chosen stages need of them (the fields they read, records to
// read), gathered into one list. An error keeps the run from booking anything; warnings are put
// to the user in one question, and each goes to the error list.

#include <string>
#include <vector>

#include "common/error_entries.h"
#include "context/run_summary.h"
#include "source/export_findings.h"

namespace vodare {

class SourceDb;

// The stage the check's entries are filed under.
inline constexpr const char* kExportCheckStage = "Export check";
// The caption of the check's question and of its refusal.
inline constexpr const char* kExportCheckCaption = "Alert!";

// The findings for the tables the chosen stages read (the voucher stages look names up in the
// master tables too), in table order: the opening's own, then a field the stages read that a
// table lacks (an error) and a table with fields but no records (a warning).
std::vector<ExportFinding> CheckExport(SourceDb& db, bool masters, bool vouchers);

// The same over every table of the folder, for the check-export command.
std::vector<ExportFinding> CheckWholeExport(SourceDb& db);

// The question put when the check found only warnings (Yes goes on), and the message of a run
// refused for errors. Both list the findings, at most `shown` of them, and say how many more
// the error list holds.
std::string ExportCheckQuestion(const std::vector<ExportFinding>& findings, size_t shown = 15);
std::string ExportCheckRefusal(const std::vector<ExportFinding>& findings, size_t shown = 15);

// The master stages that read every record of one table, against the table's own count of live
// records: one entry for each stage that read another number than the table holds, naming both.
// A stage the run did not reach is passed over.
std::vector<std::string> CountDifferences(SourceDb& db, const RunSummary& summary);

// Adds one entry per finding (key: the table).
void AddFindings(ErrorList& errors, const std::vector<ExportFinding>& findings);

}  // namespace vodare
