#include "scanner/CleanerFix.h"

#include "backup/BackupTool.h"
#include "files/FileTools.h"
#include "files/LocateFile.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "registry/FastRegistry.h"
#include "registry/KeyAddress.h"

namespace vp {

namespace {

// The program version and name a set records about its maker.
constexpr const char* kSetProgramVersion = "1.2";
constexpr const char* kSetUsedBy = "Veltaro Pro";

struct FindingAddress {
  TKeyAddress key;        // no root when the row's path names none
  std::string valueName;  // "" for the default value
  bool wholeKey = false;
};

// The row's key path parsed; the entry "@" names the default value.
FindingAddress AddressOf(const TNewItem& item) {
  FindingAddress address;
  if (auto key = TKeyAddress::Parse(item.FullPath)) address.key = std::move(*key);
  address.wholeKey = item.WholeKey;
  if (!address.wholeKey && item.ValueName != "@") address.valueName = item.ValueName;
  return address;
}

// The key, or the value when one is named, is still listed. A value whose
// data cannot be read still counts: it must fail, not pass as gone.
bool StillThere(const FindingAddress& address) {
  auto registry = OpenReadOnly(address.key.Root, address.key.Path);
  if (!registry) return false;
  if (address.wholeKey) return true;
  std::vector<std::string> names;
  registry->GetValueNames(names);
  for (const std::string& name : names)
    if (SameText(name, address.valueName)) return true;
  return false;
}

// The value's data as text; empty when the key cannot be opened.
std::string CurrentData(const FindingAddress& address) {
  auto registry = OpenReadOnly(address.key.Root, address.key.Path);
  return registry ? registry->ReadString(address.valueName) : std::string();
}

// The value's data pointing at where its file is now. A place that is the one
// the value already names (the search finds the path itself when it exists,
// as for a history list's entries or a folder that stayed while its file
// went) repairs nothing: the finding would stand, so it is not a repair.
std::string Replacement(const FindingAddress& address, const TFixSettings& settings) {
  if (!settings.repair) return {};
  const std::string current = CurrentData(address);
  for (std::string& candidate :
       LocateFile(current, *settings.cache, settings.searchFolders, settings.driveLetters))
    if (!SameText(candidate, current)) return std::move(candidate);
  return {};
}

void FixOne(TBackupTool* tool, const FindingAddress& address, const TFixSettings& settings,
            TFixOutcome& outcome) {
  if (address.key.Root == platform::kNoKey || address.key.Path.empty()) {
    outcome.action = TFixAction::kFailed;
    outcome.reason = "not a key path";
    return;
  }
  if (!StillThere(address)) {
    outcome.action = TFixAction::kGone;
    return;
  }
  if (address.wholeKey) {
    if (settings.dryRun) {
      outcome.action = TFixAction::kRemoved;
    } else if (!tool->AddKey(address.key)) {
      outcome.reason = "the key could not be backed up";
    } else if (!tool->RemoveKey(address.key)) {
      outcome.reason = "the key could not be deleted";
    } else {
      outcome.action = TFixAction::kRemoved;
    }
    return;
  }

  if (settings.dryRun) {
    outcome.replacement = Replacement(address, settings);
    outcome.action = outcome.replacement.empty() ? TFixAction::kRemoved : TFixAction::kRepaired;
    return;
  }
  if (!tool->AddValue(address.key, address.valueName)) {
    outcome.reason = "the value could not be backed up";
    return;
  }
  const std::string replacement = Replacement(address, settings);
  if (!replacement.empty() && tool->SetStringValue(address.key, replacement, address.valueName)) {
    outcome.action = TFixAction::kRepaired;
    outcome.replacement = replacement;
  } else if (tool->RemoveValue(address.key, address.valueName)) {
    outcome.action = TFixAction::kRemoved;
  } else {
    outcome.reason = "the value could not be deleted";
  }
}

void AddSubfolders(std::string_view folder, StringList& list) {
  if (folder.empty() || !FolderExistsChecked(folder)) return;
  for (auto& sub : ListSubfolders(EnsureTrailing(folder, '\\'), true, true)) list.push_back(std::move(sub));
}

}  // namespace

std::string FixDescription(std::string_view typed, std::string_view tabCaption) {
  if (Trim(typed).empty()) return std::string(tabCaption);
  return std::string(typed);
}

TFixReport FixCleanerItems(const std::vector<TNewItem>& items, const TFixSettings& settings) {
  TFixReport report;
  TBackupTool tool;
  if (!settings.dryRun) {
    report.backupCreated = tool.CreateBackup(settings.backupsFolder, settings.description, kCleanerBackupType,
                                             kSetProgramVersion, kSetUsedBy);
    if (report.backupCreated) report.setFolder = tool.SetFolder();
  }
  for (const TNewItem& item : items) {
    if (settings.stopRequested && settings.stopRequested()) {
      report.interrupted = true;
      break;
    }
    TFixOutcome outcome;
    outcome.fullPath = item.FullPath;
    outcome.entry = item.ValueName;
    outcome.wholeKey = item.WholeKey;
    if (!settings.dryRun && !report.backupCreated) {
      outcome.reason = "no backup set could be created";
    } else {
      FixOne(&tool, AddressOf(item), settings, outcome);
    }
    switch (outcome.action) {
      case TFixAction::kRepaired:
        ++report.repaired;
        break;
      case TFixAction::kRemoved:
        ++report.removed;
        break;
      case TFixAction::kGone:
        ++report.gone;
        break;
      case TFixAction::kFailed:
        ++report.failed;
        break;
    }
    report.outcomes.push_back(std::move(outcome));
    if (settings.progress) settings.progress(report.outcomes.size());
  }
  // The set says whether it holds the whole fix or the part done.
  if (report.backupCreated) tool.Finish(report.interrupted);
  return report;
}

TFixReport RemoveCleanerItems(const std::vector<TNewItem>& items, TFixSettings settings) {
  settings.repair = false;
  return FixCleanerItems(items, settings);
}

StringList CollectSearchFolders() {
  StringList folders;
  if (auto registry = OpenReadOnly(platform::kHkeyCurrentUser,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")) {
    AddSubfolders(registry->ReadString("Desktop"), folders);
    AddSubfolders(registry->ReadString("Personal"), folders);
  }
  AddSubfolders(platform::Sys().WindowsFolder(), folders);
  return folders;
}

}  // namespace vp
