#pragma once

// The dispatcher of the window program: calls from workers queue up and run
// on the window thread, woken by a message to a message-only window. A burst
// of posted calls runs in slices, so the window keeps answering while a scan
// hands over many rows.

#include <windows.h>

#include <chrono>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/Dispatcher.h"
#include "widgets/Window.h"

namespace vp::widgets {

class TWindowDispatcher : public TDispatcher {
 public:
  // The thread that creates it is the window thread.
  TWindowDispatcher();
  ~TWindowDispatcher() override;

  void Synchronize(std::function<void()> call) override;
  void Post(std::function<void()> call) override;
  bool IsOwnerThread() const override;
  // Runs the queued calls and the window messages for up to `wait`.
  void ProcessPending(std::chrono::milliseconds wait) override;

  // Calls queued and not yet run (for tests and the shut-down).
  size_t Waiting() const;

 private:
  class TMessageWindow : public TCustomWindow {
   public:
    explicit TMessageWindow(TWindowDispatcher& owner);
    void Wake();

   protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

   private:
    TWindowDispatcher& owner_;
  };

  struct Call {
    std::function<void()> work;
    bool done = false;
    bool posted = false;
    std::exception_ptr error;
  };

  void Enqueue(std::shared_ptr<Call> call);
  // Runs queued calls for about one slice; true when some are left.
  bool RunSlice();

  const std::thread::id owner_;
  mutable std::mutex mutex_;
  std::condition_variable finished_;
  std::deque<std::shared_ptr<Call>> queue_;
  bool wakePending_ = false;
  std::unique_ptr<TMessageWindow> window_;
};

}  // namespace vp::widgets
