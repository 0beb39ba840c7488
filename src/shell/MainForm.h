#pragma once

// The main window: ten tabs over one list, the scan's panels, the bottom
// buttons and the status bar. The rules of what is shown and usable live in
// shell/logic; this class binds them to the controls and routes every
// command through Execute.

#include <windows.h>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "files/FileCacheCreator.h"
#include "files/FileSystemCache.h"
#include "manager/ManagerThreads.h"
#include "manager/ManagerView.h"
#include "scanner/ScanDriver.h"
#include "settings/ProgramFolders.h"
#include "settings/Translator.h"
#include "shell/BackupForm.h"
#include "shell/IdleThread.h"
#include "shell/logic/ButtonStates.h"
#include "shell/logic/Commands.h"
#include "shell/logic/ListActions.h"
#include "shell/logic/ListModel.h"
#include "shell/logic/RowSelection.h"
#include "shell/logic/ScanControl.h"
#include "shell/logic/TabColumns.h"
#include "shell/logic/TabState.h"
#include "widgets/Controls.h"
#include "widgets/Dpi.h"
#include "widgets/ListView.h"
#include "widgets/Menu.h"
#include "widgets/Window.h"

namespace vp {
class TSettingsManager;
class TDispatcher;
}  // namespace vp

namespace vp::shell {

class TFormTranslation;

// What the window needs from the program around it.
struct TMainFormContext {
  TProgramFolders folders;
  TSettingsManager* settings = nullptr;
  TTranslator* translator = nullptr;
  MessageTexts* texts = nullptr;
  TDispatcher* dispatcher = nullptr;
  // The language file applied at start.
  std::string languageFile;
  // Ends the message loop when the window goes (the program's window does;
  // a window a test opens does not).
  bool quitOnClose = true;
  // The pacing of the manager lists (tests shorten it).
  TManagerTimings managerTimings;
  // How long after the window's creation the file cache is loaded.
  std::chrono::milliseconds cacheLoadDelay{4000};
  // When not empty, a scan runs only these areas (a test's short scan).
  std::vector<int32_t> scanAreas;
  // Shows an information box; a test records it instead.
  std::function<void(const std::string& title, const std::string& text)> showMessage;
  // Asks a yes/no question; a test answers it instead.
  std::function<bool(const std::string& title, const std::string& text)> confirm;
  // Gives the backup description the prompt would ask for; a test answers
  // it instead. Nothing stands for a cancelled prompt.
  std::function<std::optional<std::string>()> askDescription;
  // Gives the file name the save dialog would ask for ("" for cancel).
  std::function<std::string()> askSaveName;
};

class TMainForm : public widgets::TCustomWindow, private widgets::TListSource, private TManagerView {
 public:
  explicit TMainForm(TMainFormContext context);
  ~TMainForm() override;

  // Creates the window and its controls, hidden. False when the system
  // refused a window.
  bool Create();
  // Shows the window as the program starts it.
  void Show(int showCommand);

  // Handles the keys the window sees before its controls; true when the
  // message was used. The message loop calls it for every message.
  bool PreTranslate(MSG& message);

  // Every command, from a menu, a button or a key.
  void Execute(Command command);
  // False for an action that is not built yet: it is shown greyed.
  static bool CommandBuilt(Command command);

  // The user's tab change: false when the tab control is locked.
  bool ChangeTab(int tab);
  void ColumnClick(int column);
  // Applies a language file as the Language menu does.
  bool ChooseLanguage(const std::string& file);

  // State for the tests and the screenshots.
  int CurrentTab() const;
  ScanPhase Phase() const { return scan_.Phase(); }
  bool ScanRunning() const { return scan_.Running(); }
  const TListModel& Model() const { return model_; }
  widgets::TListView& List() { return list_; }
  std::string StatusText() const { return status_.Text(); }
  const TScanDriver* Driver() const { return driver_.get(); }
  bool CachePanelVisible() const { return cachePanel_.Visible(); }
  bool ButtonVisible(Command command) const;
  bool ButtonEnabled(Command command) const;
  std::string ButtonCaption(Command command) const;
  void SetDeep(bool deep);
  TBackupForm* Backups() { return backups_.get(); }
  bool WorkingPanelVisible() const { return workingPanel_.Visible(); }
  // The stall the watchdog reported last ("" while the scan moves).
  const std::string& StallText() const { return stallText_; }
  // How long the end of the last scan took on the window thread, from the
  // last thread's end event to every row listed and sorted.
  std::chrono::milliseconds LastScanEndWork() const { return lastScanEndWork_; }
  // Runs the watchdog's check at once (it runs on its timer otherwise).
  void WatchdogTick();
  // Updates of a manager tab that reached the list (each a whole list or
  // the news that it has not changed).
  int UpdatesShown(int tab) const {
    return tab >= 0 && tab < kTabs ? updatesShown_[static_cast<size_t>(tab)] : 0;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  friend class TFormWindowSettings;
  friend class TFormListSettings;

  // Language menu items, by position.
  static constexpr int kLanguageBase = 5000;

  enum Timer : UINT_PTR {
    kWatchdogTimer = 1,   // 8200 ms while a scan runs: reports a stall
    kTabSettleTimer,      // 1000 ms after a tab change: unlocks the tabs
    kThreadReleaseTimer,  // 1000 ms after a scan's end: joins its threads
    kRowsTimer,           // 250 ms while a scan runs: shows the rows found so far
    kLanguageTimer,       // 3900 ms: applies the language when nothing did yet
  };

  // TListSource
  int RowCount() const override { return model_.Count(); }
  const std::string& CellText(int row, int column) const override { return model_.Cell(row, column); }
  bool RowTicked(int row) const override { return model_.Ticked(row); }
  void SetRowTicked(int row, bool ticked) override { model_.SetTicked(row, ticked); }

  // TManagerView: the manager lists arrive whole, on this thread.
  void OnBeforeUpdate(int tab) override;
  void OnClear(int tab) override;
  void OnBeginAdd(int tab, size_t rowCount) override;
  void OnAddItem(int tab, const TListRow& row) override;
  void OnEndAdd(int tab) override;
  std::optional<TItemCount> CountItems() override;
  void OnCounted(const TItemCount& count) override;
  void SetManagerTexts();

  const std::string& Text(std::string_view id) const;
  int S(int length) const { return Scale(length, dpi_); }

  void CreateControls();
  void CreateMenus();
  void ApplyFont();
  void Layout();
  void LayoutBar();
  void RefreshButtons();
  void RefreshDetails();
  void RefreshStatus();
  void SetupColumns(bool force);
  void SortAsSaved();
  void ShowPanels();
  void ShowMessageBox(const std::string& title, const std::string& text);
  void OnInitMenuPopup(HMENU menu);
  void OnNotify(const NMHDR& header, LRESULT& result);
  void OnTimer(UINT_PTR timer);
  void OnClose();
  void Shutdown();

  // Scan control
  void StartScan();
  void OnScanItem(const TNewItem& item);
  void OnScanProgress();
  void OnScanFinished();
  void FlushRows();

  // First-run prompt
  void BuildCache();
  void SkipCache();
  // The file cache as Fix needs it: loaded now when the delayed load has
  // not ended yet.
  const TFileSystemCache& LoadedFileCache();

  // Help
  void OpenHelp(Command command);

  // Actions on listed rows (MainFormActions.cpp)
  void ExecuteAction(Command command);
  void Select(TSelectCommand command);
  void ToggleRemembered();
  void Fix();
  void Remove();
  void Uninstall();
  void OpenRegEditAtRow();
  void FindInfo();
  void SaveList();
  void ShowBackups();
  std::string AskDescription(bool forRemove);
  bool Confirm(const std::string& title, const std::string& text);
  int CurrentRow() const;
  std::vector<TNewItem> TickedFindings() const;
  // The cleaner's texts in the language in use.
  TCleanerLanguage CleanerTexts() const;
  void RemoveListRows(const std::vector<int>& tickedRows, const std::vector<size_t>& leaving);
  void BeginWork(const std::string& text, int steps, bool cancellable);
  void StepWork();
  void EndWork();

  // Language
  // The main window and the Backups window, as the translator walks them.
  std::vector<TranslatableWindow*> TranslatedWindows();
  void ApplyLanguage();
  void RebuildLanguageMenu();

  TMainFormContext context_;
  int dpi_ = 96;
  widgets::TFont font_;
  widgets::TFont boldFont_;

  widgets::TPanel topPanel_;
  widgets::TLabel keyLabel_, entryLabel_, problemLabel_;
  widgets::TReadOnlyEdit keyEdit_, entryEdit_, problemEdit_;
  widgets::TTabControl tabs_;
  widgets::TListView list_;
  widgets::TPanel bar_;
  widgets::TButton newScanBtn_, backupsBtn_, uninstallBtn_, fixBtn_, removeBtn_, closeBtn_;
  widgets::TStatusBar status_;

  widgets::TPanel sweeperPanel_;
  widgets::TLabel sweeperLabel_;
  widgets::TRadioButton normalOpt_, deepOpt_;
  widgets::TButton startBtn_, cancelBtn_;

  widgets::TPanel scanPanel_;
  widgets::TLabel scanLabel_, keysLabel_, valuesLabel_, invalidLabel_;
  widgets::TReadOnlyEdit keysEdit_, valuesEdit_, invalidEdit_;

  widgets::TPanel workingPanel_;
  widgets::TLabel workingLabel_;
  widgets::TProgressBar progress_;

  widgets::TPanel cachePanel_;
  widgets::TLabel cacheLabel_, waitLabel_;
  widgets::TButton okBtn_, skipBtn_;

  HMENU mainMenu_ = nullptr;  // owned by the window
  HMENU languageMenu_ = nullptr;
  widgets::TMenu popup_;
  widgets::TAccelerators accelerators_;
  std::vector<std::string> languageFiles_;  // by Language menu position

  std::unique_ptr<TFormTranslation> translation_;

  TListModel model_;
  // The cleaner's texts in the language in use, for the rows of the scan.
  TCleanerLanguage scanTexts_;
  TListViewSorter sorter_;
  TScanControl scan_;
  TTabLock tabLock_;
  int checkedCount_ = 0;
  int tabLeft_ = -1;  // the tab shown when the user began a change
  bool rowsDirty_ = false;
  bool closing_ = false;
  bool shutDown_ = false;
  // The file cache is built on the window thread, which keeps handling
  // messages meanwhile: a close then stops the build, and the window closes
  // once the build has ended and its threads are joined.
  std::optional<std::stop_source> cacheBuild_;
  bool closeAfterBuild_ = false;
  std::string stallText_;
  std::chrono::milliseconds lastScanEndWork_{0};
  // The findings of the scan that name a whole key, by key and entry: the
  // list shows the marker text, the fix needs the fact.
  std::set<std::string> wholeKeys_;
  int popupRow_ = -1;  // the focused row when the pop-up menu opened
  // A long action runs: the working panel shows, with Cancel where the
  // action can stop between rows.
  bool working_ = false;
  bool workCancelled_ = false;
  widgets::TButton workCancelBtn_;
  std::unique_ptr<TBackupForm> backups_;
  std::array<int, kTabs> updatesShown_{};
  // Where Fix looks for a moved file: loaded in the background a while
  // after start, or built from the first-run prompt.
  TFileSystemCache fileCache_;
  std::unique_ptr<TFileCacheLoader> cacheLoader_;  // after the cache it fills

  // Last: the threads end before what they use.
  std::unique_ptr<TManagerThreads> managers_;
  std::unique_ptr<TScanDriver> driver_;
  std::unique_ptr<TIdleThread> idle_;
};

}  // namespace vp::shell
