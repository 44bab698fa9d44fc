// The export check over damaged exports: each kind of damage made by the project's own dBASE
// writer (bytes patched afterwards where the writer would refuse), opened as a run opens the
// folder, and the finding it must give, word for word.
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
#include "support/local_company.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
void Put(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}
// Changes the file's bytes in place.
void Patch(const fs::path& p, const std::function<void(std::string&)>& change) {
  std::string b = Bytes(p);
  change(b);
  Put(p, b);
}
uint16_t HeaderLength(const std::string& b) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[8]) |
                               (static_cast<unsigned char>(b[9]) << 8));
}
uint16_t RecordLength(const std::string& b) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[10]) |
                               (static_cast<unsigned char>(b[11]) << 8));
}
// The offset of field `field`'s value in record `record` (both from 0).
size_t At(const std::string& b, size_t record, size_t field_offset) {
  return HeaderLength(b) + record * RecordLength(b) + 1 + field_offset;
}
// Byte `byte` of field descriptor `field`.
size_t Descriptor(size_t field, size_t byte) { return 32 + 32 * field + byte; }

// A table of a code, a quantity and a date, three records.
void WriteQty(const fs::path& p, uint8_t version = 0x03) {
  DbfWriteOptions o;
  o.version = version;
  o.last_update = Date::FromYmd(2025, 1, 1);
  DbfWriter w(p.string(), {{"CODE", 'C', 4, 0}, {"QTY", 'N', 8, 2}, {"DATE", 'D', 8, 0}}, o);
  for (int i = 1; i <= 3; ++i)
    w.Add({Value("C" + std::to_string(i)), Value(1.5 * i), Value(Date::FromYmd(2024, 4, i))});
  w.Close();
}
void WriteQtyAnd(const fs::path& p, const std::function<void(std::string&)>& change) {
  WriteQty(p);
  Patch(p, change);
}
void WriteMemo(const fs::path& p, uint8_t version) {
  DbfWriteOptions o;
  o.version = version;
  o.last_update = Date::FromYmd(2025, 1, 1);
  DbfWriter w(p.string(), {{"CODE", 'C', 4, 0}, {"NOTE", 'M', 10, 0}}, o);
  w.Add({Value("C1"), Value("first note")});
  w.Add({Value("C2"), Value("last note")});
  w.Close();
}
// The sample export's dis fields, but for one.
void WriteDisWithout(const fs::path& p, const std::string& left_out) {
  std::vector<DbfField> fields;
  for (const char* name :
       {"VOUCHER", "DATE", "VCN", "CODE", "NERA", "GODWON", "QTY", "PACK", "FREE", "RATE", "MRP",
        "SDISCOUNT", "SVDIS", "SVDIS1", "AMMMOUNT", "BATCH", "MFD", "EXP", "FLG"})
    if (left_out != name) fields.push_back({name, 'C', 4, 0});
  DbfWriter w(p.string(), fields);
  w.Add(std::vector<Value>(fields.size(), Value("1")));
  w.Close();
}

struct DamageCase {
  const char* name;
  std::function<void(const fs::path& dir)> make;
  std::vector<std::string> findings;  // every finding of the folder, in order
};

const std::vector<DamageCase>& Cases() {
  static const std::vector<DamageCase> kCases = {
      {"cut_mid_record",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b.resize(b.size() - 6); });
       },
       {"Error in table t: the header counts 3 records but the file holds only 2 whole records; "
        "those were read"}},
      {"header_promises_more",
       [](const fs::path& d) { WriteQtyAnd(d / "t.dbf", [](std::string& b) { b[4] = 9; }); },
       {"Error in table t: the header counts 9 records but the file holds only 3 whole records; "
        "those were read"}},
      {"end_mark_where_a_record_starts",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b[At(b, 2, 0) - 1] = 0x1A; });
       },
       {"Error in table t: the header counts 3 records but the data ends after 2; those were "
        "read"}},
      {"column_a_stage_reads_missing",
       [](const fs::path& d) { WriteDisWithout(d / "dis.dbf", "AMMMOUNT"); },
       {"Error in table dis, field AMMMOUNT: is missing, and the conversion reads it"}},
      {"text_in_a_number",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b.replace(At(b, 1, 4), 8, "     ABC"); });
       },
       {"Warning in table t, field QTY, record 2: holds \"ABC\", which is not a number; the "
        "record is refused by the stage that reads it"}},
      {"thousands_separator_in_a_number",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b.replace(At(b, 0, 4), 8, "2,345.00"); });
       },
       {"Warning in table t, field QTY, record 1: holds \"2,345.00\", which is not a number; "
        "the record is refused by the stage that reads it"}},
      {"overflow_mark_in_a_number",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b.replace(At(b, 2, 4), 8, "********"); });
       },
       {"Warning in table t, field QTY, record 3: holds \"********\", the mark of a number too "
        "wide for its field, which was lost; the record is refused by the stage that reads it"}},
      {"month_13",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b.replace(At(b, 0, 12), 8, "20241301"); });
       },
       {"Warning in table t, field DATE, record 1: holds \"20241301\", which is not a date; the "
        "record is refused by the stage that reads it"}},
      {"zero_date",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) {
           b.replace(At(b, 0, 12), 8, "00000000");
           b.replace(At(b, 2, 12), 8, "00000000");
         });
       },
       {"Warning in table t, field DATE: holds 00000000 in 2 records; read as no date"}},
      {"deletion_flag_neither_blank_nor_star",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b[At(b, 1, 0) - 1] = 'A'; });
       },
       {"Warning in table t: 1 record carries the deletion flag 0x41, neither blank nor '*'; "
        "read as live"}},
      {"width_0",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b[Descriptor(2, 16)] = 0; });
       },
       {"Warning in table t, field DATE: has width 0; it reads as empty"}},
      {"numeric_of_width_254",
       [](const fs::path& d) {
         DbfWriter w((d / "t.dbf").string(), {{"WIDE", 'C', 254, 0}});
         w.Add({Value("12")});
         w.Close();
         Patch(d / "t.dbf", [](std::string& b) { b[Descriptor(0, 11)] = 'N'; });
       },
       {"Warning in table t, field WIDE: is a number 254 bytes wide; no dBASE program writes one "
        "wider than 50"}},
      {"decimals_beyond_the_width",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b[Descriptor(1, 17)] = 9; });
       },
       {"Warning in table t, field QTY: has 9 decimals in a width of 8"}},
      {"unknown_type_letter",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b[Descriptor(0, 11)] = 'X'; });
       },
       {"Warning in table t, field CODE: has the type letter 'X', which is no dBASE type; read "
        "as text"}},
      {"lower_case_type_letter",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b[Descriptor(1, 11)] = 'n'; });
       },
       {"Warning in table t, field QTY: has the lower-case type letter 'n'; read as 'N'"}},
      {"no_end_mark_after_the_descriptors",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) {
           b.erase(Descriptor(3, 0), 1);
           b[8] = static_cast<char>(b[8] - 1);
         });
       },
       {"Warning in table t: the header has no end mark (0x0D) after its field descriptors"}},
      {"two_fields_of_one_name",
       [](const fs::path& d) {
         WriteQtyAnd(d / "t.dbf", [](std::string& b) { b.replace(Descriptor(2, 0), 4, "code"); });
       },
       {"Warning in table t, field code: is named twice (letter case aside); the second is read "
        "as code_2"}},
      {"day_number_outside_the_calendar",
       [](const fs::path& d) {
         DbfWriter w((d / "t.dbf").string(), {{"WHEN", 'C', 8, 0}});
         w.Add({Value("x")});
         w.Close();
         Patch(d / "t.dbf", [](std::string& b) {
           b[Descriptor(0, 11)] = 'T';
           b.replace(At(b, 0, 0), 8, std::string("\x00\x00\x00\x80\x00\x00\x00\x00", 8));
         });
       },
       {"Warning in table t, field WHEN, record 1: holds \"-2147483648\", which is not a day of "
        "the calendar; the record is refused by the stage that reads it"}},
      {"memo_block_size_0",
       [](const fs::path& d) {
         WriteMemo(d / "t.dbf", 0x8B);
         Patch(d / "t.dbt", [](std::string& b) { b[20] = b[21] = 0; });
       },
       {"Warning in table t: the memo file " + std::string("DIR/t.dbt") +
        " gives a block size of 0; 512 was used"}},
      {"last_memo_without_its_end_mark",
       [](const fs::path& d) {
         WriteMemo(d / "t.dbf", 0x83);
         Patch(d / "t.dbt", [](std::string& b) { b.resize(b.rfind("\x1A\x1A")); });
       },
       {"Warning in table t: memo of field NOTE in record 2: it has no end mark; the text up to "
        "the end of the memo file was read"}},
      {"table_name_that_is_a_folder",
       [](const fs::path& d) { fs::create_directory(d / "pro.dbf"); },
       {"Error in table pro: the name pro.dbf is a folder, not a table"}},
      {"table_name_that_is_a_dangling_link",
       [](const fs::path& d) { fs::create_symlink(d / "gone.dbf", d / "order.dbf"); },
       {"Error in table order: order.dbf is a link to DIR/gone.dbf, which does not exist"}},
      {"two_files_for_one_table",
       [](const fs::path& d) {
         WriteQty(d / "t.dbf");
         WriteQty(d / "T.DBF");
       },
       {"Error in table T: the files T.DBF and t.dbf both hold this table (their "
        "names differ only in letter case); remove the one that is not the export's"}},
      {"a_table_the_stages_read_without_records",
       [](const fs::path& d) {
         DbfWriter w((d / "pend.dbf").string(), {{"VOUCHER", 'N', 8, 0},
                                                 {"TYPE", 'C', 2, 0},
                                                 {"VCN", 'C', 20, 0},
                                                 {"DDATE", 'D', 8, 0},
                                                 {"FINAL", 'N', 14, 2}});
         w.Close();
       },
       {"Warning in table pend: the table has fields but no records; nothing is converted from "
        "it"}},
  };
  return kCases;
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
  for (const DamageCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    c.make(dir.path());
    EXPECT_EQ(CheckOf(dir.path()), c.findings);
    // A second opening reuses what the first built and tells the same.
    EXPECT_EQ(CheckOf(dir.path()), c.findings);
  }
}

// A value that cannot be read reaches no stage as a value: reading it raises, naming the field
// and the text, and the records around it read as they stand.
TEST(ExportCheck, AnUnreadableValueRaisesWhenAStageReadsIt) {
  testing::TempDir dir;
  WriteQtyAnd(dir.path() / "t.dbf", [](std::string& b) { b.replace(At(b, 1, 4), 8, "     N/A"); });
  ErrorList opening;
  std::shared_ptr<SourceDb> db = OpenExport(dir.str(), opening);
  ASSERT_TRUE(db);
  Recordset rs = db->OpenSnapshot("select CODE, QTY from t order by CODE");
  EXPECT_EQ(rs["QTY"], Value(1.5));
  rs.MoveNext();
  EXPECT_EQ(rs["CODE"], Value("C2"));
  try {
    (void)rs["QTY"];
    ADD_FAILURE() << "an unreadable value was read";
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.what(), "Type mismatch: field QTY holds \"N/A\", which is not a number");
  }
  rs.MoveNext();
  EXPECT_EQ(rs["QTY"], Value(4.5));
  // Nor does it fall in a range of numbers.
  EXPECT_EQ(db->OpenSnapshot("select CODE from t where QTY between 0 and 100").RecordCount(), 2);
}

}  // namespace
}  // namespace vodare
