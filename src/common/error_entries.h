#pragma once
// The run's error list: one entry per record that did not move (or per step that failed),
// with the stage that wrote it and the record it is about, so that nothing needs to read a
// message back to learn what it concerns. The run's error text (each entry followed by "_")
// is made from it wherever that text is shown.

#include <string>
#include <vector>

namespace vodare {

struct ErrorEntry {
  std::string stage;    // the stage or step that wrote it, as the run summary names it
  std::string key;      // the record it is about (a name, a voucher key); empty for none
  std::string message;  // what the user reads, without the terminator
  // What follows the message in the error text: "_" but for the few entries that end
  // otherwise (a line break, or nothing at all).
  std::string end = "_";
};

class ErrorList {
 public:
  void Add(std::string stage, std::string key, std::string message, std::string end = "_");
  void Append(const ErrorList& other);
  void Clear() { entries_.clear(); }

  const std::vector<ErrorEntry>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  // True when the error text would be blank (no entries, or only blank ones without a "_").
  bool Blank() const;
  // The error text: every entry's message followed by its end.
  std::string Text() const;

 private:
  std::vector<ErrorEntry> entries_;
};

}  // namespace vodare
