#include "cli/RemoveCommand.h"

#include "cli/ChangeOptions.h"
#include "cli/FindingFormat.h"
#include "cli/ListCommand.h"
#include "cli/ManagerSession.h"
#include "files/FileTools.h"
#include "files/StringTools.h"
#include "manager/RemoveActions.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "scanner/CleanerFix.h"

namespace vp::cli {
namespace {

struct RemoveOptions {
  int tab = -1;
  ChangeOptions change;
};

bool ParseRemoveOptions(const CommandContext& context, const Arguments& arguments, RemoveOptions& options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (TakeChangeOption(arguments, i, options.change)) {
      continue;
    } else if (options.tab < 0 && ManagerTabNamed(argument) >= 0) {
      options.tab = ManagerTabNamed(argument);
    } else {
      context.err << "veltaro remove: unknown or incomplete argument " << argument << '\n';
      return false;
    }
  }
  if (options.tab < 0) {
    context.err << "veltaro remove: needs a tab: 0 to 8 or one of " << kManagerTabNames << '\n';
    return false;
  }
  return ChangeChoiceGiven(context, "remove", options.change);
}

// The rows the file's lines name (without regard to case), in list order,
// and the lines that name none.
std::vector<TListRow> SelectRows(const CommandContext& context, std::string_view fileText,
                                 const std::vector<TListRow>& rows) {
  std::vector<bool> taken(rows.size(), false);
  for (std::string_view line : SelectionLines(fileText, {})) {
    bool matched = false;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (SameText(RowLine(rows[i]), line)) {
        taken[i] = true;
        matched = true;
      }
    }
    if (!matched) context.out << "skipped (not in the list): " << line << '\n';
  }
  std::vector<TListRow> chosen;
  for (size_t i = 0; i < rows.size(); ++i)
    if (taken[i]) chosen.push_back(rows[i]);
  return chosen;
}

}  // namespace

int RunRemoveCommand(const CommandContext& context, const Arguments& arguments) {
  RemoveOptions options;
  if (!ParseRemoveOptions(context, arguments, options)) return kExitError;
  const std::optional<std::string> selectionText =
      ReadSelectionFile(options.change.selectFile, "remove", context.err);
  if (!selectionText) return kExitError;

  // The rows are read again: only what the list still shows is removed.
  std::optional<std::vector<TListRow>> rows = FillManagerTab(context, options.tab);
  if (!rows) {
    context.err << "veltaro remove: interrupted while reading the list; nothing was changed\n";
    return kExitError;
  }
  std::vector<TListRow> chosen =
      options.change.all ? std::move(*rows) : SelectRows(context, *selectionText, *rows);
  if (chosen.empty()) {
    context.out << "Nothing to remove.\n";
    return kExitOk;
  }
  if (options.change.dryRun) {
    for (const TListRow& row : chosen) context.out << "would remove: " << RowLine(row) << '\n';
    context.out << "Dry run: " << chosen.size() << " would be removed; nothing was changed.\n";
    return kExitOk;
  }

  TRemoveContext remove;
  remove.backupsFolder = context.folders.BackupsFolder;
  remove.description = FixDescription(options.change.description, TabCaption(context, options.tab));
  if (!EnsureBackupsFolder(context, "remove", remove.backupsFolder)) return kExitError;
  const auto outcomes = RemoveRows(options.tab, chosen, remove);
  if (!outcomes) {
    context.err << "veltaro remove: this tab has no Remove\n";
    return kExitError;
  }
  int removed = 0;
  int failed = 0;
  int gone = 0;
  StringList sets;
  for (size_t i = 0; i < outcomes->size(); ++i) {
    const TRemoveOutcome& outcome = (*outcomes)[i];
    const std::string line = RowLine(chosen[i]);
    switch (outcome.kind) {
      case TRemoveOutcome::Kind::kRemoved:
        ++removed;
        context.out << "removed: " << line << '\n';
        break;
      case TRemoveOutcome::Kind::kNotFound:
        ++gone;
        context.out << "already gone: " << line << '\n';
        break;
      case TRemoveOutcome::Kind::kBackupFailed:
        ++failed;
        context.out << "failed: " << line << " (the backup failed; nothing was changed)\n";
        break;
      case TRemoveOutcome::Kind::kRemoveFailed:
        ++failed;
        context.out << "failed: " << line << " (backed up, but the system refused the change)\n";
        break;
    }
    sets.insert(sets.end(), outcome.setFolders.begin(), outcome.setFolders.end());
  }
  context.out << "Removed: " << removed << ", failed: " << failed;
  if (gone > 0) context.out << ", already gone: " << gone;
  context.out << '\n';
  for (const std::string& set : sets) context.out << "Backup set: " << set << '\n';
  return failed == 0 ? kExitOk : kExitError;
}

}  // namespace vp::cli
