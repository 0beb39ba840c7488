#pragma once

// One worker thread: a std::jthread whose body gets a stop token, and the
// dispatcher through which it hands results to the owning thread. The owner
// holds its TWorker as its last member, so that the thread has ended before
// anything the body uses is destroyed.

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

#include "core/Dispatcher.h"

namespace vp {

class TWorker {
 public:
  // A worker that hands nothing over.
  TWorker() = default;
  explicit TWorker(TDispatcher& dispatcher) : dispatcher_(&dispatcher) {}
  // Asks the body to stop and waits for it (see Wait).
  ~TWorker();
  TWorker(const TWorker&) = delete;
  TWorker& operator=(const TWorker&) = delete;

  // Runs body on a new thread. False, with nothing started, when the worker
  // was started before. An exception that leaves the body ends it quietly;
  // it then counts as finished all the same. Throws std::system_error when
  // no thread can be created.
  bool Start(std::function<void(std::stop_token)> body);

  // Asks the body to stop; callable from any thread, before or after Start.
  // Then runs the stop hook, if any.
  void RequestStop();
  // Set before Start: runs on the stopping thread after every stop asked,
  // to wake a body that sleeps (see TStopWait; never a std::stop_callback).
  void SetStopHook(std::function<void()> hook) { stopHook_ = std::move(hook); }
  bool StopRequested() const { return stop_.stop_requested(); }
  std::stop_token StopToken() const { return stop_.get_token(); }

  bool Started() const { return started_; }
  // True once the body has returned.
  bool Finished() const { return finished_.load(); }

  // Waits for the body to return and joins the thread. On the dispatcher's
  // owning thread the calls handed over meanwhile keep running, so a body
  // waiting in Synchronize still ends. Does nothing when never started.
  void Wait();

 private:
  TDispatcher* dispatcher_ = nullptr;
  // The worker's own source, so that a stop asked before Start holds.
  std::stop_source stop_;
  std::function<void()> stopHook_;
  std::atomic<bool> finished_{false};
  bool started_ = false;
  std::jthread thread_;
};

}  // namespace vp
