#include "source/text_tables.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/text.h"
#include "support/golden.h"

namespace vodare::testing {
namespace fs = std::filesystem;

namespace {

class TextTableReader : public ExportTableReader {
 public:
  explicit TextTableReader(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::string line;
    std::getline(in, line);
    if (line.rfind("BROKEN", 0) == 0) throw std::runtime_error(path + ": " + line.substr(7));
    std::istringstream head(line);
    for (std::string f; std::getline(head, f, ';');) {
      DbfField field;
      int width = 0, decimals = 0;
      std::istringstream(f) >> field.name >> field.type >> width >> decimals;
      fields_.push_back(
          {field.name, field.type, static_cast<uint16_t>(width), static_cast<uint8_t>(decimals)});
    }
    while (std::getline(in, line)) {
      if (line.rfind("#warn ", 0) == 0)
        warnings_.push_back(line.substr(6));
      else
        lines_.push_back(line);
    }
  }
  const std::vector<DbfField>& fields() const override { return fields_; }
  std::vector<std::string> warnings() const override { return warnings_; }
  bool Next(std::vector<Value>& row) override {
    if (next_ >= lines_.size()) return false;
    const std::string& line = lines_[next_++];
    if (line == "#fail")
      throw std::runtime_error("record " + std::to_string(next_) + " is cut short");
    const std::vector<std::string> cells = InputParts(line, fields_.size());
    row.clear();
    for (size_t i = 0; i < fields_.size(); ++i) {
      const std::string& cell = cells[i];
      const char t = fields_[i].type;
      if (cell == "\\N" || (cell.empty() && (t == 'N' || t == 'F' || t == 'D' || t == 'L')))
        row.emplace_back();
      else if (t == 'N' || t == 'F')
        row.emplace_back(TextToNumber(cell));
      else if (t == 'D')
        row.emplace_back(ParseDateText(cell));
      else
        row.push_back(t == 'L' ? Value(cell == "T") : Value(cell));
    }
    return true;
  }

 private:
  std::vector<DbfField> fields_;
  std::vector<std::string> lines_;
  std::vector<std::string> warnings_;
  size_t next_ = 0;
};

}  // namespace

void WriteTextTable(const fs::path& path, const std::string& fields,
                    const std::vector<std::string>& rows) {
  std::ofstream out(path, std::ios::trunc);
  out << fields << "\n";
  for (const std::string& r : rows) out << r << "\n";
}

std::unique_ptr<ExportTableReader> OpenTextTable(const std::string& path) {
  return std::make_unique<TextTableReader>(path);
}

SourceOpenOptions TextTableOptions(const std::string& fallback) {
  SourceOpenOptions options;
  options.open_table = OpenTextTable;
  options.fallback_cache_folder = fallback;
  return options;
}

SourceDb* TextExport::Db() {
  if (!db) {
    ErrorList errors;
    db = OpenExport(folder.str(), errors, TextTableOptions(fallback.str()));
    EXPECT_TRUE(db) << errors.Text();
  }
  return db.get();
}

void WriteMinimalExport(const fs::path& folder) {
  if (!ReadKeptTables("source_minimal_export.txt",
                      [&](const std::string& file, const std::string& fields,
                          const std::vector<std::string>& rows) {
                        WriteTextTable(folder / file, fields, rows);
                      }))
    ADD_FAILURE() << "no tests/data/source_minimal_export.txt";
}

}  // namespace vodare::testing
