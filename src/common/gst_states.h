#pragma once
// The GST state table: two-digit state code and the state's name as the books spell it. The
// ledger stage names a party's state from its code and the company store answers codes for
// names; both read this one table.

#include <span>
#include <string>
#include <string_view>

namespace vodare {

struct GstState {
  std::string_view code;
  std::string_view name;
};

// Every state in code order.
std::span<const GstState> GstStates();

// Two-character state code to state name; any other code gives empty text.
std::string GetStateName(std::string_view code);

}  // namespace vodare
