#include "manager/ItemCounter.h"

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

TItemCounterThread::TItemCounterThread(TDispatcher& dispatcher, TManagerView& view,
                                       const TManagerTimings& timings)
    : dispatcher_(dispatcher), timings_(timings), shared_(std::make_shared<Shared>()), worker_(dispatcher) {
  shared_->view = &view;
  worker_.SetStopHook([this] { wake_.Wake(); });
}

TItemCounterThread::~TItemCounterThread() {
  Stop();
  shared_->alive.store(false);
}

bool TItemCounterThread::Start() {
  return worker_.Start([this](std::stop_token stop) { Run(stop); });
}

void TItemCounterThread::RequestCount() {
  {
    std::lock_guard lock(mutex_);
    requested_ = true;
    countNow_ = true;
  }
  wake_.Wake();
}

void TItemCounterThread::Stop() {
  worker_.RequestStop();
  worker_.Wait();
}

void TItemCounterThread::Run(std::stop_token stop) {
  if (timings_.idlePriority) platform::Sys().SetCurrentThreadPriority(platform::ThreadPriority::Idle);
  std::unique_lock lock(mutex_);
  auto next = std::chrono::steady_clock::now();
  while (!stop.stop_requested()) {
    if (!countNow_) {
      if (requested_)
        wake_.WaitUntil(lock, stop, next, [&] { return countNow_; });
      else
        wake_.Wait(lock, stop, [&] { return countNow_ || requested_; });
      if (!countNow_ && (!requested_ || std::chrono::steady_clock::now() < next)) continue;
    }
    countNow_ = false;
    next = std::chrono::steady_clock::now() + timings_.countSpacing;
    // One count at a time: a view that is slow to answer is not flooded.
    if (shared_->queued.exchange(true)) continue;
    dispatcher_.Post([shared = shared_] {
      if (shared->alive.load())
        if (const auto count = shared->view->CountItems()) shared->view->OnCounted(*count);
      shared->queued.store(false);
    });
  }
}

}  // namespace vp
