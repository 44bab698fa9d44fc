#include "common/xml.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "common/helpers.h"
#include "common/run_error.h"

namespace vodare {

namespace {
// A value compared with a number the way the program compares a variant with 0: a text is
// never equal to a number.
bool EqualsZero(const Value& v) {
  if (v.IsNull() || v.IsText()) return false;
  if (v.IsDate()) return v.DateValue().Serial() == 0;
  return v.ToDouble() == 0;
}
}  // namespace

Value DefaultXmlValue(int kind) {
  switch (kind) {
    case 1:
      return Value(std::string());
    case 2:
    case 3:
    case 6:
    case 8:
      return Value(int64_t{0});
    case 4:
    case 5:
      return Value(0.0);
    case 7:
      return Value(false);
    default:
      return Value();
  }
}

bool IsEmptyXmlValue(const Value& value, int kind) {
  switch (kind) {
    case 1:
      if (value.IsNull()) return false;  // the conversion to text reports it
      return IsBlank(value.ToText());
    case 2:
    case 3:
    case 4:
    case 5:
      return EqualsZero(value);
    case 6:
    case 8: {
      if (value.IsNull()) return true;
      // A text is never on or before a date: it is written as it is, an empty one as an empty
      // element.
      if (value.IsText()) return false;
      if (value.IsDate()) return value.DateValue() <= BaseDate();
      return value.ToDouble() <= BaseDate().Serial();
    }
    case 7:
      if (value.IsBool()) return !value.Bool();
      if (value.IsText()) return value.Text() != "T";
      return true;
    case 12:
      return false;
    default:
      if (value.IsNull()) return true;
      if (value.IsText()) return value.Text().empty();
      return EqualsZero(value);
  }
}

namespace {
// The characters a value's text writes as references: markup and the control characters other
// than tab, line feed and carriage return.
constexpr std::array<bool, 256> kReferenced = [] {
  std::array<bool, 256> t{};
  for (int c = 1; c < 32; ++c) t[c] = c != '\t' && c != '\n' && c != '\r';
  t['&'] = t['<'] = t['>'] = true;
  return t;
}();
}  // namespace

void RecordWriter::Grow(size_t n) {
  const size_t room = std::max(room_ * 2, size_ + n + 4096);
  auto bigger = std::make_unique_for_overwrite<char[]>(room);
  if (size_ != 0) std::memcpy(bigger.get(), out_.get(), size_);
  out_ = std::move(bigger);
  room_ = room;
}

inline void RecordWriter::Put(const char* p, size_t n) {
  if (size_ + n > room_) Grow(n);
  std::memcpy(out_.get() + size_, p, n);
  size_ += n;
}

inline void RecordWriter::Put(char c) {
  if (size_ == room_) Grow(1);
  out_[size_++] = c;
}

RecordWriter::RecordWriter(std::string_view root_name) {
  Grow(0);
  Put('<');
  open_.push_back({size_, root_name.size(), next_id_++});
  Put(root_name.data(), root_name.size());
  start_unfinished_ = true;
}

void RecordWriter::CloseLast() {
  const OpenElement e = open_.back();
  open_.pop_back();
  if (start_unfinished_) {
    Put("/>", 2);
    start_unfinished_ = false;
    return;
  }
  Put("</", 2);
  // The name is copied from the text itself, so the room is made before it is read.
  if (size_ + e.name_size > room_) Grow(e.name_size);
  std::memcpy(out_.get() + size_, out_.get() + e.name_at, e.name_size);
  size_ += e.name_size;
  Put('>');
}

void RecordWriter::CloseAbove(size_t depth) {
  while (open_.size() > depth + 1) CloseLast();
}

void RecordWriter::MakeRoomIn(size_t parent_depth, uint64_t parent_id, std::string_view name) {
  if (parent_depth >= open_.size() || open_[parent_depth].id != parent_id)
    throw std::logic_error("A record element was added after its parent was closed: " +
                           std::string(name));
  CloseAbove(parent_depth);
  if (start_unfinished_) {
    Put('>');
    start_unfinished_ = false;
  }
}

RecordElement RecordWriter::Open(size_t parent_depth, uint64_t parent_id, std::string_view name) {
  MakeRoomIn(parent_depth, parent_id, name);
  Put('<');
  open_.push_back({size_, name.size(), next_id_++});
  Put(name.data(), name.size());
  start_unfinished_ = true;
  return RecordElement(this, open_.size() - 1, open_.back().id);
}

RecordElement RecordWriter::Leaf(size_t parent_depth, uint64_t parent_id, std::string_view name,
                                 std::string_view text) {
  MakeRoomIn(parent_depth, parent_id, name);
  Put('<');
  Put(name.data(), name.size());
  Put('>');
  const char* run = text.data();
  const char* end = run + text.size();
  for (const char* s = run; s != end; ++s) {
    const unsigned char c = static_cast<unsigned char>(*s);
    if (!kReferenced[c]) continue;
    Put(run, s - run);
    run = s + 1;
    if (c == '&') {
      Put("&amp;", 5);
    } else if (c == '<') {
      Put("&lt;", 4);
    } else if (c == '>') {
      Put("&gt;", 4);
    } else {
      const char ref[] = {'&', '#', static_cast<char>('0' + c / 10),
                          static_cast<char>('0' + c % 10), ';'};
      Put(ref, sizeof ref);
    }
  }
  Put(run, end - run);
  Put("</", 2);
  Put(name.data(), name.size());
  Put('>');
  // Closed as soon as written: an id no open element carries.
  return RecordElement(this, parent_depth + 1, next_id_++);
}

std::string RecordWriter::Finish() {
  while (!open_.empty()) CloseLast();
  return std::string(out_.get(), size_);
}

RecordElement RecordElement::append_child(const char* name) const {
  if (!writer_) return {};
  return writer_->Open(depth_, id_, name);
}

RecordElement AddXmlElement(RecordElement parent, const char* name, const Value& value, int kind,
                            bool always) {
  if (!parent || (!always && IsEmptyXmlValue(value, kind))) return {};
  // A value's text ends at a character of code 0, as it always has in the record.
  if (value.IsText())
    return parent.writer_->Leaf(parent.depth_, parent.id_, name, value.Text().c_str());
  const std::string text = value.IsNull() && kind != 1 ? std::string() : value.ToText();
  return parent.writer_->Leaf(parent.depth_, parent.id_, name, text.c_str());
}

RecordElement AddXmlNumber(RecordElement parent, const char* name, double value) {
  if (!parent || value == 0) return {};
  const std::string text = DoubleToText(value);
  return parent.writer_->Leaf(parent.depth_, parent.id_, name, text);
}

namespace {
// Collects the serialiser's output straight into a string (a stream costs a copy and locale
// work per chunk, for every record of a run).
struct StringWriter final : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

}  // namespace

std::string XmlText(const pugi::xml_node& node) {
  StringWriter out;
  out.text.reserve(4096);
  node.print(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return std::move(out.text);
}

}  // namespace vodare
