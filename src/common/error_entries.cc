#include "common/error_entries.h"

#include <utility>

#include "common/helpers.h"

namespace vodare {

void ErrorList::Add(std::string stage, std::string key, std::string message, std::string end) {
  entries_.push_back({std::move(stage), std::move(key), std::move(message), std::move(end)});
}

void ErrorList::Append(const ErrorList& other) {
  entries_.insert(entries_.end(), other.entries_.begin(), other.entries_.end());
}

bool ErrorList::Blank() const {
  for (const ErrorEntry& e : entries_)
    if (!IsBlank(e.message) || !IsBlank(e.end)) return false;
  return true;
}

std::string ErrorList::Text() const {
  size_t size = 0;
  for (const ErrorEntry& e : entries_) size += e.message.size() + e.end.size();
  std::string text;
  text.reserve(size);
  for (const ErrorEntry& e : entries_) {
    text += e.message;
    text += e.end;
  }
  return text;
}

}  // namespace vodare
