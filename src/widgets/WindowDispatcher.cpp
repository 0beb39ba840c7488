#include "widgets/WindowDispatcher.h"

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
  owner_.Calls().RunWoken(kSlice);
  return 0;
}

// The queue wakes the window thread with a message to window_; no call can
// be handed over before the window exists, and none is taken once the
// destructor has closed the queue.
TWindowDispatcher::TWindowDispatcher()
    : TQueuedDispatcher([this] { window_->Wake(); }), window_(std::make_unique<TMessageWindow>(*this)) {}

TWindowDispatcher::~TWindowDispatcher() {
  // Whoever still waits in Synchronize is released with its call unrun;
  // later calls are dropped.
  Calls().Close();
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
    if (Calls().Run(kSlice)) any = true;
    const auto now = std::chrono::steady_clock::now();
    if (any || quit || now >= end) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
  }
  // The message loop outside must still see the quit.
  if (quit) PostQuitMessage(quitCode);
}

size_t TWindowDispatcher::Waiting() const {
  return Calls().Waiting();
}

}  // namespace vp::widgets
