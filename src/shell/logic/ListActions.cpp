#include "shell/logic/ListActions.h"

#include "files/StringTools.h"

namespace vp::shell {

namespace {

TListActionResult FromFixReport(const TFixReport& report, const TCleanerLanguage& texts) {
  TListActionResult result;
  result.repaired = report.repaired;
  result.removed = report.removed;
  result.interrupted = report.interrupted;
  for (size_t i = 0; i < report.outcomes.size(); ++i) {
    const TFixOutcome& outcome = report.outcomes[i];
    if (outcome.action == TFixAction::kFailed) {
      result.staying.push_back(i);
      const std::string& entry = outcome.wholeKey ? texts.Text(kTextWholeKey) : outcome.entry;
      result.failures.push_back(outcome.fullPath + " (" + entry + "): " + outcome.reason);
    } else {
      result.leaving.push_back(i);
    }
  }
  return result;
}

const char* Why(TRemoveOutcome::Kind kind) {
  return kind == TRemoveOutcome::Kind::kBackupFailed ? "the backup failed; nothing was changed"
                                                     : "the system refused the change";
}

std::string FailureLines(const TListActionResult& result) {
  std::string lines;
  for (const std::string& failure : result.failures) lines += "\r\n" + failure;
  return lines;
}

}  // namespace

TListActionResult FixRows(const std::vector<TNewItem>& ticked, const TFixSettings& settings,
                          const TCleanerLanguage& texts) {
  return FromFixReport(FixCleanerItems(ticked, settings), texts);
}

TListActionResult RemoveCleanerRows(const std::vector<TNewItem>& ticked, const TFixSettings& settings,
                                    const TCleanerLanguage& texts) {
  return FromFixReport(RemoveCleanerItems(ticked, settings), texts);
}

TListActionResult RemoveManagerRows(int tab, const std::vector<TRemoveItem>& ticked,
                                    const TRemoveContext& context) {
  TListActionResult result;
  const auto outcomes = RemoveRows(tab, ticked, context);
  if (!outcomes) {
    result.noAction = true;
    return result;
  }
  for (size_t i = 0; i < outcomes->size(); ++i) {
    const TRemoveOutcome& outcome = (*outcomes)[i];
    switch (outcome.kind) {
      case TRemoveOutcome::Kind::kRemoved:
        ++result.removed;
        result.leaving.push_back(i);
        break;
      case TRemoveOutcome::Kind::kNotFound:
        // Nothing left to remove: the row is stale and goes.
        result.leaving.push_back(i);
        break;
      case TRemoveOutcome::Kind::kBackupFailed:
      case TRemoveOutcome::Kind::kRemoveFailed:
        result.staying.push_back(i);
        result.failures.push_back(outcome.caption + ": " + Why(outcome.kind));
        break;
    }
  }
  return result;
}

std::string FixReportText(const TListActionResult& result, const std::string& reportTemplate) {
  std::string text =
      FormatPlaceholders(reportTemplate, std::to_string(result.repaired), std::to_string(result.removed));
  if (!result.failures.empty())
    text += "\r\n\r\nNot changed, because the backup or the change failed:" + FailureLines(result);
  if (result.interrupted) text += "\r\n\r\nCancelled: the rows after these were not touched.";
  return text;
}

std::string RemoveReportText(const TListActionResult& result) {
  if (result.failures.empty()) return {};
  return "These entries stay, because the backup or the change failed:" + FailureLines(result);
}

}  // namespace vp::shell
