#pragma once

#include "cli/CommandContext.h"

namespace vp::cli {

// veltaro list TAB [--json]: the rows of a manager tab (0 to 8 or its short
// name), one per line as "caption | column | ..." (with " | (32-bit)" for a
// row of the 32-bit programs' registry view), or as JSON objects with the
// caption, the columns and the view (32 or 64).
int RunListCommand(const CommandContext& context, const Arguments& arguments);

// The tab an argument names (a number 0 to 8 or a short name); -1 for none.
int ManagerTabNamed(const std::string& argument);

// The short names of the tabs, in tab order, for the usage text.
extern const char* const kManagerTabNames;

}  // namespace vp::cli
