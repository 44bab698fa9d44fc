// The reader against tables that other tools wrote, each with an independent reading beside it.
// Where that reading is known to depart from the file (its README lists the cases), the file's
// own bytes decide and the case has a test of its own below.

#include <algorithm>
#include <cmath>
#include <set>

#include "json_for_tests.h"
#include "source/dbf_test_util.h"

namespace vodare {
namespace {

using dbf_test::ReadBytes;
using dbf_test::ReadTable;
using dbf_test::RealFixtures;
using dbf_test::ScratchDir;
using dbf_test::TableRead;
using testing_json::Json;
namespace fs = std::filesystem;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::vector<fs::path> AllFixtures() {
  std::vector<fs::path> out;
  for (const auto& e : fs::recursive_directory_iterator(RealFixtures())) {
    std::string name = e.path().filename().string();
    if (e.is_regular_file() && Upper(e.path().extension().string()) == ".DBF")
      out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

Json LoadExpected(const fs::path& table) {
  return testing_json::ParseJson(ReadBytes(table.string() + ".expected.json"));
}

// The independent reading decodes with its own choice of code page (Latin-1 when it knows
// none); the text it stands for is that of the file's bytes in the code page the reader chose.
std::string ExpectedText(const std::string& text, const Json& expected,
                         const std::string& our_code_page) {
  std::string encoding = Upper(expected["encoding"].String());
  if (encoding == "LATIN-1" && our_code_page != "ISO-8859-1")
    return dbf_test::DecodeIndependently(dbf_test::Latin1Bytes(text), our_code_page);
  return text;
}

std::string Describe(const Value& v) {
  if (v.IsNull()) return "Null";
  if (v.IsText()) return "\"" + v.Text().substr(0, 80) + "\"";
  if (v.IsDate()) return v.DateValue().Format("yyyy-mm-dd");
  return v.ToText();
}

// One value against the independent reading. version is the table's, for the memo rules.
void ExpectValue(const Value& ours, const Json& want, const DbfField& field, uint8_t version,
                 bool dbt_memo, const Json& expected, const std::string& code_page,
                 const std::string& where) {
  SCOPED_TRACE(where + " field " + field.name + " ours " + Describe(ours));
  if (want.IsNull()) {
    // The overflow mark of a number that did not fit is no value to the independent reading;
    // the reader keeps it as it stands, so that no stage reads it as 0.
    bool stars = ours.IsText() && !ours.Text().empty() &&
                 ours.Text().find_first_not_of('*') == std::string::npos;
    EXPECT_TRUE(ours.IsNull() || stars);
    return;
  }
  if (want.IsBool()) {
    ASSERT_TRUE(ours.IsBool());
    EXPECT_EQ(ours.Bool(), want.Bool());
    return;
  }
  if (want.IsNumber()) {
    ASSERT_TRUE(ours.IsNumber());
    double got = ours.IsDouble() ? ours.Double() : static_cast<double>(ours.Integer());
    EXPECT_EQ(got, want.Number());
    return;
  }
  ASSERT_TRUE(want.IsString());
  if (field.type == 'D' || field.type == 'T') {
    ASSERT_TRUE(ours.IsDate());
    EXPECT_EQ(ours.DateValue().Format("yyyy-mm-dd"), want.String().substr(0, 10));
    return;
  }
  ASSERT_TRUE(ours.IsText());
  std::string text = ExpectedText(want.String(), expected, code_page);
  const std::string& got = ours.Text();
  // The reader drops NULs that pad the end of a memo.
  if (dbt_memo) text.erase(text.find_last_not_of('\0') + 1);
  if (dbt_memo && version == 0x83) {
    // The other reading ends a dBASE III memo at the first 0x1A; the end mark is 0x1A 0x1A.
    EXPECT_EQ(got.substr(0, got.find('\x1A')), text);
  } else if (dbt_memo) {
    // The other reading takes 8 bytes too many from a dBASE IV block and then cuts at 0x1F.
    size_t unit = got.find('\x1F');
    if (unit != std::string::npos) {
      EXPECT_EQ(got.substr(0, unit), text);
    } else {
      EXPECT_EQ(text.substr(0, got.size()), got);
      EXPECT_LE(text.size() - std::min(text.size(), got.size()), 8u * 3);
    }
  } else {
    EXPECT_EQ(got, text);
  }
}

void ExpectMatchesIndependentReading(const fs::path& table) {
  SCOPED_TRACE(table.string());
  Json expected = LoadExpected(table);
  ASSERT_TRUE(expected.Find("records")) << "no independent reading to compare with";
  TableRead t = ReadTable(table.string());

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
  bool dbt_memo = expected["memo_file"].IsString() &&
                  Upper(fs::path(expected["memo_file"].String()).extension().string()) == ".DBT";
  for (size_t r = 0; r < records.size(); ++r) {
    const Json& rec = records[r];
    for (size_t i = 0; i < fields.size(); ++i) {
      if (!last_of_name[i]) continue;
      ExpectValue(t.rows[r][i], rec[fields[i]["name"].String()], t.header.fields[i],
                  t.header.version, dbt_memo, expected, t.header.code_page,
                  "record " + std::to_string(r));
    }
  }
}

// Tables whose independent reading is not a reading of the whole table (a record flag it does
// not know) or failed outright; each has its own test below.
const std::set<std::string> kReadApart = {"mazovia.dbf", "invalid_value.dbf",
                                          "contain_null_padded_numeric.dbf"};

TEST(DbfRealFiles, EveryFixtureReadsAsTheIndependentReadingSays) {
  auto all = AllFixtures();
  ASSERT_EQ(all.size(), 24u);
  for (const auto& table : all) {
    if (kReadApart.count(table.filename().string())) continue;
    ExpectMatchesIndependentReading(table);
  }
}

TEST(DbfRealFiles, HeaderFactsMatchTheBytes) {
  for (const auto& table : AllFixtures()) {
    SCOPED_TRACE(table.string());
    Json expected = LoadExpected(table);
    DbfReader reader(table.string());
    const Json& raw = expected["raw"];
    EXPECT_EQ(reader.header().header_length, raw["header_length"].Number());
    EXPECT_EQ(reader.header().record_length, raw["record_length"].Number());
    EXPECT_EQ(reader.header().language_driver,
              std::stoi(raw["language_driver"].String(), nullptr, 16));
  }
}

TEST(DbfRealFiles, CodePageComesFromTheLanguageDriver) {
  EXPECT_EQ(ReadTable((RealFixtures() / "ruby-dbf/cp1251.dbf").string()).header.code_page,
            "CP1251");
  EXPECT_EQ(ReadTable((RealFixtures() / "shapelib/pline.dbf").string()).header.code_page, "CP437");
  auto people = ReadTable((RealFixtures() / "dbfread/people.dbf").string());
  EXPECT_EQ(people.header.code_page, "CP1252");  // driver byte 0
  EXPECT_TRUE(people.warnings.empty());
}

TEST(DbfRealFiles, RecordFlagOtherThanStarIsLive) {
  // Both records carry 0x00 as their flag; only '*' marks a deleted record.
  auto t = ReadTable((RealFixtures() / "ruby-dbf/mazovia.dbf").string());
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[0][0].Text(), "2020-01-04");
  EXPECT_EQ(t.rows[0][1].Text(), "English");
  EXPECT_EQ(t.rows[1][0].Text(), "2020-01-04");
  EXPECT_EQ(Len(t.rows[1][1].Text()), 7u);
  // Driver 0x69 (Mazovia) has no code page here: read as Windows-1252, said once.
  EXPECT_EQ(t.header.code_page, "CP1252");
  EXPECT_EQ(t.warnings.size(), 2u);
  EXPECT_TRUE(t.HasWarning("language driver 0x69"));
  EXPECT_TRUE(t.HasWarning("2 records carry the deletion flag 0x00, neither blank nor '*'"));
}

TEST(DbfRealFiles, DateThatIsNoDateIsKeptAsItStandsWithAWarning) {
  auto t = ReadTable((RealFixtures() / "dbfread/invalid_value.dbf").string());
  ASSERT_FALSE(t.rows.empty());
  bool kept = false;
  for (const auto& row : t.rows) kept = kept || row[t.Column("BIRTHDATE")] == Value("NotAYear");
  EXPECT_TRUE(kept);
  ASSERT_EQ(t.warnings.size(), 1u);
  EXPECT_TRUE(t.HasWarning("holds \"NotAYear\", which is not a date"));
}

TEST(DbfRealFiles, NumberPaddedWithNulsReads) {
  auto t = ReadTable((RealFixtures() / "dbase-rs/contain_null_padded_numeric.dbf").string());
  ASSERT_EQ(t.rows.size(), 1u);
  bool found = false;
  for (const auto& v : t.rows[0]) found = found || (v.IsDouble() && v.Double() == 1234);
  EXPECT_TRUE(found);
  EXPECT_TRUE(t.warnings.empty());
}

TEST(DbfRealFiles, HeaderCountBeyondTheDataReadsWhatIsThere) {
  auto t = ReadTable((RealFixtures() / "ruby-dbf/dbase_8b_incorrect_record_count.dbf").string());
  EXPECT_EQ(t.header.record_count, 15u);
  EXPECT_EQ(t.rows.size(), 10u);
  EXPECT_TRUE(t.HasWarning("counts 15 records"));
  // Its memo file was never there: the memo field reads as Null and that is said.
  EXPECT_TRUE(t.HasWarning("memo file"));
  for (const auto& row : t.rows) EXPECT_TRUE(row[t.Column("MEMO")].IsNull());
}

TEST(DbfRealFiles, MemoFormsAgreeAcrossTheSameData) {
  // The same three records as dBASE III (end mark), dBASE IV (length in block) and FoxPro
  // (64-byte blocks): the text memos must agree exactly, and the binary ones where the format
  // can hold them (a dBASE III memo cannot hold 0x1A 0x1A, so it is not compared).
  auto iii = ReadTable((RealFixtures() / "php-xbase/dBaseIII.dbf").string());
  auto iv = ReadTable((RealFixtures() / "php-xbase/dBaseIV.dbf").string());
  auto fox = ReadTable((RealFixtures() / "php-xbase/Foxpro2.dbf").string());
  ASSERT_EQ(iii.rows.size(), 3u);
  ASSERT_EQ(iv.rows.size(), 3u);
  ASSERT_EQ(fox.rows.size(), 3u);
  // The three writers ended the texts differently (CR LF, or nothing); the rest is the same.
  auto text = [](const Value& v) {
    std::string s = v.Text();
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
    return s;
  };
  for (size_t r = 0; r < 3; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(text(iii.At(r, "BIO")), text(iv.At(r, "BIO")));
    EXPECT_EQ(text(iv.At(r, "BIO")), text(fox.At(r, "BIO")));
    EXPECT_EQ(iv.At(r, "IMAGE"), fox.At(r, "IMAGE"));
    EXPECT_EQ(iii.At(r, "NAME"), fox.At(r, "NAME"));
    EXPECT_EQ(iii.At(r, "MONEY"), fox.At(r, "MONEY"));
  }
  EXPECT_GT(iv.At(0, "IMAGE").Text().size(), 1000u);
}

TEST(DbfRealFiles, MemoFileFoundWhateverItsLetterCase) {
  // memotest.dbf keeps its memo in memotest.FPT; copy the pair with other spellings.
  for (const char* memo_name : {"memotest.fpt", "MEMOTEST.Fpt"}) {
    ScratchDir dir;
    fs::copy_file(RealFixtures() / "dbfread/memotest.dbf", dir.path() / "memotest.dbf");
    fs::copy_file(RealFixtures() / "dbfread/memotest.FPT", dir.path() / memo_name);
    auto t = ReadTable(dir / "memotest.dbf");
    EXPECT_TRUE(t.warnings.empty()) << memo_name;
    ASSERT_FALSE(t.rows.empty());
    bool any_memo = false;
    for (const auto& row : t.rows)
      for (const auto& v : row) any_memo = any_memo || (v.IsText() && v.Text().size() > 3);
    EXPECT_TRUE(any_memo) << memo_name;
  }
}

TEST(DbfRealFiles, CpgFileOverridesTheLanguageDriver) {
  // CzechEncoding.dbf records no driver, yet its text is Windows-1250.
  ScratchDir dir;
  fs::copy_file(RealFixtures() / "ndbfreader/CzechEncoding.dbf", dir.path() / "czech.dbf");
  auto as_1252 = ReadTable(dir / "czech.dbf");
  dbf_test::WriteBytes(dir.path() / "CZECH.CPG", "ANSI 1250\r\n");
  auto as_1250 = ReadTable(dir / "czech.dbf");
  EXPECT_EQ(as_1250.header.code_page, "CP1250");
  EXPECT_TRUE(as_1250.warnings.empty());

  Json expected = LoadExpected(RealFixtures() / "ndbfreader/CzechEncoding.dbf");
  const auto& records = expected["records"].Array();
  ASSERT_EQ(as_1250.rows.size(), records.size());
  int non_ascii = 0;
  for (size_t r = 0; r < records.size(); ++r) {
    const auto& rec = records[r].Object();
    for (size_t i = 0; i < rec.size(); ++i) {
      if (!rec[i].second.IsString() || as_1250.header.fields[i].type != 'C') continue;
      std::string want =
          dbf_test::DecodeIndependently(dbf_test::Latin1Bytes(rec[i].second.String()), "CP1250");
      EXPECT_EQ(as_1250.rows[r][i].Text(), want);
      non_ascii += want != rec[i].second.String();
    }
  }
  EXPECT_GT(non_ascii, 0);
  EXPECT_NE(as_1252.rows, as_1250.rows);
}

TEST(DbfRealFiles, Utf8CpgReadsUtf8Text) {
  // dbase_03_cyrillic.dbf has an unknown driver byte but UTF-8 text and field names.
  ScratchDir dir;
  fs::copy_file(RealFixtures() / "ruby-dbf/dbase_03_cyrillic.dbf", dir.path() / "cyr.dbf");
  auto plain = ReadTable(dir / "cyr.dbf");
  EXPECT_TRUE(plain.HasWarning("language driver 0xF0"));
  EXPECT_EQ(plain.warnings.size(), 2u);  // and the undefined bytes, once
  dbf_test::WriteBytes(dir.path() / "cyr.cpg", "UTF-8\n");
  auto utf8 = ReadTable(dir / "cyr.dbf");
  EXPECT_TRUE(utf8.warnings.empty());
  Json expected = LoadExpected(RealFixtures() / "ruby-dbf/dbase_03_cyrillic.dbf");
  const auto& fields = expected["fields"].Array();
  for (size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(utf8.header.fields[i].name, dbf_test::Latin1Bytes(fields[i]["name"].String()));
  }
  const auto& records = expected["records"].Array();
  ASSERT_EQ(utf8.rows.size(), records.size());
  for (size_t r = 0; r < records.size(); ++r) {
    const auto& rec = records[r].Object();
    for (size_t i = 0; i < rec.size(); ++i) {
      if (rec[i].second.IsString() && utf8.header.fields[i].type == 'C') {
        EXPECT_EQ(utf8.rows[r][i].Text(), dbf_test::Latin1Bytes(rec[i].second.String()));
      }
    }
  }
}

TEST(DbfRealFiles, ZeroFieldsAndZeroRecords) {
  auto polygon = ReadTable((RealFixtures() / "ruby-dbf/polygon.dbf").string());
  EXPECT_TRUE(polygon.header.fields.empty());
  ASSERT_EQ(polygon.rows.size(), 1u);
  EXPECT_TRUE(polygon.rows[0].empty());
  auto kunden = ReadTable((RealFixtures() / "dbase-rs/KUNDEN-schema-only.DBF").string());
  EXPECT_EQ(kunden.header.fields.size(), 49u);
  EXPECT_TRUE(kunden.rows.empty());
}

}  // namespace
}  // namespace vodare
