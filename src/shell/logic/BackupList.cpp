#include "shell/logic/BackupList.h"

#include <algorithm>

#include "files/FileTools.h"
#include "files/StringTools.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp::shell {

namespace {

const char* StepText(TRestoreReport::Step step) {
  return step == TRestoreReport::Step::kFailed ? "failed" : "done";
}

// What one set's restore did, a few lines for the message box.
std::string SetLines(const std::string& description, const TRestoreReport& report) {
  std::string lines = description + ":\r\n";
  if (report.untrusted && report.seal.state == backup::SetState::kUnfinished)
    lines += "  The set was never finished: nothing records what it held.\r\n";
  for (const std::string& difference : report.seal.differences)
    lines += "  Changed since it was finished: " + difference + "\r\n";
  for (const TRegFileProblem& problem : report.registryProblems)
    lines += "  Entries.reg" + (problem.line > 0 ? ", line " + std::to_string(problem.line) : std::string()) +
             ": " + problem.reason + "\r\n";
  if (report.refused) return lines + "  Refused: nothing of this set was changed.\r\n";
  if (report.seal.state == backup::SetState::kInterrupted)
    lines += "  The set holds the part of an interrupted action that was done.\r\n";
  if (report.openWith != TRestoreReport::Step::kNotNeeded)
    lines += "  Open With entry " + report.openWithKey + ": " + StepText(report.openWith) + ".\r\n";
  if (report.registry != TRestoreReport::Step::kNotNeeded)
    lines += std::string("  Registry: ") +
             (report.registry == TRestoreReport::Step::kFailed ? "put back in part" : "put back") + " (" +
             std::to_string(report.operationsApplied) + " operations).\r\n";
  if (report.filesRestored > 0)
    lines += "  Files put back: " + std::to_string(report.filesRestored) + ".\r\n";
  for (const std::string& file : report.filesFailed) lines += "  Not put back: " + file + "\r\n";
  return lines;
}

}  // namespace

std::vector<TBackupRow> ReadBackupRows(const std::string& backupsFolder,
                                       const std::string& noDescriptionText) {
  std::vector<TBackupRow> rows;
  for (TBackupSetInfo& set : ListBackupSets(backupsFolder, noDescriptionText))
    rows.push_back({std::move(set)});
  std::stable_sort(rows.begin(), rows.end(), [](const TBackupRow& a, const TBackupRow& b) {
    return platform::Sys().CompareTextNoCase(a.set.description, b.set.description) < 0;
  });
  return rows;
}

std::string BackupListText(const std::vector<TBackupRow>& rows) {
  std::vector<TListRow> shown;
  shown.reserve(rows.size());
  for (const TBackupRow& row : rows) shown.push_back(row.Shown());
  return ListAsText(shown, kBackupListColumns);
}

bool TRestoreRun::AllComplete() const {
  return std::all_of(reports.begin(), reports.end(), [](const TRestoreReport& r) { return r.Complete(); });
}

TRestoreRun RestoreBackupRows(const std::vector<TBackupRow>& selected,
                              const std::function<void(int tab)>& requestFill) {
  TRestoreRun run;
  for (const TBackupRow& row : selected) {
    run.descriptions.push_back(row.set.description);
    run.reports.push_back(RestoreBackupSet(row.set.folder));
  }
  constexpr int kManagerTabs = 9;
  if (requestFill && !selected.empty())
    for (int tab = 0; tab < kManagerTabs; ++tab) requestFill(tab);
  return run;
}

std::string RestoreMessage(const TRestoreRun& run, const TRestoreTexts& texts) {
  std::string message;
  if (run.AllComplete()) message = run.reports.size() == 1 ? texts.restoredOne : texts.restoredSeveral;
  for (size_t i = 0; i < run.reports.size(); ++i) {
    if (!message.empty()) message += "\r\n\r\n";
    message += SetLines(run.descriptions[i], run.reports[i]);
  }
  return message;
}

std::string BackupWindowCaption(std::string_view mainCaption, std::string_view backupsButtonCaption) {
  std::string title(mainCaption);
  if (const size_t dash = title.find('-'); dash != std::string::npos) title.resize(dash);
  if (const size_t star = title.find('*'); star != std::string::npos) title.resize(star);
  std::string button(backupsButtonCaption);
  if (const size_t amp = button.find('&'); amp != std::string::npos) button.erase(amp, 1);
  return button + " - " + std::string(Trim(title));
}

TBackupCommand BackupCommandForKey(int virtualKey, bool ctrl, bool shift, bool alt) {
  constexpr int kEscape = 0x1B, kReturn = 0x0D, kDelete = 0x2E;
  if (alt || shift) return TBackupCommand::kNone;
  if (ctrl) return virtualKey == 'E' ? TBackupCommand::kView : TBackupCommand::kNone;
  switch (virtualKey) {
    case kEscape:
      return TBackupCommand::kClose;
    case kDelete:
      return TBackupCommand::kRemove;
    case kReturn:
      return TBackupCommand::kRestore;
    default:
      return TBackupCommand::kNone;
  }
}

size_t ViewBackupRows(const std::vector<TBackupRow>& selected) {
  size_t opened = 0;
  for (const TBackupRow& row : selected) {
    const std::string entries = row.set.folder + "Entries.reg";
    if (FileExistsChecked(entries) && platform::Launch().ShellOpen("open", "notepad", "\"" + entries + "\""))
      ++opened;
  }
  return opened;
}

size_t RemoveBackupRows(const std::vector<TBackupRow>& selected) {
  size_t removed = 0;
  for (const TBackupRow& row : selected)
    if (DeleteBackupSet(row.set.folder)) ++removed;
  return removed;
}

}  // namespace vp::shell
