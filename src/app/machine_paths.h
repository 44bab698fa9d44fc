#pragma once
// Paths on the machine the program runs on. On Windows they are used as they stand. Elsewhere
// there are no drive letters: drive X is the folder $VODARE_DRIVES/x (default /mnt/x), a Windows
// path such as "C:\\DeredaDir\\Rededo\\DB" is that folder's DeredaDir/Rededo/DB, and names are
// found whatever their letter case, as they would be on Windows. A folder text with or without its
// final separator is the same folder. Nothing here throws.

#include <string>
#include <string_view>

#include "common/drive_paths.h"

namespace vodare {

// A path as the program may meet it (typed, read from a file, a default) made a path of this
// machine: blanks trimmed, a drive path mapped and its backslashes made separators. Other text
// is kept as it is.
std::string ToLocalPath(std::string_view text);
// The path with one final separator / with none (a root keeps its separator).
std::string WithFinalSeparator(std::string_view folder);
std::string WithoutFinalSeparator(std::string_view folder);
// The local path with every part that does not exist as written replaced by the entry of the
// same name in another letter case, when there is one. Unchanged when nothing matches.
std::string ResolvePath(std::string_view text);
bool LocalFolderExists(std::string_view text);
bool LocalFileExists(std::string_view text);
// folder and name joined with one separator, as a local path.
std::string JoinLocalPath(std::string_view folder, std::string_view name);

// The export folder offered before the user chooses one.
std::string DefaultExportFolder();

}  // namespace vodare
