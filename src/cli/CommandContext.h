#pragma once

// What every command of the command-line program is given: the program's
// folders and where to write. Commands return the exit status: 0 done (for
// scan: nothing found), 1 scan found something, 2 error.

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "settings/ProgramFolders.h"

namespace vp::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFound = 1;
inline constexpr int kExitError = 2;

struct CommandContext {
  TProgramFolders folders;
  std::ostream& out;
  std::ostream& err;
  // Standard error is a terminal: progress may redraw one line in place.
  bool errIsTerminal = false;
  // Set (from any thread or a signal handler) when the user asks to stop;
  // long commands end early and say so. May be null.
  const std::atomic<bool>* interrupted = nullptr;
};

using Arguments = std::vector<std::string>;

}  // namespace vp::cli
