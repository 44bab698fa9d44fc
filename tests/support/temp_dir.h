#pragma once
// A temporary folder for tests, removed with everything in it when the object goes, whatever a
// test left unwritable in it.

#include <filesystem>
#include <string>

namespace vodare::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace vodare::testing
