#include "shell/BackupForm.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "files/FileTools.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "settings/DesignedTexts.h"
#include "settings/SettingsManager.h"
#include "settings/Translator.h"
#include "shell/FormTranslation.h"
#include "shell/logic/HelpItems.h"
#include "shell/logic/ListText.h"
#include "widgets/Dpi.h"
#include "widgets/SaveDialog.h"
#include "widgets/Text.h"

namespace vp::shell {

namespace {

constexpr UINT_PTR kButtonsTimer = 1;
constexpr UINT kButtonsInterval = 5000;  // buttons follow a selection made without a click
constexpr int kClientWidth = 597, kClientHeight = 273;
constexpr int kMinWidth = 300, kMinHeight = 200;
constexpr int kPanelHeight = 30;

// The window as the settings manager keeps it: its place and size.
class TPlace : public SettingsWindow {
 public:
  explicit TPlace(HWND window) : window_(window) {}
  std::string Name() const override { return "BackupForm"; }
  int Left() const override { return Placement().rcNormalPosition.left; }
  int Top() const override { return Placement().rcNormalPosition.top; }
  int Width() const override { return Placement().rcNormalPosition.right - Left(); }
  int Height() const override { return Placement().rcNormalPosition.bottom - Top(); }
  bool Maximized() const override { return IsZoomed(window_) != FALSE; }
  Border BorderStyle() const override { return Border::Other; }
  int ScreenWidth() const override { return GetSystemMetrics(SM_CXSCREEN); }
  int ScreenHeight() const override { return GetSystemMetrics(SM_CYSCREEN); }
  void SetPosition(int left, int top) override {
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void SetBounds(int left, int top, int width, int height) override {
    SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void SetMaximized() override { ShowWindow(window_, SW_MAXIMIZE); }

 private:
  WINDOWPLACEMENT Placement() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window_, &placement);
    return placement;
  }
  HWND window_;
};

std::string DesignedCaption(std::string_view name) {
  for (const DesignedControl& control : BackupFormDesign().controls)
    if (control.name == name) return std::string(control.text);
  return {};
}

}  // namespace

TBackupForm::TBackupForm(TBackupFormContext context) : context_(std::move(context)) {}

TBackupForm::~TBackupForm() {
  if (Handle() != nullptr) {
    KillTimer(Handle(), kButtonsTimer);
    DestroyWindow(Handle());
  }
}

const std::string& TBackupForm::Text(std::string_view id) const {
  static const std::string kNone;
  return context_.texts != nullptr ? context_.texts->Text(id) : kNone;
}

const std::string& TBackupForm::CellText(int row, int column) const {
  static const std::string kNone;
  const TBackupSetInfo& set = rows_[static_cast<size_t>(row)].set;
  return column == 0 ? set.description : column == 1 ? set.dateTime : kNone;
}

bool TBackupForm::Create(HWND owner) {
  RECT frame{0, 0, kClientWidth, kClientHeight};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&frame, style, TRUE, 0);
  // Owned, not a child: it has its own place on the screen and stays above
  // the main window.
  if (!CreateCustom(L"VeltaroBackups", owner, "Backups", style, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                    frame.right - frame.left, frame.bottom - frame.top, nullptr))
    return false;
  const HWND self = Handle();
  // The designed sizes are at 96 DPI.
  const int dpi = widgets::WindowDpi(self);
  const auto scaled = [dpi](int length) { return MulDiv(length, dpi, 96); };
  RECT area{0, 0, scaled(kClientWidth), scaled(kClientHeight)};
  AdjustWindowRectEx(&area, style, TRUE, 0);
  SetWindowPos(self, nullptr, 0, 0, area.right - area.left, area.bottom - area.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  list_ = widgets::TListView(self, kList, false);
  list_.SetSource(this);
  const StringList columns = [] {
    for (const DesignedControl& control : BackupFormDesign().controls)
      if (control.name == "ListView") return StringList(control.items.begin(), control.items.end());
    return StringList{};
  }();
  for (size_t column = 0; column < columns.size(); ++column)
    list_.AddColumn(columns[column], scaled(column == 0 ? 400 : 180));
  bottom_.Create(self, -1, false);
  bottom_.SetVisible(true);
  restoreBtn_ = widgets::TButton(bottom_.Handle(), kRestore, DesignedCaption("RestoreBtn"), true);
  removeBtn_ = widgets::TButton(bottom_.Handle(), kRemove, DesignedCaption("RemoveBtn"));
  closeBtn_ = widgets::TButton(bottom_.Handle(), kClose, DesignedCaption("CloseBtn"));
  CreateMenus();

  static widgets::TFont font = widgets::MessageFont(widgets::WindowDpi(self));
  widgets::SetFontOfChildren(self, font);
  Layout();
  UpdateButtons();
  return true;
}

void TBackupForm::CreateMenus() {
  // The menu items of the designed window and the command each gives.
  static const std::pair<std::string_view, int> kItems[] = {
      {"Saveastxt1", kSaveList},
      {"Exit1", kExit},
      {"All1", kSelectAll},
      {"None1", kSelectNone},
      {"Inverse1", kSelectInverse},
      {"Helponthissubject1", kHelp},
      {"FAQ1", kFaq},
      {"LicenseAgreement1", kLicense},
      {"WebSite1", kWebSite},
      {"Restore1", kRestore},
      {"Remove1", kRemove},
      {"View1", kView},
  };
  const auto idOf = [](std::string_view name) {
    for (const auto& [item, id] : kItems)
      if (item == name) return id;
    return 0;
  };
  widgets::TMenu bar = widgets::TMenu::Bar();
  std::vector<ACCEL> keys;
  for (const DesignedMenu& menu : BackupFormDesign().menus) {
    widgets::TMenu sub = widgets::TMenu::Popup();
    for (const DesignedMenuItem& item : menu.items) {
      if (item.IsSeparator()) {
        sub.AddSeparator();
        continue;
      }
      const int id = idOf(item.name);
      sub.AddItem(id, item.caption, item.shortcut);
      // Del, like Esc, Enter and Ctrl+E, is the window's own key.
      ACCEL accel{};
      if (menu.popup || !widgets::ParseShortcut(item.shortcut, accel)) continue;
      accel.cmd = static_cast<WORD>(id);
      keys.push_back(accel);
    }
    if (menu.popup) {
      popup_ = std::move(sub);
      continue;
    }
    bar.AddSubMenu(std::move(sub), menu.caption);
  }
  const HMENU menuBar = bar.Release();
  SetMenu(Handle(), menuBar);
  accelerators_ = widgets::TAccelerators(CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size())));

  TTranslatedControls translated;
  translated.captions = {{"RestoreBtn", &restoreBtn_}, {"RemoveBtn", &removeBtn_}, {"CloseBtn", &closeBtn_}};
  translated.columns = &list_;
  translated.menuBar = menuBar;
  translated.popup = popup_.Handle();
  translation_ = std::make_unique<TFormTranslation>(Handle(), BackupFormDesign(), translated);
}

TranslatableWindow* TBackupForm::Translation() {
  return translation_.get();
}

void TBackupForm::Show(const std::string& mainCaption, const std::string& backupsCaption) {
  SetWindowTextW(Handle(), widgets::Wide(BackupWindowCaption(mainCaption, backupsCaption)).c_str());
  if (!Visible()) RestorePlace();
  RefreshList();
  ShowWindow(Handle(), SW_SHOWNORMAL);
  SetForegroundWindow(Handle());
  list_.Focus();
  UpdateButtons();
  SetTimer(Handle(), kButtonsTimer, kButtonsInterval, nullptr);
}

void TBackupForm::Hide() {
  if (!Visible()) return;
  SavePlace();
  KillTimer(Handle(), kButtonsTimer);
  ShowWindow(Handle(), SW_HIDE);
}

void TBackupForm::SavePlace() {
  if (context_.settings == nullptr) return;
  TPlace place(Handle());
  context_.settings->SaveForm(place);
}

void TBackupForm::RestorePlace() {
  if (context_.settings == nullptr) return;
  // Never placed before: the designed size at this DPI, as Create made it,
  // centred over the main window.
  if (context_.settings->ReadInteger("Windows", "BackupForm", "Width", 0) <= 0) {
    RECT owner{}, self{};
    GetWindowRect(GetWindow(Handle(), GW_OWNER), &owner);
    GetWindowRect(Handle(), &self);
    const int left = (owner.left + owner.right - (self.right - self.left)) / 2;
    const int top = (owner.top + owner.bottom - (self.bottom - self.top)) / 2;
    SetWindowPos(Handle(), nullptr, std::max(0, left), std::max(0, top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  TPlace place(Handle());
  context_.settings->RestoreForm(place);
}

void TBackupForm::RefreshList() {
  rows_ = ReadBackupRows(context_.backupsFolder, Text("Misc.1"));
  sortColumn_ = 0;
  sortDirection_ = 1;
  // A new list: no old selection may point at another set.
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  list_.Refresh(false);
  UpdateButtons();
}

std::vector<TBackupRow> TBackupForm::SelectedRows() const {
  std::vector<TBackupRow> selected;
  for (int row : list_.SelectedRows())
    if (row >= 0 && row < RowCount()) selected.push_back(rows_[static_cast<size_t>(row)]);
  return selected;
}

void TBackupForm::UpdateButtons() {
  const bool enabled = BackupActionsEnabled(static_cast<size_t>(list_.SelectedCount()));
  restoreBtn_.SetEnabled(enabled);
  removeBtn_.SetEnabled(enabled);
}

void TBackupForm::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int width = client.right, height = client.bottom;
  const int dpi = widgets::WindowDpi(Handle());
  const auto s = [dpi](int length) { return MulDiv(length, dpi, 96); };
  const int panel = s(kPanelHeight);
  list_.SetBounds(0, 1, width, std::max(0, height - 1 - panel - 3));
  SetWindowPos(bottom_.Handle(), nullptr, 0, height - panel, width, panel, SWP_NOZORDER | SWP_NOACTIVATE);
  const int buttonWidth = s(75), buttonHeight = s(23), gap = s(6), top = (panel - buttonHeight) / 2;
  restoreBtn_.SetBounds(gap, top, buttonWidth, buttonHeight);
  removeBtn_.SetBounds(2 * gap + buttonWidth, top, buttonWidth, buttonHeight);
  closeBtn_.SetBounds(width - gap - buttonWidth, top, buttonWidth, buttonHeight);
}

bool TBackupForm::PreTranslate(MSG& message) {
  if (Handle() == nullptr || (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd))) return false;
  if (message.message == WM_KEYDOWN) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0,
               alt = GetKeyState(VK_MENU) < 0;
    switch (BackupCommandForKey(static_cast<int>(message.wParam), ctrl, shift, alt)) {
      case TBackupCommand::kClose:
        Hide();
        return true;
      case TBackupCommand::kRemove:
        removeBtn_.Click();
        return true;
      case TBackupCommand::kRestore:
        restoreBtn_.Click();
        return true;
      case TBackupCommand::kView:
        View();
        return true;
      case TBackupCommand::kNone:
        break;
    }
  }
  return TranslateAcceleratorW(Handle(), accelerators_.Get(), &message) != 0;
}

void TBackupForm::Restore() {
  const std::vector<TBackupRow> selected = SelectedRows();
  if (selected.empty()) return;
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
  const TRestoreRun run = RestoreBackupRows(selected, context_.requestFill);
  SetCursor(previous);
  const std::string message = RestoreMessage(run, {Text("Backups.1"), Text("Backups.2")});
  if (context_.showMessage) context_.showMessage(Text("Reports.1"), message);
  RefreshList();
}

void TBackupForm::Remove() {
  const std::vector<TBackupRow> selected = SelectedRows();
  if (selected.empty()) return;
  std::wstring caption(256, L'\0');
  caption.resize(static_cast<size_t>(GetWindowTextW(Handle(), caption.data(), 256)));
  if (!context_.confirm || !context_.confirm(widgets::Narrow(caption), Text("Confirmations.1"))) return;
  RemoveBackupRows(selected);
  RefreshList();
}

void TBackupForm::View() {
  ViewBackupRows(SelectedRows());
}

void TBackupForm::SelectAll(bool select) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = select ? LVIS_SELECTED : 0;
  SendMessageW(list_.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  UpdateButtons();
}

void TBackupForm::SelectInverse() {
  for (int row = 0; row < RowCount(); ++row) {
    const bool selected =
        (SendMessageW(list_.Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
         LVIS_SELECTED) != 0;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? 0 : LVIS_SELECTED;
    SendMessageW(list_.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  UpdateButtons();
}

bool TBackupForm::SaveListTo(const std::string& file) {
  return platform::Files().WriteWholeFile(TextFileName(file), BackupListText(rows_));
}

void TBackupForm::SaveList() {
  const std::string name = widgets::AskTextFileName(Handle(), Text("Misc.2"), context_.programFolder);
  if (!name.empty()) SaveListTo(name);
}

void TBackupForm::SortBy(int column) {
  sortDirection_ = column == sortColumn_ ? -sortDirection_ : 1;
  sortColumn_ = column;
  const auto text = [column](const TBackupRow& row) -> const std::string& {
    return column == 0 ? row.set.description : row.set.dateTime;
  };
  std::stable_sort(rows_.begin(), rows_.end(), [&](const TBackupRow& a, const TBackupRow& b) {
    return platform::Sys().CompareTextNoCase(text(a), text(b)) * sortDirection_ < 0;
  });
  list_.Refresh(true);
}

void TBackupForm::OpenHelp(int id) {
  const HelpItem item = id == kHelp      ? HelpItem::BackupsHelp
                        : id == kFaq     ? HelpItem::Faq
                        : id == kLicense ? HelpItem::License
                                         : HelpItem::WebSite;
  OpenHelpItem(item, context_.programFolder);
}

void TBackupForm::ShowPopup(POINT at) {
  UpdateButtons();
  const HMENU menu = popup_.Handle();
  // Items hidden by their buttons' state are greyed: a pop-up menu keeps its
  // items in place.
  widgets::EnableMenuItemById(menu, kRestore, restoreBtn_.Enabled());
  widgets::EnableMenuItemById(menu, kRemove, removeBtn_.Enabled());
  widgets::EnableMenuItemById(menu, kView, removeBtn_.Enabled());
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
}

void TBackupForm::Command(int id) {
  switch (id) {
    case kRestore:
      Restore();
      break;
    case kRemove:
      Remove();
      break;
    case kView:
      View();
      break;
    case kClose:
    case kExit:
      Hide();
      break;
    case kSaveList:
      SaveList();
      break;
    case kSelectAll:
      SelectAll(true);
      break;
    case kSelectNone:
      SelectAll(false);
      break;
    case kSelectInverse:
      SelectInverse();
      break;
    case kHelp:
    case kFaq:
    case kLicense:
    case kWebSite:
      OpenHelp(id);
      break;
    default:
      break;
  }
}

LRESULT TBackupForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
      LRESULT result = 0;
      if (list_.HandleNotify(header, result)) return result;
      if (header.hwndFrom == list_.Handle()) {
        if (header.code == LVN_COLUMNCLICK) SortBy(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
        if (header.code == NM_RCLICK) {
          POINT at{};
          GetCursorPos(&at);
          ShowPopup(at);
        }
        if (header.code == LVN_ITEMCHANGED || header.code == NM_CLICK || header.code == LVN_KEYDOWN ||
            header.code == LVN_ODSTATECHANGED)
          UpdateButtons();
      }
      return 0;
    }
    case WM_TIMER:
      if (wParam == kButtonsTimer) UpdateButtons();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) UpdateButtons();
      return Default(message, wParam, lParam);
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
      info.ptMinTrackSize = {kMinWidth, kMinHeight};
      return 0;
    }
    case WM_CLOSE:
      // Closing hides: the window lives as long as the main window.
      Hide();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace vp::shell
