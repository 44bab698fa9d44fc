// What the export's queries rely on, each rule shown with a table of the rows it needs: text
// compared and ordered without regard to case, record order, Null first, date literals, AND
// before OR, reserved words as names, Null apart from empty text.
#include <gtest/gtest.h>

#include "common/run_error.h"
#include "export_writer/sample_export.h"
#include "source/lookups.h"
#include "source/program_queries.h"
#include "source/source_db.h"
#include "source/text_tables.h"

namespace vodare {
namespace {
using Texts = std::vector<std::string>;
using Rows = std::vector<std::vector<Value>>;

class JetSemantics : public ::testing::Test, public testing::TextExport {
 protected:
  // One column of every row, as text ("<null>" for Null).
  Texts Column(const std::string& sql, const char* field) {
    Texts out;
    for (Recordset rs = Db()->OpenSnapshot(sql); !rs.Eof(); rs.MoveNext())
      out.push_back(rs.Field(field).IsNull() ? "<null>" : rs.Field(field).ToText());
    return out;
  }
  std::vector<std::vector<Value>> All(const std::string& sql) {
    std::vector<std::vector<Value>> out;
    for (Recordset rs = Db()->OpenSnapshot(sql); !rs.Eof(); rs.MoveNext()) {
      out.emplace_back();
      for (size_t i = 0; i < rs.FieldCount(); ++i) out.back().push_back(rs.Field(i));
    }
    return out;
  }
  // The error text a query fails with.
  std::string Failure(const std::string& sql) {
    try {
      Db()->OpenSnapshot(sql);
    } catch (const RunTimeError& e) {
      return e.Description();
    }
    return "no error";
  }
};

TEST_F(JetSemantics, QueriesGiveTheRowsAndTheOrderJetWould) {
  Table("c.dbf", "K C 10 0;N N 3 0", {"abc|1", "ÉCOLE|2", "москва|3", "abc |4", "ABD|5"});
  Table("o.dbf", "K C 10 0;N N 3 0", {"b|1", "B|2", "\\N|3", "a|4", "A|5", "b|6", "ä|7"});
  Table("g.dbf", "VOUCHER N 5 0;DATE D 8 0;CODE C 5 0",
        {"1|2024-05-03|x", "2|2024-04-01|X", "3|2024-04-20|y", "4|2023-01-01|x", "5|2024-04-02|x"});
  Table("m.dbf", "VCN C 5 0;DATE D 8 0", {"a|2024-03-31", "b|2024-04-01", "c|\\N", "d|2025-03-31"});
  Table("mdis.dbf", "VCN C 5 0;CHALLAN C 5 0;DATE D 8 0;N N 2 0",
        {"K|x|2024-05-01|1", "K|x|2020-01-01|2", "z|K|2020-01-01|3", "z|y|2024-05-01|4"});
  Table("l.dbf", "K C 10 0", {"Alpha", "beta", "ALPS", "Gamma"});
  Table("f.dbf", "A C 5 0;B C 5 0", {"x|2", "y|1", "z|3"});
  Table("order.dbf", "ORDNO C 10 0;PARNAM C 40 0", {"a1|Ram", "B2|Shyam"});
  Db()->Execute("CREATE INDEX d_idx ON g ([Date]);");
  Db()->Execute("CREATE INDEX c_idx ON g (code);");
  EXPECT_NE(Db()->QueryPlan("select * from g where Code = 'x'").find("c_idx"), std::string::npos);
  // The opening made the index (CREATE INDEX accCode_idx ON [order] (ORDNO)).
  EXPECT_NE(Db()->QueryPlan("Select Parnam from [order] where OrdNo='A1'").find("accCode_idx"),
            std::string::npos);

  const std::vector<std::tuple<std::string, const char*, Texts>> cases = {
      // Text equality ignores case beyond ASCII, and trailing blanks are no part of a text.
      {"select N from c where K = 'ABC'", "N", {"1"}},
      {"select N from c where K = 'école'", "N", {"2"}},
      {"select N from c where K = 'МОСКВА'", "N", {"3"}},
      {"select N from c where K <> 'abc' and K < 'abd'", "N", {"4"}},
      {"select N from c where k in ('ABD', 'x')", "N", {"5"}},
      {"Select Parnam from [order] where OrdNo='A1'", "PARNAM", {"Ram"}},
      // Ordered text ignores case, Null first, ties in record order.
      {"select N from o order by K", "N", {"3", "4", "5", "1", "2", "6", "7"}},
      {"select N from o order by K desc", "N", {"7", "1", "2", "6", "4", "5", "3"}},
      // Without ORDER BY rows come in record order, even through an index.
      {"SELECT * FROM g WHERE DATE >= #04-01-2024# AND DATE <= #04-30-2024#",
       "voucher",
       {"2", "3", "5"}},
      {"SELECT * FROM g WHERE code = 'X'", "voucher", {"1", "2", "4", "5"}},
      {"SELECT * FROM g WHERE DATE >= #04-01-2024# order by date,Voucher",
       "voucher",
       {"2", "5", "3", "1"}},
      // Dates compare as dates, month first in a literal; Null orders first.
      {"select vcn from m where DATE >= #04-01-2024# AND DATE <= #03-31-2025#", "vcn", {"b", "d"}},
      {"select vcn from m order by date", "vcn", {"c", "a", "b", "d"}},
      // AND binds before OR.
      {"SELECT N FROM MDIS WHERE DATE >= #04-01-2024# AND DATE <= #03-31-2025# and vcn = 'k' or "
       "challan = 'k'",
       "N",
       {"1", "3"}},
      {"select K from l where K like 'al*'", "K", {"Alpha", "ALPS"}},
      {"select top 2 K from l order by K desc", "K", {"Gamma", "beta"}},
      {"select UCase(K) as U from l where Len(K) = 4", "U", {"BETA", "ALPS"}},
      // Literals that are positions or counts are part of the statement, not values; a pattern
      // keeps its wildcards whichever text comes second.
      {"select A, B from f order by 1 desc", "A", {"z", "y", "x"}},
      {"select A, B from f order by 2 desc", "A", {"z", "x", "y"}},
      {"select top 1 A from f", "A", {"x"}},
      {"select top 2 A from f", "A", {"x", "y"}},
      {"select A from f where A like 'x*'", "A", {"x"}},
      {"select A from f where A like '?'", "A", {"x", "y", "z"}},
      {"select A from f where B = '1' or B = 3", "A", {"y", "z"}},
      {"select A from f where B = '2' or B = 1", "A", {"x", "y"}},
  };
  for (const auto& [sql, field, want] : cases) EXPECT_EQ(Column(sql, field), want) << sql;
}

TEST_F(JetSemantics, ValuesKeepTheirKindsAndNamesTheirSpelling) {
  Table("p.dbf", "CODE N 6 0;NAME C 10 0;RATE N 8 2;OK L 1 0;D D 8 0",
        {"1|Soap|12.5|T|2024-01-02", "2||||", "3|\\N|0|F|"});
  Table("ACGROUP.dbf", "ORDNO C 5 0;PARNAM C 20 0;GROUP C 20 0", {"G1|Debtors|Assets"});
  Table("order.dbf", "ORDNO C 5 0;PARNAM C 20 0;DATE D 8 0;TYPE C 1 0", {"A1|Ram|2024-04-01|S"});
  Table("s.dbf", "SCODE C 5 0;NAME C 5 0;scode C 5 0", {"a|n|b"});
  Table("w.dbf", "K C 254 0;N N 3 0", {std::string(300, 'w') + "|1", "short|2"});
  EXPECT_EQ(Db()->OpenSnapshot("select * from p").FieldNames(),
            Texts({"CODE", "NAME", "RATE", "OK", "D"}));
  EXPECT_EQ(All("select * from p"), (Rows{{1.0, "Soap", 12.5, true, Date::FromYmd(2024, 1, 2)},
                                          {2.0, "", Value(), Value(), Value()},
                                          {3.0, Value(), 0.0, false, Value()}}));
  EXPECT_EQ(Column("select name from p where code = 2", "name"), Texts({""}));  // "" is not Null

  // Reserved words as names, aliases and empty literals; fields keep the table's spelling and
  // are found in any letter case.
  EXPECT_EQ(Db()->OpenSnapshot("SELECT Parnam,Group FROM ACGROUP").FieldNames(),
            Texts({"PARNAM", "GROUP"}));
  EXPECT_EQ(Column("SELECT Parnam,Group FROM ACGROUP", "group"), Texts({"Assets"}));
  const std::string aliased = "SELECT '' AS Sname,PARNAM AS Name2 FROM ACGROUP WHERE ORDNO='g1'";
  EXPECT_EQ(All(aliased), (Rows{{"", "Debtors"}}));
  EXPECT_EQ(Column(aliased, "NAME2"), Texts({"Debtors"}));
  EXPECT_EQ(All("select Date, Type from [Order] where ordno = 'A1'"),
            (Rows{{Date::FromYmd(2024, 4, 1), "S"}}));
  EXPECT_EQ(Column("select Date, Type from [Order] where ordno = 'A1'", "type"), Texts({"S"}));
  // A repeated column name stays readable.
  EXPECT_EQ(Db()->OpenSnapshot("SELECT * FROM s").FieldNames(),
            Texts({"SCODE", "NAME", "scode_2"}));
  EXPECT_EQ(All("SELECT * FROM s"), (Rows{{"a", "n", "b"}}));
  EXPECT_EQ(All("select scode, name, scode from s"), (Rows{{"a", "n", "a"}}));

  // Long texts, and copies of a recordset each with a cursor of its own.
  Recordset w = Db()->OpenSnapshot("select * from w");
  EXPECT_EQ(w.Field("K"), Value(std::string(300, 'w')));
  Recordset copy = w;
  copy.MoveNext();
  EXPECT_EQ(copy.Field("K"), Value("short"));
  EXPECT_EQ(w.Field("N"), Value(1.0));
  EXPECT_EQ(copy.AbsolutePosition(), 1);
}

TEST(Recordset, FromRowsKeepsEveryKindOfValue) {
  const std::vector<Value> first = {"x",    1.5, int64_t{-7}, true, Date::FromYmd(2024, 2, 29),
                                    Value()};
  Recordset rs = Recordset::FromRows({"T", "D", "I", "B", "When", "N"}, {first, {""}});
  ASSERT_EQ(rs.RecordCount(), 2);
  const Texts names = {"t", "d", "i", "b", "when", "n"};
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(rs.Field(names[i]), first[i]) << names[i];
  rs.MoveNext();
  EXPECT_EQ(rs.Field("T"), Value(""));
  EXPECT_TRUE(rs.Field("D").IsNull());
  EXPECT_TRUE(Recordset::FromRows({"A"}, {}).Eof());
}

TEST_F(JetSemantics, EngineErrorsAreRunTimeErrorsAndNavigationStopsAtTheEnds) {
  Table("t.dbf", "K C 10 0", {"a", "b"});
  Table("e.dbf", "K C 10 0", {});
  EXPECT_EQ(Failure("select nosuch from t"), "Field 'nosuch' does not exist.");
  EXPECT_EQ(Failure("select * from nosuch"), "Table 'nosuch' does not exist.");
  EXPECT_EQ(Failure("select * from t where K ="), "incomplete input");
  EXPECT_EQ(Failure("select * from t where K = = 1"), "near \"=\": syntax error");
  EXPECT_NE(Failure("select * from pro where code="), "no error");
  EXPECT_EQ(Failure("select Foo(K) from t"), "Undefined function 'FOO' in expression.");

  Recordset rs = Db()->OpenSnapshot("select * from t");
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

  Recordset empty = Db()->OpenSnapshot("select * from e");
  EXPECT_TRUE(empty.Eof() && empty.Bof());
  EXPECT_EQ(empty.RecordCount(), 0);
  try {
    empty.MoveLast();
    ADD_FAILURE() << "MoveLast on no records";
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.Description(), kNoCurrentRecord);
  }
  EXPECT_THROW(empty.MoveFirst(), RunTimeError);
  EXPECT_THROW(empty.Field("K"), RunTimeError);
}

TEST_F(JetSemantics, QueriesDifferingOnlyInLiteralsArePreparedOnce) {
  Table("order.dbf", "ORDNO C 5 0;PARNAM C 20 0", {"A1|Ram", "A2|Shyam"});
  Db()->OpenSnapshot("select * from [order]");
  const size_t before = Db()->PreparedStatementCount();
  for (int i = 0; i < 50; ++i)
    Db()->OpenSnapshot("Select Parnam from [order] where OrdNo='A" + std::to_string(i) + "'");
  EXPECT_EQ(Db()->PreparedStatementCount(), before + 1);
  EXPECT_EQ(Column("Select Parnam from [order] where OrdNo='A2'", "Parnam"), Texts({"Shyam"}));
}

// The sample export holds every table and column that the program's queries name.
TEST_F(JetSemantics, EveryProgramQueryRunsOnTheSampleExport) {
  SampleExportOptions options;
  options.vouchers = 30;
  WriteSampleExport(folder.str(), options);
  ErrorList errors;
  std::shared_ptr<SourceDb> sample = OpenExport(folder.str(), errors);
  ASSERT_TRUE(sample) << errors.Text();
  for (const std::string& sql : ProgramQueries()) EXPECT_NO_THROW(sample->OpenSnapshot(sql)) << sql;
  // scode is selected twice.
  EXPECT_EQ(sample->OpenSnapshot("Select " + GetFieldList(2) + " from [order]").FieldCount(), 23u);
}

}  // namespace
}  // namespace vodare
