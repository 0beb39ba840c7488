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

// Moves the rows of the tab on screen from its buffer into the view. On
// request it waits for the tab's running fill to end, takes the published
// list and posts it whole to the view's thread (see TManagerView). It never
// waits for the view: a list that arrives after the tab changed or the
// updater paused is dropped there, and the next update shows it again.
class TRegManagerScreenUpdaterThread {
 public:
  TRegManagerScreenUpdaterThread(TTabBuffers& buffers, TDispatcher& dispatcher, TManagerView& view,
                                 const TManagerTimings& timings = {});
  // Stops the thread and waits for it; lists still queued are dropped.
  ~TRegManagerScreenUpdaterThread();
  TRegManagerScreenUpdaterThread(const TRegManagerScreenUpdaterThread&) = delete;
  TRegManagerScreenUpdaterThread& operator=(const TRegManagerScreenUpdaterThread&) = delete;

  bool Start();

  // The tab on screen (-1 for none). The cleaner's tab is never updated.
  // Ignored after Stop.
  void SetTab(int tab);
  int ShownTab() const;
  // The number of rows the view now shows, when something else than an
  // update changed it (a Remove took rows away).
  void SetShownCount(int count);
  // Asks for an update of the tab on screen and ends a pause.
  void RequestUpdate();
  // Holds updates back until the next RequestUpdate; a list on its way is
  // dropped.
  void Pause();
  void Stop();

  // Lists handed to the view so far (for the waiting side).
  uint64_t ListsPosted() const { return posted_.load(); }

 private:
  // What the posted calls share with the thread; outlives it in the queue.
  struct Shared {
    TManagerView* view = nullptr;
    std::atomic<bool> alive{true};
    std::atomic<int> shownTab{-1};
    std::atomic<bool> paused{false};
    std::atomic<int> shownCount{-1};
    // The publication the view shows (0: none known).
    std::atomic<uint64_t> shownGeneration{0};
  };

  void Run(std::stop_token stop);
  void Update(int tab, std::stop_token stop);

  TTabBuffers& buffers_;
  TDispatcher& dispatcher_;
  const TManagerTimings timings_;
  std::shared_ptr<Shared> shared_;

  std::mutex mutex_;  // guards requested_
  TStopWait wake_{mutex_};
  bool requested_ = false;

  // Used by the thread only.
  int lastTab_ = -1;
  std::optional<std::chrono::steady_clock::time_point> lastTransfer_;

  std::atomic<uint64_t> posted_{0};
  TWorker worker_;  // last: the thread ends before the members above go
};

}  // namespace vp
