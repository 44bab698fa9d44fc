// What the export's queries rely on, each rule shown with a table of the rows it needs: text
// compared and ordered without regard to case, record order, Null first, date literals, AND
// before OR, reserved words as names, Null apart from empty text.
#include <gtest/gtest.h>

#include "common/run_error.h"
#include "source/lookups.h"
#include "source/program_queries.h"
#include "source/source_db.h"
#include "source/text_tables.h"

namespace vodare {
namespace {
using testing::TempFolder;
using testing::TextTableOptions;
using testing::WriteTextTable;

class JetSemantics : public ::testing::Test {
 protected:
  SourceDb& Db() {
    if (!db_) {
      ErrorList errors;
      db_ = OpenExport(folder_.str(), errors, TextTableOptions(fallback_.str()));
      EXPECT_TRUE(db_) << errors.Text();
    }
    return *db_;
  }
  void Table(const std::string& file, const std::string& fields,
             const std::vector<std::string>& rows) {
    WriteTextTable(folder_.path() / file, fields, rows);
  }
  // One column of every row, as text ("<null>" for Null).
  std::vector<std::string> Column(const std::string& sql, const char* field) {
    std::vector<std::string> out;
    for (Recordset rs = Db().OpenSnapshot(sql); !rs.Eof(); rs.MoveNext()) {
      const Value& v = rs.Field(field);
      out.push_back(v.IsNull() ? "<null>" : v.ToText());
    }
    return out;
  }
  using Texts = std::vector<std::string>;

  TempFolder folder_, fallback_;
  std::shared_ptr<SourceDb> db_;
};

TEST_F(JetSemantics, TextEqualityIgnoresCaseBeyondAscii) {
  Table("t.dbf", "K C 10 0;N N 3 0", {"abc|1", "ÉCOLE|2", "москва|3", "abc |4", "ABD|5"});
  EXPECT_EQ(Column("select N from t where K = 'ABC'", "N"), Texts({"1"}));
  EXPECT_EQ(Column("select N from t where K = 'école'", "N"), Texts({"2"}));
  EXPECT_EQ(Column("select N from t where K = 'МОСКВА'", "N"), Texts({"3"}));
  EXPECT_EQ(Column("select N from t where K <> 'abc' and K < 'abd'", "N"), Texts({"4"}));
  EXPECT_EQ(Column("select N from t where k in ('ABD', 'x')", "N"), Texts({"5"}));
}

TEST_F(JetSemantics, OrderByTextIgnoresCaseWithNullFirstAndTiesInRecordOrder) {
  Table("t.dbf", "K C 10 0;N N 3 0", {"b|1", "B|2", "\\N|3", "a|4", "A|5", "b|6", "ä|7"});
  EXPECT_EQ(Column("select N from t order by K", "N"), Texts({"3", "4", "5", "1", "2", "6", "7"}));
  EXPECT_EQ(Column("select N from t order by K desc", "N"),
            Texts({"7", "1", "2", "6", "4", "5", "3"}));
}

TEST_F(JetSemantics, RowsWithoutOrderByComeInRecordOrderEvenThroughAnIndex) {
  Table("g.dbf", "VOUCHER N 5 0;DATE D 8 0;CODE C 5 0",
        {"1|2024-05-03|x", "2|2024-04-01|X", "3|2024-04-20|y", "4|2023-01-01|x", "5|2024-04-02|x"});
  Db().Execute("CREATE INDEX d_idx ON g ([Date]);");
  Db().Execute("CREATE INDEX c_idx ON g (code);");
  EXPECT_NE(Db().QueryPlan("select * from g where Code = 'x'").find("c_idx"), std::string::npos);
  EXPECT_EQ(
      Column("SELECT * FROM g WHERE DATE >= #04-01-2024# AND DATE <= #04-30-2024#", "voucher"),
      Texts({"2", "3", "5"}));
  EXPECT_EQ(Column("SELECT * FROM g WHERE code = 'X'", "voucher"), Texts({"1", "2", "4", "5"}));
  EXPECT_EQ(Column("SELECT * FROM g WHERE DATE >= #04-01-2024# order by date,Voucher", "voucher"),
            Texts({"2", "5", "3", "1"}));
}

TEST_F(JetSemantics, TextIndexesServeCaseInsensitiveLookups) {
  Table("order.dbf", "ORDNO C 10 0;PARNAM C 40 0", {"a1|Ram", "B2|Shyam"});
  // The opening made the index (CREATE INDEX accCode_idx ON [order] (ORDNO)).
  const char* sql = "Select Parnam from [order] where OrdNo='A1'";
  EXPECT_NE(Db().QueryPlan(sql).find("accCode_idx"), std::string::npos) << Db().QueryPlan(sql);
  EXPECT_EQ(Column(sql, "PARNAM"), Texts({"Ram"}));
}

TEST_F(JetSemantics, DatesCompareAsDatesAndComeBackAsDates) {
  Table("m.dbf", "VCN C 5 0;DATE D 8 0", {"a|2024-03-31", "b|2024-04-01", "c|\\N", "d|2025-03-31"});
  EXPECT_EQ(Column("select vcn from m where DATE >= #04-01-2024# AND DATE <= #03-31-2025#", "vcn"),
            Texts({"b", "d"}));
  Recordset rs = Db().OpenSnapshot("select [Date] from m where vcn = 'B'");
  ASSERT_TRUE(rs.Field("date").IsDate());
  EXPECT_EQ(rs.Field("Date").DateValue(), Date::FromYmd(2024, 4, 1));
  EXPECT_EQ(Column("select vcn from m order by date", "vcn"), Texts({"c", "a", "b", "d"}));
}

TEST_F(JetSemantics, AndBindsBeforeOr) {
  Table("mdis.dbf", "VCN C 5 0;CHALLAN C 5 0;DATE D 8 0;N N 2 0",
        {"K|x|2024-05-01|1", "K|x|2020-01-01|2", "z|K|2020-01-01|3", "z|y|2024-05-01|4"});
  EXPECT_EQ(Column("SELECT N FROM MDIS WHERE DATE >= #04-01-2024# AND DATE <= #03-31-2025# and "
                   "vcn = 'k' or challan = 'k'",
                   "N"),
            Texts({"1", "3"}));
}

TEST_F(JetSemantics, ReservedWordsAsNamesAliasesAndEmptyLiterals) {
  Table("ACGROUP.dbf", "ORDNO C 5 0;PARNAM C 20 0;GROUP C 20 0", {"G1|Debtors|Assets"});
  Table("order.dbf", "ORDNO C 5 0;PARNAM C 20 0;DATE D 8 0;TYPE C 1 0", {"A1|Ram|2024-04-01|S"});
  Recordset g = Db().OpenSnapshot("SELECT Parnam,Group FROM ACGROUP");
  EXPECT_EQ(g.FieldNames(), Texts({"PARNAM", "GROUP"}));  // the table's own spelling
  EXPECT_EQ(g.Field("group"), Value("Assets"));
  Recordset n =
      Db().OpenSnapshot("SELECT '' AS Sname,PARNAM AS Name2 FROM ACGROUP WHERE ORDNO='g1'");
  EXPECT_EQ(n.Field("SNAME"), Value(""));
  EXPECT_EQ(n.Field("Name2"), Value("Debtors"));
  Recordset o = Db().OpenSnapshot("select Date, Type from [Order] where ordno = 'A1'");
  EXPECT_EQ(o.Field("date"), Value(Date::FromYmd(2024, 4, 1)));
  EXPECT_EQ(o.Field("type"), Value("S"));
}

TEST_F(JetSemantics, ValuesKeepTheirKinds) {
  Table("p.dbf", "CODE N 6 0;NAME C 10 0;RATE N 8 2;OK L 1 0;D D 8 0",
        {"1|Soap|12.5|T|2024-01-02", "2||||", "3|\\N|0|F|"});
  Recordset rs = Db().OpenSnapshot("select * from p");
  EXPECT_EQ(rs.FieldNames(), Texts({"CODE", "NAME", "RATE", "OK", "D"}));
  EXPECT_EQ(rs.Field("code"), Value(1.0));
  EXPECT_EQ(rs.Field("rate"), Value(12.5));
  EXPECT_EQ(rs.Field("ok"), Value(true));
  rs.MoveNext();
  EXPECT_EQ(rs.Field("name"), Value(""));  // empty text is not Null
  EXPECT_TRUE(rs.Field("rate").IsNull());
  EXPECT_TRUE(rs.Field("d").IsNull());
  rs.MoveNext();
  EXPECT_TRUE(rs.Field("name").IsNull());
  EXPECT_EQ(rs.Field("ok"), Value(false));
  EXPECT_EQ(Column("select name from p where code = 2", "name"), Texts({""}));
}

TEST_F(JetSemantics, LongTextsAndCopiesOfARecordset) {
  const std::string long_text(300, 'w');
  Table("m.dbf", "K C 254 0;N N 3 0", {long_text + "|1", "short|2"});
  Recordset rs = Db().OpenSnapshot("select * from m");
  EXPECT_EQ(rs.Field("K"), Value(long_text));
  Recordset copy = rs;
  copy.MoveNext();
  EXPECT_EQ(copy.Field("K"), Value("short"));
  EXPECT_EQ(rs.Field("N"), Value(1.0));  // each copy has its own cursor
  EXPECT_EQ(copy.AbsolutePosition(), 1);
}

TEST(Recordset, FromRowsKeepsEveryKindOfValue) {
  Recordset rs = Recordset::FromRows({"T", "D", "I", "B", "When", "N"},
                                     {{Value("x"), Value(1.5), Value(int64_t{-7}), Value(true),
                                       Value(Date::FromYmd(2024, 2, 29)), Value()},
                                      {Value("")}});
  ASSERT_EQ(rs.RecordCount(), 2);
  EXPECT_EQ(rs.Field("t"), Value("x"));
  EXPECT_EQ(rs.Field("d"), Value(1.5));
  EXPECT_EQ(rs.Field("i"), Value(int64_t{-7}));
  EXPECT_EQ(rs.Field("b"), Value(true));
  EXPECT_EQ(rs.Field("when"), Value(Date::FromYmd(2024, 2, 29)));
  EXPECT_TRUE(rs.Field("n").IsNull());
  rs.MoveNext();
  EXPECT_EQ(rs.Field("T"), Value(""));
  EXPECT_TRUE(rs.Field("D").IsNull());
  EXPECT_TRUE(Recordset::FromRows({"A"}, {}).Eof());
}

TEST_F(JetSemantics, ARepeatedColumnNameStaysReadable) {
  Table("s.dbf", "SCODE C 5 0;NAME C 5 0;scode C 5 0", {"a|n|b"});
  Recordset rs = Db().OpenSnapshot("SELECT * FROM s");
  EXPECT_EQ(rs.FieldNames(), Texts({"SCODE", "NAME", "scode_2"}));
  EXPECT_EQ(rs.Field(2), Value("b"));
  Recordset twice = Db().OpenSnapshot("select scode, name, scode from s");
  EXPECT_EQ(twice.FieldCount(), 3u);
  EXPECT_EQ(twice.Field(2), Value("a"));
}

TEST_F(JetSemantics, LikeTopAndFunctions) {
  Table("t.dbf", "K C 10 0", {"Alpha", "beta", "ALPS", "Gamma"});
  EXPECT_EQ(Column("select K from t where K like 'al*'", "K"), Texts({"Alpha", "ALPS"}));
  EXPECT_EQ(Column("select top 2 K from t order by K desc", "K"), Texts({"Gamma", "beta"}));
  EXPECT_EQ(Column("select UCase(K) as U from t where Len(K) = 4", "U"), Texts({"BETA", "ALPS"}));
}

TEST_F(JetSemantics, QueriesDifferingOnlyInLiteralsArePreparedOnce) {
  Table("order.dbf", "ORDNO C 5 0;PARNAM C 20 0", {"A1|Ram", "A2|Shyam"});
  Db().OpenSnapshot("select * from [order]");
  size_t before = Db().PreparedStatementCount();
  for (int i = 0; i < 50; ++i)
    Db().OpenSnapshot("Select Parnam from [order] where OrdNo='A" + std::to_string(i) + "'");
  EXPECT_EQ(Db().PreparedStatementCount(), before + 1);
  EXPECT_EQ(Column("Select Parnam from [order] where OrdNo='A2'", "Parnam"), Texts({"Shyam"}));
}

TEST_F(JetSemantics, ATranslationServesOnlyTextsItFits) {
  Table("t.dbf", "A C 5 0;B C 5 0", {"x|2", "y|1", "z|3"});
  // Literals that are positions or counts are part of the statement, not values.
  EXPECT_EQ(Column("select A, B from t order by 1 desc", "A"), Texts({"z", "y", "x"}));
  EXPECT_EQ(Column("select A, B from t order by 2 desc", "A"), Texts({"z", "x", "y"}));
  EXPECT_EQ(Column("select top 1 A from t", "A"), Texts({"x"}));
  EXPECT_EQ(Column("select top 2 A from t", "A"), Texts({"x", "y"}));
  // A pattern keeps its wildcards whichever text comes second.
  EXPECT_EQ(Column("select A from t where A like 'x*'", "A"), Texts({"x"}));
  EXPECT_EQ(Column("select A from t where A like '?'", "A"), Texts({"x", "y", "z"}));
  EXPECT_EQ(Column("select A from t where B = '1' or B = 3", "A"), Texts({"y", "z"}));
  EXPECT_EQ(Column("select A from t where B = '2' or B = 1", "A"), Texts({"x", "y"}));
}

TEST_F(JetSemantics, EngineErrorsAreRunTimeErrors) {
  Table("t.dbf", "K C 10 0", {"a"});
  auto description = [&](const std::string& sql) {
    try {
      Db().OpenSnapshot(sql);
    } catch (const RunTimeError& e) {
      return std::string(e.Description());
    }
    return std::string("no error");
  };
  EXPECT_EQ(description("select nosuch from t"), "Field 'nosuch' does not exist.");
  EXPECT_EQ(description("select * from nosuch"), "Table 'nosuch' does not exist.");
  EXPECT_EQ(description("select * from t where K ="), "incomplete input");
  EXPECT_EQ(description("select * from t where K = = 1"), "near \"=\": syntax error");
  EXPECT_NE(description("select * from pro where code="), "no error");
  EXPECT_EQ(description("select Foo(K) from t"), "Undefined function 'FOO' in expression.");
}

TEST_F(JetSemantics, RecordsetNavigation) {
  Table("t.dbf", "K C 10 0", {"a", "b"});
  Table("e.dbf", "K C 10 0", {});
  Recordset rs = Db().OpenSnapshot("select * from t");
  EXPECT_EQ(rs.RecordCount(), 2);
  EXPECT_FALSE(rs.Bof());
  rs.MoveLast();
  EXPECT_EQ(rs.Field(0), Value("b"));
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  EXPECT_THROW(rs.Field("k"), RunTimeError);
  EXPECT_THROW(rs.MoveNext(), RunTimeError);
  rs.MovePrevious();
  rs.MovePrevious();
  EXPECT_EQ(rs.Field("K"), Value("a"));
  rs.MovePrevious();
  EXPECT_TRUE(rs.Bof());
  EXPECT_THROW(rs.Field(0), RunTimeError);
  rs.MoveFirst();
  EXPECT_THROW(rs.Field("nosuch"), RunTimeError);

  Recordset empty = Db().OpenSnapshot("select * from e");
  EXPECT_TRUE(empty.Eof());
  EXPECT_TRUE(empty.Bof());
  EXPECT_EQ(empty.RecordCount(), 0);
  try {
    empty.MoveLast();
    FAIL();
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.Description(), kNoCurrentRecord);
  }
  EXPECT_THROW(empty.MoveFirst(), RunTimeError);
  EXPECT_THROW(empty.Field("K"), RunTimeError);
}

// An export holding every table and column that the program's queries name.
void WriteFullExport(const std::filesystem::path& dir) {
  auto w = [&](const char* file, const char* fields, std::vector<std::string> rows) {
    WriteTextTable(dir / file, fields, rows);
  };
  w("pro.dbf",
    "CODE N 6 0;NAME C 30 0;RACKNO C 10 0;BILLNAME C 40 0;UNIT C 5 0;UNIT2 C 5 0;MRP N 10 2;"
    "RATEA N 10 2;PRATE N 10 2;PURDIS N 5 2;OPENING N 10 2;IGST N 5 2;PACK N 6 0;GCODE C 5 0;"
    "RACKNO2 C 10 0;GCODE3 C 5 0;GCODE5 C 5 0;GCODE6 C 5 0;PACKING C 20 0",
    {"1|soap|R1|SOAP|PCS|BOX|10|9|8|0|5|12|10|G|R2|||||10x1"});
  w("order.dbf",
    "PARNAM C 40 0;OPNING N 12 2;DATE D 8 0;RATE C 1 0;DLNO C 20 0;SCODE C 5 0;ORDNO C 10 0;"
    "CITY C 20 0;PARADD C 40 0;PARADD1 C 40 0;PARADD2 C 40 0;DSM C 5 0;CSTNO C 15 0;GSTNO C 15 0;"
    "ITNO C 15 0;CONFIR C 1 0;PHONE1 C 15 0;PHONE3 C 15 0;FAX1 C 15 0;PHONE4 C 15 0;DUEDAYS N 3 0;"
    "MR C 10 0",
    {"Ram|1500|2024-04-01|y||G1|A1|Pune|||||||||||||30|"});
  w("ACGROUP.dbf", "ORDNO C 5 0;PARNAM C 40 0;GROUP C 40 0", {"G1|Debtors|"});
  w("mdis.dbf",
    "VCN C 10 0;CHALLAN C 10 0;CHDATE D 8 0;TYPE N 2 0;DATE D 8 0;CODEP C 10 0;PM C 1 0;"
    "FINAL N 12 2;CASH N 12 2;CGSTAMO N 12 2;PACKING N 12 2;FREIGHT N 12 2;ROUND N 6 2;"
    "OTHER N 12 2;OTHUN C 5 0;TAXAMO N 12 2;VOUCHER N 8 0;STAXAMO N 12 2;STAXUN C 5 0;"
    "GODWON C 5 0;MR C 10 0;DOCU C 20 0;PHONE C 15 0;DOCU2 C 20 0",
    {"V1|C1|2024-04-02|1|2024-04-02|A1|C|100|0|0|0|0|0|0||0|1|0||M1||||"});
  w("dis.dbf", "VOUCHER N 8 0;CODE N 6 0;QTY N 10 2", {"1|1|2"});
  w("Gledger.dbf",
    "VOUCHER N 8 0;TYPE N 2 0;DATE D 8 0;CODE C 10 0;CREDIT N 12 2;DEBIT N 12 2;"
    "MR C 10 0;CODE1 C 10 0",
    {"7|1|2024-04-03|A1|0|100||"});
  w("pend.dbf", "VOUCHER N 8 0;TYPE C 1 0;DDATE D 8 0;FINAL N 12 2;VCN C 10 0",
    {"7|N|2024-05-01|100|R1"});
  w("probat.dbf",
    "CODE N 6 0;BILLNAME C 40 0;BATCHNO C 10 0;PRATE N 10 2;MFD D 8 0;EXP D 8 0;OPENING N 10 2;"
    "MRP N 10 2;RATEA N 10 2;PACKING C 20 0;UNIT C 5 0",
    {"1|D'SOUZA|B'1|8|2024-01-01|2026-01-01|5|10|9|10x1|PCS"});
  w("SaleType.dbf", "SCODE C 10 0;SGCODE C 10 0;SNAME C 40 0;PARNAM C 40 0", {"M1|GODWON|Main|"});
  w("support.dbf", "LCODE C 10 0;PCODE N 3 0;REMARK C 60 0;ALIASE C 12 0",
    {"A1|0|ram@example.com|", "X|1|Vodori Traders|ZORAVIZED3"});
}

TEST_F(JetSemantics, EveryProgramQueryRunsOnAFullExport) {
  WriteFullExport(folder_.path());
  for (const std::string& sql : ProgramQueries()) {
    Recordset rs;
    ASSERT_NO_THROW(rs = Db().OpenSnapshot(sql)) << sql;
    EXPECT_EQ(rs.RecordCount(), sql.find("PCode=15") == std::string::npos ? 1 : 0) << sql;
  }
  Recordset order =
      Db().OpenSnapshot("Select " + GetFieldList(2) + " from [order] where ordno = 'A1'");
  EXPECT_EQ(order.FieldCount(), 23u);
  EXPECT_EQ(order.Field(7), Value("G1"));  // scode, selected twice
}

}  // namespace
}  // namespace vodare
