#pragma once
// Export folders of tables kept as text, for rows no dBASE file can hold (Null text, blanks
// kept, texts beyond one code page, broken tables).
// Line 1: the fields, "NAME C 20 0;CODE N 5 0;D D 8 0" (name, dBASE type, width, decimals).
// Then one row per line, values separated by "|": C and M as written, N/F numbers, D as
// yyyy-mm-dd, L as T or F; an empty N, F or D value and "\N" anywhere are Null.
// A line "#warn text" adds a reader warning; a first line "BROKEN why" makes opening fail,
// "#fail" makes reading fail at that row.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "source/source_db.h"
#include "support/temp_dir.h"

namespace vodare::testing {

void WriteTextTable(const std::filesystem::path& path, const std::string& fields,
                    const std::vector<std::string>& rows);
std::unique_ptr<ExportTableReader> OpenTextTable(const std::string& path);

using TempFolder = TempDir;
// Options reading text tables, with the fallback cache inside `fallback` when given.
SourceOpenOptions TextTableOptions(const std::string& fallback = "");

// An export folder of text tables and its fallback cache folder, opened on first use.
struct TextExport {
  void Table(const std::string& file, const std::string& fields,
             const std::vector<std::string>& rows) {
    WriteTextTable(folder.path() / file, fields, rows);
  }
  SourceDb* Db();
  TempDir folder, fallback;
  std::shared_ptr<SourceDb> db;
};

// The ten tables of tests/data/source_minimal_export.txt, on which every index statement succeeds.
void WriteMinimalExport(const std::filesystem::path& folder);

}  // namespace vodare::testing
