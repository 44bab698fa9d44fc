#include "mapping/group_matching.h"

#include <array>
#include <utility>

#include "common/text.h"

namespace vodare {

namespace {

// Both names are compared after dropping the punctuation that the two products write
// differently and turning " and " into "&". Works on upper-cased text.
std::u32string CleanGroupName(std::string_view upper) {
  std::string dropped;
  dropped.reserve(upper.size());
  for (char c : upper)
    if (c != '/' && c != '(' && c != ')' && c != '.') dropped.push_back(c);
  std::string joined = ReplaceAll(dropped, " AND ", "&");
  std::u32string out;
  out.reserve(joined.size());
  for (size_t i = 0; i < joined.size();) out.push_back(DecodeUtf8(joined, i));
  return out;
}

struct WellKnownGroup {
  std::string_view vodori;
  std::string_view vuvoda;
};
constexpr std::array<WellKnownGroup, 8> kWellKnownGroups = {{
    {"EXPENSES (Direct) (Mfg./Trdg. Expenses)", "Expenses (Direct/Mfg.)"},
    {"EXPENSES (Indirect) (Admin. Expenses)", "Expenses (Indirect/Admn.)"},
    {"LOAN & ADVANCES (Asset)", "Loans & Advances (Asset)"},
    {"PROFIT & LOSS A/C", "Profit & Loss"},
    {"SUSPENSE ACCOUNT (Temporary A/cs)", "Suspense Account"},
    {"SECURITY & DEPOSIT (ASSET)", "Securities & Deposits (Asset)"},
    {"SALES ACCOUNT", "Sale"},
    {"Purchase ACCOUNT", "Purchase"},
}};

// The Vuvoda groups, each with its cleaned upper-case form, made once per matching pass.
struct PreparedGroups {
  std::vector<std::string> stored;
  std::vector<std::u32string> cleaned;
  explicit PreparedGroups(std::vector<std::string> groups) : stored(std::move(groups)) {
    cleaned.reserve(stored.size());
    for (const auto& g : stored) cleaned.push_back(CleanGroupName(UCase(g)));
  }
};

bool Match(std::string& vodori_name, const PreparedGroups& groups, std::string& vuvoda) {
  vodori_name = UCase(vodori_name);
  std::u32string a = CleanGroupName(vodori_name);
  // An empty name matches nothing by likeness; the table below may still know it.
  if (!a.empty()) {
    for (size_t g = groups.stored.size(); g-- > 0;) {
      const std::u32string& b = groups.cleaned[g];
      size_t same = 0;
      for (size_t k = 0; k < a.size() && k < b.size(); ++k)
        if (a[k] == b[k]) ++same;
      // same / len(a) at least 90 percent, in whole numbers.
      if (same * 10 >= a.size() * 9) {
        vuvoda = groups.stored[g];
        return true;
      }
    }
  }
  for (const auto& known : kWellKnownGroups) {
    if (vodori_name == UCase(known.vodori)) {
      vuvoda = std::string(known.vuvoda);
      return true;
    }
  }
  return false;
}

std::vector<std::string> ValuesOf(const KeyedCollection<std::string>& groups) {
  std::vector<std::string> out;
  out.reserve(groups.Count());
  groups.ForEach([&](const std::string&, const std::string& v) { out.push_back(v); });
  return out;
}

}  // namespace

bool MatchVuvodaGroup(std::string& vodori_name, const std::vector<std::string>& vuvoda_groups,
                      std::string& vuvoda) {
  return Match(vodori_name, PreparedGroups(vuvoda_groups), vuvoda);
}

bool MatchVuvodaGroup(std::string& vodori_name, const KeyedCollection<std::string>& vuvoda_groups,
                      std::string& vuvoda) {
  return Match(vodori_name, PreparedGroups(ValuesOf(vuvoda_groups)), vuvoda);
}

std::string GroupPairValue(std::string_view vodori, std::string_view vuvoda) {
  std::string v(vodori);
  v += '|';
  v += vuvoda;
  return v;
}

std::vector<AutoPair> AutoMapGroups(const std::vector<std::string>& vodori_items,
                                    const KeyedCollection<std::string>& vuvoda_groups,
                                    KeyedCollection<std::string>& pending) {
  PreparedGroups groups(ValuesOf(vuvoda_groups));
  std::vector<AutoPair> pairs;
  for (size_t i = vodori_items.size(); i-- > 0;) {
    const std::string& item = vodori_items[i];
    std::string name = Left(Trim(item), 40);
    std::string vuvoda;
    if (!Match(name, groups, vuvoda)) continue;
    const std::string* entry = vuvoda_groups.Find(vuvoda);
    if (!entry) continue;  // a well-known name the company does not have
    pending.Add(item, GroupPairValue(item, *entry));
    pairs.push_back(AutoPair{item, name, *entry});
  }
  return pairs;
}

std::string FindPairKey(const KeyedCollection<std::string>& pending, std::string_view shown) {
  if (pending.Contains(shown)) {
    std::string key;
    pending.ForEach([&](const std::string& k, const std::string&) {
      if (key.empty() && EqualsNoCase(k, shown)) key = k;
    });
    return key;
  }
  std::string key;
  pending.ForEach([&](const std::string& k, const std::string&) {
    if (key.empty() && UCase(Left(Trim(k), 40)) == shown) key = k;
  });
  return key;
}

void FillGroupMapping(const std::vector<std::pair<std::string, std::string>>& pairs,
                      KeyedCollection<std::string>& group_mapping) {
  for (const auto& [vodori, vuvoda] : pairs)
    group_mapping.Add(vodori, GroupPairValue(vodori, vuvoda));
}

}  // namespace vodare
