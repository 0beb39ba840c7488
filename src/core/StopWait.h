#pragma once

// Waits of a worker thread that a stop ends at once, without stop callbacks.
//
// The standard library's stop-aware waits (condition_variable_any with a
// stop_token) and std::stop_callback register a callback on the token. With
// the GCC 12 runtime of mingw-w64, a thread that removes its callback while
// the stopping thread still runs it waits on a semaphore that can miss its
// wake-up, and the worker never ends; under Wine this hung test runs under
// load. Here the stop reaches a sleeping worker through a plain condition
// variable instead: the owner calls Wake once it has asked for the stop (a
// TWorker does so through its stop hook), and every wait also looks at the
// token at least every kStopPoll as a second guard.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace vp {

class TStopWait {
 public:
  static constexpr std::chrono::milliseconds kStopPoll{250};

  // mutex guards the state the waits' conditions read; the waits are given
  // a lock on it.
  explicit TStopWait(std::mutex& mutex) : mutex_(mutex) {}
  TStopWait(const TStopWait&) = delete;
  TStopWait& operator=(const TStopWait&) = delete;

  // Wakes every wait to look at its condition and the stop again. Callable
  // with or without the mutex held by someone else, never by the caller.
  void Wake() {
    { std::lock_guard lock(mutex_); }  // a waiter between its look and its wait is now waiting
    changed_.notify_all();
  }

  // Waits until done() holds or a stop is asked; returns done().
  template <typename Done>
  bool Wait(std::unique_lock<std::mutex>& lock, const std::stop_token& stop, Done done) {
    while (!done() && !stop.stop_requested()) changed_.wait_for(lock, kStopPoll);
    return done();
  }

  // The same, also ending at the deadline.
  template <typename Done>
  bool WaitUntil(std::unique_lock<std::mutex>& lock, const std::stop_token& stop,
                 std::chrono::steady_clock::time_point deadline, Done done) {
    while (!done() && !stop.stop_requested()) {
      const auto now = std::chrono::steady_clock::now();
      if (now >= deadline) break;
      changed_.wait_until(lock, std::min(deadline, now + kStopPoll));
    }
    return done();
  }

  template <typename Done>
  bool WaitFor(std::unique_lock<std::mutex>& lock, const std::stop_token& stop,
               std::chrono::steady_clock::duration span, Done done) {
    return WaitUntil(lock, stop, std::chrono::steady_clock::now() + span, done);
  }

 private:
  std::mutex& mutex_;
  std::condition_variable changed_;
};

}  // namespace vp
