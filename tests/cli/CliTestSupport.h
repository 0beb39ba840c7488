#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "cli/CommandContext.h"
#include "platform/Registry.h"
#include "support/RegistryTree.h"
#include "support/TestSupport.h"

namespace vp::test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the command line in-process on the installed services.
CliRun RunCli(const cli::Arguments& arguments, const std::atomic<bool>* interrupted = nullptr);

// The lines of text that contain part.
std::vector<std::string> LinesWith(const std::string& text, const std::string& part);

}  // namespace vp::test
