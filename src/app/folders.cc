#include "app/folders.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/text.h"

namespace vodare {

namespace fs = std::filesystem;

namespace {
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool EndsInSeparator(std::string_view s) {
  return !s.empty() && (s.back() == '/' || s.back() == '\\');
}
}  // namespace

std::string NativePath(std::string_view text) {
#ifdef _WIN32
  return std::string(text);
#else
  if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':') {
    const char* drives = std::getenv("VODARE_DRIVES");
    std::string root = (drives && *drives) ? drives : "/mnt";
    if (!EndsInSeparator(root)) root += '/';
    root += static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    std::string rest(text.substr(2));
    for (char& c : rest)
      if (c == '\\') c = '/';
    if (!rest.empty() && rest.front() != '/') rest.insert(rest.begin(), '/');
    return root + rest;
  }
  return std::string(text);
#endif
}

bool FolderExists(std::string_view text) {
  if (text.empty()) return false;
  std::string native = NativePath(text);
  std::error_code ec;
  if (fs::is_directory(native, ec)) return true;
#ifndef _WIN32
  // Another letter case of the last part.
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  fs::path path(native);
  fs::path parent = path.parent_path();
  if (parent.empty()) parent = ".";
  std::string name = path.filename().string();
  if (name.empty()) return false;
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    if (EqualsNoCase(it->path().filename().string(), name) && it->is_directory(ec)) return true;
  }
#endif
  return false;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && !EndsInSeparator(out)) out += kSeparator;
  out += name;
  return out;
}

}  // namespace vodare
