#include "common/text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

#include "common/run_error.h"

namespace vodare {

namespace {

inline bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Code points of bytes 0x80..0x9F in Windows-1252; 0 where the code page leaves it undefined
// (those bytes are taken as the C1 control of the same number, which is what a text editor shows).
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t DecodeUtf8(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int extra = 0;
  char32_t cp = 0;
  if ((c & 0xE0) == 0xC0) {
    extra = 1;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    cp = c & 0x07;
  } else {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    if (i + k >= s.size() || !IsContinuation(static_cast<unsigned char>(s[i + k]))) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  }
  i += extra + 1;
  return cp;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

size_t Len(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) n += !IsContinuation(c);
  return n;
}

size_t ByteOffsetOfChar(std::string_view s, size_t i) {
  size_t count = 0;
  for (size_t b = 0; b < s.size(); ++b) {
    if (!IsContinuation(static_cast<unsigned char>(s[b]))) {
      if (count == i) return b;
      ++count;
    }
  }
  return s.size();
}

std::string Left(std::string_view s, size_t n) {
  return std::string(s.substr(0, ByteOffsetOfChar(s, n)));
}

std::string Right(std::string_view s, size_t n) {
  size_t len = Len(s);
  if (n >= len) return std::string(s);
  return std::string(s.substr(ByteOffsetOfChar(s, len - n)));
}

std::string Mid(std::string_view s, size_t start, size_t count) {
  if (start == 0) ThrowTypeMismatch();
  size_t begin = ByteOffsetOfChar(s, start - 1);
  if (begin >= s.size()) return {};
  std::string_view rest = s.substr(begin);
  if (count == std::string_view::npos) return std::string(rest);
  return std::string(rest.substr(0, ByteOffsetOfChar(rest, count)));
}

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string_view RTrimView(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return s.substr(0, e);
}

char32_t UpperCodePoint(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c == 0xB5) return 0x39C;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x137) return c & ~1u;
  if (c >= 0x139 && c <= 0x148) return (c % 2 == 0) ? c - 1 : c;
  if (c >= 0x14A && c <= 0x177) return c & ~1u;
  if (c == 0x17A || c == 0x17C || c == 0x17E) return c - 1;
  if (c == 0x17F) return 'S';
  if (c == 0x180) return 0x243;
  if (c >= 0x1CD && c <= 0x1DC) return (c % 2 == 0) ? c - 1 : c;
  if (c >= 0x1DE && c <= 0x1EF) return c & ~1u;
  if (c >= 0x1F8 && c <= 0x21F) return c & ~1u;
  if (c >= 0x222 && c <= 0x233) return c & ~1u;
  // Greek
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 37;
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x3B1 && c <= 0x3CB) return c - 32;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 63;
  if (c >= 0x3D8 && c <= 0x3EF) return c & ~1u;
  // Cyrillic
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  if (c >= 0x460 && c <= 0x481) return c & ~1u;
  if (c >= 0x48A && c <= 0x4BF) return c & ~1u;
  if (c >= 0x4C1 && c <= 0x4CE) return (c % 2 == 0) ? c - 1 : c;
  if (c == 0x4CF) return 0x4C0;
  if (c >= 0x4D0 && c <= 0x52F) return c & ~1u;
  // Latin Extended Additional
  if (c >= 0x1E00 && c <= 0x1E95) return c & ~1u;
  if (c >= 0x1EA0 && c <= 0x1EFF) return c & ~1u;
  return c;
}

namespace {
void AppendUCase(std::string_view s, std::string& out) {
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : static_cast<char>(c));
      ++i;
    } else {
      AppendUtf8(out, UpperCodePoint(DecodeUtf8(s, i)));
    }
  }
}
}  // namespace

std::string UCase(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  AppendUCase(s, out);
  return out;
}

namespace {
constexpr unsigned char AsciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// The Unicode comparison, from a point where both texts start a code point.
int CompareNoCaseUnicode(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t ca = UpperCodePoint(DecodeUtf8(a, i));
    char32_t cb = UpperCodePoint(DecodeUtf8(b, j));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}
}  // namespace

// Field names, codes and most texts of the books are ASCII: their bytes are compared directly,
// and only from the first other byte on are code points decoded and folded.
int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k) {
    unsigned char x = static_cast<unsigned char>(a[k]), y = static_cast<unsigned char>(b[k]);
    if ((x | y) >= 0x80) return CompareNoCaseUnicode(a.substr(k), b.substr(k));
    x = AsciiUpper(x);
    y = AsciiUpper(y);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() > b.size() ? 1 : -1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k) {
    unsigned char x = static_cast<unsigned char>(a[k]), y = static_cast<unsigned char>(b[k]);
    if ((x | y) >= 0x80) return CompareNoCaseUnicode(a.substr(k), b.substr(k)) == 0;
    if (AsciiUpper(x) != AsciiUpper(y)) return false;
  }
  return a.size() == b.size();
}

std::string FoldKey(std::string_view s) { return UCase(s); }

void FoldKeyInto(std::string_view s, std::string& out) {
  out.clear();
  AppendUCase(s, out);
}

char32_t Cp1252ToCodePoint(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kCp1252High[b - 0x80];
  return b;
}

std::string CharOfCode(int code) {
  std::string out;
  AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(code)));
  return out;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  std::string out;
  if (from.empty()) return std::string(s);
  out.reserve(s.size());
  size_t pos = 0;
  while (true) {
    size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

// ---- Numbers ----

std::string DoubleToText(double x) {
  if (x == 0) return "0";
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "Infinity" : "-Infinity";
  char buf[64];
  // Whole numbers below 10^15 (quantities, most amounts) print as their digits; the general
  // form below gives the same text, only slower, and every record is full of them.
  if (std::fabs(x) < 1e15 && x == std::trunc(x)) {
    auto r = std::to_chars(buf, buf + sizeof buf, static_cast<int64_t>(x));
    return std::string(buf, r.ptr);
  }
  // Amounts in paise (two decimals at most) below 10^12: the double nearest to r/100 is x, and
  // no shorter text can read back as x (another text of two decimals lies at least 0.01 away,
  // and doubles there are less than 0.001 apart), so the shortest text is r/100's own digits.
  if (std::fabs(x) < 1e12) {
    const double scaled = std::round(x * 100);
    if (scaled / 100 == x) {
      const auto r = static_cast<int64_t>(std::fabs(scaled));
      char* p = buf;
      if (x < 0) *p++ = '-';
      p = std::to_chars(p, buf + sizeof buf, r / 100).ptr;
      const int cents = static_cast<int>(r % 100);
      *p++ = '.';
      *p++ = static_cast<char>('0' + cents / 10);
      if (cents % 10) *p++ = static_cast<char>('0' + cents % 10);
      return std::string(buf, p);
    }
  }
  // Amounts with a few decimals: when the shortest text that reads back as x has at most 15
  // significant digits, it is also x rounded to 15 digits, which is what "%.15G" writes (in
  // plain notation from 1E-4 up to 1E+15).
  const double ax = std::fabs(x);
  if (ax >= 1e-4 && ax < 1e15) {
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed);
    int significant = 0;
    bool started = false;
    for (const char* p = buf; p != r.ptr; ++p) {
      if (*p < '0' || *p > '9') continue;
      started = started || *p != '0';
      if (started) ++significant;
    }
    if (significant <= 15) return std::string(buf, r.ptr);
  }
  // The C++ general form with 15 digits is printf's "%.15G" (at least two exponent digits,
  // which is also the program's form: 1E+15), in lower case.
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  for (char* p = buf; p != r.ptr; ++p)
    if (*p == 'e') *p = 'E';
  return std::string(buf, r.ptr);
}

std::string LongToText(int64_t x) { return std::to_string(x); }

std::optional<double> TryTextToNumber(std::string_view s) {
  s = TrimView(s);
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  while (i < s.size() && s[i] == ' ') ++i;
  size_t digits = 0;
  size_t start_digits = i;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  const size_t exponent_at = i;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t k = i + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    size_t exp_digits = 0;
    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k, ++exp_digits;
    if (exp_digits == 0) return std::nullopt;
    i = k;
  }
  if (i != s.size()) return std::nullopt;
  bool negative = !s.empty() && s[0] == '-';
  std::string_view body = s.substr(start_digits);
  double v = 0;
  // Most texts are amounts of a few digits: a whole mantissa and a power of ten both exact as
  // doubles give the correctly rounded quotient, the double the general conversion finds.
  if (i == exponent_at) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr uint64_t kExact = uint64_t{1} << 53;
    uint64_t mantissa = 0;
    size_t decimals = 0;
    bool fraction = false, exact = true;
    for (char c : body) {
      if (c == '.') {
        fraction = true;
        continue;
      }
      if (mantissa > kExact / 10) {
        exact = false;
        break;
      }
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      if (fraction) ++decimals;
    }
    if (exact && mantissa <= kExact && decimals < std::size(kPowers)) {
      v = static_cast<double>(mantissa) / kPowers[decimals];
      return negative ? -v : v;
    }
  }
  // Both conversions round correctly; from_chars needs no copy and no locale. Out-of-range
  // texts go the old way so that overflow and underflow keep their results.
  auto r = std::from_chars(body.data(), body.data() + body.size(), v);
  if (r.ec != std::errc() || r.ptr != body.data() + body.size()) {
    std::string copy(body);
    v = std::strtod(copy.c_str(), nullptr);
  }
  if (std::isinf(v)) return std::nullopt;
  return negative ? -v : v;
}

double TextToNumber(std::string_view s) {
  auto v = TryTextToNumber(s);
  if (!v) ThrowTypeMismatch();
  return *v;
}

double RoundHalfEven(double x) { return std::nearbyint(x); }

int32_t RoundToLong(double x) {
  double r = std::nearbyint(x);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
    throw RunTimeError(kOverflow, 6);
  return static_cast<int32_t>(r);
}

// ---- Dates ----

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (m == 2 && IsLeapYear(y)) ? 29 : kDays[m - 1];
}

namespace {
// Days from civil (proleptic Gregorian), after H. Hinnant's algorithm; day 0 = 1970-01-01.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}
const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);
}  // namespace

std::optional<Date> Date::TryFromYmd(int year, int month, int day) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return std::nullopt;
  return Date(static_cast<int32_t>(DaysFromCivil(year, month, day) - kEpochOffset));
}

Date Date::FromYmd(int year, int month, int day) {
  auto d = TryFromYmd(year, month, day);
  if (!d) ThrowTypeMismatch();
  return *d;
}

int Date::Year() const {
  int y, m, d;
  CivilFromDays(serial_ + kEpochOffset, y, m, d);
  return y;
}
int Date::Month() const {
  int y, m, d;
  CivilFromDays(serial_ + kEpochOffset, y, m, d);
  return m;
}
int Date::Day() const {
  int y, m, d;
  CivilFromDays(serial_ + kEpochOffset, y, m, d);
  return d;
}

std::string Date::ToText() const { return Format("dd-mm-yyyy"); }

namespace {
// Writes v as exactly `width` digits (zero-padded); the years of the books have four.
char* PutDigits(char* p, int v, int width) {
  for (int i = width - 1; i >= 0; --i, v /= 10) p[i] = static_cast<char>('0' + v % 10);
  return p + width;
}
}  // namespace

std::string Date::Format(std::string_view pattern) const {
  int y, m, d;
  CivilFromDays(serial_ + kEpochOffset, y, m, d);
  // Every record carries several dates: digits are written directly rather than through printf.
  if (y < 0 || y > 9999) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", d, m, y);
    return buf;
  }
  char buf[10];
  char sep = '-';
  int first = d, second = m;
  if (pattern == "yyyy-mm-dd") {
    char* p = PutDigits(buf, y, 4);
    *p++ = '-';
    p = PutDigits(p, m, 2);
    *p++ = '-';
    PutDigits(p, d, 2);
    return std::string(buf, 10);
  }
  if (pattern == "dd/mm/yyyy") sep = '/';
  if (pattern == "mm-dd-yyyy") first = m, second = d;
  char* p = PutDigits(buf, first, 2);
  *p++ = sep;
  p = PutDigits(p, second, 2);
  *p++ = sep;
  PutDigits(p, y, 4);
  return std::string(buf, 10);
}

Date BaseDate() { return Date::FromYmd(1900, 1, 1); }

std::string_view MonthName(int month) {
  static constexpr std::string_view kNames[] = {"January",   "February", "March",    "April",
                                                "May",       "June",     "July",     "August",
                                                "September", "October",  "November", "December"};
  return (month >= 1 && month <= 12) ? kNames[month - 1] : std::string_view();
}

namespace {
std::optional<int> ParseInt(std::string_view s) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}
std::optional<int> MonthFromName(std::string_view s) {
  if (s.size() < 3) return std::nullopt;
  for (int m = 1; m <= 12; ++m) {
    std::string_view full = MonthName(m);
    if (EqualsNoCase(s, full) || (s.size() == 3 && EqualsNoCase(s, full.substr(0, 3)))) return m;
  }
  return std::nullopt;
}
}  // namespace

std::optional<Date> TryParseDateText(std::string_view text) {
  std::string_view s = TrimView(text);
  if (s.empty()) return std::nullopt;
  // Split into three parts on '-', '/', or blanks.
  std::string_view parts[3];
  int n = 0;
  size_t i = 0;
  char sep = 0;
  while (i < s.size() && n < 4) {
    size_t j = i;
    while (j < s.size() && s[j] != '-' && s[j] != '/' && s[j] != ' ') ++j;
    if (n == 3) return std::nullopt;
    parts[n++] = s.substr(i, j - i);
    if (j < s.size()) {
      if (sep == 0)
        sep = s[j];
      else if (s[j] != sep)
        return std::nullopt;
      i = j + 1;
      while (sep == ' ' && i < s.size() && s[i] == ' ') ++i;
      if (i == s.size()) return std::nullopt;
    } else {
      i = j;
    }
  }
  if (n != 3) return std::nullopt;
  auto a = ParseInt(parts[0]);
  auto c = ParseInt(parts[2]);
  if (!c) return std::nullopt;
  if (a && parts[0].size() == 4 && sep == '-') {  // yyyy-mm-dd
    auto mm = ParseInt(parts[1]);
    if (!mm) return std::nullopt;
    return Date::TryFromYmd(*a, *mm, *c);
  }
  if (!a || parts[2].size() != 4) return std::nullopt;
  if (auto mm = ParseInt(parts[1])) {
    if (sep == ' ') return std::nullopt;
    return Date::TryFromYmd(*c, *mm, *a);  // dd-mm-yyyy, dd/mm/yyyy
  }
  auto month = MonthFromName(parts[1]);
  if (!month) return std::nullopt;
  return Date::TryFromYmd(*c, *month, *a);  // d Month yyyy, dd-Mon-yyyy
}

Date ParseDateText(std::string_view s) {
  auto d = TryParseDateText(s);
  if (!d) ThrowTypeMismatch();
  return *d;
}

}  // namespace vodare
