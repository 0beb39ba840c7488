#include "cli/FixCommand.h"

#include "cli/ChangeOptions.h"
#include "cli/FindingFormat.h"
#include "cli/ScanSession.h"
#include "files/FileSystemCache.h"
#include "files/FileTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "scanner/CleanerFix.h"

namespace vp::cli {

namespace {

struct FixOptions {
  ScanChoice scan;
  ChangeOptions change;
};

bool ParseFixOptions(const CommandContext& context, const Arguments& arguments, FixOptions& options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string error;
    if (argument != "--show-ignored" && ParseScanOption(arguments, i, options.scan, error)) {
      if (!error.empty()) {
        context.err << "veltaro fix: " << error << '\n';
        return false;
      }
    } else if (!TakeChangeOption(arguments, i, options.change)) {
      context.err << "veltaro fix: unknown or incomplete argument " << argument << '\n';
      return false;
    }
  }
  return ChangeChoiceGiven(context, "fix", options.change);
}

void PrintOutcome(std::ostream& out, const TFixOutcome& outcome, const TCleanerLanguage& texts, bool dryRun) {
  const std::string entry = outcome.wholeKey ? texts.Text(kTextWholeKey) : outcome.entry;
  const std::string finding = outcome.fullPath + " | " + entry;
  switch (outcome.action) {
    case TFixAction::kRepaired:
      out << (dryRun ? "would repair: " : "repaired: ") << finding << " -> " << outcome.replacement << '\n';
      break;
    case TFixAction::kRemoved:
      out << (dryRun ? "would remove: " : "removed: ") << finding << '\n';
      break;
    case TFixAction::kGone:
      out << "already gone: " << finding << '\n';
      break;
    case TFixAction::kFailed:
      out << "failed: " << finding << " (" << outcome.reason << ")\n";
      break;
  }
}

}  // namespace

int RunFixCommand(const CommandContext& context, const Arguments& arguments) {
  FixOptions options;
  if (!ParseFixOptions(context, arguments, options)) return kExitError;

  const std::optional<std::string> selectionText =
      ReadSelectionFile(options.change.selectFile, "fix", context.err);
  if (!selectionText) return kExitError;
  const std::optional<ScanTexts> texts = LoadScanTexts(context);
  if (!texts) return kExitError;

  // The findings are checked again: only what a fresh scan still reports
  // is changed.
  const std::optional<ScanResult> scan = RunScan(context, options.scan, *texts);
  if (!scan) return kExitError;
  if (scan->cancelled) {
    context.err << "veltaro fix: interrupted during the scan; nothing was changed\n";
    return kExitError;
  }
  std::vector<TNewItem> chosen = scan->items;
  if (!options.change.all) {
    Selection selection = SelectFindings(*selectionText, scan->items, texts->language);
    for (const std::string& line : selection.unmatched)
      context.out << "skipped (not found by the scan): " << line << '\n';
    chosen = std::move(selection.chosen);
  }
  if (chosen.empty()) {
    context.out << "Nothing to fix.\n";
    return kExitOk;
  }

  TFixSettings settings;
  settings.backupsFolder = context.folders.BackupsFolder;
  settings.description = FixDescription(options.change.description, texts->tabCaption);
  settings.dryRun = options.change.dryRun;
  // Ctrl+C ends the fix after the finding in hand.
  if (context.interrupted != nullptr)
    settings.stopRequested = [flag = context.interrupted] { return flag->load(); };
  TFileSystemCache cache;
  if (FileExistsChecked(context.folders.FileCacheFile) && !cache.LoadFromFile(context.folders.FileCacheFile))
    context.err << "veltaro fix: cannot read " << context.folders.FileCacheFile << "; going on without it\n";
  settings.cache = &cache;
  settings.searchFolders = CollectSearchFolders();
  settings.driveLetters = GetFixedDriveLetters(false);
  if (!options.change.dryRun && !EnsureBackupsFolder(context, "fix", settings.backupsFolder))
    return kExitError;

  const TFixReport report = FixCleanerItems(chosen, settings);
  for (const TFixOutcome& outcome : report.outcomes)
    PrintOutcome(context.out, outcome, texts->language, options.change.dryRun);
  if (options.change.dryRun) {
    context.out << "Dry run: " << report.repaired << " would be repaired, " << report.removed
                << " would be removed; nothing was changed.\n";
    return kExitOk;
  }
  context.out << "Repaired: " << report.repaired << ", removed: " << report.removed
              << ", failed: " << report.failed;
  if (report.gone > 0) context.out << ", already gone: " << report.gone;
  context.out << '\n';
  if (report.backupCreated) {
    context.out << "Backup set: " << report.setFolder << '\n';
    if (report.interrupted) {
      context.err << "veltaro fix: interrupted; " << chosen.size() - report.outcomes.size()
                  << " findings were left as they were, and the set holds what was changed\n";
      return kExitError;
    }
  } else {
    context.err << "veltaro fix: no backup set could be created in " << settings.backupsFolder
                << "; nothing was changed\n";
  }
  return report.failed == 0 ? kExitOk : kExitError;
}

}  // namespace vp::cli
