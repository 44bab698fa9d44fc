#include "destination/local/xml_read.h"

#include <cstring>

#include "common/text.h"

namespace vodare::local {

std::optional<std::string> ParseRecord(pugi::xml_document& doc, const std::string& xml) {
  pugi::xml_parse_result result =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!result) {
    return "The record is not well-formed XML: " + std::string(result.description()) +
           " at offset " + std::to_string(result.offset);
  }
  int roots = 0;
  for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
    switch (n.type()) {
      case pugi::node_element:
        ++roots;
        break;
      case pugi::node_pcdata:
      case pugi::node_cdata:
        if (!TrimView(n.value()).empty()) {
          return std::string("The record is not well-formed XML: text outside the root element");
        }
        break;
      default:
        break;
    }
  }
  if (roots == 0) return std::string("The record is not well-formed XML: no root element");
  if (roots > 1)
    return std::string("The record is not well-formed XML: more than one root element");
  return std::nullopt;
}

std::string Child(pugi::xml_node node, const char* name) {
  pugi::xml_node c = node.child(name);
  if (!c) return {};
  return Trim(c.child_value());
}

bool HasChild(pugi::xml_node node, const char* name) { return static_cast<bool>(node.child(name)); }

void ReadChildTexts(pugi::xml_node node, const char* const* names, size_t n, std::string_view* text,
                    bool* found) {
  size_t left = n;
  for (pugi::xml_node c = node.first_child(); c && left != 0; c = c.next_sibling()) {
    const char* name = c.name();
    for (size_t i = 0; i < n; ++i) {
      if (found[i] || name[0] != names[i][0] || std::strcmp(name, names[i]) != 0) continue;
      found[i] = true;
      text[i] = TrimView(c.child_value());
      --left;
      break;
    }
  }
}

bool FlagText(std::string_view text) {
  std::string_view t = TrimView(text);
  return EqualsNoCase(t, "True") || EqualsNoCase(t, "T") || EqualsNoCase(t, "Y") ||
         EqualsNoCase(t, "Yes") || t == "1" || t == "-1";
}

std::optional<double> NumberText(std::string_view text) {
  std::string_view t = TrimView(text);
  if (t.empty()) return std::nullopt;
  return TryTextToNumber(t);
}

}  // namespace vodare::local
