#pragma once

// "Save list as...": a list written as plain text, one line per row.

#include <string>
#include <string_view>
#include <vector>

#include "manager/ManagerView.h"

namespace vp::shell {

// One line per row in list order, ending in CR LF: the caption, then " | "
// and each sub-item that has a column (at most columnCount - 1 of them).
// No header line.
std::string ListAsText(const std::vector<TListRow>& rows, size_t columnCount);

// The file name the user confirmed, with ".txt" added when its last part has
// no extension.
std::string TextFileName(std::string_view confirmed);

// Writes the list to the file, replacing one that exists; false on failure.
bool SaveListAsText(std::string_view confirmed, const std::vector<TListRow>& rows, size_t columnCount);

}  // namespace vp::shell
