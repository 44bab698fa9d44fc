#include "destination/local/installation.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/drive_paths.h"
#include "common/run_error.h"
#include "common/text.h"

namespace vodare::local {

namespace fs = std::filesystem;

namespace {
bool IsUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
    }
    i += n;
  }
  return true;
}
}  // namespace

fs::path FolderPath(const std::string& text) {
  std::string s = DrivePathToLocal(Trim(text));
  for (char& c : s) {
    if (c == '\\') c = '/';
  }
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  fs::path path(s);
  std::error_code ec;
  if (path.empty() || fs::exists(path, ec)) return path;
  // Each part that is not there as written is the entry of that name in any letter case.
  fs::path resolved = path.root_path();
  for (const fs::path& part : path.relative_path()) {
    fs::path next = resolved / part;
    if (!fs::exists(next, ec)) {
      auto found = FindEntryNoCase(resolved.empty() ? fs::path(".") : resolved, part.string());
      if (!found) return path;
      next = resolved.empty() ? found->filename() : *found;
    }
    resolved = next;
  }
  return resolved;
}

std::optional<fs::path> FindEntryNoCase(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  fs::path exact = folder / name;
  if (fs::exists(exact, ec)) return exact;
  fs::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  for (const auto& entry : it) {
    if (EqualsNoCase(entry.path().filename().string(), name)) return entry.path();
  }
  return std::nullopt;
}

std::optional<std::string> ReadInstalledDataFolder(const std::string& program_folder) {
  fs::path program = FolderPath(program_folder);
  if (program.empty()) return std::nullopt;
  auto system = FindEntryNoCase(program, "SYSTEM");
  if (!system) return std::nullopt;
  auto dp = FindEntryNoCase(*system, "DP.txt");
  if (!dp || !fs::is_regular_file(*dp)) return std::nullopt;
  std::ifstream in(*dp, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  // The file is written as ANSI text on Windows: a text that is not UTF-8 is Windows-1252.
  if (!IsUtf8(text)) {
    std::string converted;
    for (unsigned char c : text) AppendUtf8(converted, Cp1252ToCodePoint(c));
    text = std::move(converted);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  return text;
}

std::optional<fs::path> FindCompanyFile(const std::string& data_folder,
                                        const std::string& company_code) {
  std::string code = Trim(company_code);
  if (code.empty() || code.find('/') != std::string::npos || code.find('\\') != std::string::npos ||
      code == "." || code == "..") {
    return std::nullopt;
  }
  fs::path data = FolderPath(data_folder);
  if (data.empty()) return std::nullopt;
  auto folder = FindEntryNoCase(data, code);
  if (!folder) return std::nullopt;
  std::error_code ec;
  if (!fs::is_directory(*folder, ec)) return std::nullopt;
  auto file = FindEntryNoCase(*folder, kCompanyFileName);
  if (!file || !fs::is_regular_file(*file, ec)) return std::nullopt;
  return file;
}

std::vector<std::string> ListCompanyCodes(const std::string& data_folder) {
  std::vector<std::string> codes;
  fs::path data = FolderPath(data_folder);
  std::error_code ec;
  fs::directory_iterator it(data, ec);
  if (ec) return codes;
  for (const auto& entry : it) {
    std::string name = entry.path().filename().string();
    if (name.size() != 8 || !EqualsNoCase(name.substr(0, 4), "Comp")) continue;
    if (!entry.is_directory(ec)) continue;
    if (!FindEntryNoCase(entry.path(), kCompanyFileName)) continue;
    codes.push_back(name);
  }
  std::sort(codes.begin(), codes.end(),
            [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
  return codes;
}

std::string CompanyCodeOf(int number) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "Comp%04d", number);
  return buf;
}

void EnsureInstallation(const std::string& program_folder, const std::string& data_folder) {
  fs::path program = FolderPath(program_folder);
  fs::path data = FolderPath(data_folder);
  std::error_code ec;
  fs::create_directories(data, ec);
  if (ec)
    throw RunTimeError("Cannot create the data folder " + data.string() + ": " + ec.message());
  if (ReadInstalledDataFolder(program_folder)) return;
  fs::path system = program / "SYSTEM";
  if (auto found = FindEntryNoCase(program, "SYSTEM")) system = *found;
  fs::create_directories(system, ec);
  if (ec) {
    throw RunTimeError("Cannot create the program folder " + system.string() + ": " + ec.message());
  }
  std::ofstream out(system / "DP.txt", std::ios::binary | std::ios::trunc);
  out << fs::absolute(data).string() << "/";
  if (!out) throw RunTimeError("Cannot write " + (system / "DP.txt").string());
}

}  // namespace vodare::local
