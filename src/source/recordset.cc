#include "source/recordset.h"

#include <cstring>

#include "common/run_error.h"
#include "common/text.h"

namespace vodare {
namespace {
[[noreturn]] void NoCurrentRecord() { throw RunTimeError(kNoCurrentRecord, 3021); }
}  // namespace

RecordsetData::RecordsetData(std::shared_ptr<const std::vector<std::string>> names)
    : names_(std::move(names)) {}

namespace {
template <typename T>
void Put(std::string& bytes, T v) {
  bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
}
template <typename T>
T Get(const char*& p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  p += sizeof v;
  return v;
}
}  // namespace

void RecordsetData::AppendUnreadable(char kind, std::string_view text) {
  bytes_ += kUnreadable;
  bytes_ += kind;
  AppendText(text);
}

void RecordsetData::AppendText(std::string_view text) {
  bytes_ += kText;
  // Length as a variable number of 7-bit groups: most field texts need one byte.
  uint64_t n = text.size();
  while (n >= 0x80) {
    bytes_ += static_cast<char>((n & 0x7F) | 0x80);
    n >>= 7;
  }
  bytes_ += static_cast<char>(n);
  bytes_ += text;
}

void RecordsetData::AppendDouble(double d) {
  bytes_ += kDouble;
  Put(bytes_, d);
}

void RecordsetData::AppendInteger(int64_t i) {
  bytes_ += kInteger;
  Put(bytes_, i);
}

void RecordsetData::AppendDate(Date d) {
  bytes_ += kDate;
  Put(bytes_, d.Serial());
}

void RecordsetData::Append(const Value& v) {
  switch (v.storage().index()) {
    case 0:
      return AppendNull();
    case 1:
      return AppendText(v.Text());
    case 2:
      return AppendDouble(v.Double());
    case 3:
      return AppendInteger(v.Integer());
    case 4:
      return AppendBool(v.Bool());
    default:
      return AppendDate(v.DateValue());
  }
}

void RecordsetData::Shrink() {
  if (bytes_.capacity() > bytes_.size() + bytes_.size() / 4) bytes_.shrink_to_fit();
  if (row_starts_.capacity() > row_starts_.size() + row_starts_.size() / 4)
    row_starts_.shrink_to_fit();
}

void RecordsetData::ReadRow(size_t row, std::vector<Value>& out,
                            std::vector<std::pair<uint32_t, char>>* unreadable) const {
  out.clear();
  if (unreadable) unreadable->clear();
  const char* p = bytes_.data() + row_starts_[row];
  for (size_t i = 0; i < width(); ++i) {
    Tag tag = static_cast<Tag>(*p++);
    if (tag == kUnreadable) {
      char kind = *p++;
      if (unreadable) unreadable->emplace_back(static_cast<uint32_t>(i), kind);
      tag = static_cast<Tag>(*p++);  // the text itself
    }
    switch (tag) {
      case kUnreadable:
      case kNull:
        out.emplace_back();
        break;
      case kText: {
        uint64_t n = 0;
        int shift = 0;
        unsigned char b;
        do {
          b = static_cast<unsigned char>(*p++);
          n |= static_cast<uint64_t>(b & 0x7F) << shift;
          shift += 7;
        } while (b & 0x80);
        out.emplace_back(std::string(p, n));
        p += n;
        break;
      }
      case kDouble:
        out.emplace_back(Get<double>(p));
        break;
      case kInteger:
        out.emplace_back(Get<int64_t>(p));
        break;
      case kFalse:
        out.emplace_back(false);
        break;
      case kTrue:
        out.emplace_back(true);
        break;
      case kDate:
        out.emplace_back(Date::FromSerial(Get<int32_t>(p)));
        break;
    }
  }
}

Recordset Recordset::FromRows(std::vector<std::string> names,
                              const std::vector<std::vector<Value>>& rows) {
  auto data = std::make_shared<RecordsetData>(
      std::make_shared<const std::vector<std::string>>(std::move(names)));
  for (const std::vector<Value>& row : rows) {
    data->StartRow();
    for (size_t i = 0; i < data->width(); ++i) data->Append(i < row.size() ? row[i] : Value());
  }
  return Recordset(std::move(data));
}

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

size_t Recordset::FieldCount() const { return Data().width(); }

const std::string& Recordset::FieldName(size_t index) const {
  const RecordsetData& d = Data();
  if (index >= d.width()) throw RunTimeError(kItemNotFound, 3265);
  return d.names()[index];
}

const std::vector<std::string>& Recordset::FieldNames() const { return Data().names(); }

int Recordset::FieldIndex(std::string_view name) const {
  const RecordsetData& d = Data();
  const std::vector<std::string>& names = d.names();
  for (size_t i = 0; i < names.size(); ++i)
    if (EqualsNoCase(names[i], name)) return static_cast<int>(i);
  return -1;
}

const Value& Recordset::Current(size_t index) const {
  const RecordsetData& d = Data();
  if (index >= d.width()) throw RunTimeError(kItemNotFound, 3265);
  if (d.RowCount() == 0 || pos_ < 0 || pos_ >= static_cast<int64_t>(d.RowCount()))
    NoCurrentRecord();
  if (row_pos_ != pos_) {
    d.ReadRow(static_cast<size_t>(pos_), row_, &row_unreadable_);
    row_pos_ = pos_;
  }
  // A value the export holds but that could not be read is never handed on as a value: the
  // stage that reads it refuses its record, and says which value it was.
  for (const auto& [field, kind] : row_unreadable_) {
    if (field == index)
      throw RunTimeError(std::string(kTypeMismatch) + ": field " + d.names()[index] + " holds \"" +
                             row_[index].Text() + "\", which is not " +
                             (kind == 'D' ? "a date" : "a number"),
                         13);
  }
  return row_[index];
}

const Value& Recordset::Field(std::string_view name) const {
  int index = FieldIndex(name);
  if (index < 0) throw RunTimeError(kItemNotFound, 3265);
  return Current(static_cast<size_t>(index));
}

const Value& Recordset::Field(size_t index) const { return Current(index); }

const Value& Recordset::StoredField(size_t index) const {
  try {
    return Current(index);
  } catch (const RunTimeError&) {
    if (row_pos_ == pos_ && index < row_.size()) return row_[index];
    throw;
  }
}

}  // namespace vodare
