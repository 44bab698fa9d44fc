#include "source/dbf_file.h"

#include <filesystem>
#include <system_error>

#include "common/text.h"

namespace vodare::dbf_detail {

namespace fs = std::filesystem;

bool File::Seek(uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(f_, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(f_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

int64_t File::Size() {
#ifdef _WIN32
  if (_fseeki64(f_, 0, SEEK_END) != 0) return -1;
  return _ftelli64(f_);
#else
  if (fseeko(f_, 0, SEEK_END) != 0) return -1;
  return static_cast<int64_t>(ftello(f_));
#endif
}

size_t File::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (!Seek(offset)) return 0;
  return std::fread(buffer, 1, n, f_);
}

std::string StemOf(const std::string& path, bool* upper_case_extension) {
  fs::path p(path);
  std::string ext = p.extension().string();
  if (upper_case_extension) {
    bool upper = !ext.empty();
    for (char c : ext) upper = upper && !(c >= 'a' && c <= 'z');
    *upper_case_extension = upper;
  }
  return path.substr(0, path.size() - ext.size());
}

std::string FindBeside(const std::string& table_path, const std::vector<std::string>& extensions) {
  std::string stem = StemOf(table_path);
  std::error_code ec;
  // The common spellings first, to spare a folder listing.
  for (const auto& ext : extensions) {
    for (const std::string& candidate : {stem + ext, stem + std::string(UCase(ext))}) {
      if (fs::is_regular_file(candidate, ec)) return candidate;
    }
  }
  fs::path folder = fs::path(table_path).parent_path();
  if (folder.empty()) folder = ".";
  std::string stem_name = fs::path(stem).filename().string();
  std::string found;
  size_t found_rank = extensions.size();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    for (size_t i = 0; i < found_rank; ++i) {
      if (EqualsNoCase(name, stem_name + extensions[i]) && it->is_regular_file(ec)) {
        found = it->path().string();
        found_rank = i;
        break;
      }
    }
  }
  return found;
}

}  // namespace vodare::dbf_detail
