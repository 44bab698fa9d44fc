#pragma once
// Country and state codes that the store answers for names (compared ignoring case).

#include <cstdint>
#include <string>
#include <string_view>

namespace vodare::local {

// 1 for India; 0 for any other name.
int16_t CountryCodeOf(std::string_view country);
// The state's position in the GST state table (1-based), 0 when the name is not a state.
int16_t StateCodeOf(std::string_view state);
// The two-digit GST state code as text ("27" for Maharashtra), empty for an unknown name.
std::string StateTinDigits(std::string_view state);
// The state's name as the table spells it, empty when unknown.
std::string CanonicalStateName(std::string_view state);

}  // namespace vodare::local
