#include "core/CallQueue.h"

#include <utility>

namespace vp {

TCallQueue::TCallQueue(std::function<void()> wake) : wake_(std::move(wake)) {}

TCallQueue::~TCallQueue() {
  Close();
}

void TCallQueue::WakeOnce() {
  if (!wake_ || wakePending_) return;
  wakePending_ = true;
  wake_();
}

void TCallQueue::Enqueue(std::shared_ptr<Call> call) {
  queue_.push_back(std::move(call));
  arrived_.notify_all();
  WakeOnce();
}

void TCallQueue::Synchronize(std::function<void()> call) {
  auto entry = std::make_shared<Call>();
  entry->work = std::move(call);
  std::unique_lock lock(mutex_);
  if (closed_) return;
  Enqueue(entry);
  finished_.wait(lock, [&] { return entry->done; });
  if (entry->error) std::rethrow_exception(entry->error);
}

void TCallQueue::Post(std::function<void()> call) {
  auto entry = std::make_shared<Call>();
  entry->work = std::move(call);
  entry->posted = true;
  std::lock_guard lock(mutex_);
  if (closed_) return;
  Enqueue(std::move(entry));
}

void TCallQueue::WaitForCalls(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (queue_.empty()) arrived_.wait_for(lock, wait, [&] { return !queue_.empty(); });
}

bool TCallQueue::Run(std::chrono::steady_clock::duration budget) {
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock lock(mutex_);
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
    if (std::chrono::steady_clock::now() - start >= budget) break;
  }
  return !queue_.empty();
}

void TCallQueue::RunWoken(std::chrono::steady_clock::duration budget) {
  {
    std::lock_guard lock(mutex_);
    wakePending_ = false;
  }
  if (!Run(budget)) return;
  std::lock_guard lock(mutex_);
  WakeOnce();
}

size_t TCallQueue::Waiting() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

void TCallQueue::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  for (auto& call : queue_) call->done = true;
  queue_.clear();
  finished_.notify_all();
}

}  // namespace vp
