#include "destination/local/gst_states.h"

#include "common/gst_states.h"
#include "common/text.h"

namespace vodare::local {

namespace {
const GstState* FindState(std::string_view state) {
  std::string_view s = TrimView(state);
  if (s.empty()) return nullptr;
  for (const GstState& e : GstStates()) {
    if (EqualsNoCase(s, e.name)) return &e;
  }
  return nullptr;
}
}  // namespace

int16_t CountryCodeOf(std::string_view country) {
  return EqualsNoCase(TrimView(country), "India") ? 1 : 0;
}

int16_t StateCodeOf(std::string_view state) {
  const GstState* e = FindState(state);
  return e ? static_cast<int16_t>(e - GstStates().data() + 1) : 0;
}

std::string StateTinDigits(std::string_view state) {
  const GstState* e = FindState(state);
  return e ? std::string(e->code) : std::string();
}

std::string CanonicalStateName(std::string_view state) {
  const GstState* e = FindState(state);
  return e ? std::string(e->name) : std::string();
}

}  // namespace vodare::local
