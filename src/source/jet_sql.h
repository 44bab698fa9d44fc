#pragma once
// The Jet dialect the stages write their queries in, turned into SQLite SQL over the export
// cache. The translation works on tokens: literals become bound parameters (so queries that
// differ only in their literals share one prepared statement), every name is quoted (so
// `Group`, `Date` and `[order]` are plain names), `#mm-dd-yyyy#` becomes a day number, and
// record order is made explicit (ties of ORDER BY, and rows without ORDER BY, come in the
// order the records have in their table).

#include <string>
#include <string_view>
#include <vector>

#include "common/run_error.h"
#include "common/value.h"

namespace vodare {

// A Jet text that cannot be read; the description says where and why.
class JetSyntaxError : public RunTimeError {
 public:
  explicit JetSyntaxError(const std::string& description) : RunTimeError(description, 3075) {}
};

enum class JetTokenKind {
  kWord,        // bare word: keyword, name or function
  kQuotedName,  // [name] or `name`
  kText,        // 'text' or "text" (quotes undoubled)
  kNumber,      // 12, 1.5, 1E3
  kDate,        // #mm-dd-yyyy#, value held in `date`
  kSymbol,      // operators and punctuation
};

struct JetToken {
  JetTokenKind kind = JetTokenKind::kSymbol;
  std::string text;   // the word, name, undoubled text, number or symbol as written
  Date date;          // kDate only
  size_t offset = 0;  // byte offset in the statement
};

// Splits a Jet text into tokens. Raises JetSyntaxError for an unterminated literal or name and
// for a date literal that is not a date.
std::vector<JetToken> TokenizeJet(std::string_view jet_sql);

// Reads the date forms Jet accepts between # signs: m-d-yyyy, m/d/yyyy, yyyy-m-d.
bool ParseJetDateLiteral(std::string_view text, Date& out);

enum class JetStatementKind { kSelect, kCreateIndex, kOther };

// What the translation made of one literal of the Jet text.
enum class JetLiteralUse {
  kInline,       // written into the SQL (positions in ORDER BY, TOP n)
  kParameter,    // bound as its value
  kLikePattern,  // bound as a LIKE pattern, Jet's wildcards turned into SQLite's
};

struct JetStatement {
  JetStatementKind kind = JetStatementKind::kOther;
  // SQLite text with a `?` for every literal; the same for queries differing only in literals.
  std::string sql;
  // The literals, in order: text, whole numbers, doubles; dates as their day number.
  std::vector<Value> params;
  // One entry per literal of the Jet text, in order.
  std::vector<JetLiteralUse> literal_uses;
  // Length of `sql` before the record-order clause was added (for the engine's messages).
  size_t written_length = 0;
  // CREATE INDEX only: the parts as written.
  std::string index_name;
  std::string table_name;
  std::vector<std::string> index_columns;
  bool unique = false;
};

// The name under which record order is asked of a table.
inline constexpr const char* kRecordOrderColumn = "_rowid_";

// Translates one Jet statement (SELECT or CREATE INDEX; an ending ";" is allowed).
// Raises JetSyntaxError for what it cannot read.
JetStatement TranslateJet(std::string_view jet_sql);

// The Jet text with its literals taken out: texts differing only in their literals share the
// pattern, so that a translation can serve them all. The literals' spans go to `literals`, in
// the order TranslateJet counts them. False when the text cannot be read (TranslateJet then
// says why).
bool JetLiteralPattern(std::string_view jet_sql, std::string& pattern,
                       std::vector<std::string_view>& literals);
// The value bound for one literal span ('text', "text", 12, 1.5, #mm-dd-yyyy#).
Value JetLiteralValue(std::string_view literal, JetLiteralUse use);

// A name quoted for SQLite: "name" with inner quotes doubled.
std::string QuoteSqlName(std::string_view name);

}  // namespace vodare
