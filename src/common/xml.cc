#include "common/xml.h"

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

RecordWriter::RecordWriter(std::string_view root_name) {
  out_.reserve(4096);
  out_ += '<';
  open_.push_back({out_.size(), root_name.size(), next_id_++});
  out_ += root_name;
  start_unfinished_ = true;
}

void RecordWriter::CloseAbove(size_t depth) {
  while (open_.size() > depth + 1) {
    const OpenElement e = open_.back();
    open_.pop_back();
    if (start_unfinished_) {
      out_ += "/>";
      start_unfinished_ = false;
    } else {
      out_ += "</";
      out_.append(out_, e.name_at, e.name_size);
      out_ += '>';
    }
  }
}

RecordElement RecordWriter::Open(size_t parent_depth, uint64_t parent_id, std::string_view name) {
  if (parent_depth >= open_.size() || open_[parent_depth].id != parent_id)
    throw std::logic_error("A record element was added after its parent was closed: " +
                           std::string(name));
  CloseAbove(parent_depth);
  if (start_unfinished_) out_ += '>';
  out_ += '<';
  open_.push_back({out_.size(), name.size(), next_id_++});
  out_ += name;
  start_unfinished_ = true;
  return RecordElement(this, open_.size() - 1, open_.back().id);
}

void RecordWriter::WriteText(const char* text) {
  // Text goes into the element opened last, the way a value is set as soon as it is added.
  if (start_unfinished_) {
    out_ += '>';
    start_unfinished_ = false;
  }
  const char* run = text;
  for (const char* s = text; *s; ++s) {
    const unsigned char c = static_cast<unsigned char>(*s);
    if (c >= 32 && c != '&' && c != '<' && c != '>') continue;
    if (c == '\t' || c == '\n' || c == '\r') continue;
    out_.append(run, s - run);
    run = s + 1;
    if (c == '&') {
      out_ += "&amp;";
    } else if (c == '<') {
      out_ += "&lt;";
    } else if (c == '>') {
      out_ += "&gt;";
    } else {
      const char ref[] = {'&', '#', static_cast<char>('0' + c / 10),
                          static_cast<char>('0' + c % 10), ';'};
      out_.append(ref, sizeof ref);
    }
  }
  out_.append(run);
}

std::string RecordWriter::Finish() {
  CloseAbove(0);
  if (start_unfinished_) {
    out_ += "/>";
  } else {
    out_ += "</";
    out_.append(out_, open_.front().name_at, open_.front().name_size);
    out_ += '>';
  }
  open_.clear();
  return std::move(out_);
}

RecordElement RecordElement::append_child(const char* name) const {
  if (!writer_) return {};
  return writer_->Open(depth_, id_, name);
}

RecordElement AddXmlElement(RecordElement parent, const char* name, const Value& value, int kind,
                            bool always) {
  if (!parent || (!always && IsEmptyXmlValue(value, kind))) return {};
  RecordElement e = parent.append_child(name);
  // A value's text ends at a character of code 0, as it always has in the record.
  if (value.IsText())
    parent.writer_->WriteText(value.Text().c_str());
  else
    parent.writer_->WriteText(value.IsNull() && kind != 1 ? "" : value.ToText().c_str());
  return e;
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
