#pragma once

// The dispatcher of the window program: calls from workers queue up and run
// on the window thread, woken by a message to a message-only window. A burst
// of posted calls runs in slices, so the window keeps answering while a scan
// hands over many rows.

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "core/Dispatcher.h"
#include "widgets/Window.h"

namespace vp::widgets {

class TWindowDispatcher : public TQueuedDispatcher {
 public:
  // The thread that creates it is the window thread.
  TWindowDispatcher();
  ~TWindowDispatcher() override;

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

  std::unique_ptr<TMessageWindow> window_;
};

}  // namespace vp::widgets
