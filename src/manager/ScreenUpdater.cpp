#include "manager/ScreenUpdater.h"

#include <vector>

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {
namespace {

bool ManagerTab(int tab) {
  return tab >= 0 && tab < kCleanerTab;
}

}  // namespace

TRegManagerScreenUpdaterThread::TRegManagerScreenUpdaterThread(TTabBuffers& buffers, TDispatcher& dispatcher,
                                                               TManagerView& view,
                                                               const TManagerTimings& timings)
    : buffers_(buffers),
      dispatcher_(dispatcher),
      timings_(timings),
      shared_(std::make_shared<Shared>()),
      worker_(dispatcher) {
  shared_->view = &view;
  worker_.SetStopHook([this] { wake_.Wake(); });
}

TRegManagerScreenUpdaterThread::~TRegManagerScreenUpdaterThread() {
  Stop();
  shared_->alive.store(false);
}

bool TRegManagerScreenUpdaterThread::Start() {
  return worker_.Start([this](std::stop_token stop) { Run(stop); });
}

void TRegManagerScreenUpdaterThread::SetTab(int tab) {
  if (worker_.StopRequested()) return;
  {
    std::lock_guard lock(mutex_);
    shared_->shownTab.store(tab);
  }
  wake_.Wake();
}

int TRegManagerScreenUpdaterThread::ShownTab() const {
  return shared_->shownTab.load();
}

void TRegManagerScreenUpdaterThread::SetShownCount(int count) {
  shared_->shownCount.store(count);
}

void TRegManagerScreenUpdaterThread::RequestUpdate() {
  {
    std::lock_guard lock(mutex_);
    requested_ = true;
    shared_->paused.store(false);
  }
  wake_.Wake();
}

void TRegManagerScreenUpdaterThread::Pause() {
  shared_->paused.store(true);
}

void TRegManagerScreenUpdaterThread::Stop() {
  shared_->paused.store(true);
  worker_.RequestStop();
  worker_.Wait();
}

void TRegManagerScreenUpdaterThread::Run(std::stop_token stop) {
  if (timings_.idlePriority) platform::Sys().SetCurrentThreadPriority(platform::ThreadPriority::Idle);
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested()) {
    const int tab = shared_->shownTab.load();
    if (!requested_ || !ManagerTab(tab)) {
      wake_.Wait(lock, stop, [&] { return requested_ && ManagerTab(shared_->shownTab.load()); });
      continue;
    }
    if (tab == lastTab_ && lastTransfer_) {
      const auto due = *lastTransfer_ + timings_.transferSpacing;
      if (std::chrono::steady_clock::now() < due) {
        // The request waits for the spacing (or a change of tab).
        wake_.WaitUntil(lock, stop, due, [&] { return shared_->shownTab.load() != tab; });
        continue;
      }
    }
    requested_ = false;
    lock.unlock();
    Update(tab, stop);
    lock.lock();
  }
}

void TRegManagerScreenUpdaterThread::Update(int tab, std::stop_token stop) {
  if (shared_->paused.load()) return;
  dispatcher_.Post([shared = shared_, tab] {
    if (shared->alive.load()) shared->view->OnBeforeUpdate(tab);
  });
  TTabBuffer& buffer = buffers_[static_cast<size_t>(tab)];
  auto taken = buffer.TakeForTransfer(timings_.transferWait, [&] {
    return stop.stop_requested() || shared_->paused.load() || shared_->shownTab.load() != tab;
  });
  if (!taken) return;
  buffer.EndTransfer();  // the copy is ours; a fill may publish again
  // A tab never filled has no list yet, not an empty one; its first fill
  // asks for the update.
  if (taken->generation == 0) return;

  const auto now = std::chrono::steady_clock::now();
  const size_t count = taken->rows.size();
  if (tab == lastTab_ && lastTransfer_ && taken->generation == shared_->shownGeneration.load() &&
      shared_->shownCount.load() == static_cast<int>(count)) {
    // The view shows this very list: show it again only now and then.
    std::chrono::milliseconds spacing{0};
    for (size_t i = 0; i < timings_.unchangedSpacing.size(); ++i)
      if (count > 100 * (i + 1)) spacing = timings_.unchangedSpacing[i];
    if (now - *lastTransfer_ < spacing) return;
  }
  lastTab_ = tab;
  lastTransfer_ = now;

  auto rows = std::make_shared<std::vector<TListRow>>();
  rows->reserve(count);
  for (TManagerRow& row : taken->rows)
    rows->push_back({std::move(row.caption), SplitColumns(row.columns), row.view32});
  const uint64_t generation = taken->generation;
  dispatcher_.Post([shared = shared_, tab, rows, generation] {
    if (!shared->alive.load()) return;
    if (shared->paused.load() || shared->shownTab.load() != tab) {
      // Not shown: the next update must not take the view for up to date.
      shared->shownGeneration.store(0);
      return;
    }
    TManagerView& view = *shared->view;
    view.OnClear(tab);
    if (!rows->empty()) {
      view.OnBeginAdd(tab, rows->size());
      for (const TListRow& row : *rows) view.OnAddItem(tab, row);
      view.OnEndAdd(tab);
    }
    shared->shownGeneration.store(generation);
    shared->shownCount.store(static_cast<int>(rows->size()));
  });
  ++posted_;
}

}  // namespace vp
