#include "core/ErrorMode.h"

#include <mutex>

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {
namespace {

struct GuardState {
  std::mutex mutex;
  int depth = 0;
  uint32_t saved = 0;
};

GuardState& State() {
  static GuardState state;
  return state;
}

}  // namespace

TErrorModeGuard::TErrorModeGuard() {
  GuardState& state = State();
  std::lock_guard lock(state.mutex);
  if (state.depth++ == 0) state.saved = platform::Sys().ExchangeErrorMode(platform::kFailCriticalErrors);
}

TErrorModeGuard::~TErrorModeGuard() {
  GuardState& state = State();
  std::lock_guard lock(state.mutex);
  if (--state.depth == 0) platform::Sys().ExchangeErrorMode(state.saved);
}

}  // namespace vp
