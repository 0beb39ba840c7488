#include "files/LocateFile.h"

#include "files/FileSystemCache.h"
#include "files/FileTools.h"
#include "files/PathText.h"

namespace vp {

namespace {

// File names too generic to stand for one program.
const StringList kGenericNames = {"Setup",    "Install", "Instal", "Autorun", "Uninstall",
                                  "Uninstal", "Uninst",  "Help",   "Net"};

bool EndsWithText(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && SameText(text.substr(text.size() - tail.size()), tail);
}

void AddUnlisted(StringList& list, std::string path) {
  for (const auto& entry : list)
    if (SameText(entry, path)) return;
  list.push_back(std::move(path));
}

// Existing folders among and just below the extra folders that end in the
// missing folder's path below its first folder.
void FindFolderElsewhere(const std::string& folder, const StringList& extraFolders, StringList& found) {
  const std::string trimmed = ExcludeTrailingBackslash(folder);
  const size_t first = trimmed.find('\\');
  if (first == std::string::npos) return;
  const size_t second = trimmed.find('\\', first + 1);
  const std::string tail = trimmed.substr(second == std::string::npos ? first : second);
  if (tail.size() < 2) return;
  for (const auto& extra : extraFolders) {
    const std::string base = ExcludeTrailingBackslash(extra);
    if (base.empty()) continue;
    if (EndsWithText(base, tail) && FolderExistsChecked(base)) AddUnlisted(found, base);
    if (FolderExistsChecked(base + tail)) AddUnlisted(found, base + tail);
    for (const auto& sub : ListSubfolders(base, false, true)) {
      const std::string candidate = ExcludeTrailingBackslash(sub) + tail;
      if (FolderExistsChecked(candidate)) AddUnlisted(found, candidate);
    }
  }
}

}  // namespace

StringList LocateFile(std::string_view text, const TFileSystemCache& cache, const StringList& extraFolders,
                      std::string_view driveLetters) {
  std::string path = BestPathIn(text);
  bool isFolder = false;
  if (path.empty()) {
    if (!IsValidPathSyntax(text)) return {};
    path = std::string(text);
    isFolder = path.find('.') == std::string::npos;
  }
  if (!isFolder) {
    const std::string stem = FileNameWithoutExt(path);
    for (const auto& generic : kGenericNames)
      if (SameText(stem, generic)) return {};
  }

  StringList found;
  for (char letter : driveLetters) {
    std::string moved = path;
    moved[0] = letter;
    if (isFolder ? FolderExistsChecked(moved) : FileExistsChecked(moved)) AddUnlisted(found, moved);
  }

  if (isFolder) {
    FindFolderElsewhere(path, extraFolders, found);
  } else {
    const size_t slash = path.rfind('\\');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!name.empty()) {
      for (const auto& extra : extraFolders) {
        std::string candidate = EnsureTrailing(extra, '\\') + name;
        if (FileExistsChecked(candidate)) AddUnlisted(found, std::move(candidate));
      }
      // The cache may be up to a month old: a place it names counts only
      // while the file is still there.
      if (cache.FileCount() > 0)
        for (auto& cached : cache.FindFile(name))
          if (FileExistsChecked(cached)) AddUnlisted(found, std::move(cached));
    }
  }

  const bool trailingBackslash = !text.empty() && text.back() == '\\';
  const int at = PosEx(path, text);
  StringList result;
  result.reserve(found.size());
  for (auto& hit : found) {
    if (isFolder) {
      hit = ExcludeTrailingBackslash(hit);
      if (trailingBackslash) hit += '\\';
    }
    if (at > 0) {
      std::string replaced(text.substr(0, static_cast<size_t>(at - 1)));
      replaced += hit;
      replaced += text.substr(static_cast<size_t>(at - 1) + path.size());
      result.push_back(std::move(replaced));
    } else {
      result.push_back(std::move(hit));
    }
  }
  RemoveDuplicates(result);
  return result;
}

std::string LocateFirst(std::string_view text, const TFileSystemCache& cache, const StringList& extraFolders,
                        std::string_view driveLetters) {
  StringList list = LocateFile(text, cache, extraFolders, driveLetters);
  return list.empty() ? std::string() : std::move(list.front());
}

}  // namespace vp
