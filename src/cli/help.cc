#include "cli/help.h"

#include <map>

namespace vodare::cli {

const char* const kOverview =
    "usage: vodare-cli COMMAND ... (vodare-cli COMMAND --help for each)\n"
    "  sample-export DIR [--vouchers N] [--seed S]   write a sample Vodori export\n"
    "  tables EXPORT_DIR                             list tables, columns and row counts\n"
    "  check-export EXPORT_DIR                       what is wrong with an export\n"
    "  query EXPORT_DIR \"SQL\"                        rows of one query as JSON lines\n"
    "  company create|list|show ...                  the local company store\n"
    "  convert --program DIR --data DIR ...          one conversion run (or a test run)\n"
    "  demo [DIR]                                    sample export converted end to end\n"
    "  reconcile --export DIR --data DIR ...         did the books arrive\n";

namespace {

const std::map<std::string, std::string>& Texts() {
  static const std::map<std::string, std::string> kTexts = {
      {"convert",
       "usage: vodare-cli convert --program DIR --data DIR --company CODE|NAME --year YYYY\n"
       "         --export DIR --from DD-MM-YYYY --to DD-MM-YYYY [--masters] [--vouchers]\n"
       "         [--batch-stock yes|no] [--alt-units yes|no] [--map-groups none|auto]\n"
       "         [--same-state yes|no] [--accept-warnings] [--dry-run]\n"
       "\n"
       "One conversion run, as the window's \"Import Data\" makes it; the run's questions are\n"
       "answered from the flags below (a question without its flag is answered No, and said).\n"
       "\n"
       "  --program DIR           the Vuvoda program folder (its SYSTEM/DP.txt names the data\n"
       "                          folder)\n"
       "  --data DIR              the Vuvoda data folder that holds the company\n"
       "  --company CODE|NAME     the company, by its code (Comp0001) or its name, case ignored\n"
       "  --year YYYY             the financial year by its first calendar year (2024: 2024-25)\n"
       "  --export DIR            the folder of dBASE tables that Vodori exported\n"
       "  --from, --to DD-MM-YYYY the first and the last voucher date, inside that year\n"
       "  --masters               import the masters (items with their opening stock, material\n"
       "                          centres, account groups, ledgers, sale/purchase types)\n"
       "  --vouchers              import the inventory and accounting vouchers of the range\n"
       "  --same-state yes|no     both companies lie in the same state; without yes the run\n"
       "                          is refused before it changes anything\n"
       "  --batch-stock yes|no    import the items' stock batch by batch (turns on the\n"
       "                          company's batch-wise stock); no keeps one stock per item\n"
       "  --alt-units yes|no      import the items' alternate units (turns on the company's\n"
       "                          alternate unit switch)\n"
       "  --map-groups none|auto  auto pairs the Vodori account groups with the company's\n"
       "                          groups as the mapping dialog's Auto Map does; none imports\n"
       "                          every group under its own name\n"
       "  --accept-warnings       go on when the export check found only warnings (each goes\n"
       "                          to the error list); a table with an error is never\n"
       "                          converted from, whatever the flags\n"
       "  --dry-run               a test run: every stage runs against a throw-away copy of\n"
       "                          the company, which is left byte for byte as it was; the\n"
       "                          summary, error list and verdict are those of the copy, and\n"
       "                          no usage report is sent\n"
       "\n"
       "Prints a summary per stage, the reconciliation's verdict (with --vouchers), the error\n"
       "list's path and \"run: ...\". Exit status: 0 completed with an empty error list, 1\n"
       "completed with entries in it (or stopped by Ctrl-C), 2 refused, not started or ended\n"
       "early. The usage report goes to VODARE_USAGE_ENDPOINT (host[:port]) when it is set.\n"},
      {"reconcile",
       "usage: vodare-cli reconcile --export DIR --data DIR --company CODE|NAME\n"
       "         --from DD-MM-YYYY --to DD-MM-YYYY [--errors FILE]\n"
       "\n"
       "Holds the export's vouchers of the range beside the company's: per voucher type the\n"
       "count and the total, each voucher missing or stored with other figures with the\n"
       "error-list entry that explains it, the masters per kind and the opening balances.\n"
       "\n"
       "  --export DIR            the Vodori export that was converted\n"
       "  --data DIR              the Vuvoda data folder that holds the company\n"
       "  --company CODE|NAME     the company, by its code or its name, case ignored\n"
       "  --from, --to DD-MM-YYYY the voucher range of the run\n"
       "  --errors FILE           the error list to explain differences with; without it, the\n"
       "                          list of the last run into this company (none when that run\n"
       "                          left no entries)\n"
       "\n"
       "Exit status: 0 when everything agrees, 1 when something differs, 2 for bad input.\n"},
      {"company",
       "usage: vodare-cli company create|list|show ... (company SUBCOMMAND --help for each)\n"
       "  create   a company in the local store, with the standard chart\n"
       "  list     the companies of a data folder\n"
       "  show     what a company's books hold\n"},
      {"company create",
       "usage: vodare-cli company create --program DIR --data DIR --name NAME --state STATE\n"
       "         --years YYYY[,YYYY...] [--vat]\n"
       "\n"
       "Creates a company in the local store, with the standard chart of groups, ledgers and\n"
       "the material centre \"Main Store\", and prints its code.\n"
       "\n"
       "  --program DIR     the program folder; made an installation that records --data\n"
       "  --data DIR        the data folder the company's folder is made in\n"
       "  --name NAME       the company's name, at most 40 characters\n"
       "  --state STATE     its state by name (MAHARASHTRA), case ignored\n"
       "  --years LIST      its financial years by first calendar year, comma-separated\n"
       "  --vat             a VAT company instead of a GST one\n"},
      {"company list",
       "usage: vodare-cli company list --data DIR [--json]\n"
       "\n"
       "The companies of a data folder: code, name, state, tax type and years, one a line\n"
       "(--json: one JSON array).\n"},
      {"company show",
       "usage: vodare-cli company show --data DIR --company CODE|NAME\n"
       "         masters|vouchers|trial-balance|stock|journal [--kind N] [--type N] [--json]\n"
       "\n"
       "What a company's books hold.\n"
       "\n"
       "  --data DIR           the data folder that holds the company\n"
       "  --company CODE|NAME  the company, by its code or its name, case ignored (--code CODE\n"
       "                       is the same)\n"
       "  masters              the masters (--kind N: of one master kind only)\n"
       "  vouchers             the vouchers (--type N: of one voucher type only)\n"
       "  trial-balance        every ledger's closing balance\n"
       "  stock                every item's stock\n"
       "  journal              every call the company received, with the record as sent\n"
       "  --json               JSON instead of text lines\n"},
      {"demo",
       "usage: vodare-cli demo [DIR]\n"
       "\n"
       "Writes the sample export to DIR/export (default ./vodare-demo), makes a fresh local\n"
       "company in DIR/data, converts masters and vouchers into it with every question\n"
       "answered Yes and the groups mapped automatically, and prints a summary per stage, what\n"
       "the company's journal holds and the reconciliation's verdict.\n"},
      {"sample-export",
       "usage: vodare-cli sample-export DIR [--vouchers N] [--seed S] [--items N]\n"
       "         [--batches N] [--ledgers N] [--ledger-vouchers N]\n"
       "\n"
       "Writes a Vodori export of a small distributor (financial year 2024-25, Maharashtra)\n"
       "with all ten tables. The same options always give the same bytes.\n"
       "\n"
       "  --vouchers N         inventory vouchers\n"
       "  --seed S             another sample of the same size\n"
       "  --items N, --batches N, --ledgers N, --ledger-vouchers N\n"
       "                       scale the items, their batches, the ledgers and the accounting\n"
       "                       vouchers (for benchmarks)\n"},
      {"tables",
       "usage: vodare-cli tables EXPORT_DIR\n"
       "\n"
       "Lists the export's tables with their columns and row counts, as the program reads\n"
       "them.\n"},
      {"check-export",
       "usage: vodare-cli check-export EXPORT_DIR\n"
       "\n"
       "Opens the export as a run opens it and prints what the export check finds, one line\n"
       "a finding: tables cut short or unreadable, two files for one table, fields the\n"
       "conversion reads that a table lacks, tables without records, odd headers, values that\n"
       "cannot be read (each with its record), memo damage.\n"
       "\n"
       "Exit status: 0 nothing found, 1 warnings only, 2 errors (a run would refuse the\n"
       "export) or the folder cannot be opened.\n"},
      {"query",
       "usage: vodare-cli query EXPORT_DIR \"SELECT ...\"\n"
       "\n"
       "Prints the rows of one Jet query over the export as JSON lines.\n"},
  };
  return kTexts;
}

bool AsksForHelp(const Args& args, size_t from) {
  for (size_t i = from; i < args.size(); ++i)
    if (args[i] == "--help" || args[i] == "-h") return true;
  return false;
}

}  // namespace

std::optional<std::string> HelpFor(const Args& args) {
  if (args.empty() || !AsksForHelp(args, 1)) return std::nullopt;
  std::string name = args[0];
  if (name == "company" && args.size() > 1 && Texts().count("company " + args[1]))
    name += " " + args[1];
  auto it = Texts().find(name);
  if (it == Texts().end()) return std::nullopt;
  return it->second;
}

std::string UsageOf(const std::string& command) {
  auto it = Texts().find(command);
  if (it == Texts().end()) return "";
  const std::string& text = it->second;
  size_t blank = text.find("\n\n");
  return blank == std::string::npos ? text : text.substr(0, blank + 1);
}

}  // namespace vodare::cli
