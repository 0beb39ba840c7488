#pragma once

// The command-line program without its process: parses the global options,
// sets up the machine it works on and runs one command. main() is a thin
// shell around this, and the tests call it directly.

#include <atomic>
#include <ostream>
#include <string>

#include "cli/CommandContext.h"

namespace vp::cli {

struct CommandLineIO {
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal = false;
  const std::atomic<bool>* interrupted = nullptr;
  // The program file's path; its folder is the program folder unless
  // --folder names another.
  std::string programPath;
  // Native build: work on a simulated machine even without --registry or
  // --drive (the program itself does; tests that install a machine of their
  // own do not).
  bool alwaysSimulate = false;
};

// Runs the command line (without the program name). Returns the exit
// status: 0 done (scan: nothing found), 1 scan found something, 2 error.
// Never throws.
int RunCommandLine(const Arguments& arguments, const CommandLineIO& io);

// The usage text.
extern const char* const kUsage;

}  // namespace vp::cli
