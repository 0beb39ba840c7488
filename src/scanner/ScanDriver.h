#pragma once

// Runs one registry scan for a front end: one TSweeper per scan area, all
// started together, their items collected on the dispatcher's owning thread,
// with counters that count every key and value once.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Dispatcher.h"
#include "core/ErrorMode.h"
#include "files/StringTools.h"
#include "scanner/ExistenceMemo.h"
#include "scanner/HiveMarkers.h"
#include "scanner/Sweeper.h"
#include "scanner/SweeperTypes.h"

namespace vp {

struct TScanRequest {
  // Areas 1 to 16 instead of 1 to 15.
  bool deep = false;
  // When not empty, only these areas (1 to 16, each once) run, in this
  // order; `deep` is then not consulted.
  std::vector<int32_t> areas;
  // The merged ignore list; every thread takes its own copy.
  StringList ignoreList;
  TCleanerLanguage language;
  // Options for every thread; Mode and IgnoreList are set per thread. The
  // defaults are those of an interactive scan.
  TScanOptions options;
  // Keep every item in Items(); a front end that keeps its own rows (the
  // window) passes false, sparing a second copy of a long list.
  bool keepItems = true;
};

class TScanDriver {
 public:
  // The dispatcher's owning thread is the one that calls Start, Wait and
  // the accessors, and the one on which the events run.
  explicit TScanDriver(TDispatcher& dispatcher);
  // Cancels a running scan and waits for its threads.
  ~TScanDriver();
  TScanDriver(const TScanDriver&) = delete;
  TScanDriver& operator=(const TScanDriver&) = delete;

  // Events, on the owning thread.
  // After the item was stored. An exception it raises drops the row only.
  std::function<void(const TNewItem&)> OnItem;
  std::function<void()> OnProgress;  // at most once a second per thread
  std::function<void()> OnFinished;  // once, when the last thread has ended

  // Starts the threads. False, with nothing started, while a scan still
  // runs. A thread that cannot be created is left out (and counted as
  // finished). While the scan runs, drives without media raise no system
  // dialog (the process error mode is restored at its end).
  bool Start(const TScanRequest& request);

  // The same with the merged ignore list of the data folder's three files.
  // False when a list exists but cannot be read, or a scan still runs.
  bool StartWithIgnoreLists(bool deep, std::string_view dataFolder, const TCleanerLanguage& language);

  // Asks every thread to stop; each ends soon and raises its final events.
  // Callable from any thread while the scan runs (not during Start).
  void Cancel();

  // True from Start until the last thread has raised OnFinished.
  bool Running() const { return running_.load() > 0; }
  // Pumps the dispatcher until the scan is over, then joins the threads.
  void Wait();

  int ThreadCount() const { return static_cast<int>(threads_.size()); }
  const std::vector<std::unique_ptr<TSweeper>>& Threads() const { return threads_; }

  // Running totals: every key and value analysed counts once, whichever
  // thread reported it.
  int64_t ValuesAnalyzed() const { return values_.load(); }
  int64_t KeysAnalyzed() const { return keys_.load(); }
  int64_t InvalidItems() const { return invalid_.load(); }
  // Rows whose handler failed; the scan went on without them.
  int64_t DroppedRows() const { return droppedRows_.load(); }
  // The threads' own totals, delivered as they end (for a consistency
  // check: they equal the running totals once the scan is over).
  int64_t ReportedValueTotals() const { return valueTotals_; }
  int64_t ReportedKeyTotals() const { return keyTotals_; }

  // The items reported so far, in arrival order; owning thread only.
  const std::vector<TNewItem>& Items() const { return items_; }
  // Seconds from Start to the end of the scan (to now while it runs).
  uint32_t ElapsedSeconds() const;

 private:
  void ThreadFinished();

  TDispatcher& dispatcher_;
  // The existence answers the threads of one scan share (unless the request
  // brings its own); declared first so that it outlives the threads.
  std::unique_ptr<TExistenceMemo> memo_;
  std::unique_ptr<THiveMarkers> markers_;
  // Held from Start until the last thread has finished.
  std::optional<TErrorModeGuard> errorMode_;
  std::vector<std::unique_ptr<TSweeper>> threads_;
  std::vector<TNewItem> items_;
  std::atomic<int> running_{0};
  std::atomic<int64_t> values_{0};
  std::atomic<int64_t> keys_{0};
  std::atomic<int64_t> invalid_{0};
  std::atomic<int64_t> droppedRows_{0};
  int64_t valueTotals_ = 0;
  int64_t keyTotals_ = 0;
  uint32_t startTick_ = 0;
  uint32_t endTick_ = 0;
};

}  // namespace vp
