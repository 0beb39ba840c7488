#include "manager/TabBuffer.h"

namespace vp {

bool TTabBuffer::BeginFill() {
  std::lock_guard lock(mutex_);
  if (filling_) return false;
  filling_ = true;
  state_.store(State::Filling);
  return true;
}

void TTabBuffer::Publish(std::vector<TManagerRow> rows) {
  DropRepeatedRows(rows);
  {
    std::lock_guard lock(mutex_);
    published_.rows = std::move(rows);
    ++published_.generation;
  }
  EndFill();
}

void TTabBuffer::Abandon() {
  EndFill();
}

void TTabBuffer::EndFill() {
  {
    std::lock_guard lock(mutex_);
    filling_ = false;
    state_.store(transfers_ > 0 ? State::Showing : State::Idle);
  }
  fillEnded_.notify_all();
}

std::optional<TTabBuffer::Published> TTabBuffer::TakeForTransfer(std::chrono::milliseconds wait,
                                                                 const std::function<bool()>& cancelled) {
  auto cancel = [&] { return cancelled && cancelled(); };
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::unique_lock lock(mutex_);
  // Short steps so that a cancel is seen while waiting.
  while (filling_ && !cancel()) {
    if (std::chrono::steady_clock::now() >= deadline) break;
    fillEnded_.wait_until(
        lock, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(100)));
  }
  if (filling_ || cancel()) return std::nullopt;
  ++transfers_;
  state_.store(State::Showing);
  return published_;
}

void TTabBuffer::EndTransfer() {
  std::lock_guard lock(mutex_);
  if (transfers_ > 0) --transfers_;
  if (transfers_ == 0 && !filling_) state_.store(State::Idle);
}

uint64_t TTabBuffer::Generation() const {
  std::lock_guard lock(mutex_);
  return published_.generation;
}

}  // namespace vp
