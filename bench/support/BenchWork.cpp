#include "support/BenchWork.h"

#include <string>
#include <vector>

#include "core/Dispatcher.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "scanner/FileReferences.h"
#include "scanner/ScanDriver.h"

namespace vp::bench {

namespace {

void WalkBelow(platform::Registry& registry, platform::RegHandle key, bool testFiles, TWalkTotals& totals) {
  ++totals.keys;
  std::string name;
  uint32_t type = 0;
  std::string data;
  // One call per value: the name, the type and the data together.
  for (uint32_t i = 0;; ++i) {
    const platform::RegStatus status = registry.EnumValue(key, i, name, &type, &data);
    if (status != platform::kErrorSuccess && status != platform::kErrorNoUnicodeTranslation) break;
    ++totals.values;
    if (status != platform::kErrorSuccess) continue;
    totals.bytes += static_cast<int64_t>(data.size());
    if (!testFiles || !platform::IsTextType(type) || data.find(":\\") == std::string::npos) continue;
    const std::string path = BestPathIn(data);
    if (path.empty()) continue;
    ++totals.existenceTests;
    platform::Files().Attributes(path);
  }
  // Sub-keys are listed first and then opened one at a time, so only one
  // handle per level is open.
  std::vector<std::string> names;
  for (uint32_t i = 0;; ++i) {
    const platform::RegStatus status = registry.EnumKey(key, i, name);
    if (status != platform::kErrorSuccess && status != platform::kErrorNoUnicodeTranslation) break;
    if (status == platform::kErrorSuccess) names.push_back(name);
  }
  for (const std::string& sub : names) {
    platform::RegHandle child = platform::kNoKey;
    if (registry.OpenKey(key, sub, platform::kKeyRead, child) != platform::kErrorSuccess) continue;
    WalkBelow(registry, child, testFiles, totals);
    registry.CloseKey(child);
  }
}

}  // namespace

TWalkTotals BareWalk(platform::RegHandle root) {
  TWalkTotals totals;
  WalkBelow(platform::Reg(), root, false, totals);
  return totals;
}

namespace {

TWalkTotals WalkRoots(bool testFiles) {
  TWalkTotals totals;
  for (platform::RegHandle root : {platform::kHkeyLocalMachine, platform::kHkeyUsers})
    WalkBelow(platform::Reg(), root, testFiles, totals);
  return totals;
}

}  // namespace

TWalkTotals BareWalkAll() {
  return WalkRoots(false);
}

TWalkTotals WalkAndTestAll() {
  return WalkRoots(true);
}

TScanTotals RunScan(bool deep, const std::vector<int32_t>& areas) {
  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  TScanRequest request;
  request.deep = deep;
  request.areas = areas;
  request.options.IdlePriority = false;
  // Texts are only shown; any non-empty whole-key text lets whole-key
  // findings list their contents as they do for a user.
  request.language = MakeCleanerLanguage([](std::string_view id) { return std::string(id); });
  TScanTotals totals;
  if (!driver.Start(request)) return totals;
  driver.Wait();
  totals.keys = driver.KeysAnalyzed();
  totals.values = driver.ValuesAnalyzed();
  totals.items = static_cast<int64_t>(driver.Items().size());
  totals.threads = driver.ThreadCount();
  return totals;
}

}  // namespace vp::bench
