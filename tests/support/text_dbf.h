#pragma once
// Real dBASE tables written from a few lines of text, for the stage tests' small exports.
// fields: "ORDNO C 10;OPNING N 14 2;DATE D" (name, type, width, decimals; D takes no width).
// Each row gives its values in field order, separated by "|"; values left off at the end and
// empty ones are blank (a blank number or date reads as Null). N is a number, D is yyyy-mm-dd.

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "source/dbf.h"
#include "support/golden.h"

namespace vodare::testing {

inline void WriteTextDbf(const std::filesystem::path& file, const std::string& fields,
                         const std::vector<std::string>& rows) {
  auto split = [](const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
  };
  std::vector<DbfField> table;
  for (const std::string& field : split(fields, ';')) {
    std::istringstream in(field);
    std::string name;
    char type = 'C';
    int width = 8, decimals = 0;
    in >> name >> type;
    if (type != 'D') in >> width >> decimals;
    table.push_back({name, type, static_cast<uint16_t>(width), static_cast<uint8_t>(decimals)});
  }
  DbfWriter writer(file.string(), table);
  for (const std::string& row : rows) {
    std::vector<std::string> texts = split(row, '|');
    if (texts.size() > table.size()) throw std::invalid_argument("too many values: " + row);
    std::vector<Value> values;
    for (size_t i = 0; i < table.size(); ++i) {
      const std::string text = i < texts.size() ? texts[i] : "";
      if (text.empty() && table[i].type != 'C')
        values.emplace_back();
      else if (table[i].type == 'N')
        values.emplace_back(std::stod(text));
      else if (table[i].type == 'D')
        values.emplace_back(
            Date::FromYmd(std::stoi(text), std::stoi(text.substr(5)), std::stoi(text.substr(8))));
      else
        values.emplace_back(text);
    }
    writer.Add(values);
  }
  writer.Close();
}

// The tables of an export folder kept as text in tests/data/<name>: a line "== FILE FIELDS"
// starts a table, the lines after it are its rows; lines that start with "#" are comments.
inline void WriteTextExport(const std::filesystem::path& folder, const std::string& name) {
  std::filesystem::create_directories(folder);
  if (!ReadKeptTables(name, [&](const std::string& file, const std::string& fields,
                                const std::vector<std::string>& rows) {
        WriteTextDbf(folder / file, fields, rows);
      }))
    throw std::invalid_argument("no kept export tests/data/" + name);
}

}  // namespace vodare::testing
