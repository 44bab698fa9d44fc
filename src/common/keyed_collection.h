#pragma once
// The program's keyed collection: values under text keys that are compared without regard to
// case, kept in the order they were added.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/text.h"

namespace vodare {

template <typename T>
class KeyedCollection {
 public:
  bool Contains(std::string_view key) const { return index_.count(FoldKey(key)) != 0; }
  // Adds under the key; false (nothing changed) when the key is already present.
  bool Add(std::string_view key, T value) {
    auto [it, inserted] = index_.try_emplace(FoldKey(key), entries_.size());
    if (!inserted) return false;
    entries_.push_back(Entry{std::string(key), std::move(value)});
    ++live_;
    return true;
  }
  bool Remove(std::string_view key) {
    auto it = index_.find(FoldKey(key));
    if (it == index_.end()) return false;
    // The entry's place stays, empty, so that the others keep theirs (and what Find gave).
    Entry& e = entries_[it->second];
    e.value.reset();
    std::string().swap(e.key);
    index_.erase(it);
    --live_;
    return true;
  }
  const T* Find(std::string_view key) const {
    auto it = index_.find(FoldKey(key));
    if (it == index_.end()) return nullptr;
    return &*entries_[it->second].value;
  }
  T* Find(std::string_view key) {
    auto it = index_.find(FoldKey(key));
    if (it == index_.end()) return nullptr;
    return &*entries_[it->second].value;
  }
  size_t Count() const { return live_; }
  bool Empty() const { return live_ == 0; }
  void Clear() {
    entries_.clear();
    index_.clear();
    live_ = 0;
  }
  // Walks key and value in the order they were added.
  template <typename F>
  void ForEach(F&& f) const {
    for (const Entry& e : entries_)
      if (e.value) f(e.key, *e.value);
  }

 private:
  struct Entry {
    std::string key;
    std::optional<T> value;  // none once removed
  };
  // In the order added, in blocks: a collection of a million keys is never copied as it grows.
  std::deque<Entry> entries_;
  std::unordered_map<std::string, size_t> index_;  // folded key -> place in entries_
  size_t live_ = 0;
};

// False when the collection is empty or holds nothing under the key; otherwise copies the value.
template <typename T>
bool CollectionLookup(const KeyedCollection<T>& collection, std::string_view key, T* out) {
  const T* found = collection.Find(key);
  if (!found) return false;
  if (out) *out = *found;
  return true;
}

// 0 the first time a name is met in this collection, 1 the second, and so on.
inline int16_t NextNameOccurrence(KeyedCollection<int16_t>& counters, std::string_view name) {
  if (int16_t* count = counters.Find(name)) return ++*count;
  counters.Add(name, 0);
  return 0;
}

}  // namespace vodare
