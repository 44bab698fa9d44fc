#pragma once
// Kept copies of long expected texts: tests/data/<name> holds what a test's subject must give,
// so that a test says what it looks at and the copy says what it must be. With
// VODARE_UPDATE_GOLDEN=1 in the environment the copies are written from this build instead,
// for a change that is meant to change them (read the diff before committing it).

#include <functional>
#include <string>
#include <vector>

namespace vodare::testing {

// The text of tests/data/<name>, empty when there is none.
std::string KeptText(const std::string& name);

// Adds a failure naming the first line that differs from the kept copy.
void ExpectGolden(const std::string& name, const std::string& actual);

// Cases kept as lines "Function [input] -> answer" in tests/data/<name> (other lines are left
// as they are): every answer is worked out again from its function and input, and the text
// compared with the kept copy as ExpectGolden does. An answer that raises a RunTimeError reads
// "raises <its description>".
void ExpectKeptAnswers(const std::string& name,
                       const std::function<std::string(const std::string& function,
                                                       const std::string& input)>& answer);

// The tables of an export kept as text in tests/data/<name>: a line "== FILE FIELDS" starts a
// table, the lines after it are its rows; lines that start with "#" are comments. Each table is
// handed to table in file order; false when the kept file cannot be read.
bool ReadKeptTables(const std::string& name,
                    const std::function<void(const std::string& file, const std::string& fields,
                                             const std::vector<std::string>& rows)>& table);

// The parts of a kept input separated by "|", as many as asked for (missing ones empty).
std::vector<std::string> InputParts(const std::string& input, size_t count);

}  // namespace vodare::testing
