// Saved names of items and ledgers: cut, repeat suffix, and no two alike.
#include "source/saved_names.h"

#include <gtest/gtest.h>

namespace vodare {
namespace {

TEST(SavedNameAllocator, RepeatsGetTheirCountAndCaseDoesNotMakeANameNew) {
  SavedNameAllocator names;
  EXPECT_EQ(names.Allocate("SOAP"), "SOAP");
  EXPECT_EQ(names.Allocate("soap"), "soap#1");
  EXPECT_EQ(names.Allocate("Soap"), "Soap#2");
}

TEST(SavedNameAllocator, ARealNameLikeASuffixedOneIsNotGivenTwice) {
  SavedNameAllocator names;
  EXPECT_EQ(names.Allocate("ABC"), "ABC");
  EXPECT_EQ(names.Allocate("ABC"), "ABC#1");
  EXPECT_EQ(names.Allocate("ABC#1"), "ABC#1#1");
  EXPECT_EQ(names.Allocate("abc#1"), "abc#1#2");
  // The other way round: the real name first, then the repeat steps over it.
  SavedNameAllocator other;
  EXPECT_EQ(other.Allocate("XY#1"), "XY#1");
  EXPECT_EQ(other.Allocate("XY"), "XY");
  EXPECT_EQ(other.Allocate("xy"), "xy#2");
  EXPECT_EQ(other.Allocate("XY"), "XY#3");
}

TEST(SavedNameAllocator, FortyCharactersIncludingTheSuffix) {
  SavedNameAllocator names;
  std::string forty(40, 'N');
  EXPECT_EQ(names.Allocate(forty + "TAIL"), forty);
  EXPECT_EQ(names.Allocate(forty), std::string(38, 'N') + "#1");
  std::string thirty_nine(39, 'M');
  EXPECT_EQ(names.Allocate(thirty_nine), thirty_nine);
  EXPECT_EQ(names.Allocate(thirty_nine), std::string(38, 'M') + "#1");
  // Characters, not bytes: a name of 40 accented letters is cut as 40 letters.
  std::string accented;
  for (int i = 0; i < 41; ++i) accented += "é";
  std::string cut = names.Allocate(accented);
  EXPECT_EQ(Len(cut), 40u);
  std::string again = names.Allocate(accented);
  EXPECT_EQ(Len(again), 40u);
  EXPECT_EQ(again.substr(again.size() - 2), "#1");
  // Ten repeats need a two-digit suffix.
  for (int i = 2; i < 10; ++i) names.Allocate(forty);  // #2 to #9
  EXPECT_EQ(names.Allocate(forty), std::string(37, 'N') + "#10");
}

}  // namespace
}  // namespace vodare
