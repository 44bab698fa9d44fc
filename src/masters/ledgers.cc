// The ledger stage: lists the account codes in name order, then reads, builds
// and saves one ledger per code, with the broker it names.
#include "masters/ledgers.h"

#include <fmt/format.h>

#include "common/gst_states.h"
#include "common/helpers.h"
#include "context/run_source.h"
#include "masters/account_groups.h"
#include "masters/record_text.h"
#include "masters/stage_support.h"
#include "source/lookups.h"
#include "source/saved_names.h"
#include "source/source_db.h"

namespace vodare {

namespace {

constexpr const char *kAccountNotesAlert =
    "Kindly enable maintain notes with master from Accounts configurations in "
    "Vuvoda in order to "
    "view complete ledger name in notes in accounts master";
constexpr const char *kDrugLicenceAlert =
    "Kindly enable maintain drug license from Inventory configurations in "
    "Vuvoda in order to "
    "import drug lic no in accounts master";

}  // namespace

int64_t CollectLedgerCodes(RunContext &ctx, std::vector<LedgerCode> &codes, CodeListTally *tally) {
  return CollectMasterCodes(ctx, "Select ordno,parnam from [order] order by Parnam", "ordno",
                            "parnam", "Getting Account Details..",
                            "Error: Blank Ledger Name found ", kTallyLedgers, codes, tally);
}

bool SaveBroker(RunContext &ctx, const std::string &broker_name,
                const std::string &credit_account_name, KeyedCollection<std::string> &brokers) {
  if (brokers.Contains(broker_name)) return false;
  brokers.Add(broker_name, broker_name);
  StageTally &tally = ctx.summary.Stage(kTallyBrokers);
  ++tally.read;
  try {
    std::string message;
    if (SaveMaster(ctx, kKindBroker, BuildBrokerRecord(broker_name, credit_account_name),
                   message)) {
      ++tally.saved;
    } else {
      CountRefusal(tally, message);
      ctx.errors.Add(kTallyBrokers, broker_name,
                     "Salesman Name : " + broker_name + " - " + message);
    }
  } catch (...) {
    ++tally.failed;
    throw;
  }
  return true;
}

void ImportLedgers(RunContext &ctx) {
  StageTally &tally = ctx.summary.Stage(kTallyLedgers);
  std::vector<LedgerCode> codes;
  size_t handled = 0;
  CodeListTally list;
  try {
    CCompany &company = CompanyApiOf(ctx);
    const bool notes_enabled = company.EnableAccMastNotes;
    const bool dl_no_enabled = company.DLNoEnabled;
    if (!notes_enabled)
      ctx.ui.ShowMessage(kAccountNotesAlert, "Feature Alert!", MessageIcon::kExclamation);

    const int64_t total = CollectLedgerCodes(ctx, codes, &list);

    SavedNameAllocator saved_names;
    SourceNameMemo source_names(ctx);
    KeyedCollection<std::string> brokers;
    bool dl_alert_shown = false;
    int64_t n = 0;
    for (const LedgerCode &code : codes) {
      if (ctx.ui.StopRequested()) break;
      ++handled;
      std::string full_name;
      try {
        Recordset rs = GetRecordset(ctx, "Select " + GetFieldList(2) +
                                             " from [order] where ordno = '" + code.sql_code + "'");
        rs.MoveLast();
        rs.MoveFirst();
        ++n;
        ShowStageProgress(
            ctx.ui, n, total,
            "Importing Ledgers(" + std::to_string(n) + " of " + std::to_string(total) + ")");

        LedgerRecordValues v;
        full_name = CleanTextCopy(NzTrim(rs.Field("Parnam")), 2);
        v.full_name = full_name;
        v.print_name = Left(full_name, kMasterNameLength);
        v.name = saved_names.Allocate(full_name);
        ctx.AccountNameCache.Add(code.code, v.name);

        std::string broker_code = NzTrim(rs.Field("mr"));
        if (!IsBlank(broker_code)) {
          std::string broker = GetAccountName(ctx, broker_code);
          if (!IsBlank(broker)) {
            v.broker = Left(CleanTextCopy(broker, 2), kMasterNameLength);
            SaveBroker(ctx, v.broker, v.name, brokers);
          }
        }

        v.opening = LedgerOpeningText(rs.Field("OPNING"));
        v.date = DateFieldText(rs.Field("Date"));
        v.dl_no = NzTrim(rs.Field("dLNo"));
        if (!IsBlank(v.dl_no) && !dl_no_enabled && !dl_alert_shown) {
          ctx.ui.ShowMessage(kDrugLicenceAlert, "Feature Alert!", MessageIcon::kExclamation);
          dl_alert_shown = true;
        }

        std::string group = source_names.Get("ACGROUP", NzTrim(rs.Field("scode")));
        v.group = Left(ResolveMappedGroup(group, ctx.GroupMapping), kMasterNameLength);
        std::string ordno = NzTrim(rs.Field("ordno"));
        v.email = GetPartyEmail(ctx, ordno);
        v.state_name = GetStateName(GetPartyStateCode(ctx, ordno));

        v.address1 = CleanTextCopy(NzTrim(rs.Field("ParAdd")), 4);
        v.address2 = CleanTextCopy(NzTrim(rs.Field("ParAdd1")), 4);
        v.address3 = CleanTextCopy(NzTrim(rs.Field("ParAdd2")), 4);
        v.pin_code = NzTrim(rs.Field("Dsm"));
        v.tin_no = NzTrim(rs.Field("CSTNo"));
        v.gst_no = NzTrim(rs.Field("GSTNo"));
        v.it_pan = NzTrim(rs.Field("ItNo"));
        v.city = NzTrim(rs.Field("City"));
        v.contact = NzTrim(rs.Field("CONFIR"));
        v.tel_no = NzTrim(rs.Field("PHONE1"));
        v.tel_no_res = NzTrim(rs.Field("PHONE3"));
        v.fax = NzTrim(rs.Field("Fax1"));
        v.mobile = NzTrim(rs.Field("PHONE4"));
        v.bill_by_bill = EqualsNoCase(NzTrim(rs.Field("rate")), "Y");
        v.credit_days = NzTrim(rs.Field("DueDays"));

        std::string message;
        if (SaveMaster(ctx, kKindLedger, BuildLedgerRecord(v), message)) {
          ++tally.saved;
        } else if (AlreadyInCompany(message)) {
          ++tally.skipped[kSkipAlreadyThere];
          // The company keeps its own ledger and its balance: an opening the export holds for
          // it does not arrive, and the user must hear of it.
          const double opening = TryTextToNumber(v.opening).value_or(0);
          if (!IsZero(opening))
            ctx.errors.Add(kTallyLedgers, v.name,
                           "Opening balance of ledger '" + v.name + "' (" +
                               fmt::format("{:.2f}", opening) +
                               ") was not set: the ledger already exists in the company; enter "
                               "it by hand");
          else
            ctx.errors.Add(kTallyLedgers, v.name, "Ledger Name : " + v.name + " - " + message);
        } else {
          ++tally.refused;
          ctx.errors.Add(kTallyLedgers, v.name, "Ledger Name : " + v.name + " - " + message);
        }
      } catch (const std::exception &e) {
        ++tally.failed;
        ctx.errors.Add(kTallyLedgers, full_name,
                       "RTE error while importing " + std::string(" ") + full_name + "[ledger]" +
                           ": " + ErrorDescription(e));
      }
    }
  } catch (const std::exception &e) {
    ctx.errors.Add(kTallyLedgers, "", "RTE while importing ledgers " + ErrorDescription(e));
  }
  AddCodeListSkips(tally, list);
  tally.not_reached += static_cast<int64_t>(codes.size() - handled);
}

}  // namespace vodare
