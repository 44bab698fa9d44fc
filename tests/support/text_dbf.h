#pragma once
// Real dBASE tables written from a few lines of text, for the stage tests' small exports.
// fields: "ORDNO C 10;OPNING N 14 2;DATE D" (name, type, width, decimals; D takes no width).
// Each row gives its values in field order, separated by "|"; values left off at the end and
// empty ones are blank (a blank number or date reads as Null). N is a number, D is yyyy-mm-dd.

#include <filesystem>
#include <string>
#include <vector>

namespace vodare::testing {

void WriteTextDbf(const std::filesystem::path& file, const std::string& fields,
                  const std::vector<std::string>& rows);

// The tables of an export folder kept as text in tests/data/<name>: a line "== FILE FIELDS"
// starts a table, the lines after it are its rows; lines that start with "#" are comments.
void WriteTextExport(const std::filesystem::path& folder, const std::string& name);

}  // namespace vodare::testing
