#include "shell/logic/BackupList.h"

#include <algorithm>

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

}  // namespace vp::shell
