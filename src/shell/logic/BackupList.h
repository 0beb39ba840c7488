#pragma once

// The Backups window apart from the window: its rows, their order and text,
// and the restore of the selected sets with the report the user sees.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/BackupSets.h"
#include "shell/logic/ListText.h"

namespace vp::shell {

// The list's columns: the description (the caption) and the date.
inline constexpr size_t kBackupListColumns = 2;

struct TBackupRow {
  TBackupSetInfo set;
  // As the list shows it: caption = description, sub-item = the date.
  TListRow Shown() const { return {set.description, {set.dateTime}}; }
};

// Every set in the backups folder, sorted by description without regard to
// case (sets of one description in the order the folder lists them).
// noDescriptionText stands for
// an empty description.
std::vector<TBackupRow> ReadBackupRows(const std::string& backupsFolder,
                                       const std::string& noDescriptionText);

// "Save list as...": one line per set, the description, " | " and the date.
std::string BackupListText(const std::vector<TBackupRow>& rows);

struct TRestoreTexts {
  std::string restoredOne;      // "Backups.1"
  std::string restoredSeveral;  // "Backups.2"
};

struct TRestoreRun {
  std::vector<std::string> descriptions;
  std::vector<TRestoreReport> reports;  // one per set, in the order given
  bool AllComplete() const;
};

// Restores the sets one after the other through the validated restore: a set
// that is damaged, unfinished or changed since it was finished is refused
// whole before anything of it changes. Then asks every manager tab (0 to 8)
// to fill again, whatever the outcome: a set may have been applied in part.
TRestoreRun RestoreBackupRows(const std::vector<TBackupRow>& selected,
                              const std::function<void(int tab)>& requestFill);

// The message after a restore: the language's text for one or several sets
// when everything was put back, followed by what each set applied and what
// failed or was refused and why.
std::string RestoreMessage(const TRestoreRun& run, const TRestoreTexts& texts);

// The window's caption: the Backups button's caption without its first "&",
// " - ", and the main window's caption cut before its first "-" and then
// before its first "*", trimmed.
std::string BackupWindowCaption(std::string_view mainCaption, std::string_view backupsButtonCaption);

// Restore and Remove are enabled, and their pop-up items (with View) shown,
// while at least one set is selected.
inline bool BackupActionsEnabled(size_t selectedCount) {
  return selectedCount > 0;
}

enum class TBackupCommand : uint8_t { kNone, kClose, kRemove, kRestore, kView };

// The window's keys (it sees them before the list): Escape closes, Delete
// removes, Enter restores, Ctrl+E views.
TBackupCommand BackupCommandForKey(int virtualKey, bool ctrl, bool shift, bool alt);

// Opens each selected set's "Entries.reg" that exists in the text editor;
// the number opened.
size_t ViewBackupRows(const std::vector<TBackupRow>& selected);

// Deletes each selected set with everything in it; the number deleted.
size_t RemoveBackupRows(const std::vector<TBackupRow>& selected);

}  // namespace vp::shell
