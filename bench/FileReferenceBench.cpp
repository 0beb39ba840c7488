// The file reference analysis over a million registry strings: paths to
// present and missing files, command lines with arguments and quotes, icon
// indexes, environment references, network and removable locations, texts
// that name no file. Measured with and without the existence memo a scan's
// threads share, on one thread and on two: the time per string, the
// existence tests per string, and a digest of every verdict (equal digests:
// the memo changed no verdict).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "scanner/ExistenceMemo.h"
#include "scanner/FileReferences.h"
#include "support/RegistryGenerator.h"

namespace fs = std::filesystem;

namespace {

const fs::path kWork = fs::path(VP_BENCH_WORK_DIR) / "references";

struct Setup {
  vp::platform::sim::SimMachine machine;
  std::vector<std::string> strings;
};

Setup& Data() {
  static Setup* setup = [] {
    auto* s = new Setup;
    fs::create_directories(kWork / "c");
    s->machine.Files().MapDrive('C', kWork / "c", vp::platform::DriveType::Fixed);
    vp::platform::Install(s->machine.Services());
    const char* count = std::getenv("VP_BENCH_STRINGS");
    s->strings =
        vp::bench::GenerateReferenceStrings(count ? std::atoll(count) : 1000000, 0.1, 11, kWork / "c");
    return s;
  }();
  return *setup;
}

struct Tally {
  int64_t missing = 0, excused = 0;
  uint64_t digest = 0;
};

void AnalyzeRange(const std::vector<std::string>& strings, size_t from, size_t step, vp::TExistenceMemo* memo,
                  Tally& tally) {
  vp::TScanContext context;
  context.NonFixedDrives = "abdefghijklmnopqrstuvwxyz";
  context.Memo = memo;
  for (size_t i = from; i < strings.size(); i += step) {
    vp::TAnalyzerResult result;
    vp::Analyze(strings[i], result, context);
    if (result.Kind == vp::kReferenceMissing) ++tally.missing;
    if (result.Kind == vp::kReferenceExcused) ++tally.excused;
    // Order-independent, so that the threads' shares add up to the same.
    tally.digest += std::hash<std::string>{}(std::to_string(i) + ":" + std::to_string(result.Kind) + ":" +
                                             result.Detail + ":" + result.Match);
  }
}

// Arguments: memo on, threads.
void BM_Analyze(benchmark::State& state) {
  Setup& setup = Data();
  const bool useMemo = state.range(0) != 0;
  const size_t threads = static_cast<size_t>(state.range(1));
  Tally total;
  uint64_t calls = 0;
  size_t memoSize = 0;
  double memoHeap = 0;
  double seconds = 0;  // of the last iteration
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<Tally> tallies(threads);
    const size_t heapBefore = mallinfo2().uordblks;
    vp::TExistenceMemo memo;  // one per scan
    setup.machine.Files().ResetCallCount();
    if (threads == 1) {
      // On this thread, so that the heap figure (main arena) holds the memo.
      AnalyzeRange(setup.strings, 0, 1, useMemo ? &memo : nullptr, tallies[0]);
    } else {
      std::vector<std::thread> workers;
      for (size_t t = 0; t < threads; ++t)
        workers.emplace_back(AnalyzeRange, std::cref(setup.strings), t, threads, useMemo ? &memo : nullptr,
                             std::ref(tallies[t]));
      for (auto& worker : workers) worker.join();
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    calls = setup.machine.Files().CallCount();
    memoSize = memo.Size();
    if (threads == 1 && memoSize > 0)
      memoHeap = static_cast<double>(mallinfo2().uordblks - heapBefore) / static_cast<double>(memoSize);
    total = Tally{};
    for (const Tally& t : tallies) {
      total.missing += t.missing;
      total.excused += t.excused;
      total.digest += t.digest;
    }
  }
  const double strings = static_cast<double>(setup.strings.size());
  state.counters["tests_per_string"] = static_cast<double>(calls) / strings;
  state.counters["ns_per_string"] = benchmark::Counter(
      strings, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["missing"] = static_cast<double>(total.missing);
  state.counters["excused"] = static_cast<double>(total.excused);
  state.counters["digest"] = static_cast<double>(total.digest % 1000000007);
  state.counters["memo_entries"] = static_cast<double>(memoSize);
  // Heap per remembered form, its text included (one thread only: the other
  // threads allocate from arenas of their own).
  if (memoHeap > 0) state.counters["memo_bytes_per_entry"] = memoHeap;
}
BENCHMARK(BM_Analyze)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
