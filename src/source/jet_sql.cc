#include "source/jet_sql.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace vodare {
namespace {

// Plain ASCII tests, free of the locale: the lexer runs for every query of the stages.
bool IsDigit(unsigned char c) { return static_cast<unsigned>(c - '0') < 10; }
bool IsAlpha(unsigned char c) { return static_cast<unsigned>((c | 0x20) - 'a') < 26; }
bool IsBlankChar(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsWordStart(unsigned char c) { return IsAlpha(c) || c == '_' || c >= 0x80; }
bool IsWordChar(unsigned char c) {
  return IsAlpha(c) || IsDigit(c) || c == '_' || c == '$' || c >= 0x80;
}

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

[[noreturn]] void Fail(const std::string& what, std::string_view sql, size_t offset) {
  std::string near(sql.substr(offset, 30));
  throw JetSyntaxError(what + (near.empty() ? std::string(" at the end of the statement.")
                                            : " near '" + near + "'."));
}

// Jet's own words that keep their meaning here. Anything else written bare is a name (or a
// function when "(" follows), which is how Jet reads `Group`, `Date`, `Type` or `Round`.
bool IsJetKeyword(std::string_view upper) {
  static constexpr std::array<std::string_view, 32> kWords = {
      "SELECT", "DISTINCT", "DISTINCTROW", "TOP",  "AS",    "FROM", "WHERE",   "AND",
      "OR",     "NOT",      "IS",          "NULL", "IN",    "LIKE", "BETWEEN", "HAVING",
      "ASC",    "DESC",     "UNION",       "ALL",  "INNER", "LEFT", "RIGHT",   "OUTER",
      "JOIN",   "ON",       "EXISTS",      "TRUE", "FALSE", "MOD",  "BY",      "XOR"};
  for (std::string_view w : kWords)
    if (w == upper) return true;
  return false;
}

// Words after which "(" opens a list or a subquery, not a function's arguments.
bool OpensListNotCall(std::string_view upper) {
  return upper == "IN" || upper == "EXISTS" || upper == "AND" || upper == "OR" || upper == "NOT" ||
         upper == "AS" || upper == "ON" || upper == "FROM" || upper == "SELECT" ||
         upper == "WHERE" || upper == "ALL" || upper == "BETWEEN" || upper == "LIKE" ||
         upper == "IS" || upper == "HAVING" || upper == "UNION" || upper == "JOIN" ||
         upper == "BY" || upper == "DISTINCT";
}

bool IsWord(const JetToken& t, std::string_view upper) {
  return t.kind == JetTokenKind::kWord && t.text.size() == upper.size() &&
         AsciiUpper(t.text) == upper;
}
bool IsSymbol(const JetToken& t, std::string_view s) {
  return t.kind == JetTokenKind::kSymbol && t.text == s;
}
bool IsName(const JetToken& t) {
  return t.kind == JetTokenKind::kQuotedName ||
         (t.kind == JetTokenKind::kWord && !IsJetKeyword(AsciiUpper(t.text)));
}

std::string InlineText(std::string_view s) {
  std::string out = "'";
  for (char c : s) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// Jet's LIKE wildcards (* any run, ? one character, # one digit) as SQLite's (% and _).
std::string LikePattern(std::string_view jet) {
  std::string out;
  for (size_t i = 0; i < jet.size(); ++i) {
    char c = jet[i];
    if (c == '*') {
      out += '%';
    } else if (c == '?' || c == '#') {
      out += '_';
    } else if (c == '[' && i + 2 < jet.size() && jet[i + 2] == ']') {
      out += jet[i + 1];  // [*] stands for the character itself
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

Value NumberValue(const std::string& text) {
  if (text.find_first_of(".eE") == std::string::npos && text.size() < 18) {
    int64_t v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec == std::errc() && p == text.data() + text.size()) return Value(v);
  }
  std::optional<double> d = TryTextToNumber(text);
  if (!d || !std::isfinite(*d)) throw JetSyntaxError("Number out of range: " + text + ".");
  return Value(*d);
}

}  // namespace

std::string QuoteSqlName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

bool ParseJetDateLiteral(std::string_view text, Date& out) {
  std::string_view t = TrimView(text);
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int n = 0;
  char sep = 0;
  for (char c : t) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      if (digits[n] >= 4) return false;
      parts[n] = parts[n] * 10 + (c - '0');
      ++digits[n];
    } else if ((c == '-' || c == '/') && n < 2 && digits[n] > 0 && (sep == 0 || sep == c)) {
      sep = c;
      ++n;
    } else {
      return false;
    }
  }
  if (n != 2 || digits[2] == 0) return false;
  std::optional<Date> d;
  if (digits[0] == 4) {
    d = Date::TryFromYmd(parts[0], parts[1], parts[2]);
  } else {
    int year = parts[2];
    if (digits[2] <= 2) year += year < 30 ? 2000 : 1900;
    d = Date::TryFromYmd(year, parts[0], parts[1]);
  }
  if (!d) return false;
  out = *d;
  return true;
}

bool LexJetToken(std::string_view sql, size_t& pos, JetTokenKind& kind, size_t& begin,
                 size_t& end) {
  size_t i = pos;
  while (i < sql.size() && IsBlankChar(static_cast<unsigned char>(sql[i]))) ++i;
  if (i >= sql.size()) {
    pos = i;
    return false;
  }
  begin = i;
  unsigned char c = static_cast<unsigned char>(sql[i]);
  if (IsWordStart(c)) {
    while (i < sql.size() && IsWordChar(static_cast<unsigned char>(sql[i]))) ++i;
    kind = JetTokenKind::kWord;
  } else if (IsDigit(c) ||
             (c == '.' && i + 1 < sql.size() && IsDigit(static_cast<unsigned char>(sql[i + 1])))) {
    while (i < sql.size() && IsDigit(static_cast<unsigned char>(sql[i]))) ++i;
    if (i < sql.size() && sql[i] == '.') {
      ++i;
      while (i < sql.size() && IsDigit(static_cast<unsigned char>(sql[i]))) ++i;
    }
    if (i < sql.size() && (sql[i] == 'e' || sql[i] == 'E')) {
      size_t k = i + 1;
      if (k < sql.size() && (sql[k] == '+' || sql[k] == '-')) ++k;
      if (k < sql.size() && IsDigit(static_cast<unsigned char>(sql[k]))) {
        while (k < sql.size() && IsDigit(static_cast<unsigned char>(sql[k]))) ++k;
        i = k;
      }
    }
    if (i < sql.size() && IsWordStart(static_cast<unsigned char>(sql[i])))
      Fail("Syntax error in number", sql, begin);
    kind = JetTokenKind::kNumber;
  } else if (c == '[' || c == '`') {
    size_t close = sql.find(c == '[' ? ']' : '`', i + 1);
    if (close == std::string_view::npos) Fail("Missing closing bracket of a name", sql, begin);
    if (TrimView(sql.substr(i + 1, close - i - 1)).empty()) Fail("Empty name", sql, begin);
    i = close + 1;
    kind = JetTokenKind::kQuotedName;
  } else if (c == '\'' || c == '"') {
    ++i;
    bool closed = false;
    while (i < sql.size()) {
      if (static_cast<unsigned char>(sql[i]) == c) {
        if (i + 1 < sql.size() && static_cast<unsigned char>(sql[i + 1]) == c) {
          i += 2;
          continue;
        }
        closed = true;
        ++i;
        break;
      }
      ++i;
    }
    if (!closed) Fail("Syntax error in string", sql, begin);
    kind = JetTokenKind::kText;
  } else if (c == '#') {
    size_t close = sql.find('#', i + 1);
    if (close == std::string_view::npos) Fail("Syntax error in date", sql, begin);
    i = close + 1;
    kind = JetTokenKind::kDate;
  } else {
    kind = JetTokenKind::kSymbol;
    std::string_view two = sql.substr(i, 2);
    if (two == "<>" || two == "<=" || two == ">=" || two == "!=") {
      i += 2;
    } else {
      if (std::string_view("=<>+-*/,().;&!\\^%").find(static_cast<char>(c)) ==
          std::string_view::npos)
        Fail("Invalid character", sql, begin);
      ++i;
    }
  }
  end = i;
  pos = i;
  return true;
}

std::string JetTextLiteralValue(std::string_view quoted) {
  std::string value;
  value.reserve(quoted.size());
  char q = quoted.front();
  for (size_t i = 1; i + 1 < quoted.size(); ++i) {
    value += quoted[i];
    if (quoted[i] == q) ++i;  // a doubled quote stands for one
  }
  return value;
}

std::vector<JetToken> TokenizeJet(std::string_view sql) {
  std::vector<JetToken> tokens;
  size_t pos = 0, begin = 0, end = 0;
  JetTokenKind kind;
  while (LexJetToken(sql, pos, kind, begin, end)) {
    JetToken t;
    t.kind = kind;
    t.offset = begin;
    std::string_view span = sql.substr(begin, end - begin);
    switch (kind) {
      case JetTokenKind::kQuotedName:
        t.text = std::string(span.substr(1, span.size() - 2));
        break;
      case JetTokenKind::kText:
        t.text = JetTextLiteralValue(span);
        break;
      case JetTokenKind::kDate:
        t.text = std::string(span.substr(1, span.size() - 2));
        if (!ParseJetDateLiteral(t.text, t.date)) Fail("Syntax error in date", sql, begin);
        break;
      default:
        t.text = std::string(span);
    }
    tokens.push_back(std::move(t));
  }
  return tokens;
}

bool JetLiteralPattern(std::string_view sql, std::string& pattern,
                       std::vector<std::string_view>& literals) {
  pattern.clear();
  literals.clear();
  size_t pos = 0, begin = 0, end = 0;
  JetTokenKind kind;
  try {
    while (LexJetToken(sql, pos, kind, begin, end)) {
      std::string_view span = sql.substr(begin, end - begin);
      switch (kind) {
        case JetTokenKind::kText:
        case JetTokenKind::kNumber:
        case JetTokenKind::kDate:
          pattern += static_cast<char>('0' + static_cast<int>(kind));
          literals.push_back(span);
          break;
        default:
          pattern += span;
      }
      pattern += '\x1f';
    }
  } catch (const JetSyntaxError&) {
    return false;
  }
  return true;
}

Value JetLiteralValue(std::string_view literal, JetLiteralUse use) {
  switch (literal.front()) {
    case '\'':
    case '"': {
      std::string text = JetTextLiteralValue(literal);
      return Value(use == JetLiteralUse::kLikePattern ? LikePattern(text) : std::move(text));
    }
    case '#': {
      Date d;
      if (!ParseJetDateLiteral(literal.substr(1, literal.size() - 2), d))
        Fail("Syntax error in date", literal, 0);
      return Value(static_cast<int64_t>(d.Serial()));
    }
    default:
      return NumberValue(std::string(literal));
  }
}

namespace {

struct SelectShape {
  bool single_table = false;  // FROM one table, no join, no grouping: record order applies
  size_t order_by = 0;        // index of top-level ORDER, 0 when none
  std::optional<std::string> top;
};

SelectShape ReadShape(const std::vector<JetToken>& t) {
  SelectShape shape;
  int depth = 0;
  size_t from = 0;
  bool grouped = false;
  for (size_t i = 0; i < t.size(); ++i) {
    if (IsSymbol(t[i], "(")) ++depth;
    if (IsSymbol(t[i], ")")) --depth;
    if (depth != 0) continue;
    if (IsWord(t[i], "FROM") && from == 0) from = i;
    bool next_by = i + 1 < t.size() && IsWord(t[i + 1], "BY");
    if (IsWord(t[i], "ORDER") && next_by) shape.order_by = i;
    if ((IsWord(t[i], "GROUP") && next_by) || IsWord(t[i], "UNION") || IsWord(t[i], "DISTINCT") ||
        IsWord(t[i], "HAVING"))
      grouped = true;
  }
  if (from != 0 && !grouped && from + 1 < t.size() && IsName(t[from + 1])) {
    size_t k = from + 2;
    if (k < t.size() && IsWord(t[k], "AS")) ++k;
    if (k < t.size() && IsName(t[k])) ++k;
    shape.single_table = k == t.size() || IsWord(t[k], "WHERE") || IsWord(t[k], "ORDER") ||
                         IsWord(t[k], "GROUP") || IsWord(t[k], "HAVING");
  }
  return shape;
}

void Append(std::string& sql, std::string_view piece) {
  if (!sql.empty() && piece != "," && piece != ")" && piece != "." && sql.back() != '(' &&
      sql.back() != '.')
    sql += ' ';
  sql += piece;
}

JetStatement TranslateSelect(std::vector<JetToken> t, std::string_view source) {
  JetStatement st;
  st.kind = JetStatementKind::kSelect;
  // TOP n right after SELECT [DISTINCT] becomes a LIMIT at the end.
  std::optional<std::string> limit;
  size_t top_at = IsWord(t.size() > 1 ? t[1] : t[0], "DISTINCT") ? 2 : 1;
  if (top_at + 1 < t.size() && IsWord(t[top_at], "TOP")) {
    if (t[top_at + 1].kind != JetTokenKind::kNumber)
      Fail("The TOP clause needs a whole number", source, t[top_at].offset);
    limit = t[top_at + 1].text;
    st.literal_uses.push_back(JetLiteralUse::kInline);
    t.erase(t.begin() + top_at, t.begin() + top_at + 2);
  }
  SelectShape shape = ReadShape(t);

  bool in_order_clause = false;  // literals there are column positions, not values
  int depth = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const JetToken& tok = t[i];
    const JetToken* next = i + 1 < t.size() ? &t[i + 1] : nullptr;
    const JetToken* prev = i > 0 ? &t[i - 1] : nullptr;
    switch (tok.kind) {
      case JetTokenKind::kWord: {
        std::string upper = AsciiUpper(tok.text);
        bool after_dot = prev && (IsSymbol(*prev, ".") || IsSymbol(*prev, "!"));
        if (!after_dot && next && IsSymbol(*next, "(") && !OpensListNotCall(upper)) {
          // A function (Jet's own are registered with the engine), written with its "(" so
          // that an unnamed result column reads "COUNT(*)".
          bool plain = std::all_of(upper.begin(), upper.end(), [](char ch) {
            return IsAlpha(static_cast<unsigned char>(ch)) ||
                   IsDigit(static_cast<unsigned char>(ch)) || ch == '_';
          });
          Append(st.sql, (plain ? upper : QuoteSqlName(upper)) + "(");
          ++depth;
          ++i;
          break;
        }
        if (!after_dot && (upper == "ORDER" || upper == "GROUP") && next && IsWord(*next, "BY")) {
          if (depth == 0) in_order_clause = true;
          Append(st.sql, upper);
          break;
        }
        if (!after_dot && IsJetKeyword(upper) && upper != "BY") {
          if (depth == 0 && (upper == "WHERE" || upper == "HAVING" || upper == "UNION"))
            in_order_clause = false;
          if (upper == "DISTINCTROW") break;  // over one table every row is distinct
          if (upper == "MOD") upper = "%";
          if (upper == "TRUE") upper = "1";
          if (upper == "FALSE") upper = "0";
          Append(st.sql, upper);
          break;
        }
        if (upper == "BY" && !after_dot) {
          Append(st.sql, "BY");
          break;
        }
        Append(st.sql, QuoteSqlName(tok.text));
        break;
      }
      case JetTokenKind::kQuotedName:
        Append(st.sql, QuoteSqlName(tok.text));
        break;
      case JetTokenKind::kText: {
        bool like = prev && IsWord(*prev, "LIKE");
        std::string value = like ? LikePattern(tok.text) : tok.text;
        if (in_order_clause && depth == 0) {
          Append(st.sql, InlineText(value));
          st.literal_uses.push_back(JetLiteralUse::kInline);
        } else {
          Append(st.sql, "?");
          st.params.emplace_back(std::move(value));
          st.literal_uses.push_back(like ? JetLiteralUse::kLikePattern : JetLiteralUse::kParameter);
        }
        break;
      }
      case JetTokenKind::kNumber:
        if (in_order_clause && depth == 0) {
          Append(st.sql, tok.text);
          st.literal_uses.push_back(JetLiteralUse::kInline);
        } else {
          Append(st.sql, "?");
          st.params.push_back(NumberValue(tok.text));
          st.literal_uses.push_back(JetLiteralUse::kParameter);
        }
        break;
      case JetTokenKind::kDate:
        if (in_order_clause && depth == 0) {
          Append(st.sql, std::to_string(tok.date.Serial()));
          st.literal_uses.push_back(JetLiteralUse::kInline);
        } else {
          Append(st.sql, "?");
          st.params.emplace_back(static_cast<int64_t>(tok.date.Serial()));
          st.literal_uses.push_back(JetLiteralUse::kParameter);
        }
        break;
      case JetTokenKind::kSymbol:
        if (tok.text == "(") ++depth;
        if (tok.text == ")") {
          if (--depth < 0) Fail("Extra ) in query expression", source, tok.offset);
        }
        if (tok.text == ";")
          Fail("Characters found after end of SQL statement", source, tok.offset);
        if (tok.text == "&")
          Append(st.sql, "||");
        else if (tok.text == "!")
          Append(st.sql, ".");
        else if (tok.text == "!=")
          Append(st.sql, "<>");
        else if (tok.text == "\\" || tok.text == "^")
          Fail("Operator not supported", source, tok.offset);
        else
          Append(st.sql, tok.text);
        break;
    }
  }
  if (depth != 0) Fail("Missing ) in query expression", source, source.size());
  st.written_length = st.sql.size();
  if (shape.order_by != 0) {
    Append(st.sql, ",");
    Append(st.sql, kRecordOrderColumn);
  } else if (shape.single_table) {
    Append(st.sql, "ORDER BY");
    Append(st.sql, kRecordOrderColumn);
  }
  if (limit) {
    Append(st.sql, "LIMIT");
    Append(st.sql, *limit);
  }
  return st;
}

std::string NameOf(const JetToken& t, std::string_view source) {
  if (!IsName(t) && t.kind != JetTokenKind::kWord)
    Fail("Syntax error in CREATE INDEX", source, t.offset);
  return t.text;
}

JetStatement TranslateCreateIndex(const std::vector<JetToken>& t, std::string_view source) {
  JetStatement st;
  st.kind = JetStatementKind::kCreateIndex;
  size_t i = 1;
  auto need = [&](size_t k) -> const JetToken& {
    if (k >= t.size()) Fail("Syntax error in CREATE INDEX statement", source, source.size());
    return t[k];
  };
  if (IsWord(need(i), "UNIQUE")) {
    st.unique = true;
    ++i;
  }
  if (!IsWord(need(i), "INDEX"))
    Fail("Syntax error in CREATE INDEX statement", source, t[i].offset);
  st.index_name = NameOf(need(++i), source);
  if (!IsWord(need(++i), "ON")) Fail("Syntax error in CREATE INDEX statement", source, t[i].offset);
  st.table_name = NameOf(need(++i), source);
  if (!IsSymbol(need(++i), "("))
    Fail("Syntax error in CREATE INDEX statement", source, t[i].offset);
  std::string columns;
  while (true) {
    std::string column = NameOf(need(++i), source);
    st.index_columns.push_back(column);
    if (!columns.empty()) columns += ", ";
    columns += QuoteSqlName(column);
    const JetToken& after = need(++i);
    if (IsWord(after, "ASC") || IsWord(after, "DESC")) {
      columns += " " + AsciiUpper(after.text);
      ++i;
    }
    if (IsSymbol(need(i), ")")) break;
    if (!IsSymbol(t[i], ",")) Fail("Syntax error in CREATE INDEX statement", source, t[i].offset);
  }
  ++i;
  // Jet's WITH PRIMARY / DISALLOW NULL / IGNORE NULL change nothing the export needs.
  if (i < t.size() && IsWord(t[i], "WITH")) i = t.size();
  if (i != t.size()) Fail("Characters found after end of SQL statement", source, t[i].offset);
  st.sql = std::string("CREATE ") + (st.unique ? "UNIQUE " : "") + "INDEX " +
           QuoteSqlName(st.index_name) + " ON " + QuoteSqlName(st.table_name) + " (" + columns +
           ")";
  st.written_length = st.sql.size();
  return st;
}

}  // namespace

JetStatement TranslateJet(std::string_view jet_sql) {
  std::vector<JetToken> tokens = TokenizeJet(jet_sql);
  while (!tokens.empty() && IsSymbol(tokens.back(), ";")) tokens.pop_back();
  if (tokens.empty()) throw JetSyntaxError("Invalid SQL statement: the text is empty.");
  if (IsWord(tokens[0], "SELECT")) return TranslateSelect(std::move(tokens), jet_sql);
  if (IsWord(tokens[0], "CREATE")) return TranslateCreateIndex(tokens, jet_sql);
  throw JetSyntaxError("Invalid SQL statement; expected SELECT or CREATE INDEX.");
}

}  // namespace vodare
