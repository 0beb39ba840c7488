// Checks that do not look for missing files directly: Start-menu order
// records that outlived their folders (area 9), empty vendor keys directly
// below "Software" (area 10) and history lists of recently used files
// (area 15).

#include <algorithm>

#include "files/FileTools.h"
#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "registry/RegistryViews.h"
#include "scanner/FileReferences.h"
#include "scanner/Sweeper.h"

namespace vp {

using platform::RegHandle;

namespace {

constexpr const char* kWow64Software = "Software\\Wow6432Node";
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kMenuOrderKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\";

// Parts of a key path that suggest a list of recently used files.
constexpr std::string_view kHistoryKeyParts[] = {"MRU",       "List",       "File",  "Projects",
                                                 "Favorites", "Favourites", "Recent"};

// Fewer values than this never make a history list.
constexpr size_t kHistoryMinimumSeries = 5;

// A folder path from a value, with a trailing backslash; empty when absent.
std::string FolderValue(RegHandle root, const char* name) {
  auto registry = OpenReadOnly(root, kShellFoldersKey);
  if (!registry || !registry->ValueExists(name)) return {};
  const std::string folder = registry->ReadValueAsString(name);
  return folder.empty() ? folder : EnsureTrailing(folder, '\\');
}

// An empty folder stays empty: it must never turn into a relative path.
std::string WithBackslash(const std::string& folder) {
  return folder.empty() ? folder : EnsureTrailing(folder, '\\');
}

bool FolderPresent(const std::string& folder) {
  return !folder.empty() && FolderExistsChecked(folder);
}

// Whether two value names look like members of one numbered series.
bool AreSimilarNames(std::string_view first, std::string_view second) {
  if (first.empty() || second.empty()) return false;
  const size_t lengthDifference =
      first.size() > second.size() ? first.size() - second.size() : second.size() - first.size();
  if (lengthDifference >= 3 || first.size() >= 21) return false;
  const size_t compared = std::min<size_t>({first.size(), second.size(), 20});
  int equal = 0;
  int different = 0;
  for (size_t i = 0; i < compared; ++i) (first[i] == second[i] ? equal : different)++;
  const bool bothLeadingDiffer = compared >= 2 && first[0] != second[0] && first[1] != second[1];
  if (bothLeadingDiffer || equal < 4 || different > 3) return false;
  const size_t prefix = static_cast<size_t>(equal);
  return SameText(first.substr(0, prefix), second.substr(0, prefix));
}

}  // namespace

void TSweeper::CheckStartMenuOrder() {
  const std::string userFolder = FolderValue(platform::kHkeyCurrentUser, "Programs");
  const std::string commonFolder = FolderValue(platform::kHkeyLocalMachine, "Common Programs");
  if (!FolderPresent(userFolder) && !FolderPresent(commonFolder)) return;
  const std::string base = kMenuOrderKey;
  IncKeys();
  CheckMenuOrder(base + "Start Menu\\Programs\\", userFolder, commonFolder, true);
  IncKeys();
  CheckMenuOrder(base + "Start Menu2\\Programs\\", userFolder, commonFolder, false);
  IncKeys();
  CheckMenuOrder(base + "Favorites\\", userFolder, commonFolder, false);
}

void TSweeper::CheckMenuOrder(const std::string& keyPath, std::string userFolder, std::string commonFolder,
                              bool compareFolders) {
  if (StopRequested()) return;
  const std::string key = EnsureTrailing(keyPath, '\\');
  userFolder = WithBackslash(userFolder);
  commonFolder = WithBackslash(commonFolder);
  StringList names;
  {
    auto registry = OpenReadOnly(platform::kHkeyCurrentUser, ExcludeTrailingBackslash(key));
    if (!registry) return;
    registry->GetKeyNames(names);
  }
  StringList folders;
  if (compareFolders) {
    for (const std::string* folder : {&userFolder, &commonFolder}) {
      if (folder->empty()) continue;
      for (const std::string& name : ListSubfolderNames(*folder))
        folders.push_back(platform::Sys().LowerCase(name));
    }
  }
  for (const std::string& name : names) {
    if (StopRequested()) return;
    IncKeys();
    const std::string subKey = key + name;
    const bool gone = compareFolders && std::find(folders.begin(), folders.end(),
                                                  platform::Sys().LowerCase(name)) == folders.end();
    if (IsEmptyMenuKey(subKey) || gone) {
      ReportKey(platform::kHkeyCurrentUser, subKey, kProblemStartMenuOrder);
      continue;
    }
    // The key is closed again before the walk goes below it.
    bool hasSubKeys = false;
    if (auto registry = OpenReadOnly(platform::kHkeyCurrentUser, subKey)) hasSubKeys = registry->HasSubKeys();
    if (hasSubKeys)
      CheckMenuOrder(subKey, userFolder.empty() ? userFolder : userFolder + name,
                     commonFolder.empty() ? commonFolder : commonFolder + name, compareFolders);
  }
}

bool TSweeper::IsEmptyMenuKey(const std::string& key) {
  IncKeys();
  StringList subKeys;
  {
    auto registry = OpenReadOnly(platform::kHkeyCurrentUser, ExcludeTrailingBackslash(key));
    if (!registry) return false;
    TRegKeyInfo info;
    if (!registry->GetKeyInfo(info) || info.NumValues > 0) return false;
    registry->GetKeyNames(subKeys);
  }
  for (const std::string& subKey : subKeys) {
    if (StopRequested()) return false;
    if (!IsEmptyMenuKey(ExcludeTrailingBackslash(key) + "\\" + subKey)) return false;
  }
  return true;
}

void TSweeper::CheckSoftwareKeys() {
  for (RegHandle root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
    StringList names;
    {
      auto registry = OpenReadOnly(root, "Software");
      if (!registry) return;
      registry->GetKeyNames(names);
    }
    CheckSoftwareKeysIn(root, "Software", names);
    if (root != platform::kHkeyLocalMachine) continue;
    // The 32-bit programs' vendor keys; those the views share are links to
    // the keys just looked at.
    auto registry = OpenReadOnly(root, kWow64Software);
    if (!registry || !IsOwnKey(root, kWow64Software)) continue;
    registry->GetKeyNames(names);
    registry->CloseKey();
    CheckSoftwareKeysIn(root, kWow64Software, names);
  }
}

void TSweeper::CheckSoftwareKeysIn(RegHandle root, const std::string& software, const StringList& names) {
  for (const std::string& name : names) {
    if (StopRequested()) return;
    if (name.empty()) continue;
    const std::string key = software + "\\" + name;
    auto registry = OpenReadOnly(root, key);
    IncKeys();
    if (!registry || registry->HasSubKeys() || SameText(name, "Classes") || SameText(name, "Policies"))
      continue;
    StringList values;
    registry->GetValueNames(values);
    bool empty = values.empty();
    if (values.size() == 1 && values.front().empty()) {
      const TRegDataType type = registry->GetDataType("");
      empty = (type == rdString || type == rdExpandString) && registry->ReadValueAsString("").empty();
    }
    registry->CloseKey();
    if (empty && (software == "Software" || IsOwnKey(root, key))) ReportKey(root, key, kProblemSoftwareKey);
  }
}

// Each key of the walk is opened once at most: its sub-keys are listed with
// what each holds, so a sub-key with no sub-keys of its own and too few
// values for a series is never opened, nor its name read. A key that is
// opened gives its sub-keys for the walk and, when it may hold a history
// list, its value names for the check that follows the walk below it.
bool TSweeper::ReadHistoryKey(RegHandle root, const std::string& key, const TRegKeyInfo* known,
                              bool candidate, std::vector<TSubKey>& subKeys, StringList& valueNames) {
  subKeys.clear();
  valueNames.clear();
  auto registry = OpenReadOnly(root, key);
  if (!registry) return false;
  TRegKeyInfo info;
  if (known != nullptr)
    info = *known;
  else if (!registry->GetKeyInfo(info))
    return true;
  // A sub-key with nothing below it and too few values for a series needs
  // neither opening nor its name: it is only counted.
  if (info.NumSubKeys > 0)
    registry->GetSubKeysDescribed(subKeys, &info, [](const TRegKeyInfo& sub) {
      return sub.NumSubKeys > 0 || sub.NumValues >= kHistoryMinimumSeries;
    });
  if (candidate && info.NumValues >= kHistoryMinimumSeries) registry->GetValueNames(valueNames, &info);
  return true;
}

void TSweeper::WalkHistoryLists(RegHandle root, const std::string& rootName, const std::string& keyPath) {
  if (StopRequested()) return;
  std::vector<TSubKey> subKeys;
  StringList unused;
  if (!ReadHistoryKey(root, keyPath, nullptr, false, subKeys, unused)) return;
  WalkHistorySubKeys(root, rootName, keyPath, subKeys);
}

void TSweeper::WalkHistorySubKeys(RegHandle root, const std::string& rootName, const std::string& keyPath,
                                  const std::vector<TSubKey>& subKeys) {
  const std::string key = EnsureTrailing(keyPath, '\\');
  for (const TSubKey& entry : subKeys) {
    if (StopRequested()) return;
    IncKeys();
    if (entry.Name.empty()) continue;  // described, and nothing for the walk or the check
    const std::string subKey = key + entry.Name;
    bool candidate = SameText(entry.Name, "Filemenu") || SameText(entry.Name, "Closed Projects");
    const std::string fullPath = rootName + "\\" + subKey;
    for (std::string_view part : kHistoryKeyParts)
      candidate = candidate || PosEx(part, fullPath, 1, kIgnoreCase) > 0;
    // Nothing below to walk and nothing a check could report.
    if (entry.Described && entry.Info.NumSubKeys == 0 &&
        (!candidate || entry.Info.NumValues < kHistoryMinimumSeries))
      continue;
    std::vector<TSubKey> below;
    StringList valueNames;
    if (!ReadHistoryKey(root, subKey, entry.Described ? &entry.Info : nullptr, candidate, below, valueNames))
      continue;
    if (!below.empty()) WalkHistorySubKeys(root, rootName, subKey, below);
    if (candidate) CheckHistoryList(root, subKey, std::move(valueNames));
  }
}

// names: the key's value names, read by the walk.
void TSweeper::CheckHistoryList(RegHandle root, const std::string& key, StringList names) {
  if (StopRequested()) return;
  if (names.size() < kHistoryMinimumSeries) return;

  // Keep the names that belong to one series: first the neighbours in sorted
  // order, then every name against each remaining one.
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return FixedUpperText(a) < FixedUpperText(b); });
  for (size_t i = 0; i + 1 < names.size();) {
    if (AreSimilarNames(names[i], names[i + 1]))
      ++i;
    else
      names.erase(names.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (names.size() < kHistoryMinimumSeries) return;
  for (size_t pivot = 0; pivot < names.size(); ++pivot) {
    const std::string pivotName = names[pivot];
    StringList kept;
    for (size_t j = 0; j < names.size(); ++j)
      if (j == pivot || AreSimilarNames(pivotName, names[j])) kept.push_back(names[j]);
    pivot = static_cast<size_t>(std::find(kept.begin(), kept.end(), pivotName) - kept.begin());
    names = std::move(kept);
  }
  if (names.size() < kHistoryMinimumSeries) return;

  auto registry = OpenReadOnly(root, key);
  if (!registry) return;
  StringList texts;
  size_t usable = 0;
  for (const std::string& name : names) {
    if (StopRequested()) return;
    texts.push_back(registry->ReadValueAsString(name));
    IncValues();
    if (IsUsableDrivePath(BestPathIn(texts.back()))) ++usable;
  }
  if (usable * 2 < names.size()) return;
  const DateTime date = ReportDate(root, key);
  registry->CloseKey();
  for (size_t i = 0; i < names.size(); ++i)
    Report(root, key, names[i], texts[i], date, kProblemHistoryList, {});
}

}  // namespace vp
