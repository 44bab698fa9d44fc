#include "common/key_set.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vodare {

// Against a plain set, with keys differing in their last byte, zero bytes and the empty key.
TEST(KeySet, HoldsExactlyTheKeysAPlainSetWould) {
  KeySet keys;
  std::set<std::string> plain;
  for (int i = 0; i < 20000; ++i) {
    std::string key = "A" + std::to_string(i % 7919);
    if (i % 5 == 0) key.push_back('\0');
    if (i == 3) key.clear();
    EXPECT_EQ(keys.Insert(key), plain.insert(key).second) << i;
  }
  EXPECT_EQ(keys.Count(), plain.size());
  for (const std::string& key : plain) EXPECT_TRUE(keys.Contains(key));
  EXPECT_FALSE(keys.Contains("A7919"));
  EXPECT_FALSE(keys.Contains(std::string("A1\0", 3) + "x"));
}

}  // namespace vodare
