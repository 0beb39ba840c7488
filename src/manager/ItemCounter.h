#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "core/Dispatcher.h"
#include "core/StopWait.h"
#include "core/Worker.h"
#include "manager/ManagerTimings.h"
#include "manager/ManagerView.h"

namespace vp {

// Keeps the counts of the list on screen fresh: once at the start and, after
// the first RequestCount, every TManagerTimings::countSpacing. The list
// belongs to the view's thread, so the count itself runs there: the thread
// posts TManagerView::CountItems and OnCounted, one count at a time, and
// never waits for them.
class TItemCounterThread {
 public:
  TItemCounterThread(TDispatcher& dispatcher, TManagerView& view, const TManagerTimings& timings = {});
  // Stops the thread and waits for it; a count still queued is dropped.
  ~TItemCounterThread();
  TItemCounterThread(const TItemCounterThread&) = delete;
  TItemCounterThread& operator=(const TItemCounterThread&) = delete;

  bool Start();
  // Counts now and from then on every countSpacing.
  void RequestCount();
  void Stop();

 private:
  struct Shared {
    TManagerView* view = nullptr;
    std::atomic<bool> alive{true};
    std::atomic<bool> queued{false};  // a count waits in the queue
  };

  void Run(std::stop_token stop);

  TDispatcher& dispatcher_;
  const TManagerTimings timings_;
  std::shared_ptr<Shared> shared_;

  std::mutex mutex_;  // guards the flags below
  TStopWait wake_{mutex_};
  bool countNow_ = true;
  bool requested_ = false;

  TWorker worker_;  // last: the thread ends before the members above go
};

}  // namespace vp
