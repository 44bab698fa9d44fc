// vodare-cli query EXPORT_DIR "SQL": the rows of one Jet query as JSON lines, one object per
// row with the keys in select order.
#include <cstdio>
#include <exception>
#include <string>

#include "cli/commands.h"
#include "cli/export_opening.h"
#include "cli/json_text.h"
#include "source/source_db.h"

namespace vodare::cli {

int QueryCommand(const Args& args) {
  if (args.size() != 2)
    return Fail("query: name an export folder and one query (query DIR \"SQL\")");
  OpenedExport opened = OpenExportFolder(args[0]);
  if (!opened.db) return Fail("query: " + opened.failure);
  Recordset rs;
  try {
    rs = opened.db->OpenSnapshot(args[1]);
  } catch (const std::exception& e) {
    std::string why = e.what();
    // A table that could not be read is the likelier cause of a failed query: say so.
    for (const std::string& t : opened.table_errors) why += " (" + t + ")";
    return Fail("query: " + why);
  }
  for (const std::string& w : opened.warnings) std::fprintf(stderr, "vodare-cli: %s\n", w.c_str());
  for (const std::string& t : opened.table_errors)
    std::fprintf(stderr, "vodare-cli: %s\n", t.c_str());
  std::vector<std::string> keys;
  for (size_t i = 0; i < rs.FieldCount(); ++i) keys.push_back(JsonString(rs.FieldName(i)) + ":");
  std::string line;
  if (rs.RecordCount() > 0) {
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
      line = "{";
      for (size_t i = 0; i < keys.size(); ++i) {
        if (i) line += ',';
        line += keys[i];
        line += JsonValue(rs.StoredField(i));
      }
      line += "}\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
    }
  }
  return std::fflush(stdout) == 0 ? 0 : Fail("query: the rows could not be written");
}

}  // namespace vodare::cli
