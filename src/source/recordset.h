#pragma once
// A read-only snapshot of a query's rows with a current-record cursor. A recordset that could
// not be opened is "nothing": every use of it raises the object-not-set run-time error, so the
// stage that goes on to use it records the failure in its own handler. Moving in an empty
// recordset, or reading a field before the first or after the last row, raises
// "No current record.".

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"

namespace vodare {

struct RecordsetData {
  std::shared_ptr<const std::vector<std::string>> names;  // field names in select order
  size_t width = 0;                                       // fields per row
  std::vector<Value> values;                              // row after row
  size_t RowCount() const { return width == 0 ? 0 : values.size() / width; }
};

class Recordset {
 public:
  // Nothing.
  Recordset() = default;
  explicit Recordset(std::shared_ptr<const RecordsetData> data);

  bool IsNothing() const { return data_ == nullptr; }

  // Before the first row / after the last row. An empty recordset is both.
  bool Eof() const;
  bool Bof() const;
  // The number of rows (exact from the start).
  int64_t RecordCount() const;
  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  // 0-based position of the current row.
  int64_t AbsolutePosition() const;

  size_t FieldCount() const;
  const std::string& FieldName(size_t index) const;
  const std::vector<std::string>& FieldNames() const;
  // Index of the first field of that name, compared without regard to case; -1 when none.
  int FieldIndex(std::string_view name) const;
  // The current row's value; unknown names raise "Item not found in this collection.".
  const Value& Field(std::string_view name) const;
  const Value& Field(size_t index) const;
  const Value& operator[](std::string_view name) const { return Field(name); }
  // Releases the rows; the recordset becomes nothing.
  void Close() { data_.reset(); }

 private:
  const RecordsetData& Data() const;
  const Value& Current(size_t index) const;

  std::shared_ptr<const RecordsetData> data_;
  int64_t pos_ = 0;  // -1 before the first row, RowCount() after the last
};

}  // namespace vodare
