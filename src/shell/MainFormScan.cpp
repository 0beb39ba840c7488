// The registry scan as the main window runs it: Start, the rows and counters
// as they arrive, the stall guard, and the end report once the last scan
// thread has ended.

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include "scanner/FindingTexts.h"
#include "settings/IgnoreList.h"
#include "shell/MainForm.h"

namespace vp::shell {

void TMainForm::StartScan() {
  // A scan that ended is joined before the next one starts.
  if (driver_ && driver_->Running()) return;
  if (!scan_.Start()) return;
  list_.Focus();
  keysEdit_.SetText("0");
  valuesEdit_.SetText("0");
  invalidEdit_.SetText("0");
  stallText_.clear();

  model_.Clear();
  wholeKeys_.clear();
  list_.Refresh(false);
  topPanel_.SetVisible(true);
  Layout();
  RefreshDetails();

  scanTexts_ = MakeCleanerLanguage([this](std::string_view id) { return Text(id); });
  std::optional<StringList> ignoreList = LoadMergedIgnoreList(context_.folders.DataFolder);
  TScanRequest request;
  request.deep = deepOpt_.Checked();
  request.areas = context_.scanAreas;
  if (ignoreList) request.ignoreList = std::move(*ignoreList);
  request.language = scanTexts_;
  request.keepItems = false;  // the rows live in the list's model

  if (driver_) driver_->Wait();
  driver_ = std::make_unique<TScanDriver>(*context_.dispatcher);
  driver_->OnItem = [this](const TNewItem& item) { OnScanItem(item); };
  driver_->OnProgress = [this] { OnScanProgress(); };
  driver_->OnFinished = [this] { OnScanFinished(); };

  tabLock_.ScanStarted();
  if (!driver_->Start(request)) {
    tabLock_.ScanEnded();
    scan_.StartFailed();
    ShowPanels();
    RefreshButtons();
    return;
  }
  SetTimer(Handle(), kWatchdogTimer, 8200, nullptr);
  SetTimer(Handle(), kRowsTimer, 250, nullptr);
  ShowPanels();
  RefreshStatus();
  RefreshButtons();
}

void TMainForm::OnScanItem(const TNewItem& item) {
  // The finding holds no text: the row's come from the language in use.
  const std::string entry = EntryText(item, scanTexts_);
  if (item.WholeKey) wholeKeys_.insert(item.FullPath + '\n' + entry);
  model_.AddKeyed(item.FullPath, {entry, ProblemText(item, scanTexts_)});
  rowsDirty_ = true;
}

void TMainForm::OnScanProgress() {
  if (!driver_ || closing_) return;
  keysEdit_.SetText(std::to_string(driver_->KeysAnalyzed()));
  valuesEdit_.SetText(std::to_string(driver_->ValuesAnalyzed()));
  invalidEdit_.SetText(std::to_string(driver_->InvalidItems()));
}

void TMainForm::FlushRows() {
  if (!rowsDirty_ || closing_) return;
  rowsDirty_ = false;
  list_.Refresh(true);
  RefreshStatus();
}

void TMainForm::WatchdogTick() {
  if (!driver_ || !scan_.Running()) return;
  std::vector<int32_t> running;
  for (const auto& thread : driver_->Threads())
    if (!thread->Finished()) running.push_back(thread->Mode());
  const ScanCounters counters{driver_->KeysAnalyzed(), driver_->ValuesAnalyzed(), driver_->InvalidItems()};
  const std::vector<int32_t> stalled = scan_.WatchdogTick(counters, running);
  // A stall is shown, not taken for the end: the rows of a slow area still
  // come, and the report waits for them.
  stallText_ = stalled.empty() ? std::string() : StalledText(Text("Misc.15"), stalled);
  RefreshStatus();
}

void TMainForm::OnScanFinished() {
  if (!scan_.Finished()) return;
  const auto begun = std::chrono::steady_clock::now();
  if (Handle() != nullptr) {
    KillTimer(Handle(), kWatchdogTimer);
    KillTimer(Handle(), kRowsTimer);
  }
  tabLock_.ScanEnded();
  stallText_.clear();
  if (closing_) return;

  OnScanProgress();
  model_.SortByLowerCaption();
  rowsDirty_ = false;
  list_.Refresh(false);
  ShowPanels();
  RefreshDetails();
  RefreshStatus();
  RefreshButtons();
  lastScanEndWork_ =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begun);

  const std::string report = FormatPlaceholders(Text("Reports.2"), std::to_string(driver_->ElapsedSeconds()),
                                                std::to_string(model_.Count()));
  context_.showMessage(Text("Reports.1"), report);
  if (closing_) return;
  list_.Focus();
  // The threads have ended; they are joined once the report is read.
  SetTimer(Handle(), kThreadReleaseTimer, 1000, nullptr);
}

}  // namespace vp::shell
