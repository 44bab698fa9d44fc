// vodare-cli reconcile: whether the books arrived. The export's vouchers of the range beside the
// company's, per type; every voucher missing or stored with another amount, with the error-list
// entry that explains it; the masters per kind and the opening balances. Exit 0 only when
// everything agrees, 1 when something differs, 2 for bad input.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "app/error_list.h"
#include "app/reconcile.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/local_setup.h"
#include "cli/number_args.h"
#include "common/text.h"
#include "destination/local/company_directory.h"
#include "destination/local/installation.h"

namespace vodare::cli {

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int ReconcileCommand(const Args& args) {
  // --year is taken and not needed: the range says which vouchers are held beside the books.
  static const std::set<std::string> kValued = {"--export", "--data", "--company", "--year",
                                                "--from",   "--to",   "--errors"};
  const std::string kReconcileUsage = UsageOf("reconcile");
  std::map<std::string, std::string> values;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!kValued.count(a))
      return Fail("reconcile: unknown argument '" + a + "'\n" + kReconcileUsage);
    if (i + 1 >= args.size()) return Fail(a + " needs a value\n" + kReconcileUsage);
    values[a] = args[++i];
  }
  for (const char* flag : {"--export", "--data", "--company", "--from", "--to"})
    if (!values.count(flag))
      return Fail(std::string("reconcile needs ") + flag + "\n" + kReconcileUsage);
  for (const char* flag : {"--from", "--to"})
    if (!ParseShortDate(values[flag]))
      return Fail(std::string(flag) + ": '" + values[flag] +
                  "' is not a date of the form DD-MM-YYYY");
  const Date from = *ParseShortDate(values["--from"]);
  const Date to = *ParseShortDate(values["--to"]);
  std::optional<std::string> code = FindCompanyCode(values["--data"], values["--company"]);
  if (!code)
    return Fail("reconcile: no company '" + values["--company"] + "' in the data folder " +
                values["--data"]);

  std::string error_list;
  std::string error_list_path;
  std::string none = "none";
  if (values.count("--errors")) {
    error_list_path = values["--errors"];
    std::ifstream in(error_list_path, std::ios::binary);
    if (!in) return Fail("the error list " + error_list_path + " cannot be read");
    error_list = ReadWhole(error_list_path);
  } else {
    // The list of the last run into this company, and no other company's.
    std::optional<std::string> last;
    if (std::optional<std::filesystem::path> books =
            local::FindCompanyFile(values["--data"], *code))
      last = LastRunErrorList(ErrorListFolder(), local::ReadCompanySummary(*books).guid);
    if (!last)
      none = "none (no run into this company is noted in " + ErrorListFolder() + ")";
    else if (last->empty())
      none = "none (the last run into this company left no entries)";
    else
      error_list = ReadWhole(error_list_path = *last);
  }
  try {
    Reconciliation r = ReconcileFolders(values["--export"], values["--data"], *code, from, to,
                                        ErrorListOfFile(error_list));
    std::printf("error list: %s\n",
                error_list_path.empty() ? none.c_str() : error_list_path.c_str());
    std::fputs(r.Render().c_str(), stdout);
    return r.Agrees() ? 0 : 1;
  } catch (const std::exception& e) {
    return Fail(std::string("reconcile: ") + e.what());
  }
}

}  // namespace vodare::cli
