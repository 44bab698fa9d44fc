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

// The texts of several children in one walk over the element: for each name, the trimmed text
// of the first child of that name, as Child gives it (a view into the parsed record, valid while
// it lives), and whether there is one. A voucher's checks read a dozen children of every line;
// a scan of the children for each name costs more than the checks themselves.
void ReadChildTexts(pugi::xml_node node, const char* const* names, size_t n, std::string_view* text,
                    bool* found);
template <size_t N>
struct ChildTexts {
  ChildTexts(pugi::xml_node node, const char* const (&names)[N]) {
    ReadChildTexts(node, names, N, text, found);
  }
  std::string_view text[N];
  bool found[N] = {};
};

// A flag as the store reads it: the trimmed text "True", "T", "Y", "Yes", "1" or "-1" (any case).
bool FlagText(std::string_view text);
// A number from the trimmed text; nullopt when it is not a number.
std::optional<double> NumberText(std::string_view text);

}  // namespace vodare::local
