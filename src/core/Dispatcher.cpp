#include "core/Dispatcher.h"

#include <utility>

namespace vp {

TQueuedDispatcher::TQueuedDispatcher(std::function<void()> wake)
    : owner_(std::this_thread::get_id()), calls_(std::move(wake)) {}

bool TQueuedDispatcher::IsOwnerThread() const {
  return std::this_thread::get_id() == owner_;
}

void TQueuedDispatcher::Synchronize(std::function<void()> call) {
  if (IsOwnerThread()) {
    call();
    return;
  }
  calls_.Synchronize(std::move(call));
}

void TQueuedDispatcher::Post(std::function<void()> call) {
  calls_.Post(std::move(call));
}

void TQueueDispatcher::ProcessPending(std::chrono::milliseconds wait) {
  Calls().WaitForCalls(wait);
  Calls().Run();
}

void TQueueDispatcher::PumpUntil(const std::function<bool()>& done) {
  while (!done()) ProcessPending(std::chrono::milliseconds(20));
}

}  // namespace vp
