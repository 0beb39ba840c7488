// The cleaner's Fix over 1,000 and 10,000 findings on a simulated machine
// whose drive C: is a host folder (the backup set's appends reach the disk):
// the time per finding should not grow with the number of findings.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "support/FixWork.h"

namespace {

void BM_Fix(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path drive = fs::path(VP_BENCH_WORK_DIR) / "fix-drive";
  fs::remove_all(drive);
  fs::create_directories(drive / "Backups");
  vp::platform::sim::SimMachine machine;
  machine.Files().MapDrive('C', drive, vp::platform::DriveType::Fixed);
  const vp::platform::Services previous = vp::platform::Current();
  vp::platform::Install(machine.Services());
  const int count = static_cast<int>(state.range(0));
  double seconds = 0;
  int failed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const auto items = vp::bench::PlantVendorFindings("Software\\FixBench", count);
    state.ResumeTiming();
    const double one = vp::bench::TimeFix(items, "C:\\Backups\\", failed);
    state.PauseTiming();
    seconds += one;
    vp::bench::RemoveVendorKeys("Software\\FixBench");
    state.ResumeTiming();
  }
  state.counters["us_per_finding"] = seconds * 1e6 / (static_cast<double>(count) * state.iterations());
  state.counters["failed"] = failed;
  vp::platform::Install(previous);
  fs::remove_all(drive);
}
BENCHMARK(BM_Fix)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
