#pragma once
// Adding a child element to a record, leaving out empty values by their kind, and the record's
// text form: no declaration, no whitespace between elements, & < > and the control characters
// other than tab, line feed and carriage return written as references.

#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"

namespace vodare {

// Kinds: 1 text, 2/3 whole number, 4/5 decimal number, 6/8 date, 7 flag, 12 always written.
bool IsEmptyXmlValue(const Value& value, int kind);
Value DefaultXmlValue(int kind);
class RecordWriter;

// An element of a record being written, to append children to while it is open: appending to an
// element closes every element opened after it, so a record is built in the order of its text.
// An empty element (no element added) takes children silently and keeps none.
class RecordElement {
 public:
  RecordElement() = default;
  explicit operator bool() const { return writer_ != nullptr; }
  // Raises a logic error when the element was closed already: a builder out of order.
  RecordElement append_child(const char* name) const;

 private:
  friend class RecordWriter;
  friend RecordElement AddXmlElement(RecordElement, const char*, const Value&, int, bool);
  friend RecordElement AddXmlNumber(RecordElement, const char*, double);
  RecordElement(RecordWriter* writer, size_t depth, uint64_t id)
      : writer_(writer), depth_(depth), id_(id) {}
  RecordWriter* writer_ = nullptr;
  size_t depth_ = 0;
  uint64_t id_ = 0;
};

// A record written straight into its text as it is built: the same text the DOM serialiser gives
// in the record form, without a DOM to build and walk for every voucher of a run.
class RecordWriter {
 public:
  explicit RecordWriter(std::string_view root_name);
  RecordElement root() { return RecordElement(this, 0, open_.front().id); }
  // The record's text, every element still open closed; the writer is spent.
  std::string Finish();

 private:
  friend class RecordElement;
  friend RecordElement AddXmlElement(RecordElement, const char*, const Value&, int, bool);
  friend RecordElement AddXmlNumber(RecordElement, const char*, double);
  void Put(const char* p, size_t n);
  void Put(char c);
  void Grow(size_t n);  // makes room for n bytes more
  // Writes the end of the element opened last (or "/>" when it is still empty) and forgets it.
  void CloseLast();
  void CloseAbove(size_t depth);
  // Closes what was opened after the parent and ends its start tag; raises when it is closed.
  void MakeRoomIn(size_t parent_depth, uint64_t parent_id, std::string_view name);
  RecordElement Open(size_t parent_depth, uint64_t parent_id, std::string_view name);
  // An element holding only text, closed as soon as written.
  RecordElement Leaf(size_t parent_depth, uint64_t parent_id, std::string_view name,
                     std::string_view text);

  struct OpenElement {
    size_t name_at, name_size;  // where the name stands in out_
    uint64_t id;
  };
  // Written up to size_; the rest is room, left unset: a record is copied out once it is whole,
  // so the text queued for the store holds no room.
  std::unique_ptr<char[]> out_;
  size_t size_ = 0, room_ = 0;
  std::vector<OpenElement> open_;  // the root first
  bool start_unfinished_ = false;  // the last start tag still lacks its '>'
  uint64_t next_id_ = 1;
};

// Appends <name>value</name> to parent when always is set or the value is not empty for its
// kind; returns the new element (closed: it takes no children), or an empty element when nothing
// was added. A Null text value raises "Invalid use of Null".
RecordElement AddXmlElement(RecordElement parent, const char* name, const Value& value, int kind,
                            bool always = false);

// AddXmlElement of a number of kind 5, left out when zero, without a Value to build and ask:
// item lines hold a dozen each.
RecordElement AddXmlNumber(RecordElement parent, const char* name, double value);

// The XML text of a node (or a whole document) in the record form.
std::string XmlText(const pugi::xml_node& node);

}  // namespace vodare
