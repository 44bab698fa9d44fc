// The Jet texts the stages send, read into tokens and turned into SQLite SQL.
#include "source/jet_sql.h"

#include <gtest/gtest.h>

#include <fstream>

#include "source/lookups.h"
#include "source/program_queries.h"
#include "support/golden.h"

namespace vodare {
namespace {

TEST(JetTokens, LiteralsNamesAndSymbols) {
  std::vector<JetToken> t = TokenizeJet("SELECT [Date], 'D''SOUZA' FROM x WHERE d >= #04-01-2024#");
  ASSERT_EQ(t.size(), 10u);
  EXPECT_EQ(t[1].kind, JetTokenKind::kQuotedName);
  EXPECT_EQ(t[1].text, "Date");
  EXPECT_EQ(t[3].kind, JetTokenKind::kText);
  EXPECT_EQ(t[3].text, "D'SOUZA");
  EXPECT_EQ(t[8].text, ">=");
  EXPECT_EQ(t[9].kind, JetTokenKind::kDate);
  EXPECT_EQ(t[9].date, Date::FromYmd(2024, 4, 1));  // month first
}

TEST(JetTokens, DateLiteralForms) {
  Date d;
  ASSERT_TRUE(ParseJetDateLiteral("12-31-2024", d));
  EXPECT_EQ(d, Date::FromYmd(2024, 12, 31));
  ASSERT_TRUE(ParseJetDateLiteral("1/2/2025", d));
  EXPECT_EQ(d, Date::FromYmd(2025, 1, 2));
  ASSERT_TRUE(ParseJetDateLiteral("2025-01-02", d));
  EXPECT_EQ(d, Date::FromYmd(2025, 1, 2));
  EXPECT_FALSE(ParseJetDateLiteral("31-12-2024", d));  // no 31st month
  EXPECT_FALSE(ParseJetDateLiteral("02-30-2024", d));
  EXPECT_FALSE(ParseJetDateLiteral("", d));
  EXPECT_FALSE(ParseJetDateLiteral("1-2-3-4", d));
}

TEST(JetTokens, BrokenTextsRaiseSyntaxErrors) {
  EXPECT_THROW(TokenizeJet("select * from pro where name = 'abc"), JetSyntaxError);
  EXPECT_THROW(TokenizeJet("select [order from x"), JetSyntaxError);
  EXPECT_THROW(TokenizeJet("select * from x where d = #13-01-2024#"), JetSyntaxError);
  EXPECT_THROW(TokenizeJet("select * from x where d = #04-01-2024"), JetSyntaxError);
  EXPECT_THROW(TokenizeJet("select ~ from x"), JetSyntaxError);
  EXPECT_THROW(TokenizeJet("select * from pro where code=12A"), JetSyntaxError);
  EXPECT_THROW(TranslateJet(""), JetSyntaxError);
  EXPECT_THROW(TranslateJet("DELETE FROM pro"), JetSyntaxError);
  EXPECT_THROW(TranslateJet("select (a from x"), JetSyntaxError);
  EXPECT_THROW(TranslateJet("select a) from x"), JetSyntaxError);
  EXPECT_THROW(TranslateJet("select a from x; select b from y"), JetSyntaxError);
}

TEST(JetTranslate, NamesAreQuotedSoReservedWordsAreColumns) {
  EXPECT_EQ(TranslateJet("SELECT Parnam,Group FROM ACGROUP").sql,
            R"(SELECT "Parnam", "Group" FROM "ACGROUP" ORDER BY _rowid_)");
  EXPECT_EQ(TranslateJet("select [Date], date from [order] group by Date").sql,
            R"(SELECT "Date", "date" FROM "order" GROUP BY "Date")");
}

TEST(JetTranslate, LiteralsBecomeParametersInOrder) {
  JetStatement st = TranslateJet(
      "SELECT '' AS Sname,PARNAM AS Name2 FROM ACGROUP WHERE ORDNO='D''SOUZA' and n = 1.5 or "
      "d < #01-02-2024# or c = 7");
  EXPECT_EQ(st.sql,
            R"(SELECT ? AS "Sname", "PARNAM" AS "Name2" FROM "ACGROUP" WHERE "ORDNO" = ? AND )"
            R"("n" = ? OR "d" < ? OR "c" = ? ORDER BY _rowid_)");
  ASSERT_EQ(st.params.size(), 5u);
  EXPECT_EQ(st.params[0], Value(""));
  EXPECT_EQ(st.params[1], Value("D'SOUZA"));
  EXPECT_EQ(st.params[2], Value(1.5));
  EXPECT_EQ(st.params[3], Value(static_cast<int64_t>(Date::FromYmd(2024, 1, 2).Serial())));
  EXPECT_EQ(st.params[4], Value(int64_t{7}));
}

TEST(JetTranslate, QueriesDifferingOnlyInLiteralsShareOneText) {
  EXPECT_EQ(TranslateJet("Select Parnam from [order] where OrdNo='A1'").sql,
            TranslateJet("Select Parnam from [order] where OrdNo='ZZ''9'").sql);
  EXPECT_EQ(TranslateJet("select unit from probat where code = 1").sql,
            TranslateJet("select unit from probat where code = 12345").sql);
}

TEST(JetTranslate, RecordOrderIsMadeExplicit) {
  EXPECT_EQ(TranslateJet("SELECT code,billname FROM pro order by code").sql,
            R"(SELECT "code", "billname" FROM "pro" ORDER BY "code", _rowid_)");
  // Positions in ORDER BY stay positions.
  EXPECT_EQ(TranslateJet("SELECT a FROM t ORDER BY 1 DESC").sql,
            R"(SELECT "a" FROM "t" ORDER BY 1 DESC, _rowid_)");
  // Grouped rows have no record order of their own.
  EXPECT_EQ(TranslateJet("SELECT DISTINCT a FROM t").sql, R"(SELECT DISTINCT "a" FROM "t")");
  EXPECT_EQ(TranslateJet("SELECT a FROM t, u").sql, R"(SELECT "a" FROM "t", "u")");
}

TEST(JetTranslate, JetOperatorsAndClauses) {
  JetStatement st = TranslateJet("SELECT TOP 2 a & b FROM t WHERE c LIKE 'A*?' AND x = True");
  EXPECT_EQ(st.sql,
            R"(SELECT "a" || "b" FROM "t" WHERE "c" LIKE ? AND "x" = 1 ORDER BY _rowid_ LIMIT 2)");
  EXPECT_EQ(st.params.at(0), Value("A%_"));
  EXPECT_EQ(TranslateJet("SELECT count(*), UCase(name) FROM t WHERE t.a IN (1,2)").sql,
            R"(SELECT COUNT(*), UCASE("name") FROM "t" WHERE "t"."a" IN (?, ?) ORDER BY _rowid_)");
}

TEST(JetTranslate, NumberForms) {
  EXPECT_EQ(TranslateJet("select a from t where b = .5").params.at(0), Value(0.5));
  EXPECT_EQ(TranslateJet("select a from t where b = 5.").params.at(0), Value(5.0));
  EXPECT_EQ(TranslateJet("select a from t where b = 1E3").params.at(0), Value(1000.0));
  EXPECT_EQ(TranslateJet("select a from t where b = 123456789012345678901").params.size(), 1u);
  EXPECT_THROW(TranslateJet("select a from t where b = 1e999"), JetSyntaxError);
}

TEST(JetTranslate, CreateIndex) {
  JetStatement st = TranslateJet("CREATE INDEX invDate_idx ON mdis ([Date]);");
  EXPECT_EQ(st.kind, JetStatementKind::kCreateIndex);
  EXPECT_EQ(st.sql, R"(CREATE INDEX "invDate_idx" ON "mdis" ("Date"))");
  EXPECT_EQ(st.table_name, "mdis");
  EXPECT_EQ(st.index_columns, std::vector<std::string>{"Date"});
  st = TranslateJet("create unique index k on [order] (ORDNO, Parnam DESC) with primary");
  EXPECT_EQ(st.sql, R"(CREATE UNIQUE INDEX "k" ON "order" ("ORDNO", "Parnam" DESC))");
  EXPECT_THROW(TranslateJet("CREATE INDEX x ON t"), JetSyntaxError);
  EXPECT_THROW(TranslateJet("CREATE INDEX x ON t (a"), JetSyntaxError);
  EXPECT_THROW(TranslateJet("CREATE TABLE x (a)"), JetSyntaxError);
}

TEST(JetTranslate, EveryProgramQueryTranslates) {
  for (const std::string& q : ProgramQueries()) {
    JetStatement st;
    ASSERT_NO_THROW(st = TranslateJet(q)) << q;
    EXPECT_EQ(st.kind, JetStatementKind::kSelect) << q;
    EXPECT_NE(st.sql.find("_rowid_"), std::string::npos) << q;
    EXPECT_EQ(st.sql.find('\''), std::string::npos) << "literal left inline: " << st.sql;
    EXPECT_EQ(st.sql.find('#'), std::string::npos) << st.sql;
  }
}

TEST(JetTranslate, TheLiteralPatternCountsTheLiteralsTheTranslationUses) {
  std::vector<std::string> texts = ProgramQueries();
  texts.push_back("select top 3 a from t where b like 'x*' order by 2, 'c'");
  for (const std::string& q : texts) {
    std::string pattern;
    std::vector<std::string_view> literals;
    ASSERT_TRUE(JetLiteralPattern(q, pattern, literals)) << q;
    JetStatement st = TranslateJet(q);
    ASSERT_EQ(literals.size(), st.literal_uses.size()) << q;
    size_t k = 0;
    for (size_t i = 0; i < literals.size(); ++i) {
      if (st.literal_uses[i] == JetLiteralUse::kInline) continue;
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
    if (line[i] != '\\' || i + 1 == line.size()) {
      out += line[i];
      continue;
    }
    const char c = line[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

// A kept corpus of the program's queries with characters changed, cut out or put in: each is
// translated as the kept copy says, with one use per literal, or refused with a syntax error;
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
