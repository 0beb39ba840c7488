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
  auto entry = std::make_shared<Call>();
  entry->work = std::move(call);
  std::unique_lock lock(mutex_);
  queue_.push_back(entry);
  arrived_.notify_all();
  finished_.wait(lock, [&] { return entry->done; });
  if (entry->error) std::rethrow_exception(entry->error);
}

void TQueueDispatcher::Post(std::function<void()> call) {
  auto entry = std::make_shared<Call>();
  entry->work = std::move(call);
  entry->posted = true;
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(entry));
  arrived_.notify_all();
}

void TQueueDispatcher::ProcessPending(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (queue_.empty()) arrived_.wait_for(lock, wait, [&] { return !queue_.empty(); });
  while (!queue_.empty()) {
    std::shared_ptr<Call> entry = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    try {
      entry->work();
    } catch (...) {
      if (!entry->posted) entry->error = std::current_exception();
    }
    lock.lock();
    entry->done = true;
    if (!entry->posted) finished_.notify_all();
  }
}

void TQueueDispatcher::PumpUntil(const std::function<bool()>& done) {
  while (!done()) ProcessPending(std::chrono::milliseconds(20));
}

}  // namespace vp
