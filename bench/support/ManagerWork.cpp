#include "support/ManagerWork.h"

#include <string>
#include <thread>
#include <vector>

#include "core/Dispatcher.h"
#include "manager/ManagerReaders.h"
#include "manager/ManagerThreads.h"
#include "manager/StartupLocations.h"
#include "platform/Platform.h"

namespace vp::bench {
namespace {

using platform::RegHandle;

// Reads the open key's values and lists its sub-keys (into names, when
// given); walks the sub-keys down `depth` more levels.
void WalkKey(RegHandle key, int depth, TWalkTotals& totals, std::vector<std::string>* names = nullptr) {
  platform::Registry& registry = platform::Reg();
  ++totals.keys;
  std::string name;
  uint32_t type = 0;
  std::string data;
  for (uint32_t i = 0;; ++i) {
    const platform::RegStatus status = registry.EnumValue(key, i, name, &type, &data);
    if (status != platform::kErrorSuccess && status != platform::kErrorNoUnicodeTranslation) break;
    ++totals.values;
    totals.bytes += static_cast<int64_t>(data.size());
  }
  std::vector<std::string> subKeys;
  for (uint32_t i = 0;; ++i) {
    const platform::RegStatus status = registry.EnumKey(key, i, name);
    if (status != platform::kErrorSuccess && status != platform::kErrorNoUnicodeTranslation) break;
    if (status == platform::kErrorSuccess) subKeys.push_back(name);
  }
  if (names != nullptr) *names = subKeys;
  if (depth <= 0) return;
  for (const std::string& sub : subKeys) {
    RegHandle child = platform::kNoKey;
    if (registry.OpenKey(key, sub, platform::kKeyRead, child) != platform::kErrorSuccess) continue;
    WalkKey(child, depth - 1, totals);
    registry.CloseKey(child);
  }
}

// Walks root\path down depth levels; the names of its sub-keys in names.
void WalkPath(RegHandle root, const std::string& path, int depth, TWalkTotals& totals,
              std::vector<std::string>* names = nullptr) {
  RegHandle key = platform::kNoKey;
  if (platform::Reg().OpenKey(root, path, platform::kKeyRead, key) != platform::kErrorSuccess) return;
  WalkKey(key, depth, totals, names);
  platform::Reg().CloseKey(key);
}

// Each class below the top (of one view): the class key, and its verbs with
// their commands.
void WalkClasses(const std::string& top, TWalkTotals& totals) {
  std::vector<std::string> classes;
  WalkPath(platform::kHkeyClassesRoot, top, 0, totals, &classes);
  const std::string prefix = top.empty() ? std::string() : top + "\\";
  for (const std::string& name : classes) {
    WalkPath(platform::kHkeyClassesRoot, prefix + name, 0, totals);
    WalkPath(platform::kHkeyClassesRoot, prefix + name + "\\Shell", 2, totals);
  }
}

}  // namespace

TWalkTotals BareWalkManagerKeys() {
  TWalkTotals totals;
  const std::string version = "Software\\Microsoft\\Windows\\CurrentVersion\\";
  for (const std::string software : {"Software", "Software\\Wow6432Node"})
    WalkPath(platform::kHkeyLocalMachine, software, 2, totals);
  WalkPath(platform::kHkeyCurrentUser, "Software", 2, totals);
  WalkPath(platform::kHkeyCurrentConfig, "Software", 2, totals);
  WalkPath(platform::kHkeyClassesRoot, "Software", 2, totals);
  for (const std::string& base : {std::string("Software\\"), std::string("Software\\Wow6432Node\\")}) {
    const std::string inView = base + version.substr(9);
    WalkPath(platform::kHkeyLocalMachine, inView + "Uninstall", 1, totals);
    WalkPath(platform::kHkeyLocalMachine, inView + "Explorer\\FindExtensions\\Static", 2, totals);
  }
  WalkPath(platform::kHkeyCurrentUser, version + "Uninstall", 1, totals);
  for (const TStartupRunKey& run : kStartupRunKeys) {
    WalkPath(run.root, std::string(run.path), 0, totals);
    if (run.root == platform::kHkeyLocalMachine)
      WalkPath(run.root, "Software\\Wow6432Node" + std::string(run.path).substr(8), 0, totals);
  }
  WalkPath(platform::kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\MenuExt", 0, totals);
  for (const std::string top : {"", "Wow6432Node"}) {
    WalkClasses(top, totals);
    WalkPath(platform::kHkeyClassesRoot, top.empty() ? "Applications" : top + "\\Applications", 2, totals);
  }
  return totals;
}

int64_t FillTab(int tab) {
  TFunctionCacher cacher;
  TReaderContext context;
  context.cacher = &cacher;
  TRowCollector rows;
  ReaderOfTab(tab)(context, rows);
  return static_cast<int64_t>(rows.Rows().size());
}

namespace {

// Nothing is shown: the fills alone are measured.
class NoView : public TManagerView {
 public:
  void OnBeforeUpdate(int) override {}
  void OnClear(int) override {}
  void OnBeginAdd(int, size_t) override {}
  void OnAddItem(int, const TListRow&) override {}
  void OnEndAdd(int) override {}
  std::optional<TItemCount> CountItems() override { return std::nullopt; }
  void OnCounted(const TItemCount&) override {}
};

}  // namespace

int64_t FillAllTabs() {
  TQueueDispatcher dispatcher;
  NoView view;
  // At normal priority, as the scan benchmarks run: at idle priority any
  // other process on the machine would decide the figure.
  TManagerTimings timings;
  timings.idlePriority = false;
  TManagerThreads threads(dispatcher, view, timings);
  threads.Start(false, false, "");
  threads.RequestAllFills();
  auto allDone = [&] {
    for (int tab = 0; tab < kCleanerTab; ++tab)
      if (threads.FillThread(tab).FillsDone() == 0) return false;
    return true;
  };
  dispatcher.PumpUntil(allDone);
  int64_t rows = 0;
  for (int tab = 0; tab < kCleanerTab; ++tab) {
    auto shown = threads.Buffers()[static_cast<size_t>(tab)].TakeForTransfer(std::chrono::seconds(0));
    if (shown) rows += static_cast<int64_t>(shown->rows.size());
    threads.Buffers()[static_cast<size_t>(tab)].EndTransfer();
  }
  return rows;
}

}  // namespace vp::bench
