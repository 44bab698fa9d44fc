#pragma once
// A set of text keys held compactly: every key's bytes one after another in one block, and an
// open table of 4-byte places into it. A year of voucher numbers is millions of short keys; as
// strings in nodes each would cost about 70 bytes, here about 20. Keys are compared whole, so
// two keys never pass for one.

#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/keyed_collection.h"
#include "common/text.h"

namespace vodare {

class KeySet {
 public:
  // Adds the key; false when it was already there.
  bool Insert(std::string_view key) {
    if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
    const size_t at = Locate(key, std::hash<std::string_view>{}(key));
    if (slots_[at]) return false;
    if (bytes_.size() + sizeof(uint32_t) + key.size() >= UINT32_MAX)
      throw std::length_error("too many keys for one set");
    slots_[at] = static_cast<uint32_t>(bytes_.size() + 1);
    const auto n = static_cast<uint32_t>(key.size());
    bytes_.append(reinterpret_cast<const char*>(&n), sizeof n);
    bytes_.append(key);
    ++count_;
    return true;
  }
  bool Contains(std::string_view key) const {
    return !slots_.empty() && slots_[Locate(key, std::hash<std::string_view>{}(key))] != 0;
  }
  size_t Count() const { return count_; }

 private:
  std::string_view KeyAt(uint32_t place) const {
    uint32_t n = 0;
    std::memcpy(&n, bytes_.data() + place - 1, sizeof n);
    return std::string_view(bytes_.data() + place - 1 + sizeof n, n);
  }
  // The slot holding the key, or the empty slot where it would go.
  size_t Locate(std::string_view key, size_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask)
      if (!slots_[i] || KeyAt(slots_[i]) == key) return i;
  }
  void Grow() {
    std::vector<uint32_t> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, 0);
    const size_t mask = slots_.size() - 1;
    for (uint32_t place : old) {
      if (!place) continue;
      size_t i = std::hash<std::string_view>{}(KeyAt(place)) & mask;
      while (slots_[i]) i = (i + 1) & mask;
      slots_[i] = place;
    }
  }

  std::string bytes_;
  std::vector<uint32_t> slots_;
  size_t count_ = 0;
};

// 0 the first time a name is met (case aside), 1 the second, and so on. A year's vouchers are
// nearly all met once: those are only held in a key set, and counts are kept for the repeated.
class NameOccurrences {
 public:
  int16_t Next(std::string_view name) {
    if (once_.Insert(FoldKey(name))) return 0;
    return static_cast<int16_t>(NextNameOccurrence(repeated_, name) + 1);
  }

 private:
  KeySet once_;
  KeyedCollection<int16_t> repeated_;
};

}  // namespace vodare
