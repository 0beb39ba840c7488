#pragma once

#include "cli/CommandContext.h"

namespace vp::cli {

// "cache build | info": builds the file existence cache of the fixed drives,
// or tells its age and counts.
int RunCacheCommand(const CommandContext& context, const Arguments& arguments);

}  // namespace vp::cli
