#pragma once
// A field value as the export's engine hands it over: Null, text, number, whole number, flag or
// date. Null is distinct from empty text, as the stages rely on.

#include <cstdint>
#include <string>
#include <variant>

#include "common/text.h"

namespace vodare {

struct Null {
  friend bool operator==(Null, Null) { return true; }
};

class Value {
 public:
  using Storage = std::variant<Null, std::string, double, int64_t, bool, Date>;

  Value() = default;
  Value(Null) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(double d) : v_(d) {}
  Value(int i) : v_(static_cast<int64_t>(i)) {}
  Value(int64_t i) : v_(i) {}
  Value(bool b) : v_(b) {}
  Value(Date d) : v_(d) {}

  bool IsNull() const { return std::holds_alternative<Null>(v_); }
  bool IsText() const { return std::holds_alternative<std::string>(v_); }
  bool IsDouble() const { return std::holds_alternative<double>(v_); }
  bool IsInteger() const { return std::holds_alternative<int64_t>(v_); }
  bool IsNumber() const { return IsDouble() || IsInteger(); }
  bool IsBool() const { return std::holds_alternative<bool>(v_); }
  bool IsDate() const { return std::holds_alternative<Date>(v_); }

  const std::string& Text() const { return std::get<std::string>(v_); }
  double Double() const { return std::get<double>(v_); }
  int64_t Integer() const { return std::get<int64_t>(v_); }
  bool Bool() const { return std::get<bool>(v_); }
  Date DateValue() const { return std::get<Date>(v_); }
  const Storage& storage() const { return v_; }

  // The value's own conversion to text: numbers in the default form, flags "True"/"False",
  // dates dd-mm-yyyy. Null raises "Invalid use of Null".
  std::string ToText() const;
  // Conversion to a number: texts by the locale's conversion, flags -1/0, dates their serial.
  // Null raises "Invalid use of Null"; text that is not a number raises "Type mismatch".
  double ToDouble() const;
  // Conversion to a date: dates as they are, texts read in the date text forms.
  Date ToDate() const;

  friend bool operator==(const Value& a, const Value& b) { return a.v_ == b.v_; }

 private:
  Storage v_;
};

}  // namespace vodare
