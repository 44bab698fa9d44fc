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

TEST(MatchVuvodaGroup, LikenessOfNinetyPercentByPosition) {
  auto groups = Groups({"Capital Account", "Sundry Debtors"});
  std::string name = "Sundry Debtors";
  std::string vuvoda;
  ASSERT_TRUE(MatchVuvodaGroup(name, groups, vuvoda));
  EXPECT_EQ(name, "SUNDRY DEBTORS");  // the caller's name is upper-cased
  EXPECT_EQ(vuvoda, "Sundry Debtors");

  // Ten characters: nine agreeing positions are enough, eight are not.
  name = "ABCDEFGHIJ";
  EXPECT_TRUE(MatchVuvodaGroup(name, std::vector<std::string>{"abcdefghiX"}, vuvoda));
  EXPECT_EQ(vuvoda, "abcdefghiX");
  name = "ABCDEFGHIJ";
  EXPECT_FALSE(MatchVuvodaGroup(name, std::vector<std::string>{"abcdefghXX"}, vuvoda));
  // Positions beyond the end of the Vuvoda name never agree.
  name = "ABCDEFGHIJ";
  EXPECT_FALSE(MatchVuvodaGroup(name, std::vector<std::string>{"ABCDEFGH"}, vuvoda));
}

TEST(MatchVuvodaGroup, PunctuationAndTheWordAndAreIgnored) {
  std::string vuvoda;
  // " and " becomes "&" without blanks, so it meets "&" written without blanks...
  std::string name = "Loans and Advances (Asset)";
  EXPECT_TRUE(MatchVuvodaGroup(name, std::vector<std::string>{"Loans&Advances Asset"}, vuvoda));
  // ...but not " & " with them: every later position is shifted.
  name = "Loans and Advances (Asset)";
  EXPECT_FALSE(
      MatchVuvodaGroup(name, std::vector<std::string>{"Loans & Advances (Asset)"}, vuvoda));
  name = "DUTIES/TAXES";
  // Dropping "/" shifts the rest: no longer alike by position.
  EXPECT_FALSE(MatchVuvodaGroup(name, std::vector<std::string>{"Duties Taxes"}, vuvoda));
  name = "Duties.Taxes";
  EXPECT_TRUE(MatchVuvodaGroup(name, std::vector<std::string>{"(Duties)Taxes"}, vuvoda));
}

TEST(MatchVuvodaGroup, TheLastAlikeGroupWins) {
  std::string vuvoda;
  std::string name = "Bank Account";
  EXPECT_TRUE(MatchVuvodaGroup(
      name, std::vector<std::string>{"Bank Accounts", "BANK ACCOUNT", "Cash"}, vuvoda));
  EXPECT_EQ(vuvoda, "BANK ACCOUNT");
}

TEST(MatchVuvodaGroup, WellKnownNamesWhenNothingIsAlike) {
  std::string vuvoda;
  std::string name = "Profit & Loss A/c";
  EXPECT_TRUE(MatchVuvodaGroup(name, std::vector<std::string>{"Capital"}, vuvoda));
  EXPECT_EQ(vuvoda, "Profit & Loss");
  name = "purchase account";
  EXPECT_TRUE(MatchVuvodaGroup(name, std::vector<std::string>{}, vuvoda));
  EXPECT_EQ(vuvoda, "Purchase");
  // Nothing left after the clean-up: no division by zero, and no likeness.
  name = "/().";
  EXPECT_FALSE(MatchVuvodaGroup(name, std::vector<std::string>{"", "X"}, vuvoda));
  name = "";
  EXPECT_FALSE(MatchVuvodaGroup(name, std::vector<std::string>{""}, vuvoda));
}

TEST(AutoMapGroups, PairsWhatMatchesAndLeavesTheRest) {
  auto vuvoda = Groups({"Sundry Debtors", "Profit & Loss", "Capital Account"});
  std::vector<std::string> items = {"Capital Account", "PROFIT & LOSS A/C", "Sales Account",
                                    "Sundry Debtors", "Weird Group"};
  KeyedCollection<std::string> pending;
  std::vector<AutoPair> pairs = AutoMapGroups(items, vuvoda, pending);
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

TEST(AutoMapGroups, ALongNameIsShownCutButKeptWhole) {
  auto vuvoda = Groups({"SUNDRY CREDITORS FOR GOODS AND SERVICES O"});
  std::string item = "Sundry Creditors for Goods and Services of the Head Office";
  KeyedCollection<std::string> pending;
  auto pairs = AutoMapGroups({item}, vuvoda, pending);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].shown, "SUNDRY CREDITORS FOR GOODS AND SERVICES ");
  EXPECT_TRUE(pending.Contains(item));
  // Removing the pair from the list finds the whole key behind the cut text.
  EXPECT_EQ(FindPairKey(pending, pairs[0].shown), item);
  EXPECT_EQ(FindPairKey(pending, "nothing like it"), "");
  pending.Add("Cash", "Cash|Cash-in-hand");
  EXPECT_EQ(FindPairKey(pending, "Cash"), "Cash");
}

TEST(GroupMapping, PairsBecomeBarJoinedValues) {
  KeyedCollection<std::string> mapping;
  FillGroupMapping({{"Sundry Debtors", "Debtors"}, {"sundry debtors", "Other"}}, mapping);
  EXPECT_EQ(mapping.Count(), 1u);  // the first pair under a name is kept
  EXPECT_EQ(*mapping.Find("SUNDRY DEBTORS"), "Sundry Debtors|Debtors");
}

}  // namespace
}  // namespace vodare
