#include "cli/BackupsCommand.h"

#include <algorithm>
#include <optional>

#include "backup/BackupSets.h"
#include "backup/SetLayout.h"
#include "files/FileTools.h"
#include "files/StringTools.h"
#include "registry/RegFile.h"
#include "settings/BigIni.h"
#include "settings/Translator.h"

namespace vp::cli {

namespace {

struct SetEntry {
  std::string id;  // the set folder's name
  TBackupSetInfo info;
  double dayNumber = 0;  // "DateTimeEx", for ordering; 0 when unreadable
  int typeCode = -1;
};

std::string LastFolderName(const std::string& folder) {
  std::string path = folder;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string NoDescriptionText(const TProgramFolders& folders) {
  TTranslator translator;
  if (translator.LoadFile(folders.LanguagesFolder + "English.lng")) {
    std::string text = translator.Lookup("Misc.1");
    if (!text.empty()) return text;
  }
  return "(no description)";
}

double ReadDayNumber(const TBigIniFile& index) {
  std::string text = index.ReadString("Header", "DateTimeEx", "");
  std::replace(text.begin(), text.end(), ',', '.');
  try {
    size_t used = 0;
    const double value = std::stod(text, &used);
    return used == text.size() ? value : 0;
  } catch (...) {
    return 0;
  }
}

// Every set of the backups folder, oldest first (sets without a readable
// time first, in folder order).
std::vector<SetEntry> ListSets(const TProgramFolders& folders) {
  std::vector<SetEntry> sets;
  for (TBackupSetInfo& info : ListBackupSets(folders.BackupsFolder, NoDescriptionText(folders))) {
    SetEntry entry;
    entry.id = LastFolderName(info.folder);
    if (info.hasIndex) {
      const TBigIniFile index(info.folder + std::string(backup::kIndexFile));
      entry.dayNumber = ReadDayNumber(index);
      entry.typeCode = index.ReadInteger("Header", "TypeCode", -1);
    }
    entry.info = std::move(info);
    sets.push_back(std::move(entry));
  }
  std::stable_sort(sets.begin(), sets.end(),
                   [](const SetEntry& a, const SetEntry& b) { return a.dayNumber < b.dayNumber; });
  return sets;
}

// A set named on the command line: only a plain folder name of an existing
// set is accepted, so no argument can reach outside the backups folder.
// How a set stands: a set cut short says so, whatever its index claims.
std::string StateText(const TBackupSetInfo& info) {
  if (!info.hasIndex) return "interrupted, no index";
  return backup::SetStateText(info.state);
}

std::optional<SetEntry> FindSet(const std::vector<SetEntry>& sets, const std::string& id) {
  if (id.empty() || id.find_first_of("\\/:") != std::string::npos || id == "." || id == "..")
    return std::nullopt;
  for (const SetEntry& entry : sets)
    if (SameText(entry.id, id)) return entry;
  return std::nullopt;
}

int ListCommand(const CommandContext& context) {
  if (!FolderExistsChecked(context.folders.BackupsFolder)) {
    context.err << "No backup sets: the folder " << context.folders.BackupsFolder << " does not exist.\n";
    return kExitOk;
  }
  const std::vector<SetEntry> sets = ListSets(context.folders);
  if (sets.empty()) {
    context.err << "No backup sets in " << context.folders.BackupsFolder << '\n';
    return kExitOk;
  }
  context.out << "ID | Date | Type | State | Description\n";
  for (const SetEntry& set : sets)
    context.out << set.id << " | " << set.info.dateTime << " | " << set.typeCode << " | "
                << StateText(set.info) << " | " << set.info.description << '\n';
  return kExitOk;
}

std::string OperationText(const TRegFileOperation& operation) {
  switch (operation.kind) {
    case TRegFileOperation::kCreateKey:
      return "key    " + operation.keyPath;
    case TRegFileOperation::kDeleteKey:
      return "delete " + operation.keyPath;
    case TRegFileOperation::kSetValue:
      return "value  " + operation.keyPath + " | " +
             (operation.valueName.empty() ? "@" : operation.valueName) + " (type " +
             std::to_string(operation.type) + ")";
    case TRegFileOperation::kDeleteValue:
      return "delete " + operation.keyPath + " | " + operation.valueName;
  }
  return {};
}

int ShowCommand(const CommandContext& context, const SetEntry& set) {
  std::ostream& out = context.out;
  out << "ID: " << set.id << "\nFolder: " << set.info.folder << "\nDate: " << set.info.dateTime
      << "\nType: " << set.typeCode << "\nState: " << StateText(set.info)
      << "\nDescription: " << set.info.description << '\n';
  const backup::SetSeal seal = backup::CheckSetSeal(set.info.folder);
  for (const std::string& difference : seal.differences)
    out << "Changed since finished: " << difference << '\n';

  int status = kExitOk;
  const std::string entriesPath = set.info.folder + std::string(backup::kEntriesFile);
  if (FileExistsChecked(entriesPath)) {
    const TRegFileContents contents = TRegFileReader::Load(entriesPath);
    out << "Registry entries: " << contents.operations.size() << '\n';
    for (const TRegFileOperation& operation : contents.operations)
      out << "  " << OperationText(operation) << '\n';
    if (!contents.Clean()) {
      status = kExitError;
      context.err << "The set's registry file is damaged; a restore would change nothing:\n";
      for (const TRegFileProblem& problem : contents.problems)
        context.err << "  line " << problem.line << ": " << problem.reason << '\n';
      if (contents.problems.empty()) context.err << "  not a registry file\n";
    }
  } else {
    out << "Registry entries: none\n";
  }

  const TBigIniFile files(set.info.folder + std::string(backup::kFilesFile));
  const int32_t fileCount = files.ReadInteger("Header", "Files", 0);
  out << "Files: " << std::max(fileCount, 0) << '\n';
  for (int32_t k = 1; k <= fileCount; ++k) {
    const std::string section = "File" + std::to_string(k);
    out << "  " << files.ReadString(section, "OrigFile", "") << " <- "
        << files.ReadString(section, "BackupFile", "") << '\n';
  }
  return status;
}

const char* StepText(TRestoreReport::Step step) {
  switch (step) {
    case TRestoreReport::Step::kNotNeeded:
      return "nothing to do";
    case TRestoreReport::Step::kDone:
      return "done";
    case TRestoreReport::Step::kFailed:
      return "FAILED";
  }
  return "";
}

bool RestoreOne(const CommandContext& context, const SetEntry& set, bool force) {
  const TRestoreReport report = RestoreBackupSet(set.info.folder, force);
  std::ostream& out = context.out;
  out << "Set " << set.id << " (" << set.info.description << "):\n";
  if (report.untrusted) {
    if (report.seal.state == backup::SetState::kUnfinished)
      out << "  the set was never finished: nothing records what it held\n";
    for (const std::string& difference : report.seal.differences)
      out << "  changed since it was finished: " << difference << '\n';
  }
  if (report.refused) {
    if (!report.registryProblems.empty())
      out << "  refused: the registry file holds lines no backup writes or does not read whole; nothing was "
             "changed\n";
    else
      out << "  refused: the set cannot be vouched for; nothing was changed (--force restores it as it is)\n";
  } else {
    if (set.info.state == backup::SetState::kInterrupted)
      out << "  the set is the part of an interrupted action that was done\n";
    if (report.openWith != TRestoreReport::Step::kNotNeeded)
      out << "  Open With entry " << report.openWithKey << ": " << StepText(report.openWith) << '\n';
    out << "  registry: " << StepText(report.registry) << ", " << report.operationsApplied
        << " operations applied\n";
    out << "  files restored: " << report.filesRestored << '\n';
  }
  for (const TRegFileProblem& problem : report.registryProblems)
    out << "  failed, line " << problem.line << ": " << problem.reason << '\n';
  for (const std::string& file : report.filesFailed) out << "  failed to restore the file " << file << '\n';
  return report.Complete();
}

}  // namespace

int RunBackupsCommand(const CommandContext& context, const Arguments& allArguments) {
  // "--force" restores a set that cannot be vouched for.
  Arguments arguments;
  bool force = false;
  for (const std::string& argument : allArguments) {
    if (argument == "--force")
      force = true;
    else
      arguments.push_back(argument);
  }
  const std::string subcommand = arguments.empty() ? "" : arguments[0];
  if (force && subcommand != "restore") {
    context.err << "veltaro backups: --force goes with restore only\n";
    return kExitError;
  }
  if (subcommand == "list") {
    if (arguments.size() != 1) {
      context.err << "veltaro backups list: takes no arguments\n";
      return kExitError;
    }
    return ListCommand(context);
  }
  const bool show = subcommand == "show";
  const bool restore = subcommand == "restore";
  const bool remove = subcommand == "remove";
  if (!show && !restore && !remove) {
    context.err << "usage: veltaro backups list | show ID | restore [--force] ID... | remove ID...\n";
    return kExitError;
  }
  if (arguments.size() < 2 || (show && arguments.size() != 2)) {
    context.err << "veltaro backups " << subcommand << ": name " << (show ? "one set" : "the sets")
                << " by ID\n";
    return kExitError;
  }

  // Every ID is checked before anything is restored or removed, so a typing
  // error never leaves a command half done.
  const std::vector<SetEntry> sets = ListSets(context.folders);
  std::vector<SetEntry> chosen;
  for (size_t i = 1; i < arguments.size(); ++i) {
    std::optional<SetEntry> set = FindSet(sets, arguments[i]);
    if (!set) {
      context.err << "veltaro backups " << subcommand << ": no backup set " << arguments[i] << " in "
                  << context.folders.BackupsFolder << '\n';
      return kExitError;
    }
    chosen.push_back(std::move(*set));
  }

  if (show) return ShowCommand(context, chosen.front());
  int status = kExitOk;
  for (const SetEntry& set : chosen) {
    if (restore) {
      if (!RestoreOne(context, set, force)) status = kExitError;
    } else if (DeleteBackupSet(set.info.folder)) {
      context.out << "Removed set " << set.id << '\n';
    } else {
      context.err << "Could not remove the set " << set.id << " (" << set.info.folder << ")\n";
      status = kExitError;
    }
  }
  return status;
}

}  // namespace vp::cli
