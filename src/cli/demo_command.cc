// vodare-cli demo: the sample export converted into a fresh local company, end to end, with a
// summary of what the company's journal says was sent, saved and refused.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cli/commands.h"
#include "common/gst_states.h"
#include "cli/convert_run.h"
#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"
#include "export_writer/sample_export.h"

namespace vodare::cli {

namespace {

namespace fs = std::filesystem;

// The sample company's state code.
constexpr const char* kSampleStateCode = "27";

// The stage a journal row belongs to, by what it sent.
std::string StageOf(const local::JournalRow& row) {
  static const std::set<int> kInventoryTypes = {2, 3, 4, 9, 10, 11};
  if (row.operation == "SaveMasterFromXML") {
    switch (row.kind.value_or(0)) {
      case kKindItem:
        return "Items";
      case kKindMaterialCentre:
        return "Material centres";
      case kKindAccountGroup:
        return "Account groups";
      case kKindLedger:
        return "Ledgers";
      case kKindBroker:
        return "Brokers";
      case kKindSaleType:
        return "Sale types";
      case kKindPurchaseType:
        return "Purchase types";
      case kKindBillSundry:
        return "Bill sundries";
      default:
        return "Masters of kind " + std::to_string(row.kind.value_or(0));
    }
  }
  if (row.operation == "SaveVchFromXML")
    return kInventoryTypes.count(row.kind.value_or(0)) ? "Inventory vouchers"
                                                       : "Accounting vouchers";
  return "Configuration";
}

struct Counts {
  int64_t sent = 0, saved = 0, refused = 0;
};

void PrintJournalSummary(const std::vector<local::JournalRow>& rows) {
  std::vector<std::string> order = {"Configuration",
                                    "Items",
                                    "Material centres",
                                    "Account groups",
                                    "Ledgers",
                                    "Brokers",
                                    "Sale types",
                                    "Purchase types",
                                    "Bill sundries",
                                    "Inventory vouchers",
                                    "Accounting vouchers"};
  std::map<std::string, Counts> counts;
  for (const local::JournalRow& row : rows) {
    std::string stage = StageOf(row);
    if (!counts.count(stage) && std::find(order.begin(), order.end(), stage) == order.end())
      order.push_back(stage);
    Counts& c = counts[stage];
    ++c.sent;
    (row.accepted ? c.saved : c.refused)++;
  }
  std::printf("\nWhat the company's journal holds\n");
  std::printf("%-24s %8s %8s %8s\n", "stage", "sent", "saved", "refused");
  for (const std::string& stage : order) {
    Counts c = counts.count(stage) ? counts[stage] : Counts{};
    std::printf("%-24s %8lld %8lld %8lld\n", stage.c_str(), static_cast<long long>(c.sent),
                static_cast<long long>(c.saved), static_cast<long long>(c.refused));
  }
}

}  // namespace

int DemoCommand(const Args& args) {
  if (args.size() > 1 || (!args.empty() && args[0].rfind("--", 0) == 0))
    return Fail("usage: vodare-cli demo [DIR]");
  const fs::path dir = fs::absolute(args.empty() ? fs::path("vodare-demo") : fs::path(args[0]));
  const fs::path export_dir = dir / "export", program = dir / "program", data = dir / "data";
  std::string code;
  try {
    std::printf("Writing the sample export to %s\n", export_dir.c_str());
    std::fflush(stdout);
    WriteSampleExport(export_dir.string(), SampleExportOptions{});
    // The demo's own installation and company are made afresh on every run.
    fs::remove_all(program);
    fs::remove_all(data);
    fs::create_directories(data);
    local::EnsureInstallation(program.string(), data.string());
    local::NewCompany company;
    company.name = kSampleCompanyName;
    company.state = GetStateName(kSampleStateCode);
    company.years = {kSampleYear};
    code = local::CompanyStore::Create(data.string(), company);
    std::printf("Created company %s (%s, %s, %d-%02d) in %s\n", code.c_str(), company.name.c_str(),
                company.state.c_str(), kSampleYear, (kSampleYear + 1) % 100, data.c_str());
    std::fflush(stdout);
  } catch (const std::exception& e) {
    return Fail(std::string("the demo could not be prepared: ") + e.what());
  }

  RunInputs inputs;
  inputs.vuvoda_path = program.string() + "/";
  inputs.vuvoda_data_path = data.string() + "/";
  inputs.company_code = code;
  inputs.company_name = kSampleCompanyName;
  inputs.fin_year_text = std::to_string(kSampleYear);
  inputs.vodori_data_path = export_dir.string();
  inputs.from_date = Date::FromYmd(kSampleYear, 4, 1);
  inputs.to_date = Date::FromYmd(kSampleYear + 1, 3, 31);
  inputs.masters = true;
  inputs.vouchers = true;
  CliAnswers answers;
  answers.same_state = true;
  answers.batch_stock = true;
  answers.alt_units = true;
  answers.map_groups = true;
  CliRunOutput output;
  int status = ConvertAndReport(inputs, answers, &output);

  try {
    std::optional<fs::path> file = local::FindCompanyFile(data.string(), code);
    if (!file) return Fail("the demo company's books are missing");
    local::CompanyStore store(*file);
    PrintJournalSummary(local::ReadJournal(store));
  } catch (const std::exception& e) {
    return Fail(std::string("the company's journal could not be read: ") + e.what());
  }
  std::printf("\nerror list: %s\n", output.result.error_list_path.empty()
                                        ? "none (the run left no error entries)"
                                        : output.result.error_list_path.c_str());
  std::printf("folders: program %s, data %s, export %s\n", program.c_str(), data.c_str(),
              export_dir.c_str());
  // The books beside the export, as the run held them: what arrived, and what did not with the
  // reason the run gave.
  if (!output.result.verdict.empty()) std::printf("\n%s\n", output.result.verdict.c_str());
  // A run that went through its whole sequence is a demo that worked, errors or not.
  return status == 2 ? 2 : 0;
}

}  // namespace vodare::cli
