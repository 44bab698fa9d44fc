#pragma once
// Shared by the dBASE tests: fixtures, whole-table reads, raw bytes, a table of every kind.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/text.h"
#include "source/dbf.h"
#include "support/temp_dir.h"

namespace vodare {

// Values in test failure messages.
inline void PrintTo(const Value& v, std::ostream* os) {
  *os << (v.IsNull() ? "Null" : v.IsText() ? '"' + Left(v.Text(), 120) + '"' : v.ToText());
}

}  // namespace vodare

namespace vodare::dbf_test {

namespace fs = std::filesystem;
using ScratchDir = testing::TempDir;
using Rows = std::vector<std::vector<Value>>;

inline fs::path SourceDir() { return fs::path(VODARE_SOURCE_DIR); }
inline fs::path RealFixtures() { return SourceDir() / "tests" / "fixtures" / "dbf-real"; }

struct TableRead {
  DbfHeader header;
  Rows rows;
  std::vector<std::string> warnings;

  // A value by its field's name, in any letter case.
  const Value& At(size_t row, const std::string& name) const {
    for (size_t i = 0; i < header.fields.size(); ++i)
      if (EqualsNoCase(header.fields[i].name, name)) return rows.at(row).at(i);
    throw std::runtime_error("no field " + name);
  }
  // A number in paise (Null as 0), so that sums are exact.
  int64_t Paise(size_t row, const std::string& name) const {
    return At(row, name).IsNull() ? 0 : std::llround(At(row, name).ToDouble() * 100.0);
  }
};

inline TableRead ReadTable(const std::string& path) {
  DbfReader reader(path);
  TableRead t{reader.header(), {}, {}};
  for (std::vector<Value> row; reader.Next(row);) t.rows.push_back(row);
  t.warnings = reader.warnings();
  return t;
}

inline std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// A value as one short cell: a long text cut to 24 characters with its length and a digest.
inline std::string Cell(const Value& v) {
  if (v.IsNull()) return "-";
  if (v.IsDate()) return v.DateValue().Format("yyyy-mm-dd");
  if (!v.IsText()) return v.IsBool() ? (v.Bool() ? "T" : "F") : v.ToText();
  std::string out = "\"";
  char hex[12];
  for (char c : Left(v.Text(), 24)) {
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
    out += static_cast<unsigned char>(c) < 0x20 || c == '"' ? std::string(hex) : std::string(1, c);
  }
  if (Len(v.Text()) <= 24) return out + "\"";
  uint64_t digest = 14695981039346656037ull;
  for (unsigned char c : v.Text()) digest = (digest ^ c) * 1099511628211ull;
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(digest & 0xFFFFFFFF));
  return out + "\"... " + std::to_string(v.Text().size()) + " bytes #" + hex;
}

// Header, warnings and records as read; of a long table ten records and a digest of all.
inline std::string Reading(const fs::path& table, const std::string& shown_as) {
  const TableRead t = ReadTable(table);
  const DbfHeader& h = t.header;
  char facts[160];
  std::snprintf(facts, sizeof facts,
                "version 0x%02X, driver 0x%02X %s, header %u + %u bytes a record, counts %u\n",
                h.version, h.language_driver, h.code_page.c_str(), unsigned{h.header_length},
                unsigned{h.record_length}, unsigned{h.record_count});
  std::string out = "== " + shown_as + ": " + facts + " fields:";
  for (const DbfField& f : h.fields)
    out +=
        " " + f.name + " " + f.type + std::to_string(f.length) + "." + std::to_string(f.decimals);
  out += "\n";
  for (std::string w : t.warnings) {
    // The table named as shown, a file beside it by its name alone.
    for (const std::string& path : {table.string(), table.parent_path().string() + "/"})
      for (size_t at; (at = w.find(path)) != std::string::npos;)
        w.replace(at, path.size(), path == table.string() ? shown_as : "");
    out += "  ! " + w + "\n";
  }
  std::string all;
  for (size_t r = 0; r < t.rows.size(); ++r) {
    std::string line = "  " + std::to_string(r + 1) + ":";
    for (const Value& v : t.rows[r]) line += " " + Cell(v);
    if (r < 10) out += line + "\n";
    all += line;
  }
  if (t.rows.size() > 10)
    out += "  all " + std::to_string(t.rows.size()) + " records " + Cell(all) + "\n";
  return out;
}

// A table of every field kind, with a memo longer than a block and a deleted record.
inline std::vector<DbfField> MixedFields() {
  return {{"CODE", 'C', 10, 0},  {"NAME", 'C', 40, 0}, {"AMOUNT", 'N', 14, 2},
          {"QTY", 'N', 10, 0},   {"RATE", 'F', 12, 4}, {"VDATE", 'D', 8, 0},
          {"ACTIVE", 'L', 1, 0}, {"NOTES", 'M', 10, 0}};
}
inline Rows MixedRows() {
  return {{"A001", "  Two leading blanks", 1234.5, 7.0, 0.125, Date::FromYmd(2023, 4, 1), true,
           "First line\r\nsecond line"},
          {"A002", "Café Müller – “quoted” €", -0.01, Value(), Value(), Value(), false, Value()},
          {"", "", 0.0, -42.0, 1e-4, Date::FromYmd(1999, 12, 31), Value(), std::string(1500, 'x')}};
}
inline void WriteMixed(const std::string& path, uint8_t version) {
  DbfWriteOptions options;
  options.version = version;
  DbfWriter w(path, MixedFields(), options);
  const Rows rows = MixedRows();
  w.Add(rows[0]);
  w.Add({"GONE", "deleted", 1.0, 1.0, 1.0, Value(), true, "gone"}, /*deleted=*/true);
  w.Add(rows[1]);
  w.Add(rows[2]);
  w.Close();
}

}  // namespace vodare::dbf_test
