#include "common/helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "common/keyed_collection.h"
#include "common/xml.h"
#include "support/golden.h"

namespace vodare {
namespace {

// Long runs of adds and removals in changing case, against a plain map of the folded keys.
TEST(KeyedCollection, AddsRemovesAndFindsAsAMapOfFoldedKeysWouldInAddedOrder) {
  std::mt19937 random(7);
  for (const int distinct : {3, 40, 700}) {
    KeyedCollection<int> c;
    std::map<std::string, int> expected;
    std::vector<std::string> order;  // folded keys in the order they were added, none removed
    for (int step = 0; step < 6000; ++step) {
      std::string key = "k" + std::to_string(random() % distinct);
      if (random() % 2) key[0] = 'K';
      const std::string folded = FoldKey(key);
      switch (random() % 3) {
        case 0: {
          const bool added = c.Add(key, step);
          ASSERT_EQ(added, expected.emplace(folded, step).second) << key << " at step " << step;
          if (added) order.push_back(folded);
          break;
        }
        case 1: {
          const bool removed = expected.erase(folded) == 1;
          ASSERT_EQ(c.Remove(key), removed) << key << " at step " << step;
          if (removed) order.erase(std::find(order.begin(), order.end(), folded));
          break;
        }
        default: {
          const int* found = c.Find(key);
          auto it = expected.find(folded);
          ASSERT_EQ(found != nullptr, it != expected.end()) << key << " at step " << step;
          if (found) EXPECT_EQ(*found, it->second);
        }
      }
      ASSERT_EQ(c.Count(), expected.size());
    }
    std::vector<std::string> walked;
    c.ForEach([&](const std::string& key, int) { walked.push_back(FoldKey(key)); });
    EXPECT_EQ(walked, order);
  }
}

// Input: the kind, the value as type:text, "keep" to keep an empty value (xml_elements.txt).
TEST(AddXmlElement, LeavesOutEmptyValuesByKindAndSerialisesOnlyMarkupAsEntities) {
  testing::ExpectKeptAnswers("xml_elements.txt", [](const std::string&, const std::string& in) {
    const std::vector<std::string> p = testing::InputParts(in, 3);
    const std::string type = p[1].substr(0, p[1].find(':')), text = p[1].substr(type.size() + 1);
    const Value value = type == "date"     ? Value(ParseDateText(text))
                        : type == "double" ? Value(std::stod(text))
                        : type == "int"    ? Value(int64_t{std::stoi(text)})
                        : type == "bool"   ? Value(text == "true")
                                           : Value(text);
    RecordWriter record("R");
    if (!AddXmlElement(record.root(), "E", value, std::stoi(p[0]), p[2] == "keep"))
      return std::string("left out");
    return record.Finish();
  });
}

// The record's text is the one the DOM serialiser writes for the same elements, for every byte a
// value may hold, empty and nested elements alike; an element added out of order is refused.
TEST(RecordWriter, WritesWhatTheSerialiserWritesAndRefusesElementsOutOfOrder) {
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  pugi::xml_document doc;
  pugi::xml_node r = doc.append_child("R");
  RecordWriter record("R");
  for (const std::string& v : {every, std::string(), std::string(" a\r\n")}) {
    r.append_child("E").text().set(v.c_str());
    AddXmlElement(record.root(), "E", Value(v), 0, true);
  }
  r.append_child("G").append_child("H");
  const RecordElement g = record.root().append_child("G");
  g.append_child("H");
  r.append_child("I");
  record.root().append_child("I");
  EXPECT_THROW(g.append_child("J"), std::logic_error);
  EXPECT_EQ(record.Finish(), XmlText(doc));
}

}  // namespace
}  // namespace vodare
