// vodare-cli reconcile: whether the books arrived. The export's vouchers of the range beside the
// company's, per type; every voucher missing or stored with another amount, with the error-list
// entry that explains it; the masters per kind and the opening balances. Exit 0 only when
// everything agrees, 1 when something differs, 2 for bad input.
#include <cstdio>
#include <exception>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "app/error_list.h"
#include "app/reconcile.h"
#include "cli/commands.h"
#include "common/text.h"

namespace vodare::cli {

namespace {

constexpr const char* kReconcileUsage =
    "usage: vodare-cli reconcile --export DIR --data DIR --company CODE --year YYYY\n"
    "         --from DD-MM-YYYY --to DD-MM-YYYY [--errors FILE]\n"
    "  Without --errors the newest error list in the temporary folder is read.\n";

}  // namespace

int ReconcileCommand(const Args& args) {
  static const std::set<std::string> kValued = {"--export", "--data", "--company", "--year",
                                                "--from",   "--to",   "--errors"};
  std::map<std::string, std::string> values;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kReconcileUsage, stdout);
      return 0;
    }
    if (!kValued.count(a))
      return Fail("reconcile: unknown argument '" + a + "'\n" + kReconcileUsage);
    if (i + 1 >= args.size()) return Fail(a + " needs a value\n" + kReconcileUsage);
    values[a] = args[++i];
  }
  for (const char* flag : {"--export", "--data", "--company", "--from", "--to"})
    if (!values.count(flag))
      return Fail(std::string("reconcile needs ") + flag + "\n" + kReconcileUsage);
  std::optional<Date> from = TryParseDateText(values["--from"]);
  std::optional<Date> to = TryParseDateText(values["--to"]);
  if (!from) return Fail("--from: '" + values["--from"] + "' is not a date");
  if (!to) return Fail("--to: '" + values["--to"] + "' is not a date");

  std::string error_list;
  std::string error_list_path;
  if (values.count("--errors")) {
    error_list_path = values["--errors"];
    std::ifstream in(error_list_path, std::ios::binary);
    if (!in) return Fail("the error list " + error_list_path + " cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    error_list = text.str();
  } else {
    error_list = NewestErrorList(ErrorListFolder(), &error_list_path);
  }
  try {
    Reconciliation r = ReconcileFolders(values["--export"], values["--data"], values["--company"],
                                        *from, *to, ErrorListOfFile(error_list));
    std::printf("error list: %s\n", error_list_path.empty() ? "none" : error_list_path.c_str());
    std::fputs(r.Render().c_str(), stdout);
    return r.Agrees() ? 0 : 1;
  } catch (const std::exception& e) {
    return Fail(std::string("reconcile: ") + e.what());
  }
}

}  // namespace vodare::cli
