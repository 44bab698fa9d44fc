#pragma once
// Reading the records the store is sent: one parse that tells a record that is not well-formed
// apart from one that is, and small readers of element texts.

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace vodare::local {

// Parses a record; on failure returns the message naming what is wrong.
std::optional<std::string> ParseRecord(pugi::xml_document& doc, const std::string& xml);

// The trimmed text of the first child element of that name ("" when there is none).
std::string Child(pugi::xml_node node, const char* name);
bool HasChild(pugi::xml_node node, const char* name);
// A flag as the store reads it: the trimmed text "True", "T", "Y", "Yes", "1" or "-1" (any case).
bool FlagText(std::string_view text);
// A number from the trimmed text; nullopt when it is not a number.
std::optional<double> NumberText(std::string_view text);

}  // namespace vodare::local
