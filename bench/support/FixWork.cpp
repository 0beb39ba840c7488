#include "support/FixWork.h"

#include <chrono>

#include "backup/BackupSets.h"
#include "backup/BackupTool.h"
#include "files/FileSystemCache.h"
#include "registry/FastRegistry.h"
#include "scanner/CleanerFix.h"

namespace vp::bench {

std::vector<TNewItem> PlantVendorFindings(const std::string& keyPath, int count) {
  std::vector<TNewItem> items;
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyCurrentUser);
  for (int i = 0; i < count; ++i) {
    const std::string vendor = keyPath + "\\Vendor" + std::to_string(i);
    if (!registry.OpenKey("\\" + vendor + "\\App", true)) continue;
    registry.WriteString("Path", "C:\\Program Files\\Gone Vendor " + std::to_string(i) + "\\app.exe");
    TNewItem item;
    item.FullPath = "HKEY_CURRENT_USER\\" + vendor + (i % 2 == 0 ? "" : "\\App");
    item.WholeKey = i % 2 == 0;
    item.ValueName = item.WholeKey ? "" : "Path";
    items.push_back(std::move(item));
  }
  return items;
}

double TimeFix(const std::vector<TNewItem>& items, const std::string& backupsFolder, int& failed) {
  TFileSystemCache cache;
  TFixSettings settings;
  settings.backupsFolder = backupsFolder;
  settings.description = "benchmark";
  settings.cache = &cache;
  settings.driveLetters = "c";
  const auto start = std::chrono::steady_clock::now();
  const TFixReport report = FixCleanerItems(items, settings);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  failed = report.failed;
  if (report.backupCreated) DeleteBackupSet(report.setFolder);
  return seconds;
}

void RemoveVendorKeys(const std::string& keyPath) {
  TBackupTool().RemoveKey({platform::kHkeyCurrentUser, keyPath});
}

}  // namespace vp::bench
