#include "scanner/ScanDriver.h"

#include <chrono>
#include <system_error>

#include "platform/Platform.h"
#include "platform/System.h"
#include "settings/IgnoreList.h"

namespace vp {

namespace {

uint32_t TickNow() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

TScanDriver::TScanDriver(TDispatcher& dispatcher) : dispatcher_(dispatcher) {}

TScanDriver::~TScanDriver() {
  Cancel();
  Wait();
}

bool TScanDriver::Start(const TScanRequest& request) {
  if (Running()) return false;
  Wait();  // joins the threads of an earlier scan
  threads_.clear();
  memo_ = std::make_unique<TExistenceMemo>();
  markers_ = std::make_unique<THiveMarkers>();
  items_.clear();
  values_ = 0;
  keys_ = 0;
  invalid_ = 0;
  valueTotals_ = 0;
  keyTotals_ = 0;

  std::vector<int32_t> areas = request.areas;
  if (areas.empty()) {
    const int32_t lastArea = request.deep ? kAreaLastDeep : kAreaLastNormal;
    for (int32_t area = 1; area <= lastArea; ++area) areas.push_back(area);
  }
  for (const int32_t area : areas) {
    TScanOptions options = request.options;
    options.Mode = area;
    options.IgnoreList = &request.ignoreList;
    if (!options.ExistenceMemo) options.ExistenceMemo = memo_.get();
    options.HiveMarkers = markers_.get();
    auto thread = std::make_unique<TSweeper>(options, dispatcher_);
    thread->SetLanguage(request.language);
    thread->OnItem = [this, keep = request.keepItems](TSweeper&, TNewItem& item) {
      // A row that cannot be taken is dropped; the scan goes on.
      try {
        if (keep) items_.push_back(item);
        invalid_.fetch_add(1);
        if (OnItem) OnItem(keep ? items_.back() : item);
      } catch (...) {
        droppedRows_.fetch_add(1);
      }
    };
    thread->OnCount = [this](TSweeper&, int32_t values, int32_t keys) {
      values_.fetch_add(values, std::memory_order_relaxed);
      keys_.fetch_add(keys, std::memory_order_relaxed);
    };
    thread->OnTotals = [this](TSweeper&, int32_t values, int32_t keys) {
      // The increments have been counted already; the totals only confirm.
      valueTotals_ += values;
      keyTotals_ += keys;
    };
    thread->OnProgress = [this](TSweeper&) {
      if (OnProgress) OnProgress();
    };
    thread->OnFinished = [this](TSweeper&) { ThreadFinished(); };
    threads_.push_back(std::move(thread));
  }

  errorMode_.emplace();
  running_ = static_cast<int>(threads_.size());
  startTick_ = TickNow();
  endTick_ = startTick_;
  for (auto& thread : threads_) {
    try {
      thread->Start();
    } catch (const std::system_error&) {
      ThreadFinished();
    }
  }
  return true;
}

bool TScanDriver::StartWithIgnoreLists(bool deep, std::string_view dataFolder,
                                       const TCleanerLanguage& language) {
  if (Running()) return false;
  std::optional<StringList> ignoreList = LoadMergedIgnoreList(dataFolder);
  if (!ignoreList) return false;
  TScanRequest request;
  request.deep = deep;
  request.ignoreList = std::move(*ignoreList);
  request.language = language;
  return Start(request);
}

void TScanDriver::ThreadFinished() {
  if (running_.fetch_sub(1) != 1) return;
  endTick_ = TickNow();
  errorMode_.reset();
  if (OnFinished) OnFinished();
}

void TScanDriver::Cancel() {
  for (auto& thread : threads_) thread->Stop();
}

void TScanDriver::Wait() {
  if (dispatcher_.IsOwnerThread()) {
    while (Running()) dispatcher_.ProcessPending(std::chrono::milliseconds(20));
  }
  for (auto& thread : threads_) thread->WaitFor();
}

uint32_t TScanDriver::ElapsedSeconds() const {
  const uint32_t end = Running() ? TickNow() : endTick_;
  return (end - startTick_) / 1000;
}

}  // namespace vp
