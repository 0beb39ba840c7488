#include "cli/Interrupt.h"

#include <csignal>

namespace vp::cli {

namespace {

std::atomic<bool> gInterrupted{false};
// Only a lock-free atomic may be touched from a signal handler.
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  gInterrupted.store(true);
}

}  // namespace

std::atomic<bool>& InterruptFlag() {
  return gInterrupted;
}

void InstallInterruptHandler() {
  std::signal(SIGINT, OnInterrupt);
}

}  // namespace vp::cli
