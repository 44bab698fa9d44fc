#include "source/saved_names.h"

#include "common/helpers.h"
#include "common/text.h"

namespace vodare {

std::string SuffixedName(std::string_view name, int n) {
  std::string suffix = "#" + std::to_string(n);
  size_t keep = kSavedNameLength > suffix.size() ? kSavedNameLength - suffix.size() : 0;
  if (Len(name) > keep) return Left(name, keep) + suffix;
  return std::string(name) + suffix;
}

SavedName SavedNameAllocator::Take(std::string_view trimmed_name) {
  SavedName out;
  out.full = CleanTextCopy(trimmed_name, 2);
  out.print = Left(out.full, kSavedNameLength);
  out.name = TakeCut(out.print);
  return out;
}

std::string SavedNameAllocator::TakeCut(std::string_view cut_name) {
  int n = NextNameOccurrence(counters_, cut_name);
  std::string candidate = n == 0 ? std::string(cut_name) : SuffixedName(cut_name, n);
  while (IsTaken(candidate)) candidate = SuffixedName(cut_name, ++n);
  taken_.insert(FoldKey(candidate));
  return candidate;
}

bool SavedNameAllocator::IsTaken(std::string_view name) const {
  return taken_.count(FoldKey(name)) != 0;
}

void SavedNameAllocator::Clear() {
  counters_.Clear();
  taken_.clear();
}

}  // namespace vodare
