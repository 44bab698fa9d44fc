// The automatic matcher and the pair bookkeeping of the group mapping.
#include "mapping/group_matching.h"

#include <gtest/gtest.h>

#include "support/golden.h"

namespace vodare {
namespace {

KeyedCollection<std::string> Groups(std::initializer_list<const char*> names) {
  KeyedCollection<std::string> c;
  for (const char* n : names) c.Add(n, n);
  return c;
}

// "MatchVuvodaGroup [name|group|group...] -> " the group matched, or none.
TEST(MatchVuvodaGroup, EachNameAndGroupListGivesTheKeptMatch) {
  testing::ExpectKeptAnswers("group_matches.txt", [](const std::string&, const std::string& in) {
    std::vector<std::string> groups(1);
    for (char c : in)
      if (c == '|')
        groups.emplace_back();
      else
        groups.back() += c;
    std::string name = groups.front(), vuvoda;
    groups.erase(groups.begin());
    return MatchVuvodaGroup(name, groups, vuvoda) ? vuvoda : "none";
  });
  std::string name = "Sundry Debtors", vuvoda;
  ASSERT_TRUE(MatchVuvodaGroup(name, Groups({"Capital Account", "Sundry Debtors"}), vuvoda));
  EXPECT_EQ(name, "SUNDRY DEBTORS");  // the caller's name is upper-cased
  EXPECT_EQ(vuvoda, "Sundry Debtors");
}

TEST(AutoMapGroups, PairsWhatMatchesAndLeavesTheRest) {
  auto vuvoda = Groups({"Sundry Debtors", "Profit & Loss", "Capital Account"});
  KeyedCollection<std::string> pending;
  std::vector<AutoPair> pairs = AutoMapGroups(
      {"Capital Account", "PROFIT & LOSS A/C", "Sales Account", "Sundry Debtors", "Weird Group"},
      vuvoda, pending);
  std::string shown;  // walked from the last item to the first
  for (const AutoPair& p : pairs) shown += p.vodori + " as " + p.shown + " = " + p.vuvoda + "; ";
  EXPECT_EQ(shown,
            "Sundry Debtors as SUNDRY DEBTORS = Sundry Debtors; PROFIT & LOSS A/C as PROFIT & LOSS "
            "A/C = Profit & Loss; Capital Account as CAPITAL ACCOUNT = Capital Account; ");
  // "Sales Account" is a well-known name, but the company has no "Sale" group: no pair.
  EXPECT_FALSE(pending.Contains("Sales Account"));
  EXPECT_EQ(*pending.Find("Sundry Debtors"), "Sundry Debtors|Sundry Debtors");
  EXPECT_EQ(*pending.Find("PROFIT & LOSS A/C"), "PROFIT & LOSS A/C|Profit & Loss");
  EXPECT_EQ(pending.Count(), 3u);
}

TEST(AutoMapGroups, ALongNameIsShownCutButKeptWholeAndTheFirstPairUnderANameIsKept) {
  const std::string item = "Sundry Creditors for Goods and Services of the Head Office";
  KeyedCollection<std::string> pending;
  auto pairs =
      AutoMapGroups({item}, Groups({"SUNDRY CREDITORS FOR GOODS AND SERVICES O"}), pending);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].shown, "SUNDRY CREDITORS FOR GOODS AND SERVICES ");
  EXPECT_TRUE(pending.Contains(item));
  // Removing the pair from the list finds the whole key behind the cut text.
  EXPECT_EQ(FindPairKey(pending, pairs[0].shown), item);
  EXPECT_EQ(FindPairKey(pending, "nothing like it"), "");
  pending.Add("Cash", "Cash|Cash-in-hand");
  EXPECT_EQ(FindPairKey(pending, "Cash"), "Cash");

  KeyedCollection<std::string> mapping;
  FillGroupMapping({{"Sundry Debtors", "Debtors"}, {"sundry debtors", "Other"}}, mapping);
  EXPECT_EQ(mapping.Count(), 1u);
  EXPECT_EQ(*mapping.Find("SUNDRY DEBTORS"), "Sundry Debtors|Debtors");
}

}  // namespace
}  // namespace vodare
