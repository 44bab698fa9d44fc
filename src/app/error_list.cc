#include "app/error_list.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include <fmt/format.h>

#include "app/machine_paths.h"

namespace vodare {

std::string ErrorListFileText(const ErrorList& errors) {
  std::string text;
  for (const ErrorEntry& entry : errors.entries()) {
    text += entry.message;
    text += "\r\n";
  }
  text += "\r\n";
  return text;
}

std::string ErrorListFolder() {
  for (const char* name : {"TEMP", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (!ec) return temp.string();
#ifdef _WIN32
  return "C:\\Windows\\Temp";
#else
  return "/tmp";
#endif
}

std::string ErrorListFileName(const std::tm& t, int milliseconds) {
  return fmt::format("VodoriErrorList_{:04d}{:02d}{:02d}_{:02d}{:02d}{:02d}_{:03d}.txt",
                     t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                     milliseconds);
}

bool WriteErrorList(const ErrorList& errors, const std::string& path, std::string& why,
                    bool exclusive) {
  std::FILE* file = std::fopen(ToLocalPath(path).c_str(), exclusive ? "wbx" : "wb");
  if (!file) {
    why = std::strerror(errno);
    return false;
  }
  const std::string text = ErrorListFileText(errors);
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (!ok) why = std::strerror(errno);
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    why = std::strerror(errno);
  }
  return ok;
}

#ifdef _WIN32
bool OpenInTextEditor(const std::string& path, std::string& why) {
  std::string command = "notepad.exe " + path;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    why = "notepad.exe could not be started (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
#else
namespace {
bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string_view rest(path);
  while (true) {
    size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    if (dir.empty()) dir = ".";
    if (::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}
}  // namespace

bool OpenInTextEditor(const std::string& path, std::string& why) {
  const char* opener = "xdg-open";
#ifdef __APPLE__
  opener = "open";
#endif
  if (!OnPath(opener)) {
    why = std::string(opener) + " was not found, so no text editor could be started";
    return false;
  }
  // A shell that puts the handler in the background and leaves at once: nothing waits for the
  // editor, and no finished child is left behind.
  std::string script = std::string(opener) + " \"$1\" >/dev/null 2>&1 </dev/null &";
  const char* argv[] = {"sh", "-c", script.c_str(), "sh", path.c_str(), nullptr};
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ);
  if (rc != 0) {
    why = std::strerror(rc);
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}
#endif

std::string SaveErrorList(const ErrorList& errors, RunUi& ui) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const int millis = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  const std::string folder = ErrorListFolder();
  const std::string name = ErrorListFileName(local, millis);
  std::string path = JoinLocalPath(folder, name);
  std::string why;
  // Another run may have ended in the same millisecond: the next free counter then follows.
  for (int n = 2; !WriteErrorList(errors, path, why, true); ++n) {
    if (errno != EEXIST || n > 1000) {
      ui.ShowMessage("The error list could not be written to " + path + ": " + why, "Error",
                     MessageIcon::kExclamation);
      return "";
    }
    path =
        JoinLocalPath(folder, name.substr(0, name.size() - 4) + "_" + std::to_string(n) + ".txt");
  }
  return path;
}

void OpenErrorList(const std::string& path, RunUi& ui, const ErrorListOpener& open) {
  std::string why;
  if (open && !open(path, why)) {
    ui.ShowMessage("The error list was written to " + path + " but could not be opened: " + why,
                   "Error", MessageIcon::kExclamation);
  }
}

std::string ShowErrorList(const ErrorList& errors, RunUi& ui, const ErrorListOpener& open) {
  const std::string path = SaveErrorList(errors, ui);
  if (!path.empty()) OpenErrorList(path, ui, open);
  return path;
}

namespace {
// The note's file name: the identity kept to the characters every file system takes.
std::string LastRunNotePath(const std::string& folder, const std::string& company_identity) {
  std::string key;
  for (char c : company_identity)
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-') key += c;
  return JoinLocalPath(folder, "VodoriLastRun_" + key + ".txt");
}
}  // namespace

bool RecordLastRun(const std::string& folder, const std::string& company_identity,
                   const std::string& list_path) {
  if (company_identity.empty()) return false;
  const std::string note = LastRunNotePath(folder, company_identity);
  // Written aside and renamed, so that a reader never finds half a note.
  const std::string aside = note + ".new";
  std::FILE* file = std::fopen(ToLocalPath(aside).c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(list_path.data(), 1, list_path.size(), file) == list_path.size();
  ok = std::fclose(file) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(ToLocalPath(aside), ToLocalPath(note), ec);
  if (!ok || ec) std::filesystem::remove(ToLocalPath(aside), ec);
  return ok && !ec;
}

std::optional<std::string> LastRunErrorList(const std::string& folder,
                                            const std::string& company_identity) {
  if (company_identity.empty()) return std::nullopt;
  std::ifstream in(ToLocalPath(LastRunNotePath(folder, company_identity)), std::ios::binary);
  if (!in) return std::nullopt;
  std::string path((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::error_code ec;
  if (!path.empty() && !std::filesystem::is_regular_file(ToLocalPath(path), ec)) path.clear();
  return path;
}

}  // namespace vodare
