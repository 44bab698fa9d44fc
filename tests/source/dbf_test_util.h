#pragma once
// Shared by the dBASE tests: fixture paths, scratch folders, whole-table reads, raw byte access
// and running the independent writer/reader in Python.

#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "source/dbf.h"
#include "support/temp_dir.h"

namespace vodare {

// Values in test failure messages.
inline void PrintTo(const Value& v, std::ostream* os) {
  if (v.IsNull())
    *os << "Null";
  else if (v.IsText())
    *os << '"' << v.Text().substr(0, 120) << (v.Text().size() > 120 ? "...\"" : "\"");
  else if (v.IsDate())
    *os << "#" << v.DateValue().ToText() << "#";
  else
    *os << v.ToText();
}

}  // namespace vodare

namespace vodare::dbf_test {

namespace fs = std::filesystem;

inline fs::path SourceDir() { return fs::path(VODARE_SOURCE_DIR); }
inline fs::path RealFixtures() { return SourceDir() / "tests" / "fixtures" / "dbf-real"; }

using ScratchDir = testing::TempDir;

struct TableRead {
  DbfHeader header;
  std::vector<std::vector<Value>> rows;
  std::vector<std::string> warnings;

  // Index of a field by name; -1 when absent.
  int Column(const std::string& name) const {
    for (size_t i = 0; i < header.fields.size(); ++i)
      if (header.fields[i].name == name) return static_cast<int>(i);
    return -1;
  }
  const Value& At(size_t row, const std::string& name) const {
    int c = Column(name);
    if (c < 0) throw std::runtime_error("no field " + name);
    return rows.at(row).at(static_cast<size_t>(c));
  }
  bool HasWarning(const std::string& part) const {
    for (const auto& w : warnings)
      if (w.find(part) != std::string::npos) return true;
    return false;
  }
};

inline TableRead ReadTable(const std::string& path) {
  DbfReader reader(path);
  TableRead t;
  t.header = reader.header();
  std::vector<Value> row;
  while (reader.Next(row)) t.rows.push_back(row);
  t.warnings = reader.warnings();
  return t;
}

inline std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Converts bytes of one code page to UTF-8 with iconv directly (not through the reader's
// decoder), undefined bytes becoming U+FFFD.
inline std::string DecodeIndependently(const std::string& bytes, const std::string& code_page) {
  iconv_t cd = iconv_open("UTF-8", code_page.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: " + code_page);
  std::string out;
  for (unsigned char b : bytes) {
    // One byte at a time keeps this simple; the tests only call it for single-byte pages.
    char in_byte = static_cast<char>(b);
    char* in = &in_byte;
    size_t in_left = 1;
    char buf[8];
    char* o = buf;
    size_t o_left = sizeof buf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &in_left, &o, &o_left) == static_cast<size_t>(-1) || o == buf)
      out += "\xEF\xBF\xBD";
    else
      out.append(buf, static_cast<size_t>(o - buf));
  }
  iconv_close(cd);
  return out;
}

// Latin-1 text back to its bytes (the fixtures' readings use Latin-1 where no code page is
// known, so each character is one byte of the file).
inline std::string Latin1Bytes(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else {
      unsigned cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
      out += static_cast<char>(cp);
      i += 2;
    }
  }
  return out;
}

// Runs a command, returning its standard output; the exit status goes to *status.
inline std::string Run(const std::string& command, int* status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) {
    *status = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  *status = pclose(p);
  return out;
}

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

// The helper script that drives the Debian dbf module, the independent writer and reader.
inline std::string PythonTool() {
  return "/usr/bin/python3 " +
         Quote((SourceDir() / "tests" / "fixtures" / "dbf_python.py").string());
}

}  // namespace vodare::dbf_test
