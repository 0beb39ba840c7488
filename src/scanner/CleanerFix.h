#pragma once

// Fix of registry cleaner findings: one backup set, then for each finding
// either a repair of its value with the file found elsewhere or the deletion
// of the key or value. Nothing is changed that was not backed up first: a
// finding whose backup fails stays as it is and is reported as failed.
// Front ends (the window, the command line) decide which findings to pass.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"
#include "scanner/SweeperTypes.h"

namespace vp {

class TFileSystemCache;

// The type code of the sets the cleaner writes (the cleaner tab's index).
inline constexpr int kCleanerBackupType = 9;

struct TFixSettings {
  std::string backupsFolder;  // existing folder, with a trailing backslash
  std::string description;
  // Where a moved file is looked for (see LocateFirst); cache may be empty
  // but not null.
  const TFileSystemCache* cache = nullptr;
  StringList searchFolders;
  std::string driveLetters;  // lower case, the fixed drives
  // Look for a moved file and repoint a value at it; without, every finding
  // is deleted (the cleaner tab's Remove).
  bool repair = true;
  // Decide what would happen without writing a set or changing anything.
  bool dryRun = false;
  // Asked before each finding; true stops the fix there (the user pressed
  // Ctrl+C or Cancel). May be empty.
  std::function<bool()> stopRequested;
  // Told after each finding how many have been handled. May be empty.
  std::function<void(size_t handled)> progress;
};

// kGone: the key or value no longer existed when its turn came (an earlier
// finding of the same fix removed it, seen through another root or reported
// by two areas); nothing needed doing.
enum class TFixAction : uint8_t { kRepaired, kRemoved, kGone, kFailed };

struct TFixOutcome {
  std::string fullPath;  // the finding's key, as reported
  std::string entry;     // its entry: a value name or "@"; empty for a whole key
  bool wholeKey = false;
  TFixAction action = TFixAction::kFailed;
  std::string replacement;  // the value's new data when repaired
  std::string reason;       // why it failed
};

struct TFixReport {
  // The set was opened (always false in a dry run).
  bool backupCreated = false;
  std::string setFolder;  // with a trailing backslash; empty without a set
  int repaired = 0;
  int removed = 0;
  int gone = 0;
  int failed = 0;
  // Stopped on request: the findings after the outcomes were not touched,
  // and the set is finished as interrupted.
  bool interrupted = false;
  std::vector<TFixOutcome> outcomes;  // one per finding handled, in the order given
};

// The description a set gets: the typed text as it is, or the tab's caption
// when the text is empty after trimming blanks.
std::string FixDescription(std::string_view typed, std::string_view tabCaption);

// Fixes the findings in order on the calling thread. Without a set (the
// backups folder cannot take one) every finding fails. In a dry run the
// outcomes say what would be done: repaired with the replacement found now,
// or removed.
TFixReport FixCleanerItems(const std::vector<TNewItem>& items, const TFixSettings& settings);

// FixCleanerItems without repairs: each finding's key or value is backed up
// and deleted, and one whose backup fails stays.
TFixReport RemoveCleanerItems(const std::vector<TNewItem>& items, TFixSettings settings);

// The extra folders Fix searches for a moved file: every sub-folder, at any
// depth, of the current user's desktop and documents folders (the "Desktop"
// and "Personal" shell folders) and of the Windows folder.
StringList CollectSearchFolders();

}  // namespace vp
