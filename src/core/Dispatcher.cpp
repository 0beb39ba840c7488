#include "core/Dispatcher.h"

namespace vp {

TQueueDispatcher::TQueueDispatcher() : owner_(std::this_thread::get_id()) {}

bool TQueueDispatcher::IsOwnerThread() const {
  return std::this_thread::get_id() == owner_;
}

void TQueueDispatcher::Synchronize(std::function<void()> call) {
  if (IsOwnerThread()) {
    call();
    return;
  }
  calls_.Synchronize(std::move(call));
}

void TQueueDispatcher::Post(std::function<void()> call) {
  calls_.Post(std::move(call));
}

void TQueueDispatcher::ProcessPending(std::chrono::milliseconds wait) {
  calls_.WaitForCalls(wait);
  calls_.Run();
}

void TQueueDispatcher::PumpUntil(const std::function<bool()>& done) {
  while (!done()) ProcessPending(std::chrono::milliseconds(20));
}

}  // namespace vp
