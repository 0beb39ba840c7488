#pragma once

// Ctrl+C for the command-line program: the handler only sets a flag, which
// the long commands poll and answer by cancelling their work cleanly.

#include <atomic>

namespace vp::cli {

// The process-wide flag the handler sets.
std::atomic<bool>& InterruptFlag();

// Routes SIGINT to the flag (through the C runtime's signal(), which maps
// the console's Ctrl+C on Windows too).
void InstallInterruptHandler();

}  // namespace vp::cli
