#pragma once
// The small lookups every stage uses to turn a Vodori code into a name, the fixed column lists
// of the stages' main queries, and the two name caches of the voucher stages.

#include <string>
#include <string_view>

#include "context/run_context.h"

namespace vodare {

// Name of a coded record: kind "ITEM" (pro, numeric code), "ACGROUP", "ACCOUNT", or any other
// text as a SaleType group code (Sgcode). Empty when not found. A query that cannot be opened
// raises the recordset's run-time error for the caller's handler.
std::string GetSourceName(RunContext& ctx, std::string_view kind, std::string_view code);
// Parnam of the account with that code (quotes in the code doubled); empty when not found.
std::string GetAccountName(RunContext& ctx, std::string_view code);
// The first remark of kind 0 holding "@", up to its first blank; empty when none.
std::string GetPartyEmail(RunContext& ctx, std::string_view code);
// The two-character state code at the end of the account's remark of kind 15.
std::string GetPartyStateCode(RunContext& ctx, std::string_view code);
// The fixed select list of a stage's main query: 1 pro, 2 [order], 3 ACGROUP, 4 mdis,
// 5 gledger; empty text for any other kind.
std::string GetFieldList(int kind);

// Fill ItemNameCache (item code -> saved item name) and AccountNameCache (account code ->
// saved ledger name) with the very names the item and ledger stages save: the same walk
// order, clean-up, cut and suffix rule (SavedNameAllocator). A code already in a cache keeps
// its name.
void BuildItemNameCache(RunContext& ctx);
void BuildAccountNameCache(RunContext& ctx);

}  // namespace vodare
