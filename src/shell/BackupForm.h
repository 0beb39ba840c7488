#pragma once

// The Backups window: the backup sets in the backups folder, restored,
// removed or viewed. What it shows and does apart from the controls lives in
// shell/logic/BackupList; this class binds it to the window.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/logic/BackupList.h"
#include "widgets/Controls.h"
#include "widgets/ListView.h"
#include "widgets/Menu.h"
#include "widgets/Window.h"

namespace vp {
class TSettingsManager;
class MessageTexts;
class TranslatableWindow;
}  // namespace vp

namespace vp::shell {

class TFormTranslation;

struct TBackupFormContext {
  std::string backupsFolder;  // with its backslash
  std::string programFolder;  // with its backslash: the help documents lie below it
  TSettingsManager* settings = nullptr;
  const MessageTexts* texts = nullptr;
  // Asks a manager tab to fill its list again after a restore.
  std::function<void(int tab)> requestFill;
  // An information box and a yes/no question; a test answers them.
  std::function<void(const std::string& title, const std::string& text)> showMessage;
  std::function<bool(const std::string& title, const std::string& text)> confirm;
};

class TBackupForm : public widgets::TCustomWindow, private widgets::TListSource {
 public:
  explicit TBackupForm(TBackupFormContext context);
  ~TBackupForm() override;

  // Creates the window, hidden, owned by the main window.
  bool Create(HWND owner);
  // Shows it with its caption built from the main window's caption and its
  // Backups button's, at its saved place.
  void Show(const std::string& mainCaption, const std::string& backupsCaption);
  void Hide();
  bool Visible() const { return IsWindowVisible(Handle()) != FALSE; }

  // The keys the window sees before its list; true when one was used.
  bool PreTranslate(MSG& message);

  // The window's commands, as the buttons, menus and keys give them.
  void Restore();
  void Remove();
  void View();
  void SelectAll(bool select);
  void SelectInverse();
  // Writes the list as text to the file named (".txt" added without an
  // extension); the save dialog gives the name.
  bool SaveListTo(const std::string& file);

  // The window as the translator walks it (section "backupform").
  TranslatableWindow* Translation();

  // State for the tests and the screenshots.
  const std::vector<TBackupRow>& Rows() const { return rows_; }
  std::string RestoreCaption() const { return restoreBtn_.Text(); }
  HMENU PopupMenu() const { return popup_.Handle(); }
  widgets::TListView& List() { return list_; }
  bool RestoreEnabled() const { return restoreBtn_.Enabled(); }
  void RefreshList();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  enum Id : int {
    kRestore = 100,
    kRemove,
    kClose,
    kView,
    kSaveList,
    kExit,
    kSelectAll,
    kSelectNone,
    kSelectInverse,
    kHelp,
    kFaq,
    kLicense,
    kWebSite,
    kList,
  };

  // TListSource
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  const std::string& CellText(int row, int column) const override;
  bool RowTicked(int) const override { return false; }
  void SetRowTicked(int, bool) override {}

  const std::string& Text(std::string_view id) const;
  std::vector<TBackupRow> SelectedRows() const;
  void UpdateButtons();
  void Layout();
  void Command(int id);
  void SortBy(int column);
  void ShowPopup(POINT at);
  void SaveList();
  void CreateMenus();
  void OpenHelp(int id);
  void SavePlace();
  void RestorePlace();

  TBackupFormContext context_;
  std::vector<TBackupRow> rows_;
  widgets::TListView list_;
  widgets::TPanel bottom_;
  widgets::TButton restoreBtn_, removeBtn_, closeBtn_;
  widgets::TMenu popup_;
  widgets::TAccelerators accelerators_;
  int sortColumn_ = 0;
  int sortDirection_ = 1;
  std::unique_ptr<TFormTranslation> translation_;
};

}  // namespace vp::shell
