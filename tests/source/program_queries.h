#pragma once
// Every query text the program sends, as tests/data/program_queries.txt keeps them.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "source/lookups.h"

namespace vodare {

inline std::vector<std::string> ProgramQueries() {
  std::vector<std::string> out;
  std::ifstream in(std::string(VODARE_SOURCE_DIR) + "/tests/data/program_queries.txt");
  for (std::string line; std::getline(in, line);) {
    if (const size_t at = line.find("{fields "); at != std::string::npos)
      line.replace(at, 10, GetFieldList(static_cast<int16_t>(line[at + 8] - '0')));
    if (!line.empty() && line[0] != '#') out.push_back(line);
  }
  EXPECT_EQ(out.size(), 25u) << "tests/data/program_queries.txt";
  return out;
}

}  // namespace vodare
