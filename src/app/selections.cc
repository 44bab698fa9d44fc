#include "app/selections.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "app/machine_paths.h"
#include "common/helpers.h"
#include "common/run_error.h"
#include "common/text.h"
#include "context/run_source.h"
#include "source/source_db.h"

namespace vodare {

namespace fs = std::filesystem;

namespace {

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

}  // namespace

std::string FindInstallPath() {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    std::string folder = JoinLocalPath(DriveFolder(letter), "DeredaDir");
    if (LocalFolderExists(folder)) return WithFinalSeparator(ResolvePath(folder));
  }
  return std::string();
}

std::string ReadDataPath(std::string_view program_folder) {
  std::string folder = WithoutFinalSeparator(ToLocalPath(program_folder));
  if (folder.empty()) return std::string();
  std::string file = ResolvePath(JoinLocalPath(JoinLocalPath(folder, "SYSTEM"), "DP.txt"));
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
  // A blank folder names no companies (and must not become the root folder).
  if (IsBlank(data_folder)) return {};
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
  try {
    Recordset rs =
        GetRecordset(ctx, "Select Remark as CompName from support where Aliase='ZORAVIZED3'");
    if (rs.Eof()) return std::string();
    return NzTrim(rs.Field("CompName"));
  } catch (const std::exception&) {
    return std::string();
  }
}

}  // namespace vodare
