// The reader against tables that other tools wrote, each with an independent reading beside it.
// Where that reading is known to depart from the file (its README lists the cases), the file's
// own bytes decide and the case has a test of its own below.

#include <algorithm>
#include <set>

#include "json_for_tests.h"
#include "source/dbf_test_util.h"

namespace vodare {
namespace {

using dbf_test::Latin1Bytes;
using dbf_test::ReadTable;
using dbf_test::RealFixtures;
using dbf_test::Rows;
using dbf_test::ScratchDir;
using dbf_test::TableRead;
using testing_json::Json;
namespace fs = std::filesystem;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

TableRead Fixture(const std::string& name) { return ReadTable(RealFixtures() / name); }

Json LoadExpected(const fs::path& table) {
  return testing_json::ParseJson(dbf_test::ReadBytes(table.string() + ".expected.json"));
}

// The independent reading decodes with its own choice of code page (Latin-1 when it knows
// none); the text it stands for is that of the file's bytes in the code page the reader chose.
std::string ExpectedText(const std::string& text, const Json& expected,
                         const std::string& our_code_page) {
  if (Upper(expected["encoding"].String()) == "LATIN-1" && our_code_page != "ISO-8859-1")
    return dbf_test::DecodeIndependently(Latin1Bytes(text), our_code_page);
  return text;
}

// One value against the independent reading, with the memo rules of the table's version.
void ExpectValue(const Value& ours, const Json& want, const DbfField& field, uint8_t version,
                 bool dbt_memo, const std::string& expected_text) {
  SCOPED_TRACE("field " + field.name + " ours " + ::testing::PrintToString(ours));
  if (want.IsNull()) {
    // The overflow mark of a number that did not fit is no value to the independent reading;
    // the reader keeps it as it stands, so that no stage reads it as 0.
    EXPECT_TRUE(ours.IsNull() || (ours.IsText() && !ours.Text().empty() &&
                                  ours.Text().find_first_not_of('*') == std::string::npos));
  } else if (want.IsBool()) {
    EXPECT_EQ(ours, Value(want.Bool()));
  } else if (want.IsNumber()) {
    ASSERT_TRUE(ours.IsNumber());
    EXPECT_EQ(ours.ToDouble(), want.Number());
  } else if (field.type == 'D' || field.type == 'T') {
    ASSERT_TRUE(ours.IsDate());
    EXPECT_EQ(ours.DateValue().Format("yyyy-mm-dd"), want.String().substr(0, 10));
  } else {
    ASSERT_TRUE(ours.IsText());
    std::string text = expected_text;
    const std::string& got = ours.Text();
    if (!dbt_memo) {
      EXPECT_EQ(got, text);
      return;
    }
    text.erase(text.find_last_not_of('\0') + 1);  // the reader drops NULs that pad a memo
    const size_t unit = got.find('\x1F');
    if (version == 0x83) {
      // The other reading ends a dBASE III memo at the first 0x1A; the end mark is 0x1A 0x1A.
      EXPECT_EQ(got.substr(0, got.find('\x1A')), text);
    } else if (unit != std::string::npos) {
      // It takes 8 bytes too many from a dBASE IV block and then cuts at 0x1F.
      EXPECT_EQ(got.substr(0, unit), text);
    } else {
      EXPECT_EQ(text.substr(0, got.size()), got);
      EXPECT_LE(text.size() - std::min(text.size(), got.size()), 8u * 3);
    }
  }
}

void ExpectMatchesIndependentReading(const TableRead& t, const Json& expected) {
  const auto& fields = expected["fields"].Array();
  ASSERT_EQ(t.header.fields.size(), fields.size());
  // A name the table repeats: the other reading keeps one entry for it in each record, holding
  // the value of the last field of that name; the reader names the repeat NAME_2.
  std::vector<bool> last_of_name(fields.size(), true);
  std::set<std::string> seen;
  for (size_t i = 0; i < fields.size(); ++i) {
    const DbfField& f = t.header.fields[i];
    std::string name = ExpectedText(fields[i]["name"].String(), expected, t.header.code_page);
    for (size_t j = i + 1; j < fields.size(); ++j)
      last_of_name[i] = last_of_name[i] && fields[j]["name"].String() != fields[i]["name"].String();
    EXPECT_EQ(f.name, seen.insert(name).second ? name : name + "_2");
    EXPECT_EQ(std::string(1, f.type), fields[i]["type"].String());
    EXPECT_EQ(f.length, fields[i]["length"].Number());
    EXPECT_EQ(f.decimals, fields[i]["decimal_count"].Number());
  }
  EXPECT_EQ(t.header.record_count, expected["header_record_count"].Number());
  EXPECT_EQ(t.header.version, std::stoi(expected["dbf_version_byte"].String(), nullptr, 16));

  const auto& records = expected["records"].Array();
  ASSERT_EQ(t.rows.size(), records.size());
  const Json& memo = expected["memo_file"];
  const bool dbt_memo =
      memo.IsString() && Upper(fs::path(memo.String()).extension().string()) == ".DBT";
  for (size_t r = 0; r < records.size(); ++r) {
    SCOPED_TRACE("record " + std::to_string(r));
    for (size_t i = 0; i < fields.size(); ++i) {
      const Json& want = records[r][fields[i]["name"].String()];
      if (last_of_name[i])
        ExpectValue(t.rows[r][i], want, t.header.fields[i], t.header.version, dbt_memo,
                    want.IsString() ? ExpectedText(want.String(), expected, t.header.code_page)
                                    : "");
    }
  }
}

TEST(DbfRealFiles, EveryFixtureReadsAsTheIndependentReadingSaysWithTheHeaderOfItsBytes) {
  // Tables whose independent reading is not a reading of the whole table (a record flag it does
  // not know) or failed outright; each has its own test below.
  const std::set<std::string> read_apart = {"mazovia.dbf", "invalid_value.dbf",
                                            "contain_null_padded_numeric.dbf"};
  std::vector<fs::path> all;
  for (const auto& e : fs::recursive_directory_iterator(RealFixtures()))
    if (e.is_regular_file() && Upper(e.path().extension().string()) == ".DBF")
      all.push_back(e.path());
  std::sort(all.begin(), all.end());
  ASSERT_EQ(all.size(), 24u);
  for (const auto& table : all) {
    SCOPED_TRACE(table.string());
    const Json expected = LoadExpected(table);
    const TableRead t = ReadTable(table);
    const Json& raw = expected["raw"];
    EXPECT_EQ(t.header.header_length, raw["header_length"].Number());
    EXPECT_EQ(t.header.record_length, raw["record_length"].Number());
    EXPECT_EQ(t.header.language_driver, std::stoi(raw["language_driver"].String(), nullptr, 16));
    if (!read_apart.count(table.filename().string())) {
      ASSERT_TRUE(expected.Find("records")) << "no independent reading to compare with";
      ExpectMatchesIndependentReading(t, expected);
    }
  }
}

TEST(DbfRealFiles, TablesTheIndependentReadingGetsWrongAndTablesOfNothing) {
  // Both records carry 0x00 as their flag; only '*' marks a deleted record.
  auto t = Fixture("ruby-dbf/mazovia.dbf");
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[0][0], Value("2020-01-04"));
  EXPECT_EQ(t.rows[0][1], Value("English"));
  EXPECT_EQ(t.rows[1][0], Value("2020-01-04"));
  EXPECT_EQ(Len(t.rows[1][1].Text()), 7u);
  // Driver 0x69 (Mazovia) has no code page here: read as Windows-1252, said once.
  EXPECT_EQ(t.header.code_page, "CP1252");
  EXPECT_EQ(t.warnings.size(), 2u);
  EXPECT_TRUE(t.HasWarning("language driver 0x69"));
  EXPECT_TRUE(t.HasWarning("2 records carry the deletion flag 0x00, neither blank nor '*'"));

  // A date that is no date is kept as it stands, with a warning.
  auto invalid = Fixture("dbfread/invalid_value.dbf");
  EXPECT_TRUE(std::any_of(invalid.rows.begin(), invalid.rows.end(), [&](const auto& row) {
    return row[invalid.Column("BIRTHDATE")] == Value("NotAYear");
  }));
  ASSERT_EQ(invalid.warnings.size(), 1u);
  EXPECT_TRUE(invalid.HasWarning("holds \"NotAYear\", which is not a date"));

  // A number padded with NULs reads.
  auto nuls = Fixture("dbase-rs/contain_null_padded_numeric.dbf");
  ASSERT_EQ(nuls.rows.size(), 1u);
  EXPECT_NE(std::find(nuls.rows[0].begin(), nuls.rows[0].end(), Value(1234.0)), nuls.rows[0].end());
  EXPECT_TRUE(nuls.warnings.empty());

  // A header that counts more records than there are; the memo file was never there.
  auto counted = Fixture("ruby-dbf/dbase_8b_incorrect_record_count.dbf");
  EXPECT_EQ(counted.header.record_count, 15u);
  EXPECT_EQ(counted.rows.size(), 10u);
  EXPECT_TRUE(counted.HasWarning("counts 15 records"));
  EXPECT_TRUE(counted.HasWarning("memo file"));
  for (const auto& row : counted.rows) EXPECT_TRUE(row[counted.Column("MEMO")].IsNull());

  // No fields, and no records.
  auto polygon = Fixture("ruby-dbf/polygon.dbf");
  EXPECT_TRUE(polygon.header.fields.empty());
  EXPECT_EQ(polygon.rows, Rows(1));  // one record of no fields
  auto kunden = Fixture("dbase-rs/KUNDEN-schema-only.DBF");
  EXPECT_EQ(kunden.header.fields.size(), 49u);
  EXPECT_TRUE(kunden.rows.empty());
}

TEST(DbfRealFiles, MemoFormsAgreeAcrossTheSameDataAndMemoFilesAreFoundWhateverTheirCase) {
  // The same three records as dBASE III (end mark), dBASE IV (length in block) and FoxPro
  // (64-byte blocks): the text memos must agree exactly, and the binary ones where the format
  // can hold them (a dBASE III memo cannot hold 0x1A 0x1A, so it is not compared).
  auto iii = Fixture("php-xbase/dBaseIII.dbf");
  auto iv = Fixture("php-xbase/dBaseIV.dbf");
  auto fox = Fixture("php-xbase/Foxpro2.dbf");
  ASSERT_EQ(iii.rows.size(), 3u);
  ASSERT_EQ(iv.rows.size(), 3u);
  ASSERT_EQ(fox.rows.size(), 3u);
  // The three writers ended the texts differently (CR LF, or nothing); the rest is the same.
  auto text = [](const Value& v) { return v.Text().substr(0, v.Text().find_last_not_of("\r\n") + 1); };
  for (size_t r = 0; r < 3; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(text(iii.At(r, "BIO")), text(iv.At(r, "BIO")));
    EXPECT_EQ(text(iv.At(r, "BIO")), text(fox.At(r, "BIO")));
    EXPECT_EQ(iv.At(r, "IMAGE"), fox.At(r, "IMAGE"));
    EXPECT_EQ(iii.At(r, "NAME"), fox.At(r, "NAME"));
    EXPECT_EQ(iii.At(r, "MONEY"), fox.At(r, "MONEY"));
  }
  EXPECT_GT(iv.At(0, "IMAGE").Text().size(), 1000u);

  // memotest.dbf keeps its memo in memotest.FPT; the pair copied with other spellings.
  const Rows original = Fixture("dbfread/memotest.dbf").rows;
  for (const char* memo_name : {"memotest.fpt", "MEMOTEST.Fpt"}) {
    ScratchDir dir;
    fs::copy_file(RealFixtures() / "dbfread/memotest.dbf", dir.path() / "memotest.dbf");
    fs::copy_file(RealFixtures() / "dbfread/memotest.FPT", dir.path() / memo_name);
    auto t = ReadTable(dir / "memotest.dbf");
    EXPECT_TRUE(t.warnings.empty()) << memo_name;
    EXPECT_EQ(t.rows, original) << memo_name;
  }
}

TEST(DbfRealFiles, CodePageComesFromTheLanguageDriverUnlessACodePageFileSaysOtherwise) {
  EXPECT_EQ(Fixture("ruby-dbf/cp1251.dbf").header.code_page, "CP1251");
  EXPECT_EQ(Fixture("shapelib/pline.dbf").header.code_page, "CP437");
  auto people = Fixture("dbfread/people.dbf");
  EXPECT_EQ(people.header.code_page, "CP1252");  // driver byte 0
  EXPECT_TRUE(people.warnings.empty());
  // CzechEncoding.dbf records no driver, yet its text is Windows-1250.
  ScratchDir dir;
  fs::copy_file(RealFixtures() / "ndbfreader/CzechEncoding.dbf", dir.path() / "czech.dbf");
  auto as_1252 = ReadTable(dir / "czech.dbf");
  dbf_test::WriteBytes(dir.path() / "CZECH.CPG", "ANSI 1250\r\n");
  auto as_1250 = ReadTable(dir / "czech.dbf");
  EXPECT_EQ(as_1250.header.code_page, "CP1250");
  EXPECT_TRUE(as_1250.warnings.empty());
  const Json czech = LoadExpected(RealFixtures() / "ndbfreader/CzechEncoding.dbf")["records"];
  ASSERT_EQ(as_1250.rows.size(), czech.Array().size());
  int non_ascii = 0;
  for (size_t r = 0; r < as_1250.rows.size(); ++r) {
    for (size_t i = 0; i < czech.Array()[r].items.size(); ++i) {
      const Json& want = czech.Array()[r].items[i];
      if (!want.IsString() || as_1250.header.fields[i].type != 'C') continue;
      const std::string text = dbf_test::DecodeIndependently(Latin1Bytes(want.String()), "CP1250");
      EXPECT_EQ(as_1250.rows[r][i], Value(text));
      non_ascii += text != want.String();
    }
  }
  EXPECT_GT(non_ascii, 0);
  EXPECT_NE(as_1252.rows, as_1250.rows);

  // dbase_03_cyrillic.dbf has an unknown driver byte but UTF-8 text and field names.
  fs::copy_file(RealFixtures() / "ruby-dbf/dbase_03_cyrillic.dbf", dir.path() / "cyr.dbf");
  auto plain = ReadTable(dir / "cyr.dbf");
  EXPECT_TRUE(plain.HasWarning("language driver 0xF0"));
  EXPECT_EQ(plain.warnings.size(), 2u);  // and the undefined bytes, once
  dbf_test::WriteBytes(dir.path() / "cyr.cpg", "UTF-8\n");
  auto utf8 = ReadTable(dir / "cyr.dbf");
  EXPECT_TRUE(utf8.warnings.empty());
  const Json cyrillic = LoadExpected(RealFixtures() / "ruby-dbf/dbase_03_cyrillic.dbf");
  const auto& fields = cyrillic["fields"].Array();
  for (size_t i = 0; i < fields.size(); ++i)
    EXPECT_EQ(utf8.header.fields[i].name, Latin1Bytes(fields[i]["name"].String()));
  const auto& records = cyrillic["records"].Array();
  ASSERT_EQ(utf8.rows.size(), records.size());
  for (size_t r = 0; r < records.size(); ++r)
    for (size_t i = 0; i < records[r].items.size(); ++i)
      if (records[r].items[i].IsString() && utf8.header.fields[i].type == 'C')
        EXPECT_EQ(utf8.rows[r][i], Value(Latin1Bytes(records[r].items[i].String())));
}

}  // namespace
}  // namespace vodare
