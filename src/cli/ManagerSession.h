#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/CommandContext.h"
#include "manager/ManagerView.h"

namespace vp::cli {

// The rows of a manager tab as the window shows them: read by the tab's
// fill thread and handed over whole by the screen updater to this thread.
// Nothing when interrupted (Ctrl+C) before the list arrived.
std::optional<std::vector<TListRow>> FillManagerTab(const CommandContext& context, int tab);

// A row as list prints it: "caption | column | ...", and " | (32-bit)" for
// a row of the 32-bit programs' registry view. Selection files name rows so.
std::string RowLine(const TListRow& row);

// The caption of a tab in the chosen language, or the English one when no
// language file can be read (a backup set's default description).
std::string TabCaption(const CommandContext& context, int tab);

}  // namespace vp::cli
