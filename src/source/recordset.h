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

// The rows of a snapshot, packed: a large query's rows take a small part of what one value
// object per field would, and the current row is unpacked when the cursor reaches it.
class RecordsetData {
 public:
  explicit RecordsetData(std::shared_ptr<const std::vector<std::string>> names);

  const std::vector<std::string>& names() const { return *names_; }
  const std::shared_ptr<const std::vector<std::string>>& names_handle() const { return names_; }
  size_t width() const { return names_->size(); }
  size_t RowCount() const { return row_starts_.size(); }

  // Building: StartRow, then one Append per field.
  void StartRow() { row_starts_.push_back(bytes_.size()); }
  void AppendNull() { bytes_ += kNull; }
  void AppendText(std::string_view text);
  void AppendDouble(double d);
  void AppendInteger(int64_t i);
  void AppendBool(bool b) { bytes_ += b ? kTrue : kFalse; }
  void AppendDate(Date d);
  // A value of the export that could not be read, kept as text; kind 'N' (a number was
  // expected) or 'D' (a date). Reading it raises "Type mismatch" naming the field and the text.
  void AppendUnreadable(char kind, std::string_view text);
  void Append(const Value& v);
  void Shrink();

  // The values of one row; the unreadable ones hold their text, and their positions and kinds
  // go to unreadable when given.
  void ReadRow(size_t row, std::vector<Value>& out,
               std::vector<std::pair<uint32_t, char>>* unreadable = nullptr) const;

 private:
  enum Tag : char { kNull, kText, kDouble, kInteger, kFalse, kTrue, kDate, kUnreadable };
  std::shared_ptr<const std::vector<std::string>> names_;
  std::string bytes_;
  std::vector<uint64_t> row_starts_;
};

class Recordset {
 public:
  // Nothing.
  Recordset() = default;
  explicit Recordset(std::shared_ptr<const RecordsetData> data);

  // A snapshot of the given rows (one value per name each), for code that hands rows on
  // without a query, and for tests of the stages' record rules.
  static Recordset FromRows(std::vector<std::string> names,
                            const std::vector<std::vector<Value>>& rows);

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
  // The field names as every snapshot of one prepared query shares them: the same handle means
  // the same fields in the same order. Empty for a recordset of nothing.
  std::shared_ptr<const std::vector<std::string>> NamesHandle() const {
    return data_ ? data_->names_handle() : nullptr;
  }
  // The current row's value; unknown names raise "Item not found in this collection.".
  const Value& Field(std::string_view name) const;
  const Value& Field(size_t index) const;
  const Value& operator[](std::string_view name) const { return Field(name); }
  // The current row's value as the export holds it, an unreadable one as its text, without
  // raising: for tools that show rows, not for the stages.
  const Value& StoredField(size_t index) const;
  // Releases the rows; the recordset becomes nothing.
  void Close() { data_.reset(); }

 private:
  const RecordsetData& Data() const;
  const Value& Current(size_t index) const;

  std::shared_ptr<const RecordsetData> data_;
  int64_t pos_ = 0;                 // -1 before the first row, RowCount() after the last
  mutable std::vector<Value> row_;  // the current row, unpacked
  mutable std::vector<std::pair<uint32_t, char>> row_unreadable_;  // its unreadable values
  mutable int64_t row_pos_ = -1;  // which row row_ holds (-1: none)
};

}  // namespace vodare
