#pragma once
// dBASE tables as the export writes them: a streaming reader that decodes every record to field
// values (UTF-8 text, Null for blank numbers and dates, deleted records skipped) and a writer
// that produces tables the reader (and other tools) read back.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/value.h"
#include "source/export_findings.h"

namespace vodare {

// Field names as a table stores them, with one exception: a name the table repeats (compared
// ignoring case) stays readable under a name of its own. The repeat gets "_2", "_3", ... added
// (NAME, NAME -> NAME, NAME_2), skipping any name the table already uses (NAME, NAME, NAME_2 ->
// NAME, NAME_3, NAME_2); the fields keep their file order.
struct DbfField {
  std::string name;     // as stored (upper-case in most files)
  char type = 'C';      // C N F D L M I B (and others the reader may meet)
  uint16_t length = 0;  // width in bytes
  uint8_t decimals = 0;
};

struct DbfHeader {
  uint8_t version = 0x03;
  int year = 0, month = 0, day = 0;  // last update
  uint32_t record_count = 0;         // as the header claims
  uint16_t header_length = 0;
  uint16_t record_length = 0;
  uint8_t language_driver = 0;
  std::string code_page;  // iconv name actually used, e.g. "CP1252"
  std::vector<DbfField> fields;
};

// Raised for a file that cannot be read at all (missing, not a dBASE table, header unreadable);
// the message names the file and what is wrong.
class DbfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What each field type reads as:
//   C (and types the reader does not know)  text, trailing blanks dropped, leading kept
//   N F   double; blank is Null
//   D     Date; blank is Null, and so is 00000000 (counted in a warning)
//   L     true for T/Y, false for F/N (either case); '?' or blank is Null
//   M G P (and B of width 10)  memo text from the .dbt/.fpt beside the table; no memo is Null
//   I     int64; B (width 8) and Y (currency)  double; T  the Date of the date-time
// A value that cannot be read (text in a number, the overflow stars "***", a date of month 13,
// a day outside the calendar) is never read as Null or 0: the row holds its text as it stands,
// unreadable() names the field, and a warning names the record.
// Versions 0x03, 0x83, 0x8B and the FoxPro ones (0x30, 0x31, 0x32, 0xF5, 0xFB) are read;
// dBASE 7 (0x04) is refused. Records flagged '*' are deleted; any other flag is live.
// Text is decoded to UTF-8 from the code page of the language-driver byte (0 means
// Windows-1252), or of a .cpg file beside the table (same stem, any letter case).
class DbfReader {
 public:
  // Opens the table and reads its header. Throws DbfError.
  explicit DbfReader(const std::string& path);
  ~DbfReader();
  DbfReader(const DbfReader&) = delete;
  DbfReader& operator=(const DbfReader&) = delete;

  const DbfHeader& header() const;
  // Reads the next live record into row (one Value per field, file order). False at the end.
  bool Next(std::vector<Value>& row);
  // Things worth telling the user that did not stop the reading (truncated data, missing memo
  // file, unknown code page, undecodable bytes, odd header), each once, as text naming the
  // file...
  const std::vector<std::string>& warnings() const;
  // ... and the same as findings: records missing from the table are an error, the rest
  // warnings. Complete once Next has returned false.
  const std::vector<ExportFinding>& findings() const;
  // The fields of the last record read whose value could not be read, with the kind that was
  // expected ('N' a number, 'D' a date).
  struct Unreadable {
    uint32_t field;
    char kind;
  };
  const std::vector<Unreadable>& unreadable() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Versions: 0x03 (a table with M fields is written as 0x83 with a dBASE III memo file), 0x83,
// or 0x8B with a dBASE IV memo file (written as 0x03 when there is no M field, as dBASE IV
// does). Field types C N F D L M; an M field takes text and writes it to the .dbt beside the
// table (same stem, ".dbt", or ".DBT" when the table's extension is upper case).
struct DbfWriteOptions {
  uint8_t version = 0x03;          // 0x03, or 0x8B with a dBASE IV memo file
  uint8_t language_driver = 0x57;  // Windows-1252 (ANSI)
  std::string code_page = "CP1252";
  // Date of last update in the header; today when unset (set it for byte-identical output).
  std::optional<Date> last_update;
};

class DbfWriter {
 public:
  // Creates (or replaces) the table. Throws DbfError.
  DbfWriter(const std::string& path, std::vector<DbfField> fields, DbfWriteOptions options = {});
  ~DbfWriter();  // finishes the file if Close was not called
  DbfWriter(const DbfWriter&) = delete;
  DbfWriter& operator=(const DbfWriter&) = delete;

  // One record; Null writes a blank field. deleted marks the record deleted. Throws DbfError
  // for a value that does not fit its field (text longer than the width, number too wide).
  void Add(const std::vector<Value>& row, bool deleted = false);
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vodare
