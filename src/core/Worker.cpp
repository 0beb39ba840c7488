#include "core/Worker.h"

#include <chrono>

namespace vp {

TWorker::~TWorker() {
  RequestStop();
  Wait();
}

void TWorker::RequestStop() {
  stop_.request_stop();
  if (stopHook_) stopHook_();
}

bool TWorker::Start(std::function<void(std::stop_token)> body) {
  if (started_) return false;
  thread_ = std::jthread([this, body = std::move(body)] {
    try {
      body(stop_.get_token());
    } catch (...) {
      // No exception leaves a thread body; the owner sees the worker finish.
    }
    finished_.store(true);
  });
  started_ = true;
  return true;
}

void TWorker::Wait() {
  if (!thread_.joinable()) return;
  if (dispatcher_ != nullptr && dispatcher_->IsOwnerThread())
    while (!finished_.load()) dispatcher_->ProcessPending(std::chrono::milliseconds(10));
  thread_.join();
}

}  // namespace vp
