// The window program's responsiveness under Wine, by hand (see bench/README.md):
//   start to window shown; a scan of 100,000 planted findings: from the end
//   of its last thread to every row in the list; the longest stall of the
//   window thread's message loop during that scan; a switch to a filled tab.
//
//   WindowBench.exe <program folder> [findings] [uninstall entries]

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
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

// The return addresses on a thread's stack, walked with the unwind tables
// while the thread is suspended. Nothing is allocated meanwhile: the thread
// may hold the heap's lock.
struct TStack {
  int count = 0;
  uint64_t frames[24] = {};
};

TStack StackOf(HANDLE thread) {
  TStack stack;
  if (SuspendThread(thread) == static_cast<DWORD>(-1)) return stack;
  CONTEXT context{};
  context.ContextFlags = CONTEXT_FULL;
  if (GetThreadContext(thread, &context)) {
    while (stack.count < 24 && context.Rip != 0) {
      stack.frames[stack.count++] = context.Rip;
      DWORD64 base = 0;
      PRUNTIME_FUNCTION entry = RtlLookupFunctionEntry(context.Rip, &base, nullptr);
      if (entry == nullptr) {
        // A leaf function: its return address is on top of the stack.
        context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
        context.Rsp += 8;
        continue;
      }
      PVOID handlerData = nullptr;
      DWORD64 establisher = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, context.Rip, entry, &context, &handlerData, &establisher,
                       nullptr);
    }
  }
  ResumeThread(thread);
  return stack;
}

// User and kernel time of a thread, in 100 ns units.
int64_t ThreadCpu(HANDLE thread) {
  FILETIME created{}, ended{}, kernel{}, user{};
  if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return 0;
  const auto value = [](const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  };
  return value(kernel) + value(user);
}

// "module+0xoffset" for an address.
std::string Where(uint64_t address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(address), &module))
    return "?";
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  std::string name = widgets::Narrow(path);
  name = name.substr(name.find_last_of('\\') + 1);
  char offset[32];
  std::snprintf(offset, sizeof offset, "+0x%llx",
                static_cast<unsigned long long>(address - reinterpret_cast<uint64_t>(module)));
  return name + offset;
}

// Receives pings posted every 5 ms from another thread and keeps how long
// each waited for the window thread. While a ping waits longer than 30 ms
// the window thread's stack is sampled every 5 ms, so that a stall can be
// traced to what the thread was doing (VP_STALL_STACKS=1).
class TStallProbe : public widgets::TCustomWindow {
 public:
  struct Stall {
    int ping = 0;
    int64_t sent = 0;  // steady clock ticks
    double ms = 0;
    // Processor time the window thread used meanwhile (10 ms resolution):
    // near the stall's length when the thread worked, near 0 when it waited.
    double cpuMs = 0;
  };
  struct Sample {
    int ping = 0;
    TStack stack;
  };

  explicit TStallProbe(bool sampleStacks) : sampleStacks_(sampleStacks) {
    CreateCustom(L"VeltaroStallProbe", HWND_MESSAGE, "", 0, 0, 0, 0, 0, 0, nullptr);
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &windowThread_, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    samples_.reserve(20000);
  }
  ~TStallProbe() override {
    Stop();
    if (windowThread_ != nullptr) CloseHandle(windowThread_);
  }
  void Start() {
    pinger_ = std::jthread([this](std::stop_token stop) {
      while (!stop.stop_requested()) {
        const int64_t now = Steady::now().time_since_epoch().count();
        if (!pending_.load()) {
          sent_ = now;
          sentCpu_ = ThreadCpu(windowThread_);
          pending_ = true;
          PostMessageW(Handle(), WM_APP + 7, 0, 0);
        } else if (sampleStacks_ && now - sent_.load() > 30'000'000 &&
                   samples_.size() < samples_.capacity()) {
          const TStack stack = StackOf(windowThread_);
          std::lock_guard lock(mutex_);
          samples_.push_back({ping_.load(), stack});
        }
        Sleep(5);
      }
    });
  }
  void Stop() {
    pinger_.request_stop();
    if (pinger_.joinable()) pinger_.join();
  }
  // The stalls of more than minMs, longest first.
  std::vector<Stall> Stalls(double minMs) const {
    std::lock_guard lock(mutex_);
    std::vector<Stall> stalls;
    for (const Stall& stall : stalls_)
      if (stall.ms > minMs) stalls.push_back(stall);
    std::sort(stalls.begin(), stalls.end(), [](const Stall& a, const Stall& b) { return a.ms > b.ms; });
    return stalls;
  }
  Stall Longest() const {
    const std::vector<Stall> stalls = Stalls(0);
    return stalls.empty() ? Stall{} : stalls.front();
  }
  std::vector<Sample> SamplesOf(int ping) const {
    std::lock_guard lock(mutex_);
    std::vector<Sample> found;
    for (const Sample& sample : samples_)
      if (sample.ping == ping) found.push_back(sample);
    return found;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_APP + 7) return Default(message, wParam, lParam);
    const int64_t now = Steady::now().time_since_epoch().count();
    {
      std::lock_guard lock(mutex_);
      stalls_.push_back({ping_.load(), sent_.load(), (now - sent_.load()) / 1e6,
                         (ThreadCpu(windowThread_) - sentCpu_.load()) / 1e4});
    }
    ++ping_;
    pending_ = false;
    return 0;
  }

 private:
  const bool sampleStacks_;
  HANDLE windowThread_ = nullptr;
  std::atomic<int64_t> sent_{0};
  std::atomic<int64_t> sentCpu_{0};
  std::atomic<int> ping_{0};
  std::atomic<bool> pending_{false};
  mutable std::mutex mutex_;
  std::vector<Stall> stalls_;
  std::vector<Sample> samples_;
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

// A filled manager tab: as many uninstall entries, each a row of the
// 'Add/Remove menu' tab.
constexpr const char* kUninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr int kUninstallTab = 2;

std::string EntryName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "VeltaroBench%05d", i);
  return name;
}

void UnplantUninstallEntries(int count) {
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyLocalMachine);
  for (int i = 0; i < count; ++i) registry.DeleteKey(kUninstallKey + EntryName(i));
}

bool PlantUninstallEntries(int count) {
  UnplantUninstallEntries(count);
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyLocalMachine);
  for (int i = 0; i < count; ++i) {
    if (!registry.OpenKey(kUninstallKey + EntryName(i), true)) return false;
    registry.WriteString("DisplayName", "Veltaro Bench Program " + EntryName(i).substr(12));
    registry.WriteString("UninstallString",
                         "C:\\Program Files\\Veltaro Bench\\uninstall.exe " + EntryName(i));
    registry.CloseKey();
  }
  return true;
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
  const int entries = argc > 3 ? std::stoi(widgets::Narrow(argv[3])) : 10000;
  std::printf("planting %d uninstall entries...\n", entries);
  std::fflush(stdout);
  if (!PlantUninstallEntries(entries)) std::printf("could not plant the uninstall entries\n");

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

  const char* stacks = std::getenv("VP_STALL_STACKS");
  TStallProbe probe(stacks != nullptr && stacks[0] == '1');
  probe.Start();
  const auto pressed = Steady::now();
  form.Execute(shell::Command::Start);
  const auto scanStart = Steady::now();
  std::printf("Start pressed to threads running (on the window thread): %.0f ms\n", Ms(scanStart - pressed));
  pumpUntil([&] { return form.Phase() == shell::ScanPhase::Finished; });
  // The end report's work is part of the scan: the pings it held up are
  // answered once the loop runs again.
  const auto settle = Steady::now() + std::chrono::milliseconds(300);
  pumpUntil([&] { return Steady::now() >= settle; });
  probe.Stop();
  const int rows = static_cast<int>(SendMessageW(form.List().Handle(), LVM_GETITEMCOUNT, 0, 0));
  std::printf("scan: %.1f s, %d rows in the list\n", Ms(Steady::now() - scanStart) / 1000, rows);
  std::printf("end of the scan (last thread's end event) to every row listed and sorted: %lld ms\n",
              static_cast<long long>(form.LastScanEndWork().count()));
  const auto sinceStart = [&](int64_t ticks) { return (ticks - scanStart.time_since_epoch().count()) / 1e6; };
  const TStallProbe::Stall longest = probe.Longest();
  std::printf(
      "longest stall of the message loop during the scan: %.0f ms, from %.0f ms after Start; the end report "
      "came %.0f ms after Start\n",
      longest.ms, sinceStart(longest.sent), sinceStart(reported.load()));
  const auto report = [&](const TStallProbe& from) {
    const std::vector<TStallProbe::Stall> stalls = from.Stalls(50);
    std::printf("stalls over 50 ms: %zu\n", stalls.size());
    for (size_t i = 0; i < stalls.size() && i < 12; ++i) {
      std::printf("  %.0f ms from %.0f ms (window thread busy %.0f ms)\n", stalls[i].ms,
                  sinceStart(stalls[i].sent), stalls[i].cpuMs);
      // What the window thread was doing, most sampled frames first.
      std::map<std::string, int> frames;
      const std::vector<TStallProbe::Sample> samples = from.SamplesOf(stalls[i].ping);
      for (const auto& sample : samples)
        for (int f = 0; f < sample.stack.count; ++f) ++frames[Where(sample.stack.frames[f])];
      std::vector<std::pair<int, std::string>> ranked;
      for (const auto& [where, count] : frames) ranked.push_back({count, where});
      std::sort(ranked.rbegin(), ranked.rend());
      for (size_t k = 0; k < ranked.size() && k < 25; ++k)
        std::printf("    %d/%zu %s\n", ranked[k].first, samples.size(), ranked[k].second.c_str());
    }
  };
  report(probe);

  // Each tab twice: the first visit may still wait for its list to be read;
  // the second shows a filled tab.
  TStallProbe switchProbe(stacks != nullptr && stacks[0] == '1');
  switchProbe.Start();
  for (int tab : {3, 0, kUninstallTab, 3, 0, kUninstallTab}) {
    const int updates = form.UpdatesShown(tab);
    // The tab lock holds changes a second apart: the switch counts from the
    // change the user could make, the change itself included.
    auto before = Steady::now();
    pumpUntil([&] {
      before = Steady::now();
      return form.ChangeTab(tab);
    });
    const auto changed = Steady::now();
    pumpUntil([&] { return form.UpdatesShown(tab) > updates; });
    UpdateWindow(form.List().Handle());
    std::printf("switch to tab %d (%d rows): %.0f ms (the change itself %.0f ms)\n", tab,
                form.Model().Count(), Ms(Steady::now() - before), Ms(changed - before));
  }
  switchProbe.Stop();
  std::printf("during the tab switches: ");
  report(switchProbe);
  Unplant(findings);
  UnplantUninstallEntries(entries);
  return 0;
}
