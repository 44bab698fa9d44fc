#include "app/machine_paths.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "common/helpers.h"
#include "common/text.h"

namespace vodare {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The entry of folder whose name equals name ignoring case (the exact name first).
std::optional<fs::path> FindEntryNoCase(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  fs::path exact = folder / name;
  if (fs::exists(exact, ec)) return exact;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
  if (ec) return std::nullopt;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return std::nullopt;
    if (EqualsNoCase(it->path().filename().string(), name)) return folder / it->path().filename();
  }
  return std::nullopt;
}

}  // namespace

std::string ToLocalPath(std::string_view text) {
  return DrivePathToLocal(TrimView(text));
}

std::string WithFinalSeparator(std::string_view folder) {
  std::string s(folder);
  if (s.empty() || !IsSeparator(s.back())) s += kSeparator;
  return s;
}

std::string WithoutFinalSeparator(std::string_view folder) {
  std::string s(folder);
  while (s.size() > 1 && IsSeparator(s.back())) s.pop_back();
  return s;
}

std::string ResolvePath(std::string_view text) {
  std::string local = ToLocalPath(text);
  if (local.empty()) return local;
  std::error_code ec;
  fs::path path(local);
  if (fs::exists(path, ec)) return local;
  fs::path resolved = path.root_path();
  for (const fs::path& part : path.relative_path()) {
    std::string name = part.string();
    if (name.empty() || name == "." || name == "..") {
      resolved /= part;
      continue;
    }
    auto found = FindEntryNoCase(resolved, name);
    if (!found) return local;
    resolved = *found;
  }
  std::string out = resolved.string();
  if (IsSeparator(local.back())) out = WithFinalSeparator(out);
  return out;
}

bool LocalFolderExists(std::string_view text) {
  if (IsBlank(text)) return false;
  std::error_code ec;
  return fs::is_directory(fs::path(ResolvePath(text)), ec);
}

bool LocalFileExists(std::string_view text) {
  if (IsBlank(text)) return false;
  std::error_code ec;
  return fs::is_regular_file(fs::path(ResolvePath(text)), ec);
}

std::string JoinLocalPath(std::string_view folder, std::string_view name) {
  std::string local = ToLocalPath(folder);
  if (local.empty()) return std::string(name);
  return WithFinalSeparator(local) + std::string(name);
}

std::string DefaultExportFolder() { return ToLocalPath("C:\\DeredaDir\\Rededo\\DB"); }

}  // namespace vodare
