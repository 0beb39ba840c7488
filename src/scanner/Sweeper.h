#pragma once

// TSweeper: one scan thread of the registry cleaner. It scans one area (its
// Mode), passes every finding through Report, and hands the surviving ones to
// the dispatcher's owning thread in batches, without waiting for it.
//
// Lifecycle: construct (nothing runs yet), SetLanguage, assign the events,
// Start. Stop asks the scan to end early; the final events are raised all the
// same. The destructor stops the scan and joins the thread; never destroy a
// TSweeper from inside one of its own events.

#include <atomic>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/Dispatcher.h"
#include "core/Worker.h"
#include "files/StringTools.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "registry/FastRegistry.h"
#include "scanner/FileReferences.h"
#include "scanner/HiveMarkers.h"
#include "scanner/SweeperTypes.h"

namespace vp {

class TSweeper {
 public:
  TSweeper(const TScanOptions& options, TDispatcher& dispatcher);
  ~TSweeper();
  TSweeper(const TSweeper&) = delete;
  TSweeper& operator=(const TSweeper&) = delete;

  // Copies the texts; call before Start.
  void SetLanguage(const TCleanerLanguage& language);

  // Events; assign before Start. All but OnCount run on the dispatcher's
  // owning thread, one at a time, in the order the scan raised them.
  //
  // OnFinished: once, as the scan thread's very last act (also after a
  //   failure or a stop).
  // OnProgress: at most once a second while the scan advances.
  // OnItem: once per reported problem, in the order found. Items are handed
  //   over in batches of up to kItemBatch, and at least once a second while
  //   the scan advances; the scan does not wait for them. Once the scan is
  //   stopped the rest of a batch is dropped. The item is valid until the
  //   handler returns.
  // OnCount: on the scan thread itself, concurrently with other scan
  //   threads, each time a check adds to the values or keys analysed (the
  //   increment in one argument, 0 in the other). Receivers add atomically.
  // OnTotals: once at the end, before OnFinished, with the thread's totals.
  //   It repeats what OnCount already delivered: receivers that add up
  //   OnCount must not add these as well.
  static constexpr size_t kItemBatch = 256;

  std::function<void(TSweeper&)> OnFinished;
  std::function<void(TSweeper&)> OnProgress;
  std::function<void(TSweeper&, TNewItem&)> OnItem;
  std::function<void(TSweeper&, int32_t values, int32_t keys)> OnCount;
  std::function<void(TSweeper&, int32_t values, int32_t keys)> OnTotals;

  // Starts the scan thread; a second call does nothing.
  void Start();
  // Sets the abort flag: every loop returns early and no further item is
  // reported. Callable from any thread.
  void Stop();
  // The thread's own terminate request; honoured like Stop.
  void Terminate();
  // True once the thread has raised OnFinished.
  bool Finished() const { return worker_.Finished(); }
  // Waits for the thread to end and joins it. On the dispatcher's owning
  // thread the dispatcher is pumped meanwhile, so the scan thread's
  // synchronised calls still run.
  void WaitFor();

  int32_t Mode() const { return mode_; }
  int32_t ValuesAnalyzed() const { return valuesTotal_.load(); }
  int32_t KeysAnalyzed() const { return keysTotal_.load(); }
  // The sub-key of HKEY_USERS that holds the current user's settings; found
  // only in area 2. Read it after the thread has finished.
  const std::string& CurrentUserHive() const { return currentUserHive_; }
  // Lower-case letters of the drives that are not fixed disks.
  const std::string& NonFixedDrives() const { return nonFixedDrives_; }

  // ---- used by the checks, on the scan thread --------------------------

  // The abort flag or the terminate request is set.
  bool StopRequested() const { return worker_.StopRequested(); }

  // The reporting routine every finding passes. keyDate is UTC (0 = not
  // known). isChild marks the calls Report and ListKeyContents make
  // themselves (mirrored items, a whole key's contents). detailText names
  // the language text that is the finding's own problem text (code 106).
  void Report(platform::RegHandle root, std::string keyPath, std::string valueName, std::string valueData,
              DateTime keyDate, int32_t code, const std::string& detail, bool isChild = false,
              int32_t detailText = kNoText);

  // Reports every value of the key and of all keys below it.
  void ListKeyContents(platform::RegHandle root, const std::string& keyPath, int32_t code,
                       const std::string& detail, int32_t detailText = kNoText);

  // Add the current step to the keys or values analysed.
  void IncKeys();
  void IncValues();
  void SetKeysStep(int32_t step) { keysStep_ = step; }
  void SetValuesStep(int32_t step) { valuesStep_ = step; }

  // The whole-hive walk: WalkKey walks the tree below key (empty: the whole
  // root), CheckKey checks one key's name and values for missing files.
  void WalkKey(platform::RegHandle root, const std::string& key);
  void CheckKey(platform::RegHandle root, const std::string& key);

  // Finds the sub-key of HKEY_USERS that holds HKEY_CURRENT_USER through a
  // marker key, which is removed again whatever happens. Area 2 runs it
  // before its walk.
  void DiscoverCurrentUserHive();
  // The marker key of the last discovery, below HKEY_CURRENT_USER.
  const std::string& LastHiveMarker() const { return lastHiveMarker_; }

  // The ignore list as the thread holds it.
  const StringList& IgnoreList() const { return ignoreList_; }

 private:
  void Execute();
  void RunScanBody();
  void RunArea();
  void ProgressTick();
  // Hands the items found so far to the owning thread.
  void HandOverItems();
  void MaybeYield();
  std::string KeyDateText(DateTime keyDate);
  bool IsSkippedBranch(const std::string& key, const std::string& name, const std::string& subKey) const;
  // What the walk takes from one open of a key (HiveWalk.cpp).
  struct TKeyContents;
  static bool ReadKeyContents(platform::RegHandle root, const std::string& key, bool withValues,
                              bool withSubKeys, TKeyContents& contents);
  void WalkSubKeys(platform::RegHandle root, const std::string& key, const StringList& names);
  void CheckKeyContents(platform::RegHandle root, const std::string& key, const TKeyContents& contents);
  DateTime KeyDate(platform::RegHandle root, const std::string& key) const;
  // The key's last write time when key dates are read, else 0.
  DateTime ReportDate(platform::RegHandle root, const std::string& key) const {
    return options_.ReadKeyDates ? KeyDate(root, key) : 0;
  }
  // Reports a whole key (name and data = the whole-key marker).
  void ReportKey(platform::RegHandle root, const std::string& key, int32_t code,
                 const std::string& detail = {});

  // Analyze for the data of a key in a view: a 32-bit program's system
  // folder is the system's SysWOW64 folder, so a system file named by the
  // 32-bit view is missing only when it is in neither folder.
  void AnalyzeInView(std::string_view data, TAnalyzerResult& result, bool view32);

  // Software registrations.
  void CheckUninstallEntries();
  void CheckHelpFiles();
  void CheckAppPaths();
  void CheckAppPathsIn(const std::string& appPaths, bool view32);
  void CheckApplications();
  void CheckSharedTools();
  void CollectSharedToolTexts(const std::string& key, StringList& texts);

  // File types and fonts.
  void CheckFileTypes();
  void CheckFileTypeList(platform::RegHandle root, const StringList& names, const std::string& prefix);
  bool IsEmptyTree(platform::RegHandle root, std::string key);
  void CheckFonts();

  // Start-menu order, vendor keys and history lists.
  void CheckStartMenuOrder();
  void CheckMenuOrder(const std::string& key, std::string userFolder, std::string commonFolder,
                      bool compareFolders);
  bool IsEmptyMenuKey(const std::string& key);
  void CheckSoftwareKeys();
  void CheckSoftwareKeysIn(platform::RegHandle root, const std::string& software, const StringList& names);
  void WalkHistoryLists(platform::RegHandle root, const std::string& rootName, const std::string& key);
  void WalkHistorySubKeys(platform::RegHandle root, const std::string& rootName, const std::string& key,
                          const std::vector<TSubKey>& subKeys);
  bool ReadHistoryKey(platform::RegHandle root, const std::string& key, const TRegKeyInfo* known,
                      bool candidate, std::vector<TSubKey>& subKeys, StringList& valueNames);
  void CheckHistoryList(platform::RegHandle root, const std::string& key, StringList valueNames);

  // Class registrations (deep scan).
  void CheckComRegistrations();
  void Synchronize(const std::function<void()>& call);

  TDispatcher& dispatcher_;
  TScanOptions options_;
  THiveMarkers ownMarkers_;
  THiveMarkers* markers_;  // the scan's, or ownMarkers_
  TCleanerLanguage language_;
  StringList ignoreList_;
  StringList extraIgnoreList_;

  // The whole-hive walk's memory of the keys it met last.
  std::string lastKeyChecked_;
  std::string lastKeyWalked_;
  bool walkStarted_ = false;

  platform::TimeZoneState timeZone_;

  std::atomic<int32_t> valuesTotal_{0};
  std::atomic<int32_t> keysTotal_{0};
  int32_t valuesStep_ = 1;
  int32_t keysStep_ = 1;
  uint32_t lastProgressTick_ = 0;
  uint32_t lastYieldTick_ = 0;

  TNewItem item_;
  std::vector<TNewItem> batch_;

  const int32_t mode_;
  std::string nonFixedDrives_;
  // What the file reference analysis reads of this scan.
  TScanContext analysis_;
  std::string currentUserHive_;
  std::string lastHiveMarker_;

  TWorker worker_;  // last: the thread ends before the members above go
};

}  // namespace vp
