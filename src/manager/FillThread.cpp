#include "manager/FillThread.h"

#include <thread>

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

TRegManagerThread::TRegManagerThread(TTabBuffers& buffers, const TManagerTimings& timings)
    : buffers_(buffers), timings_(timings) {
  context_.cacher = &cacher_;
  // A stop ends the reader's walk at its next row, and any wait at once.
  worker_.SetStopHook([this] {
    abort_.store(true);
    wake_.Wake();
  });
}

TRegManagerThread::~TRegManagerThread() {
  Stop();
}

bool TRegManagerThread::Start() {
  return worker_.Start([this](std::stop_token stop) { Run(stop); });
}

void TRegManagerThread::SetOptions(bool isWin2000, bool isWinXP, const std::string& dataFolder) {
  std::lock_guard lock(mutex_);
  context_.isWin2000 = isWin2000;
  context_.isWinXP = isWinXP;
  context_.dataFolder = dataFolder;
}

void TRegManagerThread::SetTexts(const std::string& unknownText, const std::string& directoryText,
                                 const std::string& noValueText, const std::string& allFilesText) {
  std::lock_guard lock(mutex_);
  auto replace = [](std::string& text, const std::string& by) {
    if (!by.empty()) text = by;
  };
  replace(context_.texts.unknown, unknownText);
  replace(context_.texts.directory, directoryText);
  replace(context_.texts.noValue, noValueText);
  replace(context_.texts.allFiles, allFilesText);
}

void TRegManagerThread::RequestFill(int tab) {
  {
    std::lock_guard lock(mutex_);
    tab_ = tab;
    requested_ = true;
    abort_.store(false);
  }
  wake_.Wake();
}

void TRegManagerThread::Stop() {
  abort_.store(true);
  worker_.RequestStop();
  worker_.Wait();
}

void TRegManagerThread::Run(std::stop_token stop) {
  if (timings_.idlePriority) platform::Sys().SetCurrentThreadPriority(platform::ThreadPriority::Idle);
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested()) {
    if (!requested_) {
      wake_.Wait(lock, stop, [&] { return requested_; });
      continue;
    }
    if (lastFill_) {
      const auto due = *lastFill_ + timings_.fillSpacing;
      if (std::chrono::steady_clock::now() < due) {
        // Only a stop ends this wait early: a new request is served at the
        // same moment.
        wake_.WaitUntil(lock, stop, due, [] { return false; });
        continue;
      }
    }
    requested_ = false;
    const int tab = tab_;
    const TReaderContext context = context_;
    lock.unlock();
    Fill(tab, context);
    lock.lock();
    lastFill_ = std::chrono::steady_clock::now();
    ++fillsDone_;
  }
}

void TRegManagerThread::Fill(int tab, const TReaderContext& context) {
  const TTabReader reader = ReaderOfTab(tab);
  if (reader == nullptr || abort_.load()) return;
  TTabBuffer& buffer = buffers_[static_cast<size_t>(tab)];
  // Another thread may be filling this tab: wait for it, in short steps so
  // that a stop is seen.
  const auto giveUp = std::chrono::steady_clock::now() + timings_.fillWait;
  while (!buffer.BeginFill()) {
    if (abort_.load() || std::chrono::steady_clock::now() >= giveUp) {
      // Served again after the spacing rather than lost.
      std::lock_guard lock(mutex_);
      if (!requested_) {
        requested_ = true;
        tab_ = tab;
      }
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  bool published = false;
  try {
    TRowCollector rows(&abort_);
    reader(context, rows);
    if (!rows.Aborted()) {
      buffer.Publish(std::move(rows.Rows()));
      published = true;
    }
  } catch (...) {
    // A reader that fails leaves the last list in place; the thread goes on.
  }
  if (!published) buffer.Abandon();
  if (published && onPublished_) onPublished_(tab);
}

}  // namespace vp
