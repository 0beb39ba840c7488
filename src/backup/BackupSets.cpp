#include "backup/BackupSets.h"

#include "backup/SetLayout.h"
#include "files/FileTools.h"
#include "files/StringTools.h"
#include "registry/FastRegistry.h"
#include "settings/BigIni.h"

namespace vp {
namespace {

std::string InSet(const std::string& setFolder, std::string_view name) {
  return EnsureTrailing(setFolder, '\\') + std::string(name);
}

// A copy's name as "Files.dat" gives it: one plain name inside the set
// folder, never a path that leads out of it.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

// Six hexadecimal digits: the name every set folder is given.
bool IsSetFolderName(std::string_view name) {
  if (name.size() != 6) return false;
  for (char c : name)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// The lines a backup writes: key sections and the values set back. Anything
// else (a deletion) never came from a backup and refuses the set.
void CheckOperationKinds(const std::vector<TRegFileOperation>& operations,
                         std::vector<TRegFileProblem>& problems) {
  for (const TRegFileOperation& operation : operations) {
    if (operation.kind == TRegFileOperation::kDeleteKey)
      problems.push_back({operation.line, "a key deletion, which no backup writes"});
    if (operation.kind == TRegFileOperation::kDeleteValue)
      problems.push_back({operation.line, "a value deletion, which no backup writes"});
  }
}

// The Open With action records "NoOpenWith:Applications\<program file>":
// only a key directly below Applications is ever named.
bool IsOpenWithKey(std::string_view key) {
  constexpr std::string_view kApplications = "Applications\\";
  if (key.size() <= kApplications.size() || !SameText(key.substr(0, kApplications.size()), kApplications))
    return false;
  const std::string_view name = key.substr(kApplications.size());
  return name != "." && name != ".." && name.find('\\') == std::string_view::npos;
}

TRestoreReport::Step RemoveNoOpenWith(const std::string& setFolder, std::string& keyPath) {
  TBigIniFile strings(InSet(setFolder, backup::kStringsFile));
  std::string text = strings.ReadString("Strings", "1", "");
  const size_t colon = text.find(':');
  if (colon != std::string::npos) text = text.substr(colon + 1);
  keyPath = text;
  if (!IsOpenWithKey(text)) return TRestoreReport::Step::kFailed;
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyClassesRoot);
  if (!registry.OpenKey("\\" + text, false)) {
    // A key that is gone holds no such value; one that will not open might.
    return registry.KeyExists("\\" + text) ? TRestoreReport::Step::kFailed : TRestoreReport::Step::kDone;
  }
  if (!registry.ValueExists("NoOpenWith")) return TRestoreReport::Step::kDone;
  return registry.DeleteValue("NoOpenWith") ? TRestoreReport::Step::kDone : TRestoreReport::Step::kFailed;
}

}  // namespace

std::vector<TBackupSetInfo> ListBackupSets(const std::string& backupsFolder,
                                           const std::string& noDescriptionText) {
  std::vector<TBackupSetInfo> sets;
  for (const auto& folder : ListSubfolders(EnsureTrailing(backupsFolder, '\\'), false, true)) {
    const std::string indexPath = InSet(folder, backup::kIndexFile);
    if (!FileExistsChecked(indexPath)) {
      const std::string name = ExcludeTrailingBackslash(folder);
      if (IsSetFolderName(name.substr(name.rfind('\\') + 1))) {
        TBackupSetInfo litter;
        litter.description = noDescriptionText;
        litter.folder = folder;
        litter.hasIndex = false;
        sets.push_back(std::move(litter));
      }
      continue;
    }
    TBigIniFile index(indexPath);
    TBackupSetInfo info;
    info.state = backup::RecordedSetState(folder);
    info.description = index.ReadString("Header", "Text", "");
    if (info.description.empty()) info.description = noDescriptionText;
    info.dateTime = index.ReadString("Header", "DateTime", "");
    info.folder = folder;
    sets.push_back(std::move(info));
  }
  return sets;
}

TRestoreReport RestoreBackupSet(const std::string& setFolder, bool force) {
  TRestoreReport report;
  {
    TBigIniFile index(InSet(setFolder, backup::kIndexFile));
    report.typeCode = index.ReadInteger("Header", "TypeCode", -1);
  }
  report.seal = backup::CheckSetSeal(setFolder);
  report.untrusted = !report.seal.Trusted();
  const std::string entriesPath = InSet(setFolder, backup::kEntriesFile);
  const bool hasEntries = FileExistsChecked(entriesPath);
  TRegFileContents contents;
  if (hasEntries) {
    contents = TRegFileReader::Load(entriesPath);
    CheckOperationKinds(contents.operations, contents.problems);
    if (!contents.Clean()) {
      report.refused = true;
      report.registry = TRestoreReport::Step::kFailed;
      report.registryProblems = std::move(contents.problems);
      if (report.registryProblems.empty()) report.registryProblems.push_back({0, "not a registry file"});
      return report;
    }
  }
  if (report.untrusted && !force) {
    report.refused = true;
    return report;
  }

  if (report.typeCode == 7) report.openWith = RemoveNoOpenWith(setFolder, report.openWithKey);

  if (hasEntries) {
    report.registryProblems = TRegFileReader::Apply(contents.operations);
    report.operationsApplied = static_cast<int>(contents.operations.size() - report.registryProblems.size());
    report.registry =
        report.registryProblems.empty() ? TRestoreReport::Step::kDone : TRestoreReport::Step::kFailed;
  }

  TBigIniFile files(InSet(setFolder, backup::kFilesFile));
  StringList sections;
  files.ReadSections(sections);
  // The count comes from the file; no more entries can exist than sections.
  const int32_t count = std::min<int64_t>(files.ReadInteger("Header", "Files", 0), sections.size());
  for (int32_t k = 1; k <= count; ++k) {
    const std::string section = "File" + std::to_string(k);
    const std::string copy = files.ReadString(section, "BackupFile", "");
    const std::string original = files.ReadString(section, "OrigFile", "");
    if (copy.empty() || original.empty()) continue;
    if (IsPlainFileName(copy) && CopyFileChecked(InSet(setFolder, copy), original)) {
      ++report.filesRestored;
    } else {
      report.filesFailed.push_back(original);
    }
  }
  return report;
}

bool DeleteBackupSet(const std::string& setFolder) {
  return DeleteFolder(ExcludeTrailingBackslash(setFolder));
}

}  // namespace vp
