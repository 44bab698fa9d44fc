// The Jet texts the stages send, read into tokens and turned into SQLite SQL.
#include "source/jet_sql.h"

#include <gtest/gtest.h>

#include <fstream>

#include "source/lookups.h"
#include "source/program_queries.h"
#include "support/golden.h"

namespace vodare {
namespace {

// Date literals month first, and numbers in every form, as the parameter the query is given.
TEST(JetTokens, DateLiteralsAndNumbersAsKept) {
  testing::ExpectKeptAnswers("jet_literals.txt", [](const std::string& f, const std::string& in) {
    Date d;
    if (f == "ParseJetDateLiteral")
      return ParseJetDateLiteral(in, d) ? d.Format("yyyy-mm-dd") : std::string("refused");
    const Value v = TranslateJet("select a from t where b = " + in).params.at(0);
    return (v.IsDouble() ? "double " : "") + v.ToText();
  });
}

// The literal pattern that keys the statement cache counts the literals the translation uses.
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

// The program's queries mangled: each translated as kept or refused, never a crash (under ASan).
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
