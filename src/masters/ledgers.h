#pragma once
// Vodori accounts become Vuvoda ledgers, with the brokers (salesmen) they name.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/keyed_collection.h"
#include "common/value.h"

namespace vodare {

struct RunContext;

// <OPBal>: a positive opening balance is written negated, a negative one as its size, and a
// zero one as the field's own text (empty when the field is blank). A blank field counts as 0;
// a text that is not a number raises "Type mismatch".
std::string LedgerOpeningText(const Value& opning);

// <TaxType> of a ledger under "Duties & Taxes": the first of CGST, SGST, IGST that the name
// holds (case-sensitive), or nothing. Empty text for any other group.
std::string LedgerTaxType(std::string_view group, std::string_view ledger_name);

// Every value of one <Account> record, unescaped; the builder escapes them.
struct LedgerRecordValues {
  std::string name;        // the unique saved name
  std::string print_name;  // the name cut to 40, without a suffix
  std::string full_name;   // the name as read, not cut
  std::string group;       // the parent group, paired group resolved, cut to 40
  std::string opening;     // LedgerOpeningText
  std::string broker;      // the broker's saved name, or empty
  std::string address1, address2, address3;
  std::string pin_code, email, tin_no, gst_no, it_pan, state_name, dl_no;
  std::string date, city;  // the two optional fields
  std::string contact, tel_no, tel_no_res, fax, mobile;
  bool bill_by_bill = false;
  std::string credit_days;
};

std::string BuildLedgerRecord(const LedgerRecordValues& v);
// The <Broker> record: broker name, and the ledger it is created with as its credit account.
std::string BuildBrokerRecord(std::string_view broker_name, std::string_view credit_account);

// One account of the code list: the code as stored (trimmed: the key of AccountNameCache) and
// the same with its single quotes doubled for the row's SQL.
struct LedgerCode {
  std::string code;
  std::string sql_code;
};

// What CollectLedgerCodes saw, for the run summary.
struct CodeListTally {
  int64_t rows = 0;
  int64_t blank_code = 0;
  int64_t blank_name = 0;
  int64_t repeated_code = 0;
};

// Lists the account codes in name order. Returns how many were collected.
int64_t CollectLedgerCodes(RunContext& ctx, std::vector<LedgerCode>& codes,
                           CodeListTally* tally = nullptr);

// Saves a broker once per stage; later calls with the same name do nothing. True when the
// broker was new to this stage.
bool SaveBroker(RunContext& ctx, const std::string& broker_name,
                const std::string& credit_account_name, KeyedCollection<std::string>& brokers);

// The ledger stage.
void ImportLedgers(RunContext& ctx);

}  // namespace vodare
