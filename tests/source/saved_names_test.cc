// Saved names of items and ledgers: cut, repeat suffix, and no two alike.
#include "source/saved_names.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/golden.h"

namespace vodare {
namespace {

// "Allocate [name|name...] -> " the names one allocator gives for the names asked in turn.
TEST(SavedNameAllocator, RepeatsGetTheirCountCaseMakesNoNameNewAndNoNameIsGivenTwice) {
  testing::ExpectKeptAnswers("saved_names.txt", [](const std::string&, const std::string& in) {
    SavedNameAllocator names;
    std::string given, asked;
    for (std::istringstream list(in); std::getline(list, asked, '|');)
      given += (given.empty() ? "" : " ") + names.Allocate(asked);
    return given;
  });

  SavedNameAllocator names;
  // Characters, not bytes: a name of 41 accented letters is cut to 40 letters.
  std::string accented;
  for (int i = 0; i < 41; ++i) accented += "é";
  EXPECT_EQ(Len(names.Allocate(accented)), 40u);
  const std::string again = names.Allocate(accented);
  EXPECT_EQ(Len(again), 40u);
  EXPECT_EQ(again.substr(again.size() - 2), "#1");
  // Ten repeats need a two-digit suffix.
  const std::string forty(40, 'N');
  for (int i = 0; i < 10; ++i) names.Allocate(forty);  // as given, then #1 to #9
  EXPECT_EQ(names.Allocate(forty), std::string(37, 'N') + "#10");
}

}  // namespace
}  // namespace vodare
