#include "common/xml.h"

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

pugi::xml_node AddXmlElement(pugi::xml_node parent, const char* name, const Value& value, int kind,
                             bool always) {
  if (!always && IsEmptyXmlValue(value, kind)) return {};
  pugi::xml_node e = parent.append_child(name);
  if (value.IsText())
    e.text().set(value.Text().c_str());  // no copy for the most common value
  else
    e.text().set(value.IsNull() && kind != 1 ? "" : value.ToText().c_str());
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

std::string ChildText(const pugi::xml_node& node, const char* name) {
  return Trim(node.child(name).text().get());
}

}  // namespace vodare
