#include "cli/number_args.h"

namespace vodare::cli {

std::optional<int64_t> ParseCount(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::optional<Date> ParseShortDate(std::string_view text) {
  size_t first = text.find('-');
  size_t second = first == std::string_view::npos ? first : text.find('-', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::string_view day = text.substr(0, first);
  std::string_view month = text.substr(first + 1, second - first - 1);
  std::string_view year = text.substr(second + 1);
  if (day.empty() || day.size() > 2 || month.empty() || month.size() > 2 || year.size() != 4)
    return std::nullopt;
  std::optional<int64_t> d = ParseCount(day), m = ParseCount(month), y = ParseCount(year);
  if (!d || !m || !y) return std::nullopt;
  return Date::TryFromYmd(static_cast<int>(*y), static_cast<int>(*m), static_cast<int>(*d));
}

}  // namespace vodare::cli
