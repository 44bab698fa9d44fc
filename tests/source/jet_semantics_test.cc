// What the export's queries rely on, each rule with a table of the rows it needs.
#include <gtest/gtest.h>

#include <map>

#include "export_writer/sample_export.h"
#include "source/lookups.h"
#include "source/program_queries.h"
#include "source/source_db.h"
#include "source/text_tables.h"
#include "support/golden.h"

namespace vodare {
namespace {
using Texts = std::vector<std::string>;

class JetSemantics : public ::testing::Test, public testing::TextExport {
 protected:
  // One column of every row, as text ("<null>" for Null).
  Texts Column(const std::string& sql, const char* field) {
    Texts out;
    for (Recordset rs = Db()->OpenSnapshot(sql); !rs.Eof(); rs.MoveNext())
      out.push_back(rs.Field(field).IsNull() ? "<null>" : rs.Field(field).ToText());
    return out;
  }
};

TEST_F(JetSemantics, QueriesGiveTheRowsTheOrderAndTheValuesJetWould) {
  ASSERT_TRUE(testing::ReadKeptTables("jet_semantics_tables.txt",
                                      [&](const std::string& file, const std::string& fields,
                                          const Texts& rows) { Table(file, fields, rows); }));
  Db()->Execute("CREATE INDEX d_idx ON g ([Date]);");
  Db()->Execute("CREATE INDEX c_idx ON g (code);");
  EXPECT_NE(Db()->QueryPlan("select * from g where Code = 'x'").find("c_idx"), std::string::npos);
  // The opening made the index (CREATE INDEX accCode_idx ON [order] (ORDNO)).
  EXPECT_NE(Db()->QueryPlan("Select Parnam from [order] where OrdNo='A1'").find("accCode_idx"),
            std::string::npos);

  testing::ExpectKeptAnswers(
      "jet_semantics_queries.txt", [&](const std::string& function, const std::string& in) {
        if (function == "Failure") {
          Db()->OpenSnapshot(in);
          return std::string("no error");
        }
        if (function == "Rows") {  // the field names, then every row's values with their kinds
          Recordset rs = Db()->OpenSnapshot(in);
          std::string out;
          for (const std::string& name : rs.FieldNames()) out += (out.empty() ? "" : " ") + name;
          for (; !rs.Eof(); rs.MoveNext()) {
            out += " /";
            for (size_t i = 0; i < rs.FieldCount(); ++i) {
              const Value v = rs.Field(i);
              out += " " + (v.IsNull()     ? "<null>"
                            : v.IsText()   ? '"' + v.Text() + '"'
                            : v.IsDate()   ? "#" + v.DateValue().Format("yyyy-mm-dd") + "#"
                            : v.IsBool()   ? std::string(v.Bool() ? "True" : "False")
                            : v.IsDouble() ? v.ToText()
                                           : "int " + v.ToText());
            }
          }
          return out;
        }
        const size_t bar = in.find('|');
        std::string rows;
        for (const std::string& v : Column(in.substr(bar + 1), in.substr(0, bar).c_str()))
          rows += (rows.empty() ? "" : ",") + v;
        return rows;
      });
}

TEST_F(JetSemantics, LongTextsAndCopiesOfARecordsetEachWithACursorOfItsOwn) {
  Table("w.dbf", "K C 254 0;N N 3 0", {std::string(300, 'w') + "|1", "short|2"});
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

// A walk over a recordset of two records and one of none, each step's answer kept.
TEST_F(JetSemantics, NavigationStopsAtTheEndsAsKept) {
  Table("t.dbf", "K C 10 0", {"a", "b"});
  Table("e.dbf", "K C 10 0", {});
  std::map<std::string, Recordset> open;
  testing::ExpectKeptAnswers(
      "jet_navigation.txt", [&](const std::string& table, const std::string& step) {
        if (!open.count(table)) open.emplace(table, Db()->OpenSnapshot("select * from " + table));
        Recordset& rs = open.at(table);
        if (step == "ends") return std::string(rs.Bof() ? "Bof " : "") + (rs.Eof() ? "Eof" : "");
        if (step == "count") return std::to_string(rs.RecordCount());
        if (step.rfind("field ", 0) == 0)  // by position or by name
          return step == "field 0" ? rs.Field(0).ToText() : rs.Field(step.substr(6)).ToText();
        if (step == "MoveFirst") rs.MoveFirst();
        if (step == "MoveLast") rs.MoveLast();
        if (step == "MoveNext") rs.MoveNext();
        if (step == "MovePrevious") rs.MovePrevious();
        return std::string("moved");
      });
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
