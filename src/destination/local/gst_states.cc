#include "destination/local/gst_states.h"

#include <array>

#include "common/text.h"

namespace vodare::local {

namespace {
struct StateEntry {
  const char* digits;
  const char* name;
};

constexpr std::array<StateEntry, 40> kStates = {{
    {"00", "OTHER STATE"},
    {"01", "JAMMU AND KASHMIR"},
    {"02", "HIMACHAL PRADESH"},
    {"03", "PUNJAB"},
    {"04", "CHANDIGARH"},
    {"05", "UTTARAKHAND"},
    {"06", "HARYANA"},
    {"07", "DELHI"},
    {"08", "RAJASTHAN"},
    {"09", "UTTAR PRADESH"},
    {"10", "BIHAR"},
    {"11", "SIKKIM"},
    {"12", "ARUNACHAL PRADESH"},
    {"13", "NAGALAND"},
    {"14", "MANIPUR"},
    {"15", "MIZORAM"},
    {"16", "TRIPURA"},
    {"17", "MEGHALAYA"},
    {"18", "ASSAM"},
    {"19", "WEST BENGAL"},
    {"20", "JHARKHAND"},
    {"21", "ORISSA"},
    {"22", "CHHATTISGARH"},
    {"23", "MADHYA PRADESH"},
    {"24", "GUJARAT"},
    {"25", "DAMAN AND DIU"},
    {"26", "DADRA AND NAGAR HAVELI"},
    {"27", "MAHARASHTRA"},
    {"28", "ANDHRA PRADESH"},
    {"29", "KARNATAKA"},
    {"30", "GOA"},
    {"31", "LAKSHADWEEP"},
    {"32", "KERALA"},
    {"33", "TAMIL NADU"},
    {"34", "PUDUCHERRY"},
    {"35", "ANDAMAN AND NICOBAR ISLANDS"},
    {"36", "TELANGANA"},
    {"37", "ANDHRA PRADESH (NEW)"},
    {"38", "LADAKH"},
    {"97", "OTHER TERRITORY"},
}};

const StateEntry* FindState(std::string_view state) {
  std::string_view s = TrimView(state);
  if (s.empty()) return nullptr;
  for (const auto& e : kStates) {
    if (EqualsNoCase(s, e.name)) return &e;
  }
  return nullptr;
}
}  // namespace

int16_t CountryCodeOf(std::string_view country) {
  return EqualsNoCase(TrimView(country), "India") ? 1 : 0;
}

int16_t StateCodeOf(std::string_view state) {
  const StateEntry* e = FindState(state);
  return e ? static_cast<int16_t>(e - kStates.data() + 1) : 0;
}

std::string StateTinDigits(std::string_view state) {
  const StateEntry* e = FindState(state);
  return e ? e->digits : "";
}

std::string CanonicalStateName(std::string_view state) {
  const StateEntry* e = FindState(state);
  return e ? e->name : "";
}

}  // namespace vodare::local
