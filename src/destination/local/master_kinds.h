#pragma once
// The master kinds the store knows, in one table: the number, the root element of its record
// and its display name.

#include <cstdint>

namespace vodare::local {

struct MasterKindEntry {
  int16_t kind;
  // Null for the kinds the store makes itself along with an item (item groups, units): they
  // are never sent as records of their own.
  const char* element;
  const char* display;
};

// The entry of that kind; null for a kind the store does not know.
const MasterKindEntry* FindMasterKind(int kind);

}  // namespace vodare::local
