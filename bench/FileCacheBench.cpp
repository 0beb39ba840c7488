// The file existence cache: building it over a generated tree against a bare
// walk of the same tree, and loading and saving a cache of a million names,
// with the memory the loaded index takes.
//
// The tree (20,020 folders, 200,000 files) is generated once under the build
// folder and reused; drive C: of a simulated machine is mapped onto it.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "core/Dispatcher.h"
#include "files/FileCacheCreator.h"
#include "files/FileSystemCache.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/sim/SimMachine.h"

namespace fs = std::filesystem;

namespace {

const fs::path kWork = VP_BENCH_WORK_DIR;
constexpr int kTop = 20, kMiddle = 20, kLeaves = 49, kFilesPerFolder = 10;

// A machine whose C: is the generated tree and whose D: is a scratch folder.
vp::platform::sim::SimMachine& Machine() {
  static vp::platform::sim::SimMachine* machine = [] {
    auto* m = new vp::platform::sim::SimMachine;
    fs::create_directories(kWork / "tree");
    fs::create_directories(kWork / "files");
    m->Files().MapDrive('C', kWork / "tree", vp::platform::DriveType::Fixed);
    m->Files().MapDrive('D', kWork / "files", vp::platform::DriveType::Fixed);
    vp::platform::Install(m->Services());
    return m;
  }();
  return *machine;
}

// Names repeat across folders as they do on a real disk; six of every ten
// carry an extension the cache records.
std::string FileName(int folder, int i) {
  static const char* kExtensions[] = {"dll", "exe", "txt", "ini", "png", "sys", "log", "dat", "inf", "htm"};
  char name[64];
  std::snprintf(name, sizeof name, "component%05d.%s", (folder * 7 + i * 131) % 12000, kExtensions[i]);
  return name;
}

void WriteFolder(const fs::path& folder, int id) {
  fs::create_directories(folder);
  for (int i = 0; i < kFilesPerFolder; ++i) std::ofstream(folder / FileName(id, i));
}

void GenerateTree() {
  Machine();
  const fs::path root = kWork / "tree";
  if (fs::exists(root / "complete")) return;
  int id = 0;
  for (int t = 0; t < kTop; ++t) {
    const fs::path top = root / ("vendor" + std::to_string(t));
    fs::create_directories(top);
    for (int m = 0; m < kMiddle; ++m) {
      const fs::path middle = top / ("product" + std::to_string(m));
      WriteFolder(middle, id++);
      for (int l = 0; l < kLeaves; ++l) WriteFolder(middle / ("module" + std::to_string(l)), id++);
    }
  }
  std::ofstream(root / "complete");
}

// The walk every build must at least do: every folder listed once through
// the seam, recursively.
size_t BareWalk(const std::string& folder) {
  size_t entries = 0;
  auto search = vp::platform::Files().Search(folder + "*.*");
  vp::platform::DirectoryEntry entry;
  while (search->Next(entry)) {
    ++entries;
    if (entry.IsFolder()) entries += BareWalk(folder + entry.name + '\\');
  }
  return entries;
}

// Run on a thread of its own, as the creator's walk is, while this thread
// waits.
void BM_BareWalk(benchmark::State& state) {
  GenerateTree();
  size_t entries = 0;
  for (auto _ : state) {
    std::thread walker([&entries] {
      vp::platform::Sys().SetCurrentThreadPriority(vp::platform::ThreadPriority::Idle);
      entries = BareWalk("C:\\");
    });
    walker.join();
  }
  state.counters["entries"] = static_cast<double>(entries);
}

// state.range(0): 1 adds the batches to a cache, 0 drops them (the walk's
// own share of the cost).
void BM_CacheBuild(benchmark::State& state) {
  GenerateTree();
  const bool keep = state.range(0) != 0;
  vp::TQueueDispatcher dispatcher;
  int files = 0, names = 0;
  for (auto _ : state) {
    vp::TFileSystemCache cache;
    bool finished = false;
    vp::TFileCacheCreator creator("C:\\", dispatcher);
    creator.SetFinishPause(std::chrono::milliseconds(0));
    creator.OnFilesFound = [&cache, keep](vp::TFileCacheCreator&, const vp::StringList& batch) {
      if (keep) cache.AddFiles(batch);
    };
    creator.OnFinished = [&finished](vp::TFileCacheCreator&) { finished = true; };
    creator.Start();
    dispatcher.PumpUntil([&] { return finished; });
    creator.Wait();
    files = cache.FileCount();
    names = cache.NodeCount();
  }
  state.counters["files"] = files;
  state.counters["names"] = names;
}

// A cache of a million names in 20,000 folders, a fifth of the names in two.
struct BigCache {
  std::unique_ptr<vp::TFileSystemCache> cache = std::make_unique<vp::TFileSystemCache>();
  size_t ownBytes = 0;  // the names' and the distinct folders' bytes
};

std::string FolderName(int f) {
  char folder[96];
  std::snprintf(folder, sizeof folder, "c:\\program files\\vendor%03d\\product%02d\\bin%d\\", f / 200,
                f / 10 % 20, f % 10);
  return folder;
}

BigCache MakeBigCache() {
  BigCache big;
  std::mt19937 random(42);
  std::set<int> usedFolders;
  for (int n = 0; n < 1'000'000; ++n) {
    char name[48];
    std::snprintf(name, sizeof name, "lib%07d_%x.dll", n, static_cast<unsigned>(random() % 4096));
    const int folder = static_cast<int>(random() % 20000);
    big.cache->AddFile(FolderName(folder) + name);
    big.ownBytes += std::strlen(name);
    usedFolders.insert(folder);
    if (n % 5 == 0) {
      const int second = static_cast<int>(random() % 20000);
      big.cache->AddFile(FolderName(second) + name);
      usedFolders.insert(second);
    }
  }
  for (int f : usedFolders) big.ownBytes += FolderName(f).size();
  return big;
}

const std::string kBigFile = "D:\\FileCache.dat";

void BM_CacheSave(benchmark::State& state) {
  Machine();
  BigCache big = MakeBigCache();
  for (auto _ : state) benchmark::DoNotOptimize(big.cache->SaveToFile(kBigFile));
  state.counters["names"] = big.cache->NodeCount();
  state.counters["entries"] = big.cache->FileCount();
}

void BM_CacheLoad(benchmark::State& state) {
  Machine();
  if (!vp::platform::Files().Attributes(kBigFile)) MakeBigCache().cache->SaveToFile(kBigFile);
  vp::TFileSystemCache cache;
  for (auto _ : state) benchmark::DoNotOptimize(cache.LoadFromFile(kBigFile));
  state.counters["names"] = cache.NodeCount();
  state.counters["entries"] = cache.FileCount();
}

// Heap taken by a loaded million-name cache beyond the names' own bytes.
void BM_CacheMemory(benchmark::State& state) {
  Machine();
  BigCache big = MakeBigCache();
  big.cache->SaveToFile(kBigFile);
  big.cache.reset();
  size_t heap = 0, reported = 0;
  int names = 0, entries = 0;
  for (auto _ : state) {
    const size_t before = mallinfo2().uordblks;
    auto cache = std::make_unique<vp::TFileSystemCache>();
    cache->LoadFromFile(kBigFile);
    heap = mallinfo2().uordblks - before;
    reported = cache->MemoryUsage();
    names = cache->NodeCount();
    entries = cache->FileCount();
  }
  state.counters["heap_bytes"] = static_cast<double>(heap);
  state.counters["own_bytes"] = static_cast<double>(big.ownBytes);
  state.counters["overhead_per_name"] =
      (static_cast<double>(heap) - static_cast<double>(big.ownBytes)) / names;
  state.counters["overhead_per_entry"] =
      (static_cast<double>(heap) - static_cast<double>(big.ownBytes)) / entries;
  state.counters["index_reported"] = static_cast<double>(reported);
}

}  // namespace

// The walk and the build alternate, so that both see the same state of the
// host's caches; CPU is the whole process's (walker threads included).
#define VP_WALK_BENCH(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime()
VP_WALK_BENCH(BM_BareWalk);
VP_WALK_BENCH(BM_CacheBuild)->Arg(1);
VP_WALK_BENCH(BM_BareWalk);
VP_WALK_BENCH(BM_CacheBuild)->Arg(1);
VP_WALK_BENCH(BM_CacheBuild)->Arg(0);
BENCHMARK(BM_CacheSave)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CacheLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CacheMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
