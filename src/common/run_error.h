#pragma once
// The program's "run-time error": what a stage's handler catches and turns into an error line.
// Nothing else is thrown across layers; the description is the text the user reads.

#include <stdexcept>
#include <string>

namespace vodare {

class RunTimeError : public std::runtime_error {
 public:
  explicit RunTimeError(const std::string& description, int number = 0)
      : std::runtime_error(description), number_(number) {}
  const char* Description() const noexcept { return what(); }
  int Number() const noexcept { return number_; }

 private:
  int number_;
};

// The descriptions the stages rely on, spelt once.
inline constexpr const char* kTypeMismatch = "Type mismatch";
inline constexpr const char* kNoCurrentRecord = "No current record.";
inline constexpr const char* kInvalidUseOfNull = "Invalid use of Null";
inline constexpr const char* kDivisionByZero = "Division by zero";
inline constexpr const char* kOverflow = "Overflow";
inline constexpr const char* kObjectNotSet = "Object variable or With block variable not set";
inline constexpr const char* kItemNotFound = "Item not found in this collection.";

[[noreturn]] inline void ThrowTypeMismatch() { throw RunTimeError(kTypeMismatch, 13); }

}  // namespace vodare
