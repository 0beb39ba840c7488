#pragma once

// What the main window's row commands need to know, apart from the window:
// the backup description, the web search for a row, the key the registry
// editor opens at, and the uninstall command of a program.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/logic/ListText.h"

namespace vp::shell {

inline constexpr int kCleanerTab = 9;

// The description of a backup set: the typed text as it is, or, when it is
// empty after trimming blanks, the tab's caption, followed for Remove with
// exactly one ticked row by " : " and that row's caption. The prompt itself
// starts empty.
std::string BackupDescription(std::string_view typed, std::string_view tabCaption,
                              const std::vector<std::string>& tickedCaptions, bool forRemove);

// What "Find more information" searches for on a tab: tab 0 the program and
// its vendor as two quoted phrases, tab 1 the started program's file name
// quoted, every other tab the caption quoted.
std::string SearchQuery(int tab, const TListRow& row);

// The query as a web address: blanks as "+", every other character that
// would end or change the query ("+", "&", "#", "%", quotes, ...)
// percent-encoded. Letters beyond ASCII stay as they are: the address is
// handed over as Unicode text, and the browser encodes them.
std::string SearchAddress(std::string_view query);

// Opens the search for a row in the user's browser.
bool FindMoreInformation(int tab, const TListRow& row);

// The key the registry editor is to show for a row, in full root notation;
// nothing on tabs 0, 2 and 4 and for a starting program the location of
// which names no Run key.
std::optional<std::string> RegEditKey(int tab, const TListRow& row);

// The registry editor's remembered key: written as its own text, "My
// Computer\" (Windows 2000 and XP) or "Computer\" (later), then the key.
// Only into the editor's settings key when it exists; false otherwise.
bool RememberRegEditKey(const std::string& key);

// Starts the registry editor showing the row's key (its remembered key set
// first); without a row the editor starts where it was last. False when the
// row has no key or the editor did not start.
bool OpenRegEdit(int tab, const TListRow* row);

// The uninstall command of the first program listed in the machine's
// Uninstall key whose display name (or quiet display name) is the caption,
// without regard to case: "UninstallString", or "QuietUninstallString" when
// that is empty (the command may be empty). Nothing when no program matches
// or the Uninstall key or one of its entries cannot be read.
std::optional<std::string> UninstallCommand(std::string_view caption);

struct TUninstallResult {
  size_t row = 0;        // the index into the ticked captions of the program
  bool started = false;  // its command was started
};

// Uninstall on the ticked rows: the first of them that names a listed
// program has its command started. Nothing when none does.
std::optional<TUninstallResult> Uninstall(const std::vector<std::string>& tickedCaptions);

}  // namespace vp::shell
