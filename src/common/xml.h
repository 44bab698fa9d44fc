#pragma once
// Adding a child element to a record's DOM node, leaving out empty values by their kind, and the
// record's text form: no declaration, no whitespace between elements, only & < > escaped.

#include <pugixml.hpp>

#include <string>

#include "common/value.h"

namespace vodare {

// Kinds: 1 text, 2/3 whole number, 4/5 decimal number, 6/8 date, 7 flag, 12 always written.
bool IsEmptyXmlValue(const Value& value, int kind);
Value DefaultXmlValue(int kind);
// Appends <name>value</name> to parent when always is set or the value is not empty for its
// kind; returns the new element, or an empty node when nothing was added. A Null text value
// raises "Invalid use of Null".
pugi::xml_node AddXmlElement(pugi::xml_node parent, const char* name, const Value& value,
                             int kind, bool always = false);

// The XML text of a node (or a whole document) in the record form.
std::string XmlText(const pugi::xml_node& node);

// The trimmed text of the first element of that name under node, or empty text.
std::string ChildText(const pugi::xml_node& node, const char* name);

}  // namespace vodare
