#pragma once

#include "cli/CommandContext.h"

namespace vp::cli {

// "fix (--all | --select FILE) [--description TEXT] [--dry-run] [--deep]
// [--area N ...]": scans again, takes every finding or those FILE chooses
// ("key | entry" lines as scan prints them; a line the fresh scan does not
// report is skipped and said so), writes one backup set and repairs or
// deletes each. --deep and --area choose the scan that re-checks. Returns 0
// when every chosen finding was handled, 2 on an error or when any failed.
int RunFixCommand(const CommandContext& context, const Arguments& arguments);

}  // namespace vp::cli
