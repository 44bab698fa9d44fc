// The export's tables as the program reads them: dBASE files through DbfReader.
#include "source/dbf.h"
#include "source/source_db.h"

namespace vodare {
namespace {

class DbfTableReader : public ExportTableReader {
 public:
  explicit DbfTableReader(const std::string& path) : reader_(path) {}
  const std::vector<DbfField>& fields() const override { return reader_.header().fields; }
  bool Next(std::vector<Value>& row) override { return reader_.Next(row); }
  std::vector<std::string> warnings() const override { return reader_.warnings(); }
  std::vector<ExportFinding> findings() const override { return reader_.findings(); }
  const std::vector<DbfReader::Unreadable>& unreadable() const override {
    return reader_.unreadable();
  }

 private:
  DbfReader reader_;
};

SourceOpenOptions DbfOptions() {
  SourceOpenOptions options;
  options.open_table = OpenDbfTable;
  return options;
}

}  // namespace

std::unique_ptr<ExportTableReader> OpenDbfTable(const std::string& path) {
  return std::make_unique<DbfTableReader>(path);
}

std::shared_ptr<SourceDb> OpenExport(const std::string& folder, ErrorList& errors) {
  return OpenExport(folder, errors, DbfOptions());
}

}  // namespace vodare
