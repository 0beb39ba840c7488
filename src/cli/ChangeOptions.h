#pragma once

// What the two commands that change the registry (fix and remove) share on
// their command lines and before they act: which entries (--all or
// --select FILE), the backup set's description, --dry-run, and a backups
// folder that exists.

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/CommandContext.h"

namespace vp::cli {

struct ChangeOptions {
  bool all = false;
  std::string selectFile;
  std::string description;
  bool dryRun = false;
};

// Takes arguments[i], and the value after it, when it is one of the options
// above (i then names the last argument taken); false, i unchanged, for any
// other argument or one whose value is missing.
bool TakeChangeOption(const Arguments& arguments, size_t& i, ChangeOptions& options);

// True when exactly one of --all and --select FILE was given; otherwise
// tells err so, as the command's own message.
bool ChangeChoiceGiven(const CommandContext& context, std::string_view command, const ChangeOptions& options);

// The backups folder, made when it is missing; false, after telling err,
// when it cannot be made.
bool EnsureBackupsFolder(const CommandContext& context, std::string_view command, const std::string& folder);

}  // namespace vp::cli
