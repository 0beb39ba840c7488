#pragma once

// Hands calls from worker threads to the thread that owns the user-facing
// state (the window thread, or the command line's main thread).

#include <chrono>
#include <functional>
#include <thread>

#include "core/CallQueue.h"

namespace vp {

class TDispatcher {
 public:
  virtual ~TDispatcher() = default;

  // Runs the call on the owning thread and returns once it has run. Called
  // on the owning thread itself, runs it at once. An exception raised by the
  // call is raised again in the caller.
  virtual void Synchronize(std::function<void()> call) = 0;

  // Queues the call to run on the owning thread and returns at once, also on
  // the owning thread itself. Calls run in the order they were handed over,
  // posted and synchronised alike, so a worker's last Synchronize runs after
  // everything it posted. An exception raised by a posted call is dropped:
  // nobody waits for it.
  virtual void Post(std::function<void()> call) = 0;

  // True on the thread that runs the synchronised calls.
  virtual bool IsOwnerThread() const = 0;

  // On the owning thread: runs the calls waiting, waiting up to `wait` for
  // the first one to arrive. Used by whoever waits on the owning thread for a
  // worker that may be blocked in Synchronize.
  virtual void ProcessPending(std::chrono::milliseconds wait) = 0;
};

// A dispatcher whose calls wait in a queue for the thread that created it;
// the owner's own calls run at once. What wakes the owner, and how it runs
// what waits, is the derived class's.
class TQueuedDispatcher : public TDispatcher {
 public:
  TQueuedDispatcher(const TQueuedDispatcher&) = delete;
  TQueuedDispatcher& operator=(const TQueuedDispatcher&) = delete;

  void Synchronize(std::function<void()> call) override;
  void Post(std::function<void()> call) override;
  bool IsOwnerThread() const override;

 protected:
  // wake: see TCallQueue.
  explicit TQueuedDispatcher(std::function<void()> wake = {});
  TCallQueue& Calls() { return calls_; }
  const TCallQueue& Calls() const { return calls_; }

 private:
  const std::thread::id owner_;
  TCallQueue calls_;
};

// A dispatcher for programs without a window: the owning thread (the one
// that created it) pumps the queue while it waits for the workers.
class TQueueDispatcher : public TQueuedDispatcher {
 public:
  TQueueDispatcher() = default;

  void ProcessPending(std::chrono::milliseconds wait) override;

  // Pumps until done() holds; done is tested on the owning thread after
  // every call and at least every 20 ms.
  void PumpUntil(const std::function<bool()>& done);
};

}  // namespace vp
