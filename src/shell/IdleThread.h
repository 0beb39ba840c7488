#pragma once

// The window's background helper: applies the language once the window
// stands, then keeps asking for fresh lists at a slow pace. It touches no
// window itself: window work goes through the dispatcher.

#include <chrono>
#include <functional>
#include <mutex>

#include "core/Dispatcher.h"
#include "core/StopWait.h"
#include "core/Worker.h"

namespace vp::shell {

class TIdleThread {
 public:
  struct Tasks {
    // On the window thread, before the first pass: true when the language
    // still has to be applied, which it then does.
    std::function<void()> applyLanguage;
    // On this thread, every pass: the requests that keep lists fresh (they
    // only set flags of other threads).
    std::function<void()> pass;
  };

  TIdleThread(TDispatcher& dispatcher, Tasks tasks,
              std::chrono::milliseconds interval = std::chrono::milliseconds(1240));
  ~TIdleThread();  // stops and joins
  TIdleThread(const TIdleThread&) = delete;
  TIdleThread& operator=(const TIdleThread&) = delete;

  void Start();
  void Stop() { worker_.RequestStop(); }
  // Joins the thread (on the window thread the dispatcher keeps running).
  void Wait() { worker_.Wait(); }
  bool Finished() const { return worker_.Finished(); }

 private:
  void Run(std::stop_token stop);

  TDispatcher& dispatcher_;
  Tasks tasks_;
  std::chrono::milliseconds interval_;
  std::mutex mutex_;
  TStopWait wake_{mutex_};
  TWorker worker_;  // last
};

}  // namespace vp::shell
