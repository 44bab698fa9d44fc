// libFuzzer target for the Jet translator, built as fuzz_dbf is (see there).
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
