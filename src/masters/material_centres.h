#pragma once
// Vodori godowns become Vuvoda material centres; the four fixed GST sale and purchase types.

#include <array>
#include <string>
#include <string_view>

namespace vodare {

struct RunContext;

// The material centre record for a godown name (already cleaned and cut to 40): built as a
// DOM element, whose serialiser escapes the name; only characters of code 2 are removed after.
std::string BuildMaterialCentreRecord(const std::string& name);

// The material centre stage: godowns, then "Scrap Store" when the company lacks it.
// Fills MaterialCentreNameCache.
void ImportMaterialCentres(RunContext& ctx);

// The text between "<tag>" and the next "</tag>"; empty text when either is missing.
std::string GetXmlTagValue(std::string_view xml, std::string_view tag);

// The four tax type records, saved as they stand: two sale types, then two purchase types.
struct TaxTypeRecord {
  bool sale;  // sale type (master kind 13) or purchase type (14)
  std::string_view xml;
};
extern const std::array<TaxTypeRecord, 4> kTaxTypeRecords;

// Saves the four tax types. Has no handler of its own: a run-time error reaches the caller.
void ImportTaxTypes(RunContext& ctx);

}  // namespace vodare
