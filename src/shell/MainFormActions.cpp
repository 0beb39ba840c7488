// The main window's actions on its listed rows: Fix, Remove, Uninstall,
// RegEdit, Find more information, the selection commands, Save list and the
// Backups window. The rules live in shell/logic; here they meet the controls.

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>

#include "files/FileSystemCache.h"
#include "files/FileTools.h"
#include "files/StringTools.h"
#include "settings/DesignedTexts.h"
#include "shell/MainForm.h"
#include "shell/logic/ListText.h"
#include "shell/logic/RowActions.h"
#include "shell/logic/TabColumns.h"
#include "widgets/InputBox.h"
#include "widgets/SaveDialog.h"
#include "widgets/Text.h"

namespace vp::shell {

void TMainForm::ExecuteAction(Command command) {
  switch (command) {
    case Command::SelectAll:
      Select(TSelectCommand::kAll);
      break;
    case Command::SelectNone:
      Select(TSelectCommand::kNone);
      break;
    case Command::SelectInverse:
      Select(TSelectCommand::kInverse);
      break;
    case Command::SelectHighlighted:
      Select(TSelectCommand::kHighlighted);
      break;
    case Command::ToggleSelected:
      ToggleRemembered();
      break;
    case Command::Fix:
      if (fixBtn_.Enabled() && fixBtn_.Visible()) Fix();
      break;
    case Command::Remove:
      if (removeBtn_.Enabled()) Remove();
      break;
    case Command::Uninstall:
      if (uninstallBtn_.Enabled() && uninstallBtn_.Visible()) Uninstall();
      break;
    case Command::RegEdit:
      OpenRegEditAtRow();
      break;
    case Command::FindInfo:
      FindInfo();
      break;
    case Command::SaveList:
      SaveList();
      break;
    case Command::Backups:
      ShowBackups();
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- selection

void TMainForm::Select(TSelectCommand command) {
  std::vector<TRowState> rows(static_cast<size_t>(model_.Count()));
  for (int row : list_.SelectedRows()) rows[static_cast<size_t>(row)].selected = true;
  for (int row = 0; row < model_.Count(); ++row) rows[static_cast<size_t>(row)].ticked = model_.Ticked(row);
  ApplySelection(rows, command);
  SendMessageW(list_.Handle(), WM_SETREDRAW, FALSE, 0);
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  for (int row = 0; row < model_.Count(); ++row) {
    const TRowState& state = rows[static_cast<size_t>(row)];
    model_.SetTicked(row, state.ticked);
    if (!state.selected) continue;
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(list_.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(list_.Handle(), WM_SETREDRAW, TRUE, 0);
  list_.Refresh(true);
  RefreshStatus();
  RefreshButtons();
  RefreshDetails();
  list_.Focus();
}

void TMainForm::ToggleRemembered() {
  if (popupRow_ < 0 || popupRow_ >= model_.Count()) return;
  model_.Toggle(popupRow_);
  list_.Refresh(true);
  RefreshStatus();
  RefreshButtons();
}

// ---------------------------------------------------------------- helpers

int TMainForm::CurrentRow() const {
  const int focused = list_.FocusedRow();
  if (focused >= 0) return focused;
  const std::vector<int> selected = list_.SelectedRows();
  return selected.empty() ? -1 : selected.back();
}

bool TMainForm::Confirm(const std::string& title, const std::string& text) {
  if (context_.confirm) return context_.confirm(title, text);
  return MessageBoxW(Handle(), widgets::Wide(text).c_str(), widgets::Wide(title).c_str(),
                     MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

std::string TMainForm::AskDescription(bool forRemove) {
  std::optional<std::string> typed;
  if (context_.askDescription) {
    typed = context_.askDescription();
  } else {
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(Handle(), caption.data(), 256)));
    typed = widgets::InputBox(Handle(), widgets::Narrow(caption), Text("Misc.3"), "");
  }
  // A cancelled prompt gives the empty answer: the action goes on.
  std::vector<std::string> ticked;
  for (int row : model_.TickedRows()) ticked.push_back(model_.Row(row).caption);
  const StringList captions = tabs_.Captions();
  const std::string tabCaption =
      static_cast<size_t>(CurrentTab()) < captions.size() ? captions[static_cast<size_t>(CurrentTab())] : "";
  return BackupDescription(typed.value_or(""), tabCaption, ticked, forRemove);
}

TCleanerLanguage TMainForm::CleanerTexts() const {
  return MakeCleanerLanguage([this](std::string_view id) { return Text(id); });
}

std::vector<TNewItem> TMainForm::TickedFindings() const {
  std::vector<TNewItem> findings;
  for (int row : model_.TickedRows()) {
    TNewItem item;
    item.FullPath = model_.Cell(row, 0);
    item.ValueName = model_.Cell(row, 1);
    // The row shows the whole-key marker in the language of the scan; the
    // finding is the key itself, not a value of that name.
    item.WholeKey = wholeKeys_.count(item.FullPath + '\n' + item.ValueName) > 0;
    if (item.WholeKey) item.ValueName.clear();
    findings.push_back(std::move(item));
  }
  return findings;
}

void TMainForm::RemoveListRows(const std::vector<int>& tickedRows, const std::vector<size_t>& leaving) {
  std::vector<int> rows;
  for (size_t index : leaving)
    if (index < tickedRows.size()) rows.push_back(tickedRows[index]);
  model_.RemoveRows(rows);
  list_.Refresh(true);
}

void TMainForm::BeginWork(const std::string& text, int steps, bool cancellable) {
  if (!text.empty()) workingLabel_.SetText(text);
  progress_.SetRange(std::max(steps, 1));
  progress_.SetPosition(0);
  working_ = true;
  workCancelled_ = false;
  if (cancellable) {
    // Cancel sits at the progress bar's right end while the action runs.
    const RECT bar = progress_.Bounds();
    const int buttonWidth = S(75), gap = S(8);
    const int height = bar.bottom - bar.top + S(6);
    progress_.SetBounds(bar.left, bar.top, bar.right - bar.left - buttonWidth - gap, bar.bottom - bar.top);
    workCancelBtn_.SetBounds(bar.right - buttonWidth, bar.top - S(3), buttonWidth, height);
    workCancelBtn_.SetText(cancelBtn_.Text());
    workCancelBtn_.SetVisible(true);
  }
  workingPanel_.SetVisible(true);
  SetWindowPos(workingPanel_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  list_.SetEnabled(false);
  StepWork();
}

void TMainForm::StepWork() {
  // The window stays alive between rows: paint and input are handled, the
  // list is disabled meanwhile so that its rows stay as they are.
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TMainForm::EndWork() {
  working_ = false;
  if (workCancelBtn_.Visible()) {
    workCancelBtn_.SetVisible(false);
    Layout();
  }
  workingPanel_.SetVisible(false);
  list_.SetEnabled(true);
  RefreshStatus();
  RefreshButtons();
  RefreshDetails();
  list_.Focus();
}

// ---------------------------------------------------------------- Fix and Remove

void TMainForm::Fix() {
  list_.Focus();
  const std::vector<int> ticked = model_.TickedRows();
  if (ticked.empty()) return;
  TFixSettings settings;
  settings.backupsFolder = context_.folders.BackupsFolder;
  settings.description = AskDescription(false);
  // Moved files are found where the cache saw them, as the command line does.
  settings.cache = &LoadedFileCache();
  settings.searchFolders = CollectSearchFolders();
  settings.driveLetters = GetFixedDriveLetters(false);
  int done = 0;
  settings.progress = [this, &done](size_t) {
    progress_.SetPosition(++done);
    StepWork();
  };
  settings.stopRequested = [this] { return workCancelled_; };
  BeginWork("", static_cast<int>(ticked.size()), true);
  const TListActionResult result = FixRows(TickedFindings(), settings, CleanerTexts());
  RemoveListRows(ticked, result.leaving);
  EndWork();
  const std::string report = FixReportText(result, Text("Reports.3"));
  if (context_.showMessage) context_.showMessage(Text("Reports.1"), report);
}

void TMainForm::Remove() {
  list_.Focus();
  if (model_.Count() == 0) return;
  const std::vector<int> ticked = model_.TickedRows();
  if (ticked.empty()) return;
  if (static_cast<int>(ticked.size()) == model_.Count() &&
      !Confirm(std::string(MainFormDesign().caption), Text("Confirmations.2")))
    return;
  const std::string description = AskDescription(true);
  int done = 0;
  const auto step = [this, &done] {
    progress_.SetPosition(++done);
    StepWork();
  };
  // The cleaner's rows share one set that records where it stopped; a
  // manager tab's rows each have their own set and are not stopped.
  const bool cleaner = CurrentTab() == kCleanerTabIndex;
  BeginWork(Text("Misc.11"), static_cast<int>(ticked.size()), cleaner);
  TListActionResult result;
  if (cleaner) {
    TFixSettings settings;
    settings.backupsFolder = context_.folders.BackupsFolder;
    settings.description = description;
    settings.cache = &fileCache_;  // not looked at: the cleaner's Remove repairs nothing
    settings.progress = [&step](size_t) { step(); };
    settings.stopRequested = [this] { return workCancelled_; };
    result = RemoveCleanerRows(TickedFindings(), settings, CleanerTexts());
  } else {
    std::vector<TRemoveItem> rows;
    for (int row : ticked)
      rows.push_back({model_.Row(row).caption, model_.Row(row).subItems, model_.View32(row)});
    TRemoveContext removeContext;
    removeContext.backupsFolder = context_.folders.BackupsFolder;
    removeContext.description = description;
    removeContext.texts.unknown = Text("Misc.14");
    removeContext.texts.directory = Text("Misc.12");
    removeContext.texts.allFiles = Text("Misc.13");
    removeContext.texts.noValue = Text("Misc.1");
    removeContext.progress = step;
    result = RemoveManagerRows(CurrentTab(), rows, removeContext);
  }
  // The tab's list is read again: what stayed shows as it is now.
  if (managers_ && CurrentTab() != kCleanerTabIndex) managers_->RequestFill(CurrentTab());
  RemoveListRows(ticked, result.leaving);
  EndWork();
  const std::string report = RemoveReportText(result);
  if (!report.empty() && context_.showMessage) context_.showMessage(Text("Reports.1"), report);
}

// ---------------------------------------------------------------- the other row commands

void TMainForm::Uninstall() {
  list_.Focus();
  const std::vector<int> ticked = model_.TickedRows();
  std::vector<std::string> captions;
  for (int row : ticked) captions.push_back(model_.Row(row).caption);
  if (const auto result = shell::Uninstall(captions)) RemoveListRows(ticked, {result->row});
  RefreshStatus();
  RefreshButtons();
}

void TMainForm::OpenRegEditAtRow() {
  const int focused = list_.FocusedRow();
  if (focused < 0) {
    OpenRegEdit(CurrentTab(), nullptr);
    return;
  }
  const TListRow row{model_.Row(focused).caption, model_.Row(focused).subItems};
  OpenRegEdit(CurrentTab(), &row);
}

void TMainForm::FindInfo() {
  const int current = CurrentRow();
  if (current < 0) return;
  FindMoreInformation(CurrentTab(), {model_.Row(current).caption, model_.Row(current).subItems});
}

void TMainForm::SaveList() {
  std::string name;
  if (context_.askSaveName) {
    name = context_.askSaveName();
  } else {
    name = widgets::AskTextFileName(Handle(), Text("Misc.2"), context_.folders.ProgramFolder);
  }
  if (name.empty()) return;
  std::vector<TListRow> rows;
  rows.reserve(static_cast<size_t>(model_.Count()));
  for (int row = 0; row < model_.Count(); ++row)
    rows.push_back({model_.Row(row).caption, model_.Row(row).subItems});
  SaveListAsText(name, rows, static_cast<size_t>(list_.ColumnCount()));
}

void TMainForm::ShowBackups() {
  list_.Focus();
  if (!backups_) return;
  std::wstring caption(256, L'\0');
  caption.resize(static_cast<size_t>(GetWindowTextW(Handle(), caption.data(), 256)));
  backups_->Show(widgets::Narrow(caption), backupsBtn_.Text());
}

}  // namespace vp::shell
