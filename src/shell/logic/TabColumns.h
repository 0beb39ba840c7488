#pragma once

// What the main window shows per tab: the language entries of its columns,
// and when a list's columns already are the wanted ones.

#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"

namespace vp::shell {

inline constexpr int kTabs = 10;
inline constexpr int kCleanerTabIndex = 9;
// Add/Remove menu: the one tab with an Uninstall button.
inline constexpr int kUninstallTabIndex = 2;

// The entry ids ("Columns.15", ...) of a tab's columns, first column first;
// empty for an index out of range.
const std::vector<std::string_view>& TabColumnIds(int tab);

// True when the list already has exactly these captions (case ignored), so
// that a tab change keeps the columns and their widths.
bool SameColumns(const StringList& shown, const StringList& wanted);

// The width each new column gets before saved widths are restored.
int InitialColumnWidth(int listWidth, int columnCount);

}  // namespace vp::shell
