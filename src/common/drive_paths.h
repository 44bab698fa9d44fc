#pragma once
// Drive letters outside Windows: drive X is the folder $VODARE_DRIVES/x (default /mnt/x), so a
// Windows path typed by the user or read from the destination's own files ("C:\\Dir\\DB") finds
// the same folder here. On Windows both functions leave the path as Windows has it.

#include <string>
#include <string_view>

namespace vodare {

// The folder that stands for a drive letter (any case): "X:\" on Windows.
std::string DriveFolder(char letter);

// A drive path ("X:" alone or followed by a separator) as a path of this machine, its
// backslashes made separators; a bare drive is its folder with a final separator. Any other
// text comes back as it is.
std::string DrivePathToLocal(std::string_view path);

}  // namespace vodare
