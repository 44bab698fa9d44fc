#pragma once
// Small file helpers shared by the dBASE reader and writer: 64-bit seeks and the search for a
// file beside another whatever its letter case.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vodare::dbf_detail {

// Owns a std::FILE*.
class File {
 public:
  File() = default;
  File(const std::string& path, const char* mode) : f_(std::fopen(path.c_str(), mode)) {}
  ~File() { Close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& o) noexcept : f_(o.f_) { o.f_ = nullptr; }
  File& operator=(File&& o) noexcept {
    if (this != &o) {
      Close();
      f_ = o.f_;
      o.f_ = nullptr;
    }
    return *this;
  }

  explicit operator bool() const { return f_ != nullptr; }
  std::FILE* get() const { return f_; }
  // Closes the file; false when the last writes could not be flushed.
  bool Close() {
    if (!f_) return true;
    bool ok = std::fclose(f_) == 0;
    f_ = nullptr;
    return ok;
  }
  bool Seek(uint64_t offset);
  // Size in bytes, or -1.
  int64_t Size();
  // Reads up to n bytes at offset; returns how many were read.
  size_t ReadAt(uint64_t offset, void* buffer, size_t n);

 private:
  std::FILE* f_ = nullptr;
};

// The file in the table's folder whose name is the table's stem plus one of the extensions,
// found whatever the letter case of either; empty when there is none. Extensions are tried in
// the order given.
std::string FindBeside(const std::string& table_path, const std::vector<std::string>& extensions);

// The table's path without its extension, and whether that extension is upper case.
std::string StemOf(const std::string& path, bool* upper_case_extension = nullptr);

}  // namespace vodare::dbf_detail
