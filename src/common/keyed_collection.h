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
  bool Contains(std::string_view key) const { return Locate(FoldKey(key)) != kNone; }
  // Adds under the key; false (nothing changed) when the key is already present.
  bool Add(std::string_view key, T value) {
    const std::string folded = FoldKey(key);
    const size_t hash = Hash(folded);
    if (Locate(folded, hash) != kNone) return false;
    if ((live_ + 1) * 4 > slots_.size() * 3) Grow();
    entries_.push_back(Entry{std::string(key), std::move(value), hash});
    Place(static_cast<uint32_t>(entries_.size()), hash);
    ++live_;
    return true;
  }
  bool Remove(std::string_view key) {
    const size_t slot = Locate(FoldKey(key));
    if (slot == kNone) return false;
    // The entry's place stays, empty, so that the others keep theirs (and what Find gave).
    Entry& e = entries_[slots_[slot] - 1];
    e.value.reset();
    std::string().swap(e.key);
    Vacate(slot);
    --live_;
    return true;
  }
  const T* Find(std::string_view key) const {
    const size_t slot = Locate(FoldKey(key));
    if (slot == kNone) return nullptr;
    return &*entries_[slots_[slot] - 1].value;
  }
  T* Find(std::string_view key) {
    const size_t slot = Locate(FoldKey(key));
    if (slot == kNone) return nullptr;
    return &*entries_[slots_[slot] - 1].value;
  }
  size_t Count() const { return live_; }
  bool Empty() const { return live_ == 0; }
  void Clear() {
    entries_.clear();
    slots_.clear();
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
    size_t hash;             // of the folded key
  };
  static constexpr size_t kNone = static_cast<size_t>(-1);

  static size_t Hash(std::string_view folded) { return std::hash<std::string_view>{}(folded); }
  size_t Mask() const { return slots_.size() - 1; }

  size_t Locate(const std::string& folded) const { return Locate(folded, Hash(folded)); }
  // The slot that holds the folded key's entry, or kNone. The entry's own key is folded again
  // only when the hashes agree, which for a different key is all but never.
  size_t Locate(const std::string& folded, size_t hash) const {
    if (slots_.empty()) return kNone;
    for (size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      const uint32_t place = slots_[i];
      if (place == 0) return kNone;
      const Entry& e = entries_[place - 1];
      if (e.hash == hash && FoldKey(e.key) == folded) return i;
    }
  }
  void Place(uint32_t place, size_t hash) {
    size_t i = hash & Mask();
    while (slots_[i] != 0) i = (i + 1) & Mask();
    slots_[i] = place;
  }
  // Empties a slot and moves back the entries of the run after it that would otherwise no
  // longer be found from their home slot.
  void Vacate(size_t hole) {
    for (size_t i = (hole + 1) & Mask(); slots_[i] != 0; i = (i + 1) & Mask()) {
      const size_t home = entries_[slots_[i] - 1].hash & Mask();
      // The entry at i may fill the hole when its home does not lie in (hole, i].
      const bool stays = hole < i ? (home > hole && home <= i) : (home > hole || home <= i);
      if (stays) continue;
      slots_[hole] = slots_[i];
      hole = i;
    }
    slots_[hole] = 0;
  }
  void Grow() {
    std::vector<uint32_t> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, 0);
    for (uint32_t place : old)
      if (place != 0) Place(place, entries_[place - 1].hash);
  }

  // In the order added, in blocks: a collection of a million keys is never copied as it grows.
  std::deque<Entry> entries_;
  // An open table of places in entries_ (place + 1; 0 is a free slot), at most three quarters
  // full: four bytes a slot in place of a node and a folded copy of the key per entry.
  std::vector<uint32_t> slots_;
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
