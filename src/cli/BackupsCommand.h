#pragma once

#include "cli/CommandContext.h"

namespace vp::cli {

// "backups list | show ID | restore ID... | remove ID...": the backup sets
// in the program's Backups folder.
int RunBackupsCommand(const CommandContext& context, const Arguments& arguments);

}  // namespace vp::cli
