// The window program's responsiveness under Wine, by hand (see bench/README.md):
//   start to window shown; a scan of 100,000 planted findings: from the end
//   of its last thread to every row in the list; the longest stall of the
//   window thread's message loop during that scan; a switch to a filled tab.
//
//   WindowBench.exe <program folder> [findings]

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "shell/Program.h"
#include "widgets/Text.h"
#include "widgets/Window.h"

namespace {

using namespace vp;
using Steady = std::chrono::steady_clock;

double Ms(Steady::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Receives pings posted every 5 ms from another thread and keeps the
// longest time one waited for the window thread.
class TStallProbe : public widgets::TCustomWindow {
 public:
  TStallProbe() { CreateCustom(L"VeltaroStallProbe", HWND_MESSAGE, "", 0, 0, 0, 0, 0, 0, nullptr); }
  ~TStallProbe() override { Stop(); }
  void Start() {
    pinger_ = std::jthread([this](std::stop_token stop) {
      while (!stop.stop_requested()) {
        if (!pending_.exchange(true)) {
          sent_ = Steady::now().time_since_epoch().count();
          PostMessageW(Handle(), WM_APP + 7, 0, 0);
        }
        Sleep(5);
      }
    });
  }
  void Stop() {
    pinger_.request_stop();
    if (pinger_.joinable()) pinger_.join();
  }
  double LongestMs() const { return longest_.load() / 1e6; }
  int64_t LongestAt() const { return longestAt_.load(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_APP + 7) return Default(message, wParam, lParam);
    const int64_t now = Steady::now().time_since_epoch().count();
    const int64_t waited = now - sent_.load();
    if (waited > longest_.load()) {
      longest_ = waited;
      longestAt_ = now;
    }
    pending_ = false;
    return 0;
  }

 private:
  std::atomic<int64_t> sent_{0};
  std::atomic<int64_t> longest_{0};
  std::atomic<int64_t> longestAt_{0};
  std::atomic<bool> pending_{false};
  std::jthread pinger_;
};

constexpr const char* kKey = "\\Software\\Veltaro Window Bench";

void Plant(int findings) {
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyCurrentUser);
  registry.DeleteKey(kKey);
  for (int i = 0; i < findings; ++i) {
    if (i % 1000 == 0 && !registry.OpenKey(std::string(kKey) + "\\Set" + std::to_string(i / 1000), true))
      return;
    registry.WriteString("Tool" + std::to_string(i),
                         "C:\\Program Files\\Gone\\tool" + std::to_string(i) + ".exe");
  }
}

void Unplant(int findings) {
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyCurrentUser);
  for (int i = 0; i < findings; i += 1000)
    registry.DeleteKey(std::string(kKey) + "\\Set" + std::to_string(i / 1000));
  registry.DeleteKey(kKey);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::string folder = widgets::Narrow(argv[1]);
  const int findings = argc > 2 ? std::stoi(widgets::Narrow(argv[2])) : 100000;
  platform::Install(platform::DefaultServices());
  std::printf("planting %d findings...\n", findings);
  std::fflush(stdout);
  Plant(findings);

  const auto start = Steady::now();
  shell::TProgram program(folder, false);
  std::atomic<int64_t> reported{0};
  shell::TMainFormContext extra;
  extra.scanAreas = {4};
  extra.showMessage = [&](const std::string&, const std::string&) {
    reported = Steady::now().time_since_epoch().count();
  };
  if (!program.CreateWindows(std::move(extra))) return 1;
  shell::TMainForm& form = *program.Form();
  form.Show(SW_SHOWNORMAL);
  UpdateWindow(form.Handle());
  const auto shown = Steady::now();
  std::printf("start to window shown: %.0f ms\n", Ms(shown - start));

  auto pumpUntil = [&](auto done) {
    while (!done()) program.Dispatcher().ProcessPending(std::chrono::milliseconds(10));
  };
  pumpUntil([&] { return !program.Texts().Text("Columns.15").empty(); });
  form.Execute(shell::Command::CacheSkip);

  TStallProbe probe;
  probe.Start();
  const auto pressed = Steady::now();
  form.Execute(shell::Command::Start);
  const auto scanStart = Steady::now();
  std::printf("Start pressed to threads running (on the window thread): %.0f ms\n", Ms(scanStart - pressed));
  pumpUntil([&] { return form.Phase() == shell::ScanPhase::Finished; });
  probe.Stop();
  const int rows = static_cast<int>(SendMessageW(form.List().Handle(), LVM_GETITEMCOUNT, 0, 0));
  std::printf("scan: %.1f s, %d rows in the list\n", Ms(Steady::now() - scanStart) / 1000, rows);
  std::printf("end of the scan (last thread's end event) to every row listed and sorted: %lld ms\n",
              static_cast<long long>(form.LastScanEndWork().count()));
  std::printf(
      "longest stall of the message loop during the scan: %.0f ms, ending %.0f ms %s the end report\n",
      probe.LongestMs(), std::abs(probe.LongestAt() - reported.load()) / 1e6,
      probe.LongestAt() <= reported.load() ? "before" : "after");

  for (int tab : {3, 0}) {
    const int updates = form.UpdatesShown(tab);
    // The tab lock holds changes a second apart: the switch counts from the
    // change the user could make.
    pumpUntil([&] { return form.ChangeTab(tab); });
    const auto before = Steady::now();
    pumpUntil([&] { return form.UpdatesShown(tab) > updates; });
    std::printf("switch to tab %d (%d rows): %.0f ms\n", tab, form.Model().Count(),
                Ms(Steady::now() - before));
  }
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  Unplant(findings);
  return 0;
}
