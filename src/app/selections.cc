#include "app/selections.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "common/helpers.h"
#include "common/run_error.h"
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

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Blanks and line ends: a path read from a file often ends with a line break.
std::string_view TrimSpace(std::string_view s) {
  const char* kSpace = " \t\r\n";
  size_t first = s.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  size_t last = s.find_last_not_of(kSpace);
  return s.substr(first, last - first + 1);
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

// A text file of the other program: UTF-8 when it reads as UTF-8, else the Windows code page.
std::string DecodeTextFile(std::string bytes) {
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  if (IsValidUtf8(bytes)) return bytes;
  std::string out;
  for (unsigned char b : bytes) AppendUtf8(out, Cp1252ToCodePoint(b));
  return out;
}

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

std::string DriveFolder(char letter) {
  char lower = static_cast<char>(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter);
#ifdef _WIN32
  return std::string(1, static_cast<char>(lower - 'a' + 'A')) + ":\\";
#else
  const char* root = std::getenv("VODARE_DRIVES");
  std::string base = (root != nullptr && *root != '\0') ? root : "/mnt";
  return WithFinalSeparator(base) + lower;
#endif
}

std::string ToLocalPath(std::string_view text) {
  std::string_view s = TrimView(text);
#ifdef _WIN32
  return std::string(s);
#else
  if (s.size() >= 2 && IsDriveLetter(s[0]) && s[1] == ':' && (s.size() == 2 || IsSeparator(s[2]))) {
    std::string rest(s.substr(2));
    for (char& c : rest)
      if (c == '\\') c = '/';
    std::string out = DriveFolder(s[0]);
    if (rest.empty() || rest == "/") return out + '/';
    return out + rest;
  }
  return std::string(s);
#endif
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

bool FolderExists(std::string_view text) {
  if (IsBlank(text)) return false;
  std::error_code ec;
  return fs::is_directory(fs::path(ResolvePath(text)), ec);
}

bool FileExists(std::string_view text) {
  if (IsBlank(text)) return false;
  std::error_code ec;
  return fs::is_regular_file(fs::path(ResolvePath(text)), ec);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string local = ToLocalPath(folder);
  if (local.empty()) return std::string(name);
  return WithFinalSeparator(local) + std::string(name);
}

std::string DefaultExportFolder() { return ToLocalPath("C:\\DeredaDir\\Rededo\\DB"); }

std::string FindInstallPath() {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    std::string folder = JoinPath(DriveFolder(letter), "DeredaDir");
    if (FolderExists(folder)) return WithFinalSeparator(ResolvePath(folder));
  }
  return std::string();
}

std::string ReadDataPath(std::string_view program_folder) {
  std::string folder = WithoutFinalSeparator(ToLocalPath(program_folder));
  if (folder.empty()) return std::string();
  std::string file = ResolvePath(JoinPath(JoinPath(folder, "SYSTEM"), "DP.txt"));
  std::error_code ec;
  if (!fs::is_regular_file(fs::path(file), ec)) return std::string();
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::string();
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::string();
  std::string text(TrimSpace(DecodeTextFile(std::move(bytes))));
  if (text.empty()) return std::string();
  return WithFinalSeparator(ToLocalPath(text));
}

std::vector<CompanyEntry> GetCompanyList(AutomationFactory& factory, std::string_view data_folder,
                                         std::string& error) {
  error.clear();
  std::string folder = WithFinalSeparator(ToLocalPath(data_folder));
  try {
    std::unique_ptr<CFixedInterface> fixed = factory.CreateFixedInterface(kProgIdFixedInterface);
    std::unique_ptr<CFixedInterface1> fixed1 =
        factory.CreateFixedInterface1(kProgIdFixedInterface1);
    if (!fixed || !fixed1) throw RunTimeError(kObjectNotSet, 91);
    std::string user = fixed->GetCurrentUserName();
    std::string open_code = fixed1->GetCompCode();
    std::vector<CompanyEntry> list = fixed->GetCompList(folder);
    // A company left open by the program itself can hide the list; closing it shows it again.
    if (list.empty() && user.empty() && !open_code.empty()) {
      fixed->CloseDB();
      list = fixed->GetCompList(folder);
    }
    return list;
  } catch (const std::exception& e) {
    error = "The companies of the data folder " + folder + " could not be read: " + e.what();
    return {};
  }
}

std::vector<std::string> GetFinYears(AutomationFactory& factory, std::string_view company_code,
                                     std::string& error) {
  error.clear();
  std::string code(company_code);
  try {
    std::unique_ptr<CFixedInterface1> fixed1 =
        factory.CreateFixedInterface1(kProgIdFixedInterface1);
    if (!fixed1) throw RunTimeError(kObjectNotSet, 91);
    return fixed1->GetAllFinYearsOfSpecificCompCode(code);
  } catch (const std::exception& e) {
    error = "The financial years of the company " + std::string(company_code) +
            " could not be read: " + e.what();
    return {};
  }
}

int SelectMatchingEntry(const std::vector<std::string>& entries, std::string_view text) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (CompareText(entries[i], text) == 0) return static_cast<int>(i);
  return -1;
}

std::string GetVodoriCompanyName(RunContext& ctx) {
  if (!ctx.source) return std::string();
  return std::string();
}

}  // namespace vodare
