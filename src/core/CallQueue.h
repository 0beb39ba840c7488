#pragma once

// The queue behind every dispatcher: calls handed over by any thread, run in
// the order they came by the one thread that owns the queue. A synchronised
// call's caller waits until it has run; a posted call's caller does not.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace vp {

class TCallQueue {
 public:
  // wake, when given, tells the owning thread that calls are waiting (a
  // window program posts a message). It runs under the queue's lock, once
  // for a run of calls queued before the owner took them up (RunWoken).
  explicit TCallQueue(std::function<void()> wake = {});
  // Releases whoever still waits, as Close does.
  ~TCallQueue();
  TCallQueue(const TCallQueue&) = delete;
  TCallQueue& operator=(const TCallQueue&) = delete;

  // Queues the call and waits until the owner has run it; an exception it
  // raised is raised again here. After Close, returns at once, the call unrun.
  void Synchronize(std::function<void()> call);
  // Queues the call and returns; an exception it raises is dropped. After
  // Close, the call is dropped.
  void Post(std::function<void()> call);

  // On the owning thread: waits up to `wait` for a call when none is queued.
  void WaitForCalls(std::chrono::milliseconds wait);
  // Runs queued calls, those queued meanwhile too, until none is left or
  // `budget` has passed at the end of a call. True when calls are left.
  bool Run(std::chrono::steady_clock::duration budget = std::chrono::steady_clock::duration::max());
  // Run for the owner woken by `wake`: when calls are left it is woken again,
  // so the rest runs after whatever else it has to do.
  void RunWoken(std::chrono::steady_clock::duration budget);

  // Calls queued and not yet run.
  size_t Waiting() const;

  // Drops the calls queued and every later one, and releases whoever waits
  // in Synchronize with the call unrun.
  void Close();

 private:
  struct Call {
    std::function<void()> work;
    bool done = false;
    bool posted = false;  // no one waits for it
    std::exception_ptr error;
  };

  // Caller holds the lock.
  void Enqueue(std::shared_ptr<Call> call);
  void WakeOnce();

  const std::function<void()> wake_;
  mutable std::mutex mutex_;
  std::condition_variable arrived_;   // a call was queued
  std::condition_variable finished_;  // a call has run (or was released)
  std::deque<std::shared_ptr<Call>> queue_;
  bool wakePending_ = false;
  bool closed_ = false;
};

}  // namespace vp
