#include "source/recordset.h"

#include "common/run_error.h"
#include "common/text.h"

namespace vodare {
namespace {
[[noreturn]] void NoCurrentRecord() { throw RunTimeError(kNoCurrentRecord, 3021); }
}  // namespace

Recordset::Recordset(std::shared_ptr<const RecordsetData> data) : data_(std::move(data)) {
  pos_ = Data().RowCount() == 0 ? -1 : 0;
}

const RecordsetData& Recordset::Data() const {
  if (!data_) throw RunTimeError(kObjectNotSet, 91);
  return *data_;
}

bool Recordset::Eof() const {
  const RecordsetData& d = Data();
  return d.RowCount() == 0 || pos_ >= static_cast<int64_t>(d.RowCount());
}

bool Recordset::Bof() const {
  const RecordsetData& d = Data();
  return d.RowCount() == 0 || pos_ < 0;
}

int64_t Recordset::RecordCount() const { return static_cast<int64_t>(Data().RowCount()); }

void Recordset::MoveFirst() {
  if (Data().RowCount() == 0) NoCurrentRecord();
  pos_ = 0;
}

void Recordset::MoveLast() {
  const RecordsetData& d = Data();
  if (d.RowCount() == 0) NoCurrentRecord();
  pos_ = static_cast<int64_t>(d.RowCount()) - 1;
}

void Recordset::MoveNext() {
  if (Eof()) NoCurrentRecord();
  ++pos_;
}

void Recordset::MovePrevious() {
  if (Bof()) NoCurrentRecord();
  --pos_;
}

int64_t Recordset::AbsolutePosition() const {
  if (Eof() || Bof()) return -1;
  return pos_;
}

size_t Recordset::FieldCount() const { return Data().width; }

const std::string& Recordset::FieldName(size_t index) const {
  const RecordsetData& d = Data();
  if (index >= d.names->size()) throw RunTimeError(kItemNotFound, 3265);
  return (*d.names)[index];
}

const std::vector<std::string>& Recordset::FieldNames() const { return *Data().names; }

int Recordset::FieldIndex(std::string_view name) const {
  const RecordsetData& d = Data();
  const std::vector<std::string>& names = *d.names;
  for (size_t i = 0; i < names.size(); ++i)
    if (EqualsNoCase(names[i], name)) return static_cast<int>(i);
  return -1;
}

const Value& Recordset::Current(size_t index) const {
  const RecordsetData& d = Data();
  if (index >= d.width) throw RunTimeError(kItemNotFound, 3265);
  if (d.RowCount() == 0 || pos_ < 0 || pos_ >= static_cast<int64_t>(d.RowCount()))
    NoCurrentRecord();
  return d.values[static_cast<size_t>(pos_) * d.width + index];
}

const Value& Recordset::Field(std::string_view name) const {
  int index = FieldIndex(name);
  if (index < 0) throw RunTimeError(kItemNotFound, 3265);
  return Current(static_cast<size_t>(index));
}

const Value& Recordset::Field(size_t index) const { return Current(index); }

}  // namespace vodare
