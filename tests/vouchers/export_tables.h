#pragma once
// A small Vodori export written as real dBASE tables, for the voucher stage tests: the
// columns the stage reads, rows given by column name (unnamed columns stay blank).

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/value.h"
#include "source/dbf.h"

namespace vodare::testing {

using Row = std::map<std::string, Value>;

inline void WriteTable(const std::filesystem::path& file, const std::vector<DbfField>& fields,
                       const std::vector<Row>& rows) {
  DbfWriter writer(file.string(), fields);
  for (const Row& r : rows) {
    std::vector<Value> values;
    for (const DbfField& f : fields) {
      auto it = r.find(f.name);
      values.push_back(it == r.end() ? Value() : it->second);
    }
    writer.Add(values);
  }
  writer.Close();
}

inline DbfField C(const char* name, uint16_t width) { return {name, 'C', width, 0}; }
inline DbfField N(const char* name, uint16_t width = 12, uint8_t decimals = 2) {
  return {name, 'N', width, decimals};
}
inline DbfField D(const char* name) { return {name, 'D', 8, 0}; }

inline const std::vector<DbfField>& MdisFields() {
  static const std::vector<DbfField> f = {
      C("VCN", 12),   C("CHALLAN", 12),    D("CHDATE"),    C("TYPE", 1),    D("DATE"),
      C("CODEP", 10), C("PM", 15),         N("FINAL"),     N("CASH"),       N("CGSTAMO"),
      N("PACKING"),   N("FREIGHT"),        N("ROUND"),     N("OTHER"),      C("OTHUN", 10),
      N("TAXAMO"),    N("VOUCHER", 10, 0), N("STAXAMO"),   C("STAXUN", 10), C("GODWON", 10),
      C("MR", 10),    C("DOCU", 40),       C("PHONE", 15), C("DOCU2", 40)};
  return f;
}

inline const std::vector<DbfField>& DisFields() {
  static const std::vector<DbfField> f = {N("VOUCHER", 10, 0),
                                          D("DATE"),
                                          C("VCN", 12),
                                          N("CODE", 8, 0),
                                          C("NERA", 40),
                                          C("GODWON", 10),
                                          N("QTY"),
                                          N("PACK"),
                                          N("FREE"),
                                          N("RATE"),
                                          N("MRP"),
                                          N("SDISCOUNT"),
                                          N("SVDIS"),
                                          N("SVDIS1"),
                                          N("AMMMOUNT"),
                                          C("BATCH", 15),
                                          D("MFD"),
                                          D("EXP"),
                                          C("FLG", 1)};
  return f;
}

}  // namespace vodare::testing
