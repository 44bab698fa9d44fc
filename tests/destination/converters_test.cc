// The converters of the company's setting texts: each input of the kept copy
// tests/data/converters.txt and its answer.
#include "destination/converters.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/golden.h"
#include "support/recording_server.h"

namespace vodare {
namespace {

std::string Answer(const std::string& function, const std::string& in) {
  testing::RecordingState state;
  testing::RecordingCompany c(state);  // its conventions only; no member is called
  if (function == "ParseAmount") return DoubleToText(ParseAmount(in, &c));
  if (function == "ParseAmount without a company") return DoubleToText(ParseAmount(in, nullptr));
  if (function.rfind("ParseAmount ", 0) == 0) {
    c.DigitGroupingSymbol = function.ends_with("dot")     ? "."
                            : function.ends_with("space") ? "\xC2\xA0"
                                                          : "";
    return DoubleToText(ParseAmount(in, &c));
  }
  if (function == "NormalizeDecimalPoint") return NormalizeDecimalPoint(in);
  if (function == "ParseInteger") return std::to_string(ParseInteger(in));
  if (function == "ParseLong") return std::to_string(ParseLong(in));
  if (function == "ParseFlag") return ParseFlag(in) ? "True" : "False";
  if (function == "ParseDmyDate") return ParseDmyDate(in).ToText();
  if (function == "ExpandYear") return std::to_string(ExpandYear(std::stoi(in)));
  if (function == "NormalizeTime") return NormalizeTime(in);
  if (function == "ParseDateTime") {
    const DateTime t = ParseDateTime(in);
    return t.date.ToText() + " " + std::to_string(t.seconds) + "s, serial " +
           DoubleToText(t.Serial());
  }
  std::istringstream parts(in);
  int16_t day, month, year, last;
  parts >> day >> month >> year >> last;
  int16_t type = last;
  if (function != "MakeDate") {
    c.DateType = 2;
    c.DateFormat = last;
    c.DateSeperator = "/";
    type = 0;
  }
  const Date date = MakeDate(day, month, year, type, function == "MakeDate" ? nullptr : &c);
  return date.ToText() + ", type " + std::to_string(type);
}

TEST(Converters, EachInputGivesTheKeptAnswer) {
  testing::ExpectKeptAnswers("converters.txt", Answer);
}

}  // namespace
}  // namespace vodare
