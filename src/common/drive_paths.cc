#include "common/drive_paths.h"

#include <cstdlib>

namespace vodare {

std::string DriveFolder(char letter) {
  char lower = static_cast<char>(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter);
#ifdef _WIN32
  return std::string(1, static_cast<char>(lower - 'a' + 'A')) + ":\\";
#else
  const char* root = std::getenv("VODARE_DRIVES");
  std::string base = (root != nullptr && *root != '\0') ? root : "/mnt";
  if (base.back() != '/') base += '/';
  return base + lower;
#endif
}

std::string DrivePathToLocal(std::string_view s) {
#ifndef _WIN32
  const bool letter = s.size() >= 2 && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
  if (letter && s[1] == ':' && (s.size() == 2 || s[2] == '/' || s[2] == '\\')) {
    std::string rest(s.substr(2));
    for (char& c : rest)
      if (c == '\\') c = '/';
    std::string out = DriveFolder(s[0]);
    if (rest.empty() || rest == "/") return out + '/';
    return out + rest;
  }
#endif
  return std::string(s);
}

}  // namespace vodare
