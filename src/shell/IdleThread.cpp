#include "shell/IdleThread.h"

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp::shell {

TIdleThread::TIdleThread(TDispatcher& dispatcher, Tasks tasks, std::chrono::milliseconds interval)
    : dispatcher_(dispatcher), tasks_(std::move(tasks)), interval_(interval), worker_(dispatcher) {
  worker_.SetStopHook([this] { wake_.Wake(); });
}

TIdleThread::~TIdleThread() {
  worker_.RequestStop();
  worker_.Wait();
}

void TIdleThread::Start() {
  worker_.Start([this](std::stop_token stop) { Run(stop); });
}

void TIdleThread::Run(std::stop_token stop) {
  platform::Sys().SetCurrentThreadPriority(platform::ThreadPriority::Idle);
  if (tasks_.applyLanguage && !stop.stop_requested()) dispatcher_.Synchronize(tasks_.applyLanguage);
  while (!stop.stop_requested()) {
    if (tasks_.pass) tasks_.pass();
    std::unique_lock lock(mutex_);
    // Wakes at once when asked to stop.
    wake_.WaitFor(lock, stop, interval_, [] { return false; });
  }
}

}  // namespace vp::shell
