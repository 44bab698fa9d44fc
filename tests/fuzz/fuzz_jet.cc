// libFuzzer target for the Jet translator: any text is translated or refused with a syntax
// error, and the literal pattern that keys the statement cache counts the literals the
// translation uses. Built as fuzz_dbf is (see there); seed it with the program's queries.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "source/jet_sql.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    vodare::JetStatement st = vodare::TranslateJet(text);
    std::string pattern;
    std::vector<std::string_view> literals;
    if (vodare::JetLiteralPattern(text, pattern, literals) &&
        literals.size() != st.literal_uses.size())
      std::abort();
  } catch (const vodare::JetSyntaxError&) {
  }
  return 0;
}
