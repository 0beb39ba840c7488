#pragma once

// The folders kept beside the program and the system flags, filled once at
// start from the program file's path.

#include <string>
#include <string_view>

namespace vp {

struct TProgramFolders {
  std::string ProgramFolder;    // the program file's folder, with a trailing backslash
  std::string BackupsFolder;    // ProgramFolder + "Backups\"
  std::string DataFolder;       // ProgramFolder + "Data\"
  std::string LanguagesFolder;  // ProgramFolder + "Languages\"
  std::string FileCacheFile;    // DataFolder + "FileCache.dat"
  bool IsNT5OrLater = false;
  bool IsWindows2000 = false;
  bool IsWindowsXP = false;
};

// The record for a program folder (with or without its trailing backslash;
// forward slashes are taken as backslashes). The version flags come from the
// installed platform services.
TProgramFolders MakeProgramFolders(std::string_view programFolder);

// The folder part of a program file's path, with a trailing backslash; "" when
// the path names no folder.
std::string FolderOfProgram(std::string_view programPath);

}  // namespace vp
