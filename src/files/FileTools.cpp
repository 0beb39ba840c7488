#include "files/FileTools.h"

#include <algorithm>

#include "files/Masks.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {
namespace {

using platform::DriveType;
using platform::Files;

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerLetter(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool IsFolderAttribute(const std::optional<uint32_t>& attributes) {
  return attributes && (*attributes & platform::kAttrDirectory) != 0;
}

bool IsFileAttribute(const std::optional<uint32_t>& attributes) {
  return attributes && (*attributes & platform::kAttrDirectory) == 0;
}

// The folder part of a path, up to and including its last backslash.
std::string_view FolderPart(std::string_view path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string WithBackslash(std::string_view folder) {
  return EnsureTrailing(folder, '\\');
}

// Every entry of a folder, "." and ".." excluded by the seam.
template <typename Visit>
void ForEachEntry(const std::string& folderWithBackslash, Visit visit) {
  auto search = Files().Search(folderWithBackslash + "*");
  platform::DirectoryEntry entry;
  while (search->Next(entry)) visit(entry);
}

void ListFilesInto(const std::string& folder, bool recursive, std::string_view masks, bool fullPaths,
                   StringList& out, std::string* error, bool& failed) {
  const bool plainName = !masks.empty() && masks.find_first_of("*?") == std::string_view::npos;
  StringList subfolders;
  ForEachEntry(folder, [&](const platform::DirectoryEntry& entry) {
    if (failed) return;
    if (entry.IsFolder()) {
      if (recursive) subfolders.push_back(entry.name);
      return;
    }
    bool take = true;
    if (plainName) {
      take = SameText(entry.name, masks);
    } else if (!masks.empty()) {
      std::string problem;
      take = MatchesMaskList(entry.name, masks, {}, &problem);
      if (!problem.empty()) {
        failed = true;
        if (error) *error = problem;
        return;
      }
    }
    if (take) out.push_back(fullPaths ? folder + entry.name : entry.name);
  });
  for (const auto& sub : subfolders) {
    if (failed) return;
    ListFilesInto(folder + sub + "\\", recursive, masks, fullPaths, out, error, failed);
  }
}

void ListSubfoldersInto(const std::string& folder, bool recursive, bool fullPaths, StringList& out) {
  StringList found;
  ForEachEntry(folder, [&](const platform::DirectoryEntry& entry) {
    if (entry.IsFolder()) found.push_back(entry.name);
  });
  for (const auto& name : found) {
    const std::string item = fullPaths ? folder + name + "\\" : name;
    if (std::find(out.begin(), out.end(), item) == out.end()) out.push_back(item);
    if (recursive) ListSubfoldersInto(folder + name + "\\", true, fullPaths, out);
  }
}

}  // namespace

bool IsValidPathSyntax(std::string_view text, bool strict) {
  if (text.empty()) return false;
  for (char c : text)
    if (c == '*' || c == '?' || c == '<' || c == '>' || c == '|' || c == '"' || c == '\r' || c == '\n' ||
        c == '\0')
      return false;
  if (text.find("\\\\") != std::string_view::npos) return false;
  if (text.size() < 3 || text.find(":\\") != 1 || !IsAsciiLetter(text[0])) return false;
  if (std::count(text.begin(), text.end(), ':') > 1) return false;
  if (strict) {
    if (RemoveWhitespace(text) != text) return false;
    for (char c : text)
      if (static_cast<unsigned char>(c) < 32) return false;
  }
  return true;
}

bool IsUsableDrivePath(std::string_view path, bool probe) {
  if (!IsValidPathSyntax(path)) return false;
  const DriveType type = Files().DriveTypeOf(path[0]);
  if (type == DriveType::Unknown || type == DriveType::NoRootDir || type == DriveType::CdRom) return false;
  const std::string_view folder = FolderPart(path);
  if (!probe || folder.empty()) return true;
  const std::string probeFile = std::string(folder) + "xxx_temp.tmp";
  if (Files().Attributes(probeFile)) return true;
  Files().WriteWholeFile(probeFile, {});
  const bool writable = IsFileAttribute(Files().Attributes(probeFile));
  Files().RemoveFile(probeFile);
  return writable;
}

bool FileExistsChecked(std::string_view path) {
  return IsValidPathSyntax(path) && IsFileAttribute(Files().Attributes(path));
}

bool FolderExistsChecked(std::string_view path) {
  return IsUsableDrivePath(path) && IsFolderAttribute(Files().Attributes(path));
}

bool HasAttribute(std::string_view path, uint32_t attributeBits) {
  if (!IsValidPathSyntax(path)) return false;
  auto attributes = Files().Attributes(path);
  return attributes && (*attributes & attributeBits) != 0;
}

platform::DriveType GetDriveTypeOf(std::string_view text) {
  if (text.empty()) return DriveType::Unknown;
  return Files().DriveTypeOf(text[0]);
}

bool DeleteFileChecked(std::string_view path) {
  if (!IsUsableDrivePath(path) || !IsFileAttribute(Files().Attributes(path))) return false;
  return Files().RemoveFile(path);
}

bool CopyFileChecked(std::string_view source, std::string_view target) {
  if (!IsUsableDrivePath(target) || !FileExistsChecked(source)) return false;
  return Files().CopyFileTo(source, target, true);
}

bool ForceDeleteFile(std::string_view path) {
  if (!FileExistsChecked(path)) return false;
  for (uint32_t bit :
       {platform::kAttrReadOnly, platform::kAttrSystem, platform::kAttrHidden, platform::kAttrArchive})
    ClearFileAttribute(path, bit);
  return Files().RemoveFile(path);
}

void ClearFileAttribute(std::string_view path, uint32_t attributeBit) {
  if (!IsValidPathSyntax(path)) return;
  auto attributes = Files().Attributes(path);
  if (!attributes || (*attributes & attributeBit) == 0) return;
  uint32_t rest = *attributes & ~attributeBit & ~(platform::kAttrDirectory | platform::kAttrNormal);
  Files().SetAttributes(path, rest == 0 ? platform::kAttrNormal : rest);
}

namespace {

bool IsReparsePoint(uint32_t attributes) {
  return (attributes & platform::kAttrReparsePoint) != 0;
}

// Removes everything a folder (with its backslash) holds. A link, junction
// or other reparse point is removed itself and never entered: what it leads
// to lies outside the folder.
void EmptyFolder(const std::string& folder) {
  std::vector<platform::DirectoryEntry> entries;
  ForEachEntry(folder, [&](const platform::DirectoryEntry& entry) { entries.push_back(entry); });
  for (const auto& entry : entries) {
    const std::string path = folder + entry.name;
    if (IsReparsePoint(entry.attributes)) {
      if (!(entry.IsFolder() && Files().RemoveFolder(path))) Files().RemoveFile(path);
    } else if (entry.IsFolder()) {
      EmptyFolder(path + "\\");
      Files().RemoveFolder(path);
    } else {
      DeleteFileChecked(path);
    }
  }
}

}  // namespace

bool DeleteFolder(std::string_view path) {
  if (!FolderExistsChecked(path)) return false;
  const std::string folder = ExcludeTrailingBackslash(path);
  const auto attributes = Files().Attributes(folder);
  if (attributes && !IsReparsePoint(*attributes)) EmptyFolder(folder + "\\");
  Files().RemoveFolder(folder);
  return !Files().Attributes(folder).has_value();
}

bool ForceFolders(std::string_view path) {
  if (path.find_first_of("*/\"?<>|") != std::string_view::npos) return false;
  if (path.find(":\\") == std::string_view::npos || path.empty()) return false;
  if (GetFixedDriveLetters(false).find(LowerLetter(path[0])) == std::string::npos) return false;
  const std::string target = ExcludeTrailingBackslash(path);
  if (!IsValidPathSyntax(target)) return false;
  // From the root down: every prefix ending before a backslash, and the whole.
  for (size_t slash = target.find('\\', 3);; slash = target.find('\\', slash + 1)) {
    const std::string level = target.substr(0, slash);
    if (level.size() > 3 && !IsFolderAttribute(Files().Attributes(level))) Files().MakeFolder(level);
    if (slash == std::string::npos) break;
  }
  return IsFolderAttribute(Files().Attributes(target));
}

std::string ParentFolder(std::string_view path) {
  if (path.size() < 2) return std::string();
  const std::string trimmed = ExcludeTrailingBackslash(path);
  return std::string(FolderPart(trimmed));
}

bool CreateEmptyFile(std::string_view path) {
  if (!IsUsableDrivePath(path)) return false;
  const std::string folder = ParentFolder(path);
  if (!folder.empty() && !IsFolderAttribute(Files().Attributes(folder))) ForceFolders(folder);
  return Files().WriteWholeFile(path, {});
}

std::string ReadFileText(std::string_view path, int64_t byteLimit) {
  if (path.empty()) return std::string();
  const size_t limit = byteLimit < 0 ? SIZE_MAX : static_cast<size_t>(byteLimit);
  return Files().ReadWholeFile(path, limit).value_or(std::string());
}

StringList ListFiles(std::string_view folder, bool recursive, std::string_view masks, bool fullPaths,
                     std::string* error) {
  StringList out;
  if (folder.empty() || !IsFolderAttribute(Files().Attributes(folder))) return out;
  bool failed = false;
  ListFilesInto(WithBackslash(folder), recursive, masks, fullPaths, out, error, failed);
  if (failed) out.clear();
  return out;
}

StringList ListSubfolders(std::string_view folder, bool recursive, bool fullPaths) {
  StringList out;
  if (folder.empty() || !IsFolderAttribute(Files().Attributes(folder))) return out;
  ListSubfoldersInto(WithBackslash(folder), recursive, fullPaths, out);
  return out;
}

StringList ListSubfolderNames(std::string_view folder) {
  return ListSubfolders(folder, false, false);
}

TVolumeInfo GetVolumeInfo(char driveLetter) {
  TVolumeInfo info;
  const std::string root{driveLetter, ':', '\\'};
  if (auto volume = Files().VolumeOf(driveLetter)) {
    info.VolumeName = volume->name;
    info.SerialNumber = std::to_string(volume->serial);
    info.FileSystemName = volume->fileSystem;
  }
  if (auto space = Files().SpaceOf(root)) {
    info.TotalBytes = space->total;
    info.FreeBytes = space->freeToCaller;
  }
  return info;
}

std::string GetFixedDriveLetters(bool sizeTest) {
  std::string letters;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    if (Files().DriveTypeOf(letter) != DriveType::Fixed) continue;
    if (sizeTest) {
      const TVolumeInfo info = GetVolumeInfo(letter);
      if (info.TotalBytes <= 524288000 || info.SerialNumber.empty() || info.FreeBytes <= 1048576) continue;
    }
    if (FolderExistsChecked(std::string{letter, ':', '\\'})) letters += letter;
  }
  return letters;
}

std::string FindExecutableFor(std::string_view extension) {
  std::string ext =
      extension.empty() || extension[0] != '.' ? "." + std::string(extension) : std::string(extension);
  // The extension becomes part of a file name: nothing in it may lead
  // elsewhere or be refused by the file system.
  if (ext.size() < 2 || ext.find_first_of("\\/:*?\"<>|") != std::string::npos) return std::string();
  for (char c : ext)
    if (static_cast<unsigned char>(c) < 32) return std::string();

  // The platform asks the shell without leaving a file in the scanned
  // machine's folders.
  std::string program = platform::Sys().AssociatedProgramFor(ext).value_or(std::string());
  program = Trim(program);
  if (const size_t nul = program.find('\0'); nul != std::string::npos) program.resize(nul);
  return Trim(program);
}

}  // namespace vp
