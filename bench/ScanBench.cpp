// Scan throughput on a large generated registry: a normal and a deep scan
// against a bare single-thread walk of the same registry, run as interleaved
// pairs in one process so that both halves of a ratio see the same machine.
//
// The registry (1,000,000 keys unless VP_BENCH_KEYS says otherwise) is
// generated at start and loaded into a simulated machine through the .reg
// reader; drive C: is mapped onto the generated program folders.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "registry/RegFile.h"
#include "support/BenchWork.h"
#include "support/RegistryGenerator.h"

namespace fs = std::filesystem;

namespace {

const fs::path kWork = fs::path(VP_BENCH_WORK_DIR) / "scan";

int64_t KeyCount() {
  const char* text = std::getenv("VP_BENCH_KEYS");
  return text ? std::atoll(text) : 1000000;
}

struct Loaded {
  vp::bench::TGeneratedRegistry generated;
  vp::bench::TWalkTotals walk;
};

const Loaded& Registry() {
  static const Loaded* loaded = [] {
    auto* machine = new vp::platform::sim::SimMachine;
    fs::create_directories(kWork / "c");
    machine->Files().MapDrive('C', kWork / "c", vp::platform::DriveType::Fixed);
    vp::platform::Install(machine->Services());

    auto* result = new Loaded;
    vp::bench::TGeneratorOptions options;
    options.keys = KeyCount();
    options.missingShare = 0.05;
    options.seed = 7;
    options.driveRoot = kWork / "c";
    result->generated = vp::bench::GenerateRegistry(options);
    const auto contents = vp::TRegFileReader::Parse(result->generated.regText);
    const auto problems = vp::TRegFileReader::Apply(contents.operations);
    if (!contents.Clean() || !problems.empty()) {
      std::fprintf(stderr, "generated registry did not load: %zu problems\n",
                   contents.problems.size() + problems.size());
      std::exit(1);
    }
    result->generated.regText.clear();
    result->generated.regText.shrink_to_fit();
    result->walk = vp::bench::BareWalkAll();
    std::fprintf(stderr,
                 "registry: %lld generated keys, %lld values (%lld naming files, %lld missing); "
                 "%lld keys and %lld values in all\n",
                 static_cast<long long>(result->generated.keys),
                 static_cast<long long>(result->generated.values),
                 static_cast<long long>(result->generated.pathValues),
                 static_cast<long long>(result->generated.missingValues),
                 static_cast<long long>(result->walk.keys), static_cast<long long>(result->walk.values));
    return result;
  }();
  return *loaded;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// Each iteration is one triple: the bare walk, the walk with one existence
// test per value naming a path, then the scan. The reported time is the
// scan's; the counters carry the medians and the medians of the ratios.
void BM_ScanVsWalk(benchmark::State& state) {
  const bool deep = state.range(0) != 0;
  const Loaded& loaded = Registry();
  std::vector<double> walks, tested, scans, ratios, testedRatios;
  int64_t tests = 0;
  vp::bench::TScanTotals totals;
  double cpu = 0;  // process CPU time of the scans, every thread
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    const vp::bench::TWalkTotals walk = vp::bench::BareWalkAll();
    const double walkSeconds = Seconds(start);
    start = std::chrono::steady_clock::now();
    tests = vp::bench::WalkAndTestAll().existenceTests;
    const double testedSeconds = Seconds(start);
    start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    totals = vp::bench::RunScan(deep);
    const double scanSeconds = Seconds(start);
    cpu += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    state.SetIterationTime(scanSeconds);
    benchmark::DoNotOptimize(walk);
    walks.push_back(walkSeconds);
    scans.push_back(scanSeconds);
    ratios.push_back(scanSeconds / walkSeconds);
    tested.push_back(testedSeconds);
    testedRatios.push_back(scanSeconds / testedSeconds);
  }
  state.counters["walk_ms"] = Median(walks) * 1000;
  state.counters["scan_ms"] = Median(scans) * 1000;
  state.counters["ratio"] = Median(ratios);
  state.counters["walk_tests_ms"] = Median(tested) * 1000;
  state.counters["existence_tests"] = static_cast<double>(tests);
  state.counters["ratio_to_walk_tests"] = Median(testedRatios);
  state.counters["walk_keys_per_s"] = static_cast<double>(loaded.walk.keys) / Median(walks);
  state.counters["scan_keys_per_s"] = static_cast<double>(totals.keys) / Median(scans);
  state.counters["scan_keys"] = static_cast<double>(totals.keys);
  state.counters["scan_values"] = static_cast<double>(totals.values);
  state.counters["items"] = static_cast<double>(totals.items);
  state.counters["threads"] = totals.threads;
  state.counters["cpu_s"] = cpu / static_cast<double>(scans.size());
}
// Argument: deep scan.
BENCHMARK(BM_ScanVsWalk)->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// One area alone on its thread: where a scan's time goes.
void BM_Area(benchmark::State& state) {
  Registry();
  vp::bench::TScanTotals totals;
  for (auto _ : state) totals = vp::bench::RunScan(true, {static_cast<int32_t>(state.range(0))});
  state.counters["keys"] = static_cast<double>(totals.keys);
  state.counters["values"] = static_cast<double>(totals.values);
  state.counters["items"] = static_cast<double>(totals.items);
}
BENCHMARK(BM_Area)->DenseRange(1, 16)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
