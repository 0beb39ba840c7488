#pragma once

#include "cli/CommandContext.h"

namespace vp::cli {

// "remove TAB (--all | --select FILE) [--description TEXT] [--dry-run]":
// reads the tab's list afresh, takes every row or those FILE chooses (lines
// as list prints them; a line the fresh list does not hold is skipped and
// said so), and removes each as the window's Remove does: every row's
// entries are saved in a backup set of their own first, and a row whose
// backup fails is left as it is. Returns 0 when every chosen row was
// handled, 2 on an error or when any failed.
int RunRemoveCommand(const CommandContext& context, const Arguments& arguments);

}  // namespace vp::cli
