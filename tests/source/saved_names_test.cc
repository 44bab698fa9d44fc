// Saved names of items and ledgers: cut, repeat suffix, and no two alike.
#include "source/saved_names.h"

#include <gtest/gtest.h>

namespace vodare {
namespace {

TEST(SavedNameAllocator, RepeatsGetTheirCountCaseMakesNoNameNewAndNoNameIsGivenTwice) {
  const std::string forty(40, 'N'), thirty_nine(39, 'M');
  // Each sequence goes to an allocator of its own: {name asked for, name given}.
  const std::vector<std::vector<std::pair<std::string, std::string>>> sequences = {
      {{"SOAP", "SOAP"}, {"soap", "soap#1"}, {"Soap", "Soap#2"}},
      // A real name like a suffixed one, after the repeat and before it.
      {{"ABC", "ABC"}, {"ABC", "ABC#1"}, {"ABC#1", "ABC#1#1"}, {"abc#1", "abc#1#2"}},
      {{"XY#1", "XY#1"}, {"XY", "XY"}, {"xy", "xy#2"}, {"XY", "XY#3"}},
      // Forty characters including the suffix.
      {{forty + "TAIL", forty},
       {forty, std::string(38, 'N') + "#1"},
       {thirty_nine, thirty_nine},
       {thirty_nine, std::string(38, 'M') + "#1"}},
  };
  for (const auto& sequence : sequences) {
    SavedNameAllocator names;
    for (const auto& [asked, given] : sequence) EXPECT_EQ(names.Allocate(asked), given) << asked;
  }

  SavedNameAllocator names;
  // Characters, not bytes: a name of 41 accented letters is cut to 40 letters.
  std::string accented;
  for (int i = 0; i < 41; ++i) accented += "é";
  EXPECT_EQ(Len(names.Allocate(accented)), 40u);
  const std::string again = names.Allocate(accented);
  EXPECT_EQ(Len(again), 40u);
  EXPECT_EQ(again.substr(again.size() - 2), "#1");
  // Ten repeats need a two-digit suffix.
  for (int i = 0; i < 10; ++i) names.Allocate(forty);  // as given, then #1 to #9
  EXPECT_EQ(names.Allocate(forty), std::string(37, 'N') + "#10");
}

}  // namespace
}  // namespace vodare
