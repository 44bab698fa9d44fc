// The automatic matcher and the pair bookkeeping of the group mapping.
#include "mapping/group_matching.h"

#include <gtest/gtest.h>

namespace vodare {
namespace {

KeyedCollection<std::string> Groups(std::initializer_list<const char*> names) {
  KeyedCollection<std::string> c;
  for (const char* n : names) c.Add(n, n);
  return c;
}

TEST(MatchVuvodaGroup, AlikeByPositionPunctuationAndAndIgnoredTheLastAlikeWinsElseAWellKnownName) {
  struct Case {
    std::string name;
    std::vector<std::string> groups;
    std::string matched;  // "" when nothing is alike
  };
  const std::vector<Case> cases = {
      // Ten characters: nine agreeing positions are enough, eight are not; positions beyond
      // the end of the company's name never agree.
      {"ABCDEFGHIJ", {"abcdefghiX"}, "abcdefghiX"},
      {"ABCDEFGHIJ", {"abcdefghXX"}, ""},
      {"ABCDEFGHIJ", {"ABCDEFGH"}, ""},
      // " and " becomes "&" without blanks, so it meets "&" written without blanks, but not
      // " & " with them: every later position is shifted.
      {"Loans and Advances (Asset)", {"Loans&Advances Asset"}, "Loans&Advances Asset"},
      {"Loans and Advances (Asset)", {"Loans & Advances (Asset)"}, ""},
      // Dropping "/" shifts the rest: no longer alike by position.
      {"DUTIES/TAXES", {"Duties Taxes"}, ""},
      {"Duties.Taxes", {"(Duties)Taxes"}, "(Duties)Taxes"},
      {"Bank Account", {"Bank Accounts", "BANK ACCOUNT", "Cash"}, "BANK ACCOUNT"},
      // Well-known names when nothing is alike.
      {"Profit & Loss A/c", {"Capital"}, "Profit & Loss"},
      {"purchase account", {}, "Purchase"},
      // Nothing left after the clean-up: no division by zero, and no likeness.
      {"/().", {"", "X"}, ""},
      {"", {""}, ""},
  };
  for (const Case& c : cases) {
    std::string name = c.name, vuvoda;
    EXPECT_EQ(MatchVuvodaGroup(name, c.groups, vuvoda), !c.matched.empty()) << c.name;
    EXPECT_EQ(c.matched.empty() ? c.matched : vuvoda, c.matched) << c.name;
  }
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
  ASSERT_EQ(pairs.size(), 3u);
  // Walked from the last item to the first.
  EXPECT_EQ(pairs[0].vodori, "Sundry Debtors");
  EXPECT_EQ(pairs[0].shown, "SUNDRY DEBTORS");
  EXPECT_EQ(pairs[0].vuvoda, "Sundry Debtors");
  EXPECT_EQ(pairs[1].vuvoda, "Profit & Loss");
  EXPECT_EQ(pairs[2].vodori, "Capital Account");
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
