#pragma once

#include "cli/CommandContext.h"

namespace vp::cli {

// "scan [--deep] [--area N ...] [--json] [--show-ignored]": runs a registry
// scan and writes the findings to out, sorted, as a "Key | Entry | Problem"
// table or one JSON object per line; progress and the totals go to err.
// Returns 0 when nothing was found, 1 when something was, 2 on an error or
// when the user interrupted the scan.
int RunScanCommand(const CommandContext& context, const Arguments& arguments);

}  // namespace vp::cli
