// vodare-cli company: create a company in the local store, list the companies of a data folder,
// and show what a company's books hold.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/local_setup.h"
#include "common/json_text.h"
#include "common/run_error.h"
#include "common/text.h"
#include "destination/local/company_directory.h"
#include "destination/local/company_store.h"
#include "destination/local/gst_states.h"
#include "destination/local/installation.h"
#include "destination/local/reports.h"

namespace vodare::cli {

namespace {

using namespace vodare::local;

// Options --name VALUE and flags --flag; the rest are positional words.
struct Options {
  std::map<std::string, std::string> values;
  std::map<std::string, bool> flags;
  std::vector<std::string> words;
};

std::optional<std::string> ParseOptions(const Args& args, const std::vector<std::string>& valued,
                                        const std::vector<std::string>& flags, Options& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) == 0) {
      std::string name = a.substr(2);
      if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
        out.flags[name] = true;
      } else if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
        if (i + 1 >= args.size()) return "option " + a + " needs a value";
        out.values[name] = args[++i];
      } else {
        return "unknown option " + a;
      }
    } else {
      out.words.push_back(a);
    }
  }
  return std::nullopt;
}

std::optional<std::vector<int>> ParseYears(const std::string& text) {
  std::vector<int> years;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string part =
        Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (part.size() != 4 || part.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    years.push_back(std::stoi(part));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return years;
}

int Create(const Args& args) {
  Options o;
  if (auto e = ParseOptions(args, {"program", "data", "name", "state", "years"}, {"vat"}, o))
    return Fail(*e);
  if (!o.words.empty()) return Fail("company create: unexpected argument '" + o.words[0] + "'");
  for (const char* required : {"program", "data", "name", "state", "years"}) {
    if (Trim(o.values[required]).empty())
      return Fail(std::string("company create: --") + required + " is required");
  }
  std::string state = CanonicalStateName(o.values["state"]);
  if (state.empty()) return Fail("company create: '" + o.values["state"] + "' is not a state");
  auto years = ParseYears(o.values["years"]);
  if (!years)
    return Fail("company create: --years takes four-digit years separated by commas, not '" +
                o.values["years"] + "'");
  std::string name = Trim(o.values["name"]);
  if (Len(name) > 40) return Fail("company create: the name is longer than 40 characters");
  try {
    namespace fs = std::filesystem;
    if (auto recorded = ReadInstalledDataFolder(o.values["program"])) {
      std::error_code ec;
      fs::path a = fs::weakly_canonical(FolderPath(*recorded), ec);
      fs::path b = fs::weakly_canonical(FolderPath(o.values["data"]), ec);
      if (a != b) {
        return Fail("company create: the program folder records the data folder " + *recorded +
                    ", not " + o.values["data"]);
      }
    }
    EnsureInstallation(o.values["program"], o.values["data"]);
    NewCompany company;
    company.name = name;
    company.state = state;
    company.vat = o.flags["vat"];
    company.years = *years;
    std::string code = CompanyStore::Create(o.values["data"], company);
    std::printf("%s\n", code.c_str());
    return 0;
  } catch (const RunTimeError& e) {
    return Fail(std::string("company create: ") + e.what());
  }
}

int List(const Args& args) {
  Options o;
  if (auto e = ParseOptions(args, {"data"}, {"json"}, o)) return Fail(*e);
  if (Trim(o.values["data"]).empty()) return Fail("company list: --data is required");
  std::error_code ec;
  if (!std::filesystem::is_directory(FolderPath(o.values["data"]), ec)) {
    return Fail("company list: no data folder " + o.values["data"]);
  }
  bool json = o.flags["json"];
  std::string out = json ? "[" : "";
  bool first = true;
  for (const CompanySummary& c : ListCompanies(o.values["data"])) {
    std::string years;
    for (int y : c.years) years += (years.empty() ? "" : ",") + std::to_string(y);
    if (json) {
      out += std::string(first ? "" : ",\n ") + "{\"code\":" + JsonString(c.code) +
             ",\"name\":" + JsonString(c.name) + ",\"state\":" + JsonString(c.state) +
             ",\"tax_type\":" + JsonString(c.tax_type) + ",\"years\":[" + years + "]}";
    } else {
      out += c.code + "\t" + c.name + "\t" + c.state + "\t" + c.tax_type + "\t" + years + "\n";
    }
    first = false;
  }
  if (json) out += "]\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int Show(const Args& args) {
  Options o;
  if (auto e = ParseOptions(args, {"data", "company", "code", "kind", "type"}, {"json"}, o))
    return Fail(*e);
  if (Trim(o.values["data"]).empty()) return Fail("company show: --data is required");
  // --company takes a code or a name; --code, its older spelling, the same.
  const std::string wanted = o.values.count("company") ? o.values["company"] : o.values["code"];
  if (Trim(wanted).empty()) return Fail("company show: --company is required");
  if (o.words.size() != 1) {
    return Fail("company show: name one of masters, vouchers, trial-balance, stock, journal");
  }
  std::optional<int> kind;
  for (const char* opt : {"kind", "type"}) {
    if (!o.values.count(opt)) continue;
    auto n = TryTextToNumber(o.values[opt]);
    if (!n || *n != static_cast<int>(*n))
      return Fail(std::string("company show: --") + opt + " takes a number");
    kind = static_cast<int>(*n);
  }
  std::optional<std::string> code = FindCompanyCode(o.values["data"], wanted);
  auto file = code ? FindCompanyFile(o.values["data"], *code) : std::nullopt;
  if (!file) return Fail("company show: no company '" + wanted + "' in " + o.values["data"]);
  bool json = o.flags["json"];
  try {
    CompanyStore store(*file);
    const std::string& what = o.words[0];
    std::string text;
    if (what == "masters") {
      text = RenderMasters(ListMasters(store, kind), json);
    } else if (what == "vouchers") {
      text = RenderVouchers(ListVouchers(store, kind), json);
    } else if (what == "trial-balance") {
      text = RenderTrialBalance(ComputeTrialBalance(store), json);
    } else if (what == "stock") {
      text = RenderStockSummary(ComputeStockSummary(store), json);
    } else if (what == "journal") {
      // Streamed: a converted company's journal holds every record's text.
      bool first = true;
      if (json) std::fputs("[", stdout);
      ForEachJournalRow(store, [&](const JournalRow& row) {
        std::string line = RenderJournalRow(row, json, first);
        std::fwrite(line.data(), 1, line.size(), stdout);
        first = false;
      });
      if (json) std::fputs("]\n", stdout);
      return 0;
    } else {
      return Fail("company show: unknown report '" + what +
                  "' (masters, vouchers, trial-balance, stock, journal)");
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  } catch (const RunTimeError& e) {
    return Fail(std::string("company show: ") + e.what());
  }
}

}  // namespace

int CompanyCommand(const Args& args) {
  if (args.empty()) return Fail("company: name one of create, list, show");
  Args rest(args.begin() + 1, args.end());
  if (args[0] == "create") return Create(rest);
  if (args[0] == "list") return List(rest);
  if (args[0] == "show") return Show(rest);
  return Fail("company: unknown subcommand '" + args[0] + "' (create, list, show)");
}

}  // namespace vodare::cli
