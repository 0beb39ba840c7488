#include "settings/ProgramFolders.h"

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

namespace {

std::string WithBackslashes(std::string_view path) {
  std::string result(path);
  for (char& c : result)
    if (c == '/') c = '\\';
  return result;
}

}  // namespace

TProgramFolders MakeProgramFolders(std::string_view programFolder) {
  TProgramFolders folders;
  folders.ProgramFolder = WithBackslashes(programFolder);
  if (!folders.ProgramFolder.empty() && folders.ProgramFolder.back() != '\\') folders.ProgramFolder += '\\';
  folders.BackupsFolder = folders.ProgramFolder + "Backups\\";
  folders.DataFolder = folders.ProgramFolder + "Data\\";
  folders.LanguagesFolder = folders.ProgramFolder + "Languages\\";
  folders.FileCacheFile = folders.DataFolder + "FileCache.dat";
  const platform::WindowsVersion version = platform::Sys().Version();
  folders.IsNT5OrLater = version.major >= 5;
  folders.IsWindows2000 = version.major == 5 && version.minor == 0;
  folders.IsWindowsXP = version.major == 5 && version.minor == 1;
  return folders;
}

std::string FolderOfProgram(std::string_view programPath) {
  const size_t slash = programPath.find_last_of("\\/");
  if (slash == std::string_view::npos) return {};
  return WithBackslashes(programPath.substr(0, slash + 1));
}

}  // namespace vp
