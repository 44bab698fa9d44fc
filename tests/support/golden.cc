#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/run_error.h"

namespace vodare::testing {
namespace {

std::string GoldenPath(const std::string& name) {
  return std::string(VODARE_SOURCE_DIR) + "/tests/data/" + name;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

}  // namespace

std::string KeptText(const std::string& name) {
  std::ifstream in(GoldenPath(name), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void ExpectGolden(const std::string& name, const std::string& actual) {
  const char* update = std::getenv("VODARE_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::ofstream(GoldenPath(name), std::ios::binary) << actual;
    return;
  }
  const std::string kept = KeptText(name);
  if (kept == actual) return;
  const std::vector<std::string> want = Lines(kept), got = Lines(actual);
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  ADD_FAILURE() << "tests/data/" << name << " differs at line " << i + 1
                << "\n  kept: " << (i < want.size() ? want[i] : "(end)")
                << "\n  now:  " << (i < got.size() ? got[i] : "(end)");
}

bool ReadKeptTables(const std::string& name,
                    const std::function<void(const std::string& file, const std::string& fields,
                                             const std::vector<std::string>& rows)>& table) {
  std::ifstream in(GoldenPath(name));
  if (!in) return false;
  std::string file, fields;
  std::vector<std::string> rows;
  auto hand_on = [&] {
    if (!file.empty()) table(file, fields, rows);
    rows.clear();
  };
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("== ", 0) == 0) {
      hand_on();
      std::istringstream head(line.substr(3));
      head >> file;
      std::getline(head >> std::ws, fields);
    } else if (!line.empty() && line[0] != '#') {
      rows.push_back(line);
    }
  }
  hand_on();
  return true;
}

std::vector<std::string> InputParts(const std::string& input, size_t count) {
  std::vector<std::string> parts;
  std::istringstream in(input);
  for (std::string part; std::getline(in, part, '|');) parts.push_back(part);
  parts.resize(count);
  return parts;
}

void ExpectKeptAnswers(const std::string& name,
                       const std::function<std::string(const std::string& function,
                                                       const std::string& input)>& answer) {
  std::ifstream in(GoldenPath(name), std::ios::binary);
  std::string text;
  for (std::string line; std::getline(in, line);) {
    const size_t open = line.find(" ["), close = line.rfind("] -> ");
    if (open == std::string::npos || close == std::string::npos || close < open) {
      text += line + "\n";
      continue;
    }
    const std::string function = line.substr(0, open),
                      input = line.substr(open + 2, close - open - 2);
    std::string result;
    try {
      result = answer(function, input);
    } catch (const RunTimeError& e) {
      result = std::string("raises ") + e.Description();
    }
    text += function + " [" + input + "] -> " + result + "\n";
  }
  ExpectGolden(name, text);
}

}  // namespace vodare::testing
