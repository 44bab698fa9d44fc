#include "destination/converters.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "common/helpers.h"
#include "common/run_error.h"

namespace vodare {

namespace {

// The whole-number conversion of a part of a date or time: raises on text that is not a
// number and on numbers that do not fit 16 bits.
int16_t ToInteger16(std::string_view text) {
  auto v = TryTextToNumber(text);
  if (!v) ThrowTypeMismatch();
  double r = RoundHalfEven(*v);
  if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max()))
    throw RunTimeError(kOverflow, 6);
  return static_cast<int16_t>(r);
}

std::optional<int32_t> TryToInteger32(std::string_view text) {
  auto v = TryTextToNumber(text);
  if (!v) return std::nullopt;
  double r = RoundHalfEven(*v);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
    return std::nullopt;
  return static_cast<int32_t>(r);
}

// Splits at every occurrence of the separator, keeping empty parts.
std::vector<std::string_view> SplitAll(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t at = s.find(sep, start);
    if (at == std::string_view::npos) {
      parts.push_back(s.substr(start));
      return parts;
    }
    parts.push_back(s.substr(start, at - start));
    start = at + 1;
  }
}

// The system's reading of a two-digit year in a date text.
int SystemYear(int year) {
  if (year >= 0 && year < 30) return 2000 + year;
  if (year >= 30 && year < 100) return 1900 + year;
  return year;
}

const CCompany& RequireCompany(const CCompany* company) {
  if (company == nullptr) throw RunTimeError(kObjectNotSet, 91);
  return *company;
}

}  // namespace

std::string NormalizeDecimalPoint(std::string_view text) {
  std::string_view s = TrimView(text);
  size_t i = 0;
  while (i < s.size()) {
    size_t at = i;
    char32_t c = DecodeUtf8(s, i);
    if (!((c >= U'0' && c <= U'9') || c == U'-')) {
      std::string out(s.substr(0, at));
      out += '.';
      out.append(s.substr(i));
      return out;
    }
  }
  return std::string(s);
}

double ParseAmount(std::string_view text, const CCompany* company) {
  std::string_view trimmed = TrimView(text);
  if (!trimmed.empty() && trimmed.find_first_not_of('*') == std::string_view::npos) return 1e12;
  try {
    const CCompany& c = RequireCompany(company);
    // The Dr/Cr mark goes before the decimal mark is settled: "500 Dr" has no decimal mark, and
    // settling first would turn its blank into one and lose the amount.
    std::string s = ReplaceAll(text, " Dr", "");
    s = ReplaceAll(s, " Cr", "");
    if (!c.DigitGroupingSymbol.empty()) s = ReplaceAll(s, c.DigitGroupingSymbol, "");
    s = NormalizeDecimalPoint(s);
    auto v = TryTextToNumber(s);
    return v ? *v : 0.0;
  } catch (const std::exception&) {
    return 0.0;
  }
}

int16_t ParseInteger(std::string_view text) {
  try {
    return ToInteger16(text);
  } catch (const RunTimeError&) {
    return 0;
  }
}

int32_t ParseLong(std::string_view text) { return TryToInteger32(text).value_or(0); }

bool ParseFlag(std::string_view text) {
  return CompareText(text, "True") == 0 || CompareText(text, "Y") == 0 ||
         CompareText(text, "T") == 0;
}

Date ParseDmyDate(std::string_view text) {
  auto parts = SplitAll(text, '-');
  if (parts.size() != 3) return Date();
  int16_t day = ToInteger16(parts[0]);
  int16_t month = ToInteger16(parts[1]);
  int16_t year = ToInteger16(parts[2]);
  int16_t date_type = 1;
  return MakeDate(day, month, year, date_type, nullptr);
}

DateTime ParseDateTime(std::string_view text) {
  auto halves = SplitAll(text, ' ');
  if (halves.size() != 2) return DateTime();
  auto date_parts = SplitAll(halves[0], '-');
  auto time_parts = SplitAll(halves[1], ':');
  if (date_parts.size() != 3 || time_parts.size() != 3) return DateTime();
  int16_t day = ToInteger16(date_parts[0]);
  int16_t month = ToInteger16(date_parts[1]);
  int16_t year = ToInteger16(date_parts[2]);
  int16_t hour = ToInteger16(time_parts[0]);
  int16_t minute = ToInteger16(time_parts[1]);
  int16_t second = ToInteger16(time_parts[2]);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    ThrowTypeMismatch();
  DateTime result;
  result.date = Date::FromYmd(SystemYear(year), month, day);
  result.seconds = hour * 3600 + minute * 60 + second;
  return result;
}

std::string NormalizeTime(std::string_view text) {
  std::string groups[3];
  std::string suffix;
  int counter = 1;
  size_t i = 0;
  while (i < text.size()) {
    size_t at = i;
    char32_t c = DecodeUtf8(text, i);
    if (c >= U'0' && c <= U'9') {
      groups[counter - 1] += static_cast<char>(c);
    } else if (c == U'a' || c == U'A' || c == U'p' || c == U'P' || c == U'm' || c == U'M' ||
               c == U' ') {
      suffix.append(text.substr(at, i - at));
    } else if (++counter > 3) {
      return std::string();
    }
  }
  for (auto& g : groups) {
    if (g.size() >= 3) return std::string();
    if (g.empty()) g = "00";
  }
  return groups[0] + ":" + groups[1] + ":" + groups[2] + " " + suffix;
}

int32_t ExpandYear(int32_t year) {
  if (year >= 100) return year;
  if (year >= 80) return 1900 + year;
  return 2000 + year;
}

Date MakeDate(int16_t day, int16_t month, int16_t year, int16_t& date_type,
              const CCompany* company) {
  if (date_type == 0) date_type = RequireCompany(company).DateType;
  if (date_type == 2) {
    // The company's own order and separator: the text is read back in the order it was
    // written, so both orders give the same calendar day.
    RequireCompany(company);
    if (day < 1 || day > 31 || month < 1 || month > 12) ThrowTypeMismatch();
    return Date::FromYmd(SystemYear(year), month, day);
  }
  if (day < 1 || day > 31 || month < 1 || month > 12) return Date();
  int32_t full_year = year;
  std::string year_text = std::to_string(year);
  if (year_text.size() < 4) full_year = ExpandYear(std::stoi(year_text.substr(0, 2)));
  return Date::FromYmd(full_year, month, day);
}

}  // namespace vodare
