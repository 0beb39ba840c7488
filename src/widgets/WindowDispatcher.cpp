#include "widgets/WindowDispatcher.h"

#include <condition_variable>

namespace vp::widgets {

namespace {

constexpr UINT kRunCalls = WM_APP + 1;
// The longest the calls may hold the window thread before its other
// messages get a turn.
constexpr auto kSlice = std::chrono::milliseconds(30);

}  // namespace

TWindowDispatcher::TMessageWindow::TMessageWindow(TWindowDispatcher& owner) : owner_(owner) {
  CreateCustom(L"VeltaroDispatcher", HWND_MESSAGE, "", 0, 0, 0, 0, 0, 0, nullptr);
}

void TWindowDispatcher::TMessageWindow::Wake() {
  PostMessageW(Handle(), kRunCalls, 0, 0);
}

LRESULT TWindowDispatcher::TMessageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunCalls) return Default(message, wParam, lParam);
  {
    std::lock_guard lock(owner_.mutex_);
    owner_.wakePending_ = false;
  }
  if (owner_.RunSlice()) {
    std::lock_guard lock(owner_.mutex_);
    if (!owner_.wakePending_) {
      owner_.wakePending_ = true;
      Wake();
    }
  }
  return 0;
}

TWindowDispatcher::TWindowDispatcher()
    : owner_(std::this_thread::get_id()), window_(std::make_unique<TMessageWindow>(*this)) {}

TWindowDispatcher::~TWindowDispatcher() {
  // Whoever still waits in Synchronize is released with its call unrun.
  std::lock_guard lock(mutex_);
  for (auto& call : queue_) call->done = true;
  queue_.clear();
  finished_.notify_all();
}

bool TWindowDispatcher::IsOwnerThread() const {
  return std::this_thread::get_id() == owner_;
}

void TWindowDispatcher::Enqueue(std::shared_ptr<Call> call) {
  // Caller holds the lock.
  queue_.push_back(std::move(call));
  if (!wakePending_) {
    wakePending_ = true;
    window_->Wake();
  }
}

void TWindowDispatcher::Synchronize(std::function<void()> call) {
  if (IsOwnerThread()) {
    call();
    return;
  }
  auto entry = std::make_shared<Call>();
  entry->work = std::move(call);
  std::unique_lock lock(mutex_);
  Enqueue(entry);
  finished_.wait(lock, [&] { return entry->done; });
  if (entry->error) std::rethrow_exception(entry->error);
}

void TWindowDispatcher::Post(std::function<void()> call) {
  auto entry = std::make_shared<Call>();
  entry->work = std::move(call);
  entry->posted = true;
  std::lock_guard lock(mutex_);
  Enqueue(std::move(entry));
}

bool TWindowDispatcher::RunSlice() {
  const auto end = std::chrono::steady_clock::now() + kSlice;
  std::unique_lock lock(mutex_);
  while (!queue_.empty()) {
    std::shared_ptr<Call> entry = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    try {
      entry->work();
    } catch (...) {
      if (!entry->posted) entry->error = std::current_exception();
    }
    lock.lock();
    entry->done = true;
    if (!entry->posted) finished_.notify_all();
    if (std::chrono::steady_clock::now() >= end) break;
  }
  return !queue_.empty();
}

void TWindowDispatcher::ProcessPending(std::chrono::milliseconds wait) {
  const auto end = std::chrono::steady_clock::now() + wait;
  bool quit = false;
  int quitCode = 0;
  for (;;) {
    MSG message;
    bool any = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(message.wParam);
        break;
      }
      any = true;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    // Calls may be queued while their wake-up message is still on its way.
    if (RunSlice()) any = true;
    const auto now = std::chrono::steady_clock::now();
    if (any || quit || now >= end) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
  }
  // The message loop outside must still see the quit.
  if (quit) PostQuitMessage(quitCode);
}

size_t TWindowDispatcher::Waiting() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

}  // namespace vp::widgets
