#pragma once
// Folder texts as the user types them, on the machine the program runs on. On Windows they are
// used as they stand. Elsewhere a drive path ("C:\DeredaDir\") names the folder of that drive
// below $VODARE_DRIVES (default /mnt), and a folder given with or without its final separator is
// the same folder.

#include <string>
#include <string_view>

namespace vodare {

// The platform's path for a folder text: "C:\A\B" becomes "/mnt/c/A/B" outside Windows.
std::string NativePath(std::string_view text);
// True when a directory of that name exists. Outside Windows a last part that differs only in
// letter case from an existing directory counts, as it would on Windows.
bool FolderExists(std::string_view text);
// folder + name, with the platform's separator between them when the folder does not end in one.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace vodare
