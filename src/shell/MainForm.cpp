#include "shell/MainForm.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>

#include "files/FileCacheCreator.h"
#include "files/FileSystemCache.h"
#include "files/FileTools.h"
#include "settings/DesignedTexts.h"
#include "settings/SettingsManager.h"
#include "shell/FormSettings.h"
#include "shell/FormTranslation.h"
#include "shell/logic/HelpItems.h"
#include "shell/logic/TabColumns.h"
#include "widgets/Text.h"

namespace vp::shell {

namespace {

using widgets::Wide;

// Control and command ids: a command's id is kCommandBase + its value, the
// same for its menu item, its button and its accelerator.
constexpr int kCommandBase = 1000;
enum ControlId {
  kTabsId = 100,
  kListId,
  kNormalId,
  kDeepId,
  kFieldId,
};

int CommandId(Command command) {
  return kCommandBase + static_cast<int>(command);
}

std::optional<Command> CommandOfId(int id) {
  if (id <= kCommandBase || id > kCommandBase + static_cast<int>(Command::Refresh)) return std::nullopt;
  return static_cast<Command>(id - kCommandBase);
}

// The menu items of the designed window and the command each gives.
Command MenuCommand(std::string_view name) {
  static const std::pair<std::string_view, Command> table[] = {
      {"Saveastxt1", Command::SaveList},
      {"Exit1", Command::Exit},
      {"All1", Command::SelectAll},
      {"None1", Command::SelectNone},
      {"Inverse1", Command::SelectInverse},
      {"SelectHighlighted1", Command::SelectHighlighted},
      {"Helponthissubject1", Command::HelpTool},
      {"FAQ1", Command::Faq},
      {"LicenseAgreement1", Command::License},
      {"WebSite1", Command::WebSite},
      {"PopSelect", Command::ToggleSelected},
      {"PopFix", Command::Fix},
      {"PopRemove", Command::Remove},
      {"PopRegEdit", Command::RegEdit},
      {"PopSelectAll", Command::SelectAll},
      {"PopSelectNone", Command::SelectNone},
      {"PopSelectInverse", Command::SelectInverse},
      {"PopSelectHighlighted", Command::SelectHighlighted},
      {"PopFindInfo", Command::FindInfo},
      {"PopBackups", Command::Backups},
  };
  for (const auto& [item, command] : table)
    if (item == name) return command;
  return Command::None;
}

std::string DesignedText(std::string_view name) {
  for (const DesignedControl& control : MainFormDesign().controls)
    if (control.name == name) return std::string(control.text);
  return {};
}

}  // namespace

TMainForm::TMainForm(TMainFormContext context) : context_(std::move(context)) {
  if (!context_.showMessage)
    context_.showMessage = [this](const std::string& title, const std::string& text) {
      ShowMessageBox(title, text);
    };
}

TMainForm::~TMainForm() {
  Shutdown();
}

const std::string& TMainForm::Text(std::string_view id) const {
  return context_.texts->Text(id);
}

bool TMainForm::Create() {
  const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (!CreateCustom(L"VeltaroMainForm", nullptr, MainFormDesign().caption,
                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT,
                    909, 617, nullptr, icon))
    return false;
  dpi_ = widgets::WindowDpi(Handle());
  // The designed client size, at this screen's DPI.
  RECT area{0, 0, S(909), S(617)};
  AdjustWindowRectEx(&area, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_CONTROLPARENT);
  SetWindowPos(Handle(), nullptr, 0, 0, area.right - area.left, area.bottom - area.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  CreateControls();
  CreateMenus();
  TTranslatedControls translated;
  translated.captions = {
      {"KeyLabel", &keyLabel_},         {"EntryLabel", &entryLabel_},
      {"ProblemLabel", &problemLabel_}, {"BackupsBtn", &backupsBtn_},
      {"UninstallBtn", &uninstallBtn_}, {"FixBtn", &fixBtn_},
      {"RemoveBtn", &removeBtn_},       {"CloseBtn", &closeBtn_},
      {"NewScanBtn", &newScanBtn_},     {"SweeperLabel", &sweeperLabel_},
      {"OptNormalMode", &normalOpt_},   {"OptDeepMode", &deepOpt_},
      {"StartBtn", &startBtn_},         {"CancelBtn", &cancelBtn_},
      {"ScanLabel", &scanLabel_},       {"KeysLabel", &keysLabel_},
      {"ValuesLabel", &valuesLabel_},   {"InvalidLabel", &invalidLabel_},
      {"WorkingLabel", &workingLabel_}, {"FileAnalyzerLabel", &cacheLabel_},
      {"PleaseWaitLabel", &waitLabel_}, {"OkBtn", &okBtn_},
      {"SkipBtn", &skipBtn_},
  };
  // The list's columns follow the tab (SetupColumns), not the window's section.
  translated.tabs = &tabs_;
  translated.menuBar = mainMenu_;
  translated.popup = popup_.Handle();
  translation_ = std::make_unique<TFormTranslation>(Handle(), MainFormDesign(), translated);
  ApplyFont();

  TBackupFormContext backups;
  backups.backupsFolder = context_.folders.BackupsFolder;
  backups.programFolder = context_.folders.ProgramFolder;
  backups.settings = context_.settings;
  backups.texts = context_.texts;
  backups.requestFill = [this](int tab) {
    if (!managers_) return;
    SetManagerTexts();
    managers_->RequestFill(tab);
  };
  backups.showMessage = [this](const std::string& title, const std::string& text) {
    if (context_.showMessage) context_.showMessage(title, text);
  };
  backups.confirm = [this](const std::string& title, const std::string& text) {
    return Confirm(title, text);
  };
  backups_ = std::make_unique<TBackupForm>(std::move(backups));
  if (!backups_->Create(Handle())) return false;

  // The scan's end and the first-run prompt come first, over the list.
  for (HWND panel :
       {workingPanel_.Handle(), sweeperPanel_.Handle(), scanPanel_.Handle(), cachePanel_.Handle()})
    SetWindowPos(panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  tabs_.SetCurrent(kCleanerTabIndex);
  SetupColumns(true);

  // Without a file cache the user is offered to build one.
  const int32_t created = context_.settings->ReadInteger("Settings", "FileCache", "Created", 0);
  const bool cacheThere = PrepareFileCache(context_.folders.DataFolder, created);
  cachePanel_.SetVisible(!cacheThere);
  if (cacheThere)
    cacheLoader_ = std::make_unique<TFileCacheLoader>(fileCache_, context_.folders.FileCacheFile,
                                                      context_.cacheLoadDelay);

  ShowPanels();
  Layout();
  RefreshButtons();

  SetTimer(Handle(), kLanguageTimer, 3900, nullptr);
  managers_ = std::make_unique<TManagerThreads>(*context_.dispatcher, static_cast<TManagerView&>(*this),
                                                context_.managerTimings);
  managers_->Start(context_.folders.IsWindows2000, context_.folders.IsWindowsXP, context_.folders.DataFolder);
  managers_->ShowTab(CurrentTab());
  TIdleThread::Tasks tasks;
  tasks.applyLanguage = [this] {
    if (Text("Columns.1").empty()) ApplyLanguage();
  };
  // Every minute the manager lists are read again (requests only set flags).
  tasks.pass = [this, last = std::chrono::steady_clock::time_point()]() mutable {
    const auto now = std::chrono::steady_clock::now();
    if (last != std::chrono::steady_clock::time_point() && now - last < std::chrono::seconds(60)) return;
    last = now;
    managers_->RequestAllFills();
  };
  idle_ = std::make_unique<TIdleThread>(*context_.dispatcher, std::move(tasks));
  idle_->Start();
  return true;
}

void TMainForm::Show(int showCommand) {
  if (context_.settings->ReadInteger("Windows", "MainForm", "Width", 0) > 0) {
    TFormWindowSettings window(*this);
    context_.settings->RestoreForm(window);
  } else {
    // The first start: the designed size, centred on the screen.
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(Handle(), showCommand);
  Layout();
  list_.Focus();
}

void TMainForm::CreateControls() {
  const HWND self = Handle();

  topPanel_.Create(self, -1, false);
  keyLabel_ = widgets::TLabel(topPanel_.Handle(), DesignedText("KeyLabel"));
  entryLabel_ = widgets::TLabel(topPanel_.Handle(), DesignedText("EntryLabel"));
  problemLabel_ = widgets::TLabel(topPanel_.Handle(), DesignedText("ProblemLabel"));
  keyEdit_ = widgets::TReadOnlyEdit(topPanel_.Handle(), kFieldId);
  entryEdit_ = widgets::TReadOnlyEdit(topPanel_.Handle(), kFieldId + 1);
  problemEdit_ = widgets::TReadOnlyEdit(topPanel_.Handle(), kFieldId + 2);

  tabs_ = widgets::TTabControl(self, kTabsId);
  for (const DesignedControl& control : MainFormDesign().controls)
    if (control.name == "TabControl")
      tabs_.SetCaptions(StringList(control.items.begin(), control.items.end()));
  list_ = widgets::TListView(self, kListId);
  list_.SetSource(this);
  list_.OnTicksChanged = [this] { RefreshStatus(), RefreshButtons(); };
  // Above the tab control, so that the list is painted over its page.
  SetWindowPos(list_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  bar_.Create(self, -1, false);
  bar_.SetVisible(true);
  const HWND bar = bar_.Handle();
  newScanBtn_ = widgets::TButton(bar, CommandId(Command::NewScan), DesignedText("NewScanBtn"));
  backupsBtn_ = widgets::TButton(bar, CommandId(Command::Backups), DesignedText("BackupsBtn"));
  uninstallBtn_ = widgets::TButton(bar, CommandId(Command::Uninstall), DesignedText("UninstallBtn"));
  fixBtn_ = widgets::TButton(bar, CommandId(Command::Fix), DesignedText("FixBtn"));
  removeBtn_ = widgets::TButton(bar, CommandId(Command::Remove), DesignedText("RemoveBtn"));
  closeBtn_ = widgets::TButton(bar, CommandId(Command::Exit), DesignedText("CloseBtn"));
  status_ = widgets::TStatusBar(self);

  sweeperPanel_.Create(self, -1, true);
  const HWND sweeper = sweeperPanel_.Handle();
  sweeperLabel_ = widgets::TLabel(sweeper, DesignedText("SweeperLabel"), true);
  normalOpt_ = widgets::TRadioButton(sweeper, kNormalId, DesignedText("OptNormalMode"), true);
  deepOpt_ = widgets::TRadioButton(sweeper, kDeepId, DesignedText("OptDeepMode"), false);
  normalOpt_.SetChecked(true);
  startBtn_ = widgets::TButton(sweeper, CommandId(Command::Start), DesignedText("StartBtn"), true);
  cancelBtn_ = widgets::TButton(sweeper, CommandId(Command::Cancel), DesignedText("CancelBtn"));

  scanPanel_.Create(self, -1, true);
  const HWND scan = scanPanel_.Handle();
  scanLabel_ = widgets::TLabel(scan, DesignedText("ScanLabel"), true);
  keysLabel_ = widgets::TLabel(scan, DesignedText("KeysLabel"));
  valuesLabel_ = widgets::TLabel(scan, DesignedText("ValuesLabel"));
  invalidLabel_ = widgets::TLabel(scan, DesignedText("InvalidLabel"));
  keysEdit_ = widgets::TReadOnlyEdit(scan, kFieldId + 3);
  valuesEdit_ = widgets::TReadOnlyEdit(scan, kFieldId + 4);
  invalidEdit_ = widgets::TReadOnlyEdit(scan, kFieldId + 5);

  workingPanel_.Create(self, -1, true);
  workingLabel_ = widgets::TLabel(workingPanel_.Handle(), DesignedText("WorkingLabel"), true);
  progress_ = widgets::TProgressBar(workingPanel_.Handle());
  // Offered while an action that can stop between rows runs.
  workCancelBtn_ =
      widgets::TButton(workingPanel_.Handle(), CommandId(Command::Cancel), DesignedText("CancelBtn"));
  workCancelBtn_.SetVisible(false);

  cachePanel_.Create(self, -1, true);
  const HWND cache = cachePanel_.Handle();
  cacheLabel_ = widgets::TLabel(cache, DesignedText("FileAnalyzerLabel"), true);
  waitLabel_ = widgets::TLabel(cache, DesignedText("PleaseWaitLabel"));
  waitLabel_.SetVisible(false);
  okBtn_ = widgets::TButton(cache, CommandId(Command::CacheOk), DesignedText("OkBtn"), true);
  skipBtn_ = widgets::TButton(cache, CommandId(Command::CacheSkip), DesignedText("SkipBtn"));
}

void TMainForm::CreateMenus() {
  widgets::TMenu bar = widgets::TMenu::Bar();
  std::vector<widgets::TShortcutCommand> keys;
  auto addKey = [&keys](std::string_view shortcut, Command command) {
    // Del and Shift+Del, like Esc and Enter, are the window's own keys.
    if (shortcut.empty() || shortcut.find("Del") != std::string_view::npos) return;
    keys.push_back({std::string(shortcut), CommandId(command)});
  };
  for (const DesignedMenu& menu : MainFormDesign().menus) {
    widgets::TMenu sub = widgets::TMenu::Popup();
    for (const DesignedMenuItem& item : menu.items) {
      if (item.IsSeparator()) {
        sub.AddSeparator();
        continue;
      }
      const Command command = MenuCommand(item.name);
      sub.AddItem(CommandId(command), item.caption, item.shortcut);
      addKey(item.shortcut, command);
    }
    if (menu.popup) {
      popup_ = std::move(sub);
      continue;
    }
    if (menu.name == "Language1") languageMenu_ = sub.Handle();
    bar.AddSubMenu(std::move(sub), menu.caption);
  }
  mainMenu_ = bar.Release();
  SetMenu(Handle(), mainMenu_);
  accelerators_ = widgets::MakeAccelerators(keys);
}

void TMainForm::ApplyFont() {
  font_ = widgets::MessageFont(dpi_);
  widgets::SetFontOfChildren(Handle(), font_);
  const int height = StatusBarHeight(dpi_);
  SendMessageW(status_.Handle(), SB_SETMINHEIGHT, static_cast<WPARAM>(height - 2), 0);
  SendMessageW(status_.Handle(), WM_SIZE, 0, 0);
}

// ---------------------------------------------------------------- layout

void TMainForm::Layout() {
  if (Handle() == nullptr || !status_) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  const int width = client.right;
  const int height = client.bottom;
  const int margin = S(4);

  SendMessageW(status_.Handle(), WM_SIZE, 0, 0);
  const int statusHeight = status_.Height();
  const int barHeight = S(28);
  const int barTop = height - statusHeight - barHeight;
  const int topHeight = topPanel_.Visible() ? S(65) : 0;

  HDWP batch = BeginDeferWindowPos(8);
  auto place = [&batch](HWND window, int x, int y, int w, int h) {
    if (batch != nullptr)
      batch = DeferWindowPos(batch, window, nullptr, x, y, std::max(w, 0), std::max(h, 0),
                             SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(topPanel_.Handle(), 0, 0, width, topHeight);
  const int tabsTop = topHeight + S(2);
  const int tabsHeight = barTop - tabsTop - S(2);
  place(tabs_.Handle(), margin, tabsTop, width - 2 * margin, tabsHeight);
  place(bar_.Handle(), 0, barTop, width, barHeight);
  if (batch != nullptr) EndDeferWindowPos(batch);

  // The list covers the tab control's page.
  RECT page{0, 0, width - 2 * margin, tabsHeight};
  SendMessageW(tabs_.Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  const int listLeft = margin + page.left;
  const int listTop = tabsTop + page.top;
  const int listWidth = page.right - page.left;
  const int listHeight = page.bottom - page.top;
  list_.SetBounds(listLeft, listTop, listWidth, listHeight);

  // Detail fields after the widest of their labels.
  const int labelWidth =
      std::max({keyLabel_.TextWidth(), entryLabel_.TextWidth(), problemLabel_.TextWidth()}) + S(15);
  const int rowHeight = S(19);
  int y = S(3);
  for (auto [label, field] :
       {std::pair{&keyLabel_, &keyEdit_}, {&entryLabel_, &entryEdit_}, {&problemLabel_, &problemEdit_}}) {
    label->SetBounds(S(8), y + S(2), labelWidth, rowHeight);
    field->SetBounds(S(8) + labelWidth, y + S(2), width - S(8) - labelWidth - S(5), rowHeight);
    y += S(20);
  }

  // Floating panels, centred over the list.
  auto centre = [&](widgets::TPanel& panel, int w, int h) {
    SetWindowPos(panel.Handle(), nullptr, listLeft + listWidth / 2 - w / 2, listTop + listHeight / 2 - h / 2,
                 w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  const int pad = S(10);
  const int buttonW = S(80);
  const int buttonH = S(25);

  const int sweeperW = S(380), sweeperH = S(112);
  centre(sweeperPanel_, sweeperW, sweeperH);
  sweeperLabel_.SetBounds(pad, pad, sweeperW - 2 * pad, S(36));
  normalOpt_.SetBounds(pad, S(48), S(150), S(20));
  deepOpt_.SetBounds(pad, S(70), S(150), S(20));
  startBtn_.SetBounds(sweeperW - 2 * buttonW - 2 * pad, sweeperH - buttonH - pad, buttonW, buttonH);
  cancelBtn_.SetBounds(sweeperW - buttonW - pad - S(2), sweeperH - buttonH - pad, buttonW, buttonH);

  const int scanW = S(400), scanH = S(126);
  centre(scanPanel_, scanW, scanH);
  scanLabel_.SetBounds(pad, pad, scanW - 2 * pad, S(34));
  const int counterLeft =
      pad + std::max({keysLabel_.TextWidth(), valuesLabel_.TextWidth(), invalidLabel_.TextWidth()}) + S(15);
  y = S(48);
  for (auto [label, field] :
       {std::pair{&keysLabel_, &keysEdit_}, {&valuesLabel_, &valuesEdit_}, {&invalidLabel_, &invalidEdit_}}) {
    label->SetBounds(pad, y, counterLeft - pad, rowHeight);
    field->SetBounds(counterLeft, y, scanW - counterLeft - S(2) - pad, rowHeight);
    y += S(22);
  }

  const int workingW = S(380), workingH = S(72);
  centre(workingPanel_, workingW, workingH);
  workingLabel_.SetBounds(pad, pad, workingW - 2 * pad, S(20));
  progress_.SetBounds(pad, S(38), workingW - 2 * pad, S(18));

  const int cacheW = S(420), cacheH = S(100);
  centre(cachePanel_, cacheW, cacheH);
  cacheLabel_.SetBounds(pad, pad, cacheW - 2 * pad, S(50));
  waitLabel_.SetBounds(pad, cacheH - buttonH - pad, S(200), S(20));
  okBtn_.SetBounds(cacheW - 2 * buttonW - 2 * pad, cacheH - buttonH - pad, buttonW, buttonH);
  skipBtn_.SetBounds(cacheW - buttonW - pad - S(2), cacheH - buttonH - pad, buttonW, buttonH);

  LayoutBar();
}

void TMainForm::LayoutBar() {
  std::vector<widgets::TButton*> buttons = {&newScanBtn_, &backupsBtn_, &uninstallBtn_,
                                            &fixBtn_,     &removeBtn_,  &closeBtn_};
  std::vector<int> widths;
  std::vector<bool> visible;
  for (widgets::TButton* button : buttons) {
    const int textWidth = widgets::MeasureText(button->Handle(), font_.Get(), button->Text());
    widths.push_back(std::max(S(80), textWidth + S(24)));
    visible.push_back(button->Visible());
  }
  const BarLayout layout = shell::LayoutBar(widths, visible);
  RECT bar{};
  GetClientRect(bar_.Handle(), &bar);
  const int right = bar.right - S(4);
  const int height = S(24);
  for (size_t i = 0; i < buttons.size(); ++i)
    if (layout.lefts[i] >= 0)
      buttons[i]->SetBounds(right - layout.width + layout.lefts[i], S(2), widths[i], height);
}

void TMainForm::ShowPanels() {
  const bool cleaner = CurrentTab() == kCleanerTabIndex;
  const bool cache = cachePanel_.Visible();
  sweeperPanel_.SetVisible(cleaner && scan_.OptionsVisible() && !cache);
  scanPanel_.SetVisible(scan_.Running());
  if (!cleaner) workingPanel_.SetVisible(false);
}

// ---------------------------------------------------------------- state shown

void TMainForm::RefreshButtons() {
  ButtonInputs in;
  in.tab = CurrentTab();
  in.checkedCount = checkedCount_;
  const int focused = list_.FocusedRow();
  in.selectedTicked = focused >= 0 && focused < model_.Count() && model_.Ticked(focused);
  in.scanRunning = scan_.Running();
  in.newScanWanted = scan_.NewScanOffered();
  const ButtonStates out = ComputeButtons(in);
  fixBtn_.SetVisible(out.fixVisible);
  fixBtn_.SetEnabled(out.fixEnabled && CommandBuilt(Command::Fix));
  removeBtn_.SetEnabled(out.removeEnabled && CommandBuilt(Command::Remove));
  uninstallBtn_.SetVisible(out.uninstallVisible);
  uninstallBtn_.SetEnabled(out.uninstallEnabled && CommandBuilt(Command::Uninstall));
  newScanBtn_.SetVisible(out.newScanVisible);
  backupsBtn_.SetEnabled(CommandBuilt(Command::Backups));
  LayoutBar();
}

void TMainForm::RefreshDetails() {
  int row = list_.FocusedRow();
  if (row < 0) {
    const std::vector<int> selected = list_.SelectedRows();
    if (!selected.empty()) row = selected.back();
  }
  const bool cleanerRow = row >= 0 && row < model_.Count() && model_.Row(row).subItems.size() == 2;
  keyEdit_.SetText(cleanerRow ? model_.Cell(row, 0) : "");
  entryEdit_.SetText(cleanerRow ? model_.Cell(row, 1) : "");
  problemEdit_.SetText(cleanerRow ? model_.Cell(row, 2) : "");
}

void TMainForm::RefreshStatus() {
  checkedCount_ = model_.TickedCount();
  const std::string text =
      FormatPlaceholders(Text("Misc.9"), std::to_string(checkedCount_), std::to_string(list_.SelectedCount()),
                         std::to_string(model_.Count()));
  status_.SetText(stallText_.empty() ? text : stallText_);
}

int TMainForm::CurrentTab() const {
  return tabs_.Current();
}

bool TMainForm::ButtonVisible(Command command) const {
  for (const widgets::TButton* button : {&newScanBtn_, &backupsBtn_, &uninstallBtn_, &fixBtn_, &removeBtn_,
                                         &closeBtn_, &startBtn_, &cancelBtn_, &okBtn_, &skipBtn_})
    if (button->Id() == CommandId(command))
      return button->Visible() && IsWindowVisible(GetParent(button->Handle()));
  return false;
}

bool TMainForm::ButtonEnabled(Command command) const {
  for (const widgets::TButton* button : {&newScanBtn_, &backupsBtn_, &uninstallBtn_, &fixBtn_, &removeBtn_,
                                         &closeBtn_, &startBtn_, &cancelBtn_, &okBtn_, &skipBtn_})
    if (button->Id() == CommandId(command)) return button->Enabled();
  return false;
}

std::string TMainForm::ButtonCaption(Command command) const {
  for (const widgets::TButton* button : {&newScanBtn_, &backupsBtn_, &uninstallBtn_, &fixBtn_, &removeBtn_,
                                         &closeBtn_, &startBtn_, &cancelBtn_, &okBtn_, &skipBtn_})
    if (button->Id() == CommandId(command)) return button->Text();
  return {};
}

void TMainForm::SetDeep(bool deep) {
  deepOpt_.SetChecked(deep);
  normalOpt_.SetChecked(!deep);
}

// ---------------------------------------------------------------- columns and sorting

void TMainForm::SetupColumns(bool force) {
  const int tab = CurrentTab();
  StringList wanted;
  for (std::string_view id : TabColumnIds(tab)) {
    const std::string& text = Text(id);
    wanted.push_back(text.empty() ? std::string(id) : text);
  }
  model_.SetColumnCount(static_cast<int>(wanted.size()));
  if (!force && SameColumns(list_.ColumnCaptions(), wanted)) return;
  SendMessageW(list_.Handle(), WM_SETREDRAW, FALSE, 0);
  list_.RemoveColumns();
  const int width = InitialColumnWidth(list_.ClientWidth(), static_cast<int>(wanted.size()));
  for (const std::string& caption : wanted) list_.AddColumn(caption, std::max(width, S(60)));
  TFormListSettings columns(*this);
  context_.settings->RestoreColumns(columns);
  SendMessageW(list_.Handle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_.Handle(), nullptr, TRUE);
}

void TMainForm::SortAsSaved() {
  const int tab = CurrentTab();
  const SortOrder order = LoadSortOrder(*context_.settings, tab, model_.ColumnCount());
  model_.Sort(sorter_, order.column, order.direction);
  list_.Refresh(true);
}

void TMainForm::ColumnClick(int column) {
  if (column < 0 || column >= model_.ColumnCount() || scan_.Running()) return;
  SortOrder order;
  order.column = column;
  order.direction = model_.SortClicked(sorter_, column);
  SaveSortOrder(*context_.settings, CurrentTab(), order);
  list_.Refresh(true);
  RefreshDetails();
}

// ---------------------------------------------------------------- tabs

bool TMainForm::ChangeTab(int tab) {
  if (tab < 0 || tab >= kTabs || !tabLock_.CanChange()) return false;
  {
    TFormListSettings columns(*this);
    context_.settings->SaveColumns(columns);
  }
  tabLock_.Changed();
  SetTimer(Handle(), kTabSettleTimer, 1000, nullptr);
  tabs_.SetCurrent(tab);

  workingPanel_.SetVisible(false);
  scanPanel_.SetVisible(false);
  sweeperPanel_.SetVisible(false);
  cachePanel_.SetVisible(false);
  tabs_.SetEnabled(false);

  // The rows of the tab left are gone, a scan's too.
  model_.Clear();
  wholeKeys_.clear();
  list_.Refresh(false);
  scan_.TabShown();
  stallText_.clear();
  if (managers_) {
    managers_->ShowTab(tab);
    managers_->Updater().SetShownCount(0);
  }
  topPanel_.SetVisible(false);
  SetupColumns(false);
  ShowPanels();
  Layout();
  RefreshDetails();
  RefreshStatus();
  RefreshButtons();
  tabs_.SetEnabled(true);
  list_.Focus();
  return true;
}

// ---------------------------------------------------------------- commands

bool TMainForm::CommandBuilt(Command command) {
  switch (command) {
    case Command::Exit:
    case Command::HelpTool:
    case Command::Faq:
    case Command::License:
    case Command::SaveList:
    case Command::SelectAll:
    case Command::SelectNone:
    case Command::SelectInverse:
    case Command::SelectHighlighted:
    case Command::ToggleSelected:
    case Command::Fix:
    case Command::Remove:
    case Command::Uninstall:
    case Command::RegEdit:
    case Command::FindInfo:
    case Command::Backups:
    case Command::Start:
    case Command::Cancel:
    case Command::NewScan:
    case Command::CacheOk:
    case Command::CacheSkip:
    case Command::Refresh:
    case Command::WebSite:
      return true;
    default:
      return false;
  }
}

void TMainForm::Execute(Command command) {
  if (!CommandBuilt(command)) return;
  switch (command) {
    case Command::Exit:
      PostMessageW(Handle(), WM_CLOSE, 0, 0);
      break;
    case Command::HelpTool:
    case Command::Faq:
    case Command::License:
    case Command::WebSite:
      OpenHelp(command);
      break;
    case Command::Start:
      if (startBtn_.Enabled() && sweeperPanel_.Visible()) StartScan();
      break;
    case Command::Cancel:
      // During a fix the working panel's Cancel stops it between two rows.
      if (working_) {
        workCancelled_ = true;
        break;
      }
      scan_.Cancel();
      ShowPanels();
      RefreshButtons();
      break;
    case Command::NewScan:
      scan_.NewScan();
      model_.Clear();
      wholeKeys_.clear();
      list_.Refresh(false);
      ShowPanels();
      RefreshStatus();
      RefreshButtons();
      break;
    case Command::CacheOk:
      if (cachePanel_.Visible() && okBtn_.Enabled()) BuildCache();
      break;
    case Command::CacheSkip:
      if (cachePanel_.Visible() && skipBtn_.Enabled()) SkipCache();
      break;
    case Command::Refresh:
      if (managers_) managers_->Updater().RequestUpdate();
      break;
    default:
      ExecuteAction(command);
      break;
  }
}

bool TMainForm::PreTranslate(MSG& message) {
  if (Handle() == nullptr) return false;
  if (backups_ && backups_->PreTranslate(message)) return true;
  if (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd)) return false;
  if (message.message == WM_KEYDOWN) {
    Key key = Key::Other;
    switch (message.wParam) {
      case VK_F5:
        key = Key::F5;
        break;
      case VK_ESCAPE:
        key = Key::Escape;
        break;
      case VK_RETURN:
        key = Key::Enter;
        break;
      case VK_DELETE:
        key = Key::Delete;
        break;
      default:
        break;
    }
    if (key != Key::Other) {
      KeyContext context;
      context.cachePanelVisible = cachePanel_.Visible();
      context.scanOptionsVisible = sweeperPanel_.Visible();
      context.shift = GetKeyState(VK_SHIFT) < 0;
      context.control = GetKeyState(VK_CONTROL) < 0;
      context.alt = GetKeyState(VK_MENU) < 0;
      Command command = KeyCommand(key, context);
      // Del alone clicks Fix where Fix can be clicked (the cleaner's tab).
      if (command == Command::Remove && !context.shift && fixBtn_.Visible() && fixBtn_.Enabled())
        command = Command::Fix;
      if (command != Command::None) {
        // A key clicks a button only as the user could.
        widgets::TButton* button = nullptr;
        if (command == Command::Fix) button = &fixBtn_;
        if (command == Command::Remove) button = &removeBtn_;
        if (command == Command::Start) button = &startBtn_;
        if (command == Command::Cancel) button = &cancelBtn_;
        if (command == Command::CacheOk) button = &okBtn_;
        if (command == Command::CacheSkip) button = &skipBtn_;
        if (button == nullptr || button->Click() == false) {
          if (button == nullptr) Execute(command);
        }
        return true;
      }
    }
  }
  if (accelerators_.Get() != nullptr && TranslateAcceleratorW(Handle(), accelerators_.Get(), &message))
    return true;
  return IsDialogMessageW(Handle(), &message) != FALSE;
}

void TMainForm::OpenHelp(Command command) {
  const HelpItem item = command == Command::HelpTool  ? HelpItem::MainWindowHelp
                        : command == Command::Faq     ? HelpItem::Faq
                        : command == Command::License ? HelpItem::License
                                                      : HelpItem::WebSite;
  OpenHelpItem(item, context_.folders.ProgramFolder);
}

void TMainForm::ShowMessageBox(const std::string& title, const std::string& text) {
  MessageBoxW(Handle(), Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONINFORMATION);
}

void TMainForm::OnInitMenuPopup(HMENU menu) {
  if (menu == languageMenu_) {
    RebuildLanguageMenu();
    return;
  }
  for (int id = kCommandBase + 1; id <= kCommandBase + static_cast<int>(Command::Refresh); ++id) {
    const Command command = static_cast<Command>(id - kCommandBase);
    bool enabled = CommandBuilt(command);
    if (command == Command::Fix) enabled = enabled && fixBtn_.Enabled() && fixBtn_.Visible();
    if (command == Command::Remove) enabled = enabled && removeBtn_.Enabled();
    widgets::EnableMenuItemById(menu, id, enabled);
  }
  if (menu != popup_.Handle()) return;
  // The pop-up's rules: items that do not apply are greyed.
  TPopupContext state;
  state.tab = CurrentTab();
  state.focusedRow = list_.FocusedRow() >= 0;
  const std::vector<int> selected = list_.SelectedRows();
  state.selectedRow = !selected.empty();
  state.selectedRowTicked = state.selectedRow && model_.Ticked(selected.front());
  state.fixButton = fixBtn_.Enabled() && fixBtn_.Visible();
  state.removeButton = removeBtn_.Enabled() && removeBtn_.Visible();
  state.backupsButton = backupsBtn_.Enabled();
  const TPopupItems items = PopupItems(state);
  for (const auto& [command, shown] : {std::pair{Command::ToggleSelected, items.select},
                                       {Command::Fix, items.fix},
                                       {Command::Remove, items.remove},
                                       {Command::RegEdit, items.regEdit},
                                       {Command::SelectAll, items.selectAll},
                                       {Command::SelectNone, items.selectNone},
                                       {Command::SelectInverse, items.selectInverse},
                                       {Command::Backups, items.backups}})
    if (!shown) widgets::EnableMenuItemById(menu, CommandId(command), false);
}

// ---------------------------------------------------------------- manager lists

void TMainForm::SetManagerTexts() {
  if (managers_) managers_->SetTexts(Text("Misc.14"), Text("Misc.12"), Text("Misc.1"), Text("Misc.13"));
}

void TMainForm::OnBeforeUpdate(int tab) {
  if (managers_ && tab == CurrentTab()) managers_->Updater().SetShownCount(model_.Count());
}

void TMainForm::OnClear(int tab) {
  if (tab != CurrentTab() || tab == kCleanerTabIndex) return;
  ++updatesShown_[static_cast<size_t>(tab)];
  if (model_.Count() == 0) return;
  model_.Clear();
  list_.Refresh(false);
}

void TMainForm::OnBeginAdd(int tab, size_t rowCount) {
  if (tab == CurrentTab() && tab != kCleanerTabIndex) model_.Reserve(rowCount);
}

void TMainForm::OnAddItem(int tab, const TListRow& row) {
  if (tab == CurrentTab() && tab != kCleanerTabIndex) model_.Add(row.caption, row.subItems, row.view32);
}

void TMainForm::OnEndAdd(int tab) {
  if (tab != CurrentTab() || tab == kCleanerTabIndex) return;
  SortAsSaved();
  list_.Refresh(false);
  RefreshDetails();
  RefreshStatus();
  RefreshButtons();
  if (managers_) managers_->Counter().RequestCount();
}

std::optional<TItemCount> TMainForm::CountItems() {
  if (Handle() == nullptr || closing_) return std::nullopt;
  return TItemCount{model_.TickedCount(), list_.SelectedCount(), model_.Count()};
}

void TMainForm::OnCounted(const TItemCount& count) {
  // The window counts its own rows as they change; the counter's figures
  // agree with them and only confirm the status line.
  checkedCount_ = count.ticked;
  RefreshStatus();
  RefreshButtons();
}

// ---------------------------------------------------------------- first-run prompt

void TMainForm::SkipCache() {
  list_.Focus();
  cachePanel_.SetVisible(false);
  ShowPanels();
}

void TMainForm::BuildCache() {
  list_.Focus();
  tabs_.SetEnabled(false);
  okBtn_.SetEnabled(false);
  skipBtn_.SetEnabled(false);
  waitLabel_.SetText(Text("Misc.10").empty() ? DesignedText("PleaseWaitLabel") : Text("Misc.10"));
  waitLabel_.SetVisible(true);
  const HCURSOR old = SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
  // The new cache replaces whatever a delayed load would have read.
  cacheLoader_.reset();
  const std::string excluded = context_.settings->ReadString("Settings", "DontCacheDrives", "0", "0");
  cacheBuild_.emplace();
  const TCacheBuildResult result = BuildFileCache(
      fileCache_, context_.folders.FileCacheFile, excluded, *context_.dispatcher,
      [this] { context_.dispatcher->ProcessPending(std::chrono::milliseconds(0)); },
      cacheBuild_->get_token());
  cacheBuild_.reset();
  SetCursor(old);
  if (closeAfterBuild_) {
    // The user closed the window during the build: nothing was saved, and
    // the prompt comes again at the next start.
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
    return;
  }
  if (!result.cancelled)
    context_.settings->WriteInteger("Settings", "FileCache", "Created", TodayDayNumber());
  tabs_.SetEnabled(true);
  okBtn_.SetEnabled(true);
  skipBtn_.SetEnabled(true);
  waitLabel_.SetVisible(false);
  cachePanel_.SetVisible(false);
  ShowPanels();
  RefreshButtons();
}

const TFileSystemCache& TMainForm::LoadedFileCache() {
  if (!cacheLoader_) return fileCache_;
  const bool ended = cacheLoader_->Finished();
  // Stops a load still waiting or reading; the cache keeps what it had.
  cacheLoader_.reset();
  if (!ended) fileCache_.LoadFromFile(context_.folders.FileCacheFile);
  return fileCache_;
}

// ---------------------------------------------------------------- messages

void TMainForm::OnNotify(const NMHDR& header, LRESULT& result) {
  if (list_.HandleNotify(header, result)) {
    if (header.code == NM_CLICK || header.code == LVN_KEYDOWN) {
      RefreshDetails();
      RefreshStatus();
      RefreshButtons();
    }
    return;
  }
  if (header.hwndFrom == list_.Handle()) {
    switch (header.code) {
      case LVN_ITEMCHANGED:
      case LVN_ODSTATECHANGED:
        RefreshDetails();
        RefreshStatus();
        break;
      case LVN_COLUMNCLICK:
        ColumnClick(reinterpret_cast<const NMLISTVIEW*>(&header)->iSubItem);
        break;
      case NM_RCLICK: {
        POINT point{};
        GetCursorPos(&point);
        popupRow_ = list_.FocusedRow();
        OnInitMenuPopup(popup_.Handle());
        TrackPopupMenu(popup_.Handle(), TPM_RIGHTBUTTON, point.x, point.y, 0, Handle(), nullptr);
        break;
      }
      default:
        break;
    }
    return;
  }
  if (header.hwndFrom == tabs_.Handle()) {
    if (header.code == TCN_SELCHANGING) {
      // Refused while locked; the change itself is made in ChangeTab.
      result = tabLock_.CanChange() ? FALSE : TRUE;
      tabLeft_ = CurrentTab();
    } else if (header.code == TCN_SELCHANGE) {
      const int tab = CurrentTab();
      tabs_.SetCurrent(tabLeft_);
      ChangeTab(tab);
    }
  }
}

void TMainForm::OnTimer(UINT_PTR timer) {
  switch (timer) {
    case kWatchdogTimer:
      WatchdogTick();
      break;
    case kTabSettleTimer:
      KillTimer(Handle(), kTabSettleTimer);
      tabLock_.Settled();
      break;
    case kThreadReleaseTimer:
      KillTimer(Handle(), kThreadReleaseTimer);
      if (driver_ && !driver_->Running()) driver_->Wait();
      break;
    case kRowsTimer:
      FlushRows();
      break;
    case kLanguageTimer:
      KillTimer(Handle(), kLanguageTimer);
      if (Text("Columns.1").empty()) ApplyLanguage();
      break;
    default:
      break;
  }
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= kLanguageBase && id < kLanguageBase + static_cast<int>(languageFiles_.size())) {
        ChooseLanguage(languageFiles_[static_cast<size_t>(id - kLanguageBase)]);
        return 0;
      }
      if (const auto command = CommandOfId(id)) Execute(*command);
      return 0;
    }
    case WM_NOTIFY: {
      LRESULT result = 0;
      OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
      return result;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      RECT area{0, 0, S(360), S(330)};
      AdjustWindowRectEx(&area, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_CONTROLPARENT);
      info->ptMinTrackSize.x = area.right - area.left;
      info->ptMinTrackSize.y = area.bottom - area.top;
      return 0;
    }
    case 0x02E0: {  // WM_DPICHANGED: new sizes for the screen the window moved to
      dpi_ = HIWORD(wParam);
      ApplyFont();
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      Layout();
      return 0;
    }
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        RefreshButtons();
        RefreshDetails();
        list_.Focus();
      }
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      if (context_.quitOnClose) PostQuitMessage(0);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

void TMainForm::OnClose() {
  // A fix or removal in hand ends first: Cancel stops it between rows.
  if (closing_ || working_) return;
  if (cacheBuild_) {
    // Called from within the build's own message handling: the build stops
    // and closes the window once its threads have ended.
    cacheBuild_->request_stop();
    closeAfterBuild_ = true;
    return;
  }
  closing_ = true;
  {
    TFormWindowSettings window(*this);
    context_.settings->SaveForm(window);
    TFormListSettings columns(*this);
    context_.settings->SaveColumns(columns);
  }
  ShowWindow(Handle(), SW_HIDE);
  Shutdown();
  DestroyWindow(Handle());
}

void TMainForm::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  closing_ = true;
  // Every thread is told to stop first, then each is waited for while the
  // dispatcher keeps the hand-overs running.
  if (idle_) idle_->Stop();
  if (managers_) managers_->Stop();
  if (driver_) driver_->Cancel();
  if (Handle() != nullptr)
    for (UINT_PTR timer : {kWatchdogTimer, kTabSettleTimer, kThreadReleaseTimer, kRowsTimer, kLanguageTimer})
      KillTimer(Handle(), timer);
  if (idle_) idle_->Wait();
  if (driver_) driver_->Wait();
  driver_.reset();
  idle_.reset();
  managers_.reset();
  cacheLoader_.reset();
}

}  // namespace vp::shell
