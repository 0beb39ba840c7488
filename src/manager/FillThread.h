#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "core/StopWait.h"
#include "core/Worker.h"
#include "manager/ManagerReaders.h"
#include "manager/ManagerTimings.h"
#include "settings/IniTools.h"

namespace vp {

// A manager fill thread: on request it runs the reader of a tab and
// publishes the rows in the tab's buffer. It idles between requests; fills
// are spaced (TManagerTimings::fillSpacing) and a request that comes too soon
// is served when the spacing is over.
class TRegManagerThread {
 public:
  // Called on the fill thread after each fill that published rows.
  using PublishedHandler = std::function<void(int tab)>;

  TRegManagerThread(TTabBuffers& buffers, const TManagerTimings& timings = {});
  // Stops the thread and waits for it.
  ~TRegManagerThread();
  TRegManagerThread(const TRegManagerThread&) = delete;
  TRegManagerThread& operator=(const TRegManagerThread&) = delete;

  // Before Start.
  void OnPublished(PublishedHandler handler) { onPublished_ = std::move(handler); }
  // Starts the thread; false when it was started before.
  bool Start();

  void SetOptions(bool isWin2000, bool isWinXP, const std::string& dataFolder);
  // Each non-empty text replaces the one the readers show; an empty one
  // leaves it. Takes effect with the next fill.
  void SetTexts(const std::string& unknownText, const std::string& directoryText,
                const std::string& noValueText, const std::string& allFilesText);

  // Asks for a fill of the tab (0 to 8; others are ignored when served). A
  // fill running now is not aborted; the request is served after it.
  void RequestFill(int tab);
  // Ends a running fill early (its old rows stay published) and any waiting
  // request; the thread ends.
  void Stop();

  // Fills ended since the start (published or not); for the waiting side.
  uint64_t FillsDone() const { return fillsDone_.load(); }

 private:
  void Run(std::stop_token stop);
  void Fill(int tab, const TReaderContext& context);

  TTabBuffers& buffers_;
  const TManagerTimings timings_;
  PublishedHandler onPublished_;
  TFunctionCacher cacher_;  // used by the fill thread only

  std::mutex mutex_;  // guards the fields below
  TStopWait wake_{mutex_};
  TReaderContext context_;
  int tab_ = -1;
  bool requested_ = false;
  std::optional<std::chrono::steady_clock::time_point> lastFill_;  // end of the last fill

  std::atomic<bool> abort_{false};
  std::atomic<uint64_t> fillsDone_{0};
  TWorker worker_;  // last: the thread ends before the members above go
};

}  // namespace vp
