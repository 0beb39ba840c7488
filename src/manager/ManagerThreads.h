#pragma once

#include <array>
#include <memory>
#include <string>

#include "core/Dispatcher.h"
#include "manager/FillThread.h"
#include "manager/ItemCounter.h"
#include "manager/ManagerTimings.h"
#include "manager/ManagerView.h"
#include "manager/ScreenUpdater.h"

namespace vp {

// Everything behind the manager lists of the main window: the ten tab
// buffers, one fill thread per tab, the screen updater and the item counter,
// wired together. A fill that publishes the rows of the tab on screen asks
// the updater for an update itself, so the view needs no timer to see them.
//
// Create it on the view's thread (the dispatcher's owner) and destroy it
// there, before the view: the destructor stops every thread, and calls still
// queued for the view are dropped.
class TManagerThreads {
 public:
  TManagerThreads(TDispatcher& dispatcher, TManagerView& view, const TManagerTimings& timings = {});
  ~TManagerThreads();
  TManagerThreads(const TManagerThreads&) = delete;
  TManagerThreads& operator=(const TManagerThreads&) = delete;

  // Passes the options and texts to every fill thread, then starts all
  // threads. The counter counts once at once.
  void Start(bool isWin2000, bool isWinXP, const std::string& dataFolder);

  // The language's texts for every fill thread (empty ones leave theirs).
  void SetTexts(const std::string& unknownText, const std::string& directoryText,
                const std::string& noValueText, const std::string& allFilesText);
  // A fill of one manager tab (0 to 8), or of all nine.
  void RequestFill(int tab);
  void RequestAllFills();
  // The tab on screen: the updater follows it and shows its rows.
  void ShowTab(int tab);

  // Stops every thread; the lists stay as they are.
  void Stop();

  TTabBuffers& Buffers() { return buffers_; }
  TRegManagerThread& FillThread(int tab) { return *fills_[static_cast<size_t>(tab)]; }
  TRegManagerScreenUpdaterThread& Updater() { return updater_; }
  TItemCounterThread& Counter() { return counter_; }

 private:
  TTabBuffers buffers_;
  TRegManagerScreenUpdaterThread updater_;
  TItemCounterThread counter_;
  // After the updater: their handlers call it, so they end first.
  std::array<std::unique_ptr<TRegManagerThread>, kTabCount> fills_;
};

}  // namespace vp
