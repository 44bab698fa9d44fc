// The Jet texts the stages send, read into tokens and turned into SQLite SQL.
#include "source/jet_sql.h"

#include <gtest/gtest.h>

#include <fstream>

#include "source/lookups.h"
#include "source/program_queries.h"
#include "support/golden.h"

namespace vodare {
namespace {

TEST(JetTokens, LiteralsNamesSymbolsAndDateForms) {
  std::vector<JetToken> t = TokenizeJet("SELECT [Date], 'D''SOUZA' FROM x WHERE d >= #04-01-2024#");
  ASSERT_EQ(t.size(), 10u);
  EXPECT_EQ(t[1].kind, JetTokenKind::kQuotedName);
  EXPECT_EQ(t[1].text, "Date");
  EXPECT_EQ(t[3].kind, JetTokenKind::kText);
  EXPECT_EQ(t[3].text, "D'SOUZA");
  EXPECT_EQ(t[8].text, ">=");
  EXPECT_EQ(t[9].kind, JetTokenKind::kDate);
  EXPECT_EQ(t[9].date, Date::FromYmd(2024, 4, 1));  // month first
  // Date literals month first, and numbers in every form, as the parameter the query is given.
  testing::ExpectKeptAnswers("jet_literals.txt", [](const std::string& f, const std::string& in) {
    Date d;
    if (f == "ParseJetDateLiteral")
      return ParseJetDateLiteral(in, d) ? d.Format("yyyy-mm-dd") : std::string("refused");
    const Value v = TranslateJet("select a from t where b = " + in).params.at(0);
    return (v.IsDouble() ? "double " : "") + v.ToText();
  });
}

TEST(JetTranslate, CreateIndexNamesItsTableAndColumnsAndPatternsKeepTheirWildcards) {
  JetStatement index = TranslateJet("CREATE INDEX invDate_idx ON mdis ([Date]);");
  EXPECT_EQ(index.kind, JetStatementKind::kCreateIndex);
  EXPECT_EQ(index.table_name, "mdis");
  EXPECT_EQ(index.index_columns, std::vector<std::string>{"Date"});
  EXPECT_EQ(TranslateJet("SELECT a FROM t WHERE c LIKE 'A*?'").params.at(0), Value("A%_"));
}

TEST(JetTranslate, LiteralsBecomeParametersInOrderAndQueriesDifferingInThemShareOneText) {
  JetStatement st = TranslateJet(
      "SELECT '' AS Sname,PARNAM AS Name2 FROM ACGROUP WHERE ORDNO='D''SOUZA' and n = 1.5 or "
      "d < #01-02-2024# or c = 7");
  EXPECT_EQ(st.sql,
            R"(SELECT ? AS "Sname", "PARNAM" AS "Name2" FROM "ACGROUP" WHERE "ORDNO" = ? AND )"
            R"("n" = ? OR "d" < ? OR "c" = ? ORDER BY _rowid_)");
  EXPECT_EQ(st.params, (std::vector<Value>{"", "D'SOUZA", 1.5,
                                           static_cast<int64_t>(Date::FromYmd(2024, 1, 2).Serial()),
                                           int64_t{7}}));
  EXPECT_EQ(TranslateJet("Select Parnam from [order] where OrdNo='A1'").sql,
            TranslateJet("Select Parnam from [order] where OrdNo='ZZ''9'").sql);
  EXPECT_EQ(TranslateJet("select unit from probat where code = 1").sql,
            TranslateJet("select unit from probat where code = 12345").sql);
  EXPECT_EQ(TranslateJet("select a from t where b = 123456789012345678901").params.size(), 1u);
}

// Every query the program sends translates with no literal left inline, and the literal pattern
// that keys the statement cache counts the literals the translation uses.
TEST(JetTranslate, TheLiteralPatternCountsTheLiteralsTheTranslationUses) {
  std::vector<std::string> texts = ProgramQueries();
  texts.push_back("select top 3 a from t where b like 'x*' order by 2, 'c'");
  for (const std::string& q : texts) {
    std::string pattern;
    std::vector<std::string_view> literals;
    ASSERT_TRUE(JetLiteralPattern(q, pattern, literals)) << q;
    JetStatement st = TranslateJet(q);
    EXPECT_EQ(st.kind, JetStatementKind::kSelect) << q;
    EXPECT_NE(st.sql.find("_rowid_"), std::string::npos) << q;
    // (The last text keeps a text in ORDER BY inline, as a position would be.)
    EXPECT_TRUE(q == texts.back() || st.sql.find_first_of("'#") == std::string::npos) << st.sql;
    ASSERT_EQ(literals.size(), st.literal_uses.size()) << q;
    size_t k = 0;
    for (size_t i = 0; i < literals.size(); ++i)
      if (st.literal_uses[i] != JetLiteralUse::kInline) {
        EXPECT_EQ(JetLiteralValue(literals[i], st.literal_uses[i]), st.params.at(k++)) << q;
      }
    EXPECT_EQ(k, st.params.size());
  }
  std::string p1, p2;
  std::vector<std::string_view> l1, l2;
  JetLiteralPattern("select a from t where b = 'x' and c = 1", p1, l1);
  JetLiteralPattern("select a from t where b = 'it''s' and c = 2.5", p2, l2);
  EXPECT_EQ(p1, p2);
  JetLiteralPattern("select a from t where b = 1", p2, l2);
  EXPECT_NE(p1, p2);
  EXPECT_FALSE(JetLiteralPattern("select 'open", p1, l1));
}

std::string Unescaped(const std::string& line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i] == '\\' && i + 1 < line.size() ? line[++i] : '\0';
    out += !c ? line[i] : c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

// A kept corpus of the program's queries with characters changed, cut out or put in, and at its
// end texts that show one rule each (names quoted so that reserved words are columns, record
// order made explicit but for positions, groups and joins, Jet's operators, broken texts): each
// is translated as the kept copy says, with one use per literal, or refused with a syntax error;
// none crashes the translator (this runs under ASan).
TEST(JetTranslate, TheMangledCorpusIsTranslatedOrRefusedAsKept) {
  std::ifstream in(std::string(VODARE_SOURCE_DIR) + "/tests/data/jet_mangled_queries.txt",
                   std::ios::binary);
  std::string kept;
  size_t texts = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("< ", 0) != 0) continue;
    const std::string text = Unescaped(line.substr(2));
    kept += line + "\n> ";
    ++texts;
    try {
      JetStatement st = TranslateJet(text);
      kept += st.sql + "\n";
      std::string pattern;
      std::vector<std::string_view> literals;
      if (JetLiteralPattern(text, pattern, literals)) {
        EXPECT_EQ(literals.size(), st.literal_uses.size()) << text;
      }
    } catch (const JetSyntaxError& e) {
      kept += std::string("refused: ") + e.what() + "\n";
    }
  }
  EXPECT_GE(texts, 300u);
  testing::ExpectGolden("jet_mangled_queries.txt", kept);
}

}  // namespace
}  // namespace vodare
