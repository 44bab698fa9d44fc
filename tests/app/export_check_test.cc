// The export check over exports damaged by the project's own dBASE writer and patched bytes.
#include "app/export_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "common/run_error.h"
#include "source/dbf.h"
#include "source/source_db.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "support/text_dbf.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using Change = std::function<void(std::string&)>;

// Changes the file's bytes in place.
void Patch(const fs::path& p, const Change& change) {
  std::string b = (std::stringstream() << std::ifstream(p, std::ios::binary).rdbuf()).str();
  change(b);
  std::ofstream(p, std::ios::binary | std::ios::trunc) << b;
}
uint16_t Word(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
}
// The offset of the value at `field_offset` in record `record` (from 0).
size_t At(const std::string& b, size_t record, size_t field_offset) {
  return Word(b, 8) + record * Word(b, 10) + 1 + field_offset;
}
// Byte `byte` of field descriptor `field`.
size_t Descriptor(size_t field, size_t byte) { return 32 + 32 * field + byte; }

DbfWriteOptions Version(uint8_t version) {
  DbfWriteOptions o;
  o.version = version;
  o.last_update = Date::FromYmd(2025, 1, 1);
  return o;
}
// A table of a code, a quantity and a date, three records.
void WriteQty(const fs::path& p) {
  DbfWriter w(p.string(), {{"CODE", 'C', 4, 0}, {"QTY", 'N', 8, 2}, {"DATE", 'D', 8, 0}},
              Version(0x03));
  for (int i = 1; i <= 3; ++i)
    w.Add({Value("C" + std::to_string(i)), Value(1.5 * i), Value(Date::FromYmd(2024, 4, i))});
  w.Close();
}
// That table as t.dbf, with its bytes changed.
std::function<void(const fs::path&)> Qty(Change change) {
  return [change](const fs::path& d) {
    WriteQty(d / "t.dbf");
    Patch(d / "t.dbf", change);
  };
}
// A table of two memos, its memo file changed.
std::function<void(const fs::path&)> Memo(uint8_t version, Change change) {
  return [version, change](const fs::path& d) {
    DbfWriter w((d / "t.dbf").string(), {{"CODE", 'C', 4, 0}, {"NOTE", 'M', 10, 0}},
                Version(version));
    w.Add({Value("C1"), Value("first note")});
    w.Add({Value("C2"), Value("last note")});
    w.Close();
    Patch(d / "t.dbt", change);
  };
}
// A one-field table of a record, its bytes changed.
void WriteOne(const fs::path& p, DbfField field, const Value& value, const Change& change) {
  DbfWriter w(p.string(), {field});
  w.Add({value});
  w.Close();
  Patch(p, change);
}

std::vector<std::string> CheckOf(const fs::path& dir) {
  ErrorList opening;
  std::shared_ptr<SourceDb> db = OpenExport(dir.string(), opening);
  if (!db) return {"could not open: " + opening.Text()};
  std::vector<std::string> texts;
  for (const ExportFinding& f : CheckWholeExport(*db)) {
    std::string t = FindingText(f);
    for (size_t at; (at = t.find(dir.string())) != std::string::npos;)
      t.replace(at, dir.string().size(), "DIR");
    texts.push_back(t);
  }
  return texts;
}

TEST(ExportCheck, EveryKindOfDamageIsNamedWithItsTableAndPlace) {
  const std::vector<std::pair<const char*, std::function<void(const fs::path&)>>> cases = {
      {"cut_mid_record", Qty([](std::string& b) { b.resize(b.size() - 6); })},
      {"header_promises_more", Qty([](std::string& b) { b[4] = 9; })},
      {"end_mark_where_a_record_starts", Qty([](std::string& b) { b[At(b, 2, 0) - 1] = 0x1A; })},
      {"column_a_stage_reads_missing",
       [](const fs::path& d) {  // the sample export's dis fields, but for one
         testing::WriteTextDbf(d / "dis.dbf",
                               "VOUCHER C 4;DATE C 4;VCN C 4;CODE C 4;NERA C 4;GODWON C 4;QTY C 4;"
                               "PACK C 4;FREE C 4;RATE C 4;MRP C 4;SDISCOUNT C 4;SVDIS C 4;"
                               "SVDIS1 C 4;BATCH C 4;MFD C 4;EXP C 4;FLG C 4",
                               {"1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1"});
       }},
      {"text_in_a_number", Qty([](std::string& b) { b.replace(At(b, 1, 4), 8, "     ABC"); })},
      {"thousands_separator_in_a_number",
       Qty([](std::string& b) { b.replace(At(b, 0, 4), 8, "2,345.00"); })},
      {"overflow_mark_in_a_number",
       Qty([](std::string& b) { b.replace(At(b, 2, 4), 8, "********"); })},
      {"month_13", Qty([](std::string& b) { b.replace(At(b, 0, 12), 8, "20241301"); })},
      {"zero_date", Qty([](std::string& b) {
         b.replace(At(b, 0, 12), 8, "00000000");
         b.replace(At(b, 2, 12), 8, "00000000");
       })},
      {"deletion_flag_neither_blank_nor_star",
       Qty([](std::string& b) { b[At(b, 1, 0) - 1] = 'A'; })},
      {"width_0", Qty([](std::string& b) { b[Descriptor(2, 16)] = 0; })},
      {"numeric_of_width_254",
       [](const fs::path& d) {
         WriteOne(d / "t.dbf", {"WIDE", 'C', 254, 0}, Value("12"),
                  [](std::string& b) { b[Descriptor(0, 11)] = 'N'; });
       }},
      {"decimals_beyond_the_width", Qty([](std::string& b) { b[Descriptor(1, 17)] = 9; })},
      {"unknown_type_letter", Qty([](std::string& b) { b[Descriptor(0, 11)] = 'X'; })},
      {"lower_case_type_letter", Qty([](std::string& b) { b[Descriptor(1, 11)] = 'n'; })},
      {"no_end_mark_after_the_descriptors", Qty([](std::string& b) {
         b.erase(Descriptor(3, 0), 1);
         b[8] = static_cast<char>(b[8] - 1);
       })},
      {"two_fields_of_one_name",
       Qty([](std::string& b) { b.replace(Descriptor(2, 0), 4, "code"); })},
      {"day_number_outside_the_calendar",
       [](const fs::path& d) {
         WriteOne(d / "t.dbf", {"WHEN", 'C', 8, 0}, Value("x"), [](std::string& b) {
           b[Descriptor(0, 11)] = 'T';
           b.replace(At(b, 0, 0), 8, std::string("\x00\x00\x00\x80\x00\x00\x00\x00", 8));
         });
       }},
      {"memo_block_size_0", Memo(0x8B, [](std::string& b) { b[20] = b[21] = 0; })},
      {"last_memo_without_its_end_mark",
       Memo(0x83, [](std::string& b) { b.resize(b.rfind("\x1A\x1A")); })},
      {"table_name_that_is_a_folder",
       [](const fs::path& d) { fs::create_directory(d / "pro.dbf"); }},
      {"table_name_that_is_a_dangling_link",
       [](const fs::path& d) { fs::create_symlink(d / "gone.dbf", d / "order.dbf"); }},
      {"two_files_for_one_table",
       [](const fs::path& d) {
         WriteQty(d / "t.dbf");
         WriteQty(d / "T.DBF");
       }},
      {"a_table_the_stages_read_without_records",
       [](const fs::path& d) {
         testing::WriteTextDbf(d / "pend.dbf",
                               "VOUCHER N 8 0;TYPE C 2;VCN C 20;DDATE D;FINAL N 14 2", {});
       }},
  };
  std::string text;
  for (const auto& [name, make] : cases) {
    SCOPED_TRACE(name);
    testing::TempDir dir;
    make(dir.path());
    const std::vector<std::string> findings = CheckOf(dir.path());
    text += std::string("== ") + name + "\n";
    for (const std::string& f : findings) text += f + "\n";
    // A second opening reuses what the first built and tells the same.
    EXPECT_EQ(CheckOf(dir.path()), findings);
  }
  testing::ExpectGolden("export_check_findings.txt", text);
}

// A value that cannot be read reaches no stage as a value: reading it raises, naming the field
// and the text, and the records around it read as they stand.
TEST(ExportCheck, AnUnreadableValueRaisesWhenAStageReadsIt) {
  testing::TempDir dir;
  Qty([](std::string& b) { b.replace(At(b, 1, 4), 8, "     N/A"); })(dir.path());
  ErrorList opening;
  std::shared_ptr<SourceDb> db = OpenExport(dir.str(), opening);
  ASSERT_TRUE(db);
  Recordset rs = db->OpenSnapshot("select CODE, QTY from t order by CODE");
  EXPECT_EQ(rs["QTY"], Value(1.5));
  rs.MoveNext();
  EXPECT_EQ(rs["CODE"], Value("C2"));
  EXPECT_THROW((void)rs["QTY"], RunTimeError);  // its words: the command-line convert test
  rs.MoveNext();
  EXPECT_EQ(rs["QTY"], Value(4.5));
  // Nor does it fall in a range of numbers.
  EXPECT_EQ(db->OpenSnapshot("select CODE from t where QTY between 0 and 100").RecordCount(), 2);
}

}  // namespace
}  // namespace vodare
