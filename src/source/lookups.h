#pragma once
// The small lookups every stage uses to turn a Vodori code into a name, the fixed column lists
// of the stages' main queries, and the two name caches of the voucher stages.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/keyed_collection.h"
#include "common/run_ui.h"

namespace vodare {

class SourceDb;

// Every lookup runs on the export database db (null: none open, which each query reports as
// GetRecordset does) and shows its failures through ui.
// Name of a coded record: kind "ITEM" (pro, numeric code), "ACGROUP", "ACCOUNT", or any other
// text as a SaleType group code (Sgcode). Empty when not found. A query that cannot be opened
// raises the recordset's run-time error for the caller's handler.
std::string GetSourceName(SourceDb* db, RunUi& ui, std::string_view kind, std::string_view code);
// Parnam of the account with that code (quotes in the code doubled); empty when not found.
std::string GetAccountName(SourceDb* db, RunUi& ui, std::string_view code);
// The first remark of kind 0 holding "@", up to its first blank; empty when none.
std::string GetPartyEmail(SourceDb* db, RunUi& ui, std::string_view code);
// The two-character state code at the end of the account's remark of kind 15.
std::string GetPartyStateCode(SourceDb* db, RunUi& ui, std::string_view code);
// The fixed select list of a stage's main query: 1 pro, 2 [order], 3 ACGROUP, 4 mdis,
// 5 gledger; empty text for any other kind.
std::string GetFieldList(int kind);

// Fill the item name cache (item code -> saved item name) and the account name cache (account
// code -> saved ledger name) with the very names the item and ledger stages save: the same walk
// order, clean-up, cut and suffix rule (SavedNameAllocator). A code already in a cache keeps
// its name.
void BuildItemNameCache(SourceDb* db, RunUi& ui, KeyedCollection<std::string>& cache);
void BuildAccountNameCache(SourceDb* db, RunUi& ui, KeyedCollection<std::string>& cache);

// The number of godowns in the export, 0 when there are none, no export is open or they cannot
// be read.
int32_t CountGodowns(SourceDb* db, RunUi& ui);

}  // namespace vodare
