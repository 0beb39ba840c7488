#pragma once

// The search for a file (or folder) that a registry value names but that is
// no longer where the value says: the same path on the other fixed drives,
// the same name in a list of extra folders, and every place the file
// existence cache has seen a file of that name.

#include <string>
#include <string_view>

#include "files/StringTools.h"

namespace vp {

class TFileSystemCache;

// Every place where the thing the text names exists now, each put back into
// the text in place of the path (so quotes and arguments stay), without
// duplicates and sorted. The path is BestPathIn of the text, or the text
// itself when that is a valid path (a folder when it holds no "."). Names
// such as setup.exe or install.exe are never looked for. Hits from the cache
// are listed only when the file still exists. A folder is looked for as the
// same path on the other drives, and as the part of its path after its first
// folder (the whole part below the drive for a top-level folder) appended to
// each extra folder and to each of their immediate sub-folders; a folder
// result ends in a backslash exactly when the text does. driveLetters are
// lower-case drive letters ("cd").
StringList LocateFile(std::string_view text, const TFileSystemCache& cache, const StringList& extraFolders,
                      std::string_view driveLetters);

// The first entry of LocateFile's list, or "".
std::string LocateFirst(std::string_view text, const TFileSystemCache& cache, const StringList& extraFolders,
                        std::string_view driveLetters);

}  // namespace vp
