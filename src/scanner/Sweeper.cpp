#include "scanner/Sweeper.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "files/StringTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "registry/FastRegistry.h"
#include "scanner/FindingTexts.h"
#include "scanner/IgnoreMatch.h"
#include "scanner/SafeList.h"

namespace vp {

using platform::RegHandle;

namespace {

uint32_t TickNow() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Parts of a path that mark a history (recently used) list.
constexpr std::string_view kHistoryMarkers[] = {
    "MRU",        "WinZip\\Filemenu", "history list",
    "RecentFile", "Recent File",      "Closed File",
    "Saved File", "MUICache",         "player classic\\favorites"};

bool ContainsNoCase(std::string_view text, std::string_view part) {
  return PosEx(part, text, 1, kIgnoreCase) > 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// COM findings that belong to the system or its own programs are never
// offered for removal.
bool IsSystemComEntry(const std::string& rootName, const std::string& keyPath, const std::string& valueName,
                      const std::string& valueData) {
  for (const std::string* part : {&keyPath, &valueName, &valueData})
    if (StartsWithNoCase(*part, "MS") || StartsWithNoCase(*part, "WMP")) return true;
  const std::string text = rootName + "\\" + keyPath + "\\" + valueName + " : " + valueData;
  for (std::string_view word : {"Microsoft", "Windows", "System32", "vmappsdk"})
    if (ContainsNoCase(text, word)) return true;
  return false;
}

DateTime KeyDateOf(TFastRegistry& registry) {
  TRegKeyInfo info;
  if (!registry.GetKeyInfo(info)) return 0;
  return FileTimeToDateTime(info.FileTime);
}

}  // namespace

// ---------------------------------------------------------------- lifecycle

TSweeper::TSweeper(const TScanOptions& options, TDispatcher& dispatcher)
    : dispatcher_(dispatcher),
      options_(options),
      markers_(options.HiveMarkers != nullptr ? options.HiveMarkers : &ownMarkers_),
      mode_(options.Mode),
      worker_(dispatcher) {
  if (options.IgnoreList != nullptr) ignoreList_ = *options.IgnoreList;
  if (options.ExtraIgnoreList != nullptr) extraIgnoreList_ = *options.ExtraIgnoreList;
  // The thread works on its own copies only.
  options_.IgnoreList = nullptr;
  options_.ExtraIgnoreList = nullptr;
}

TSweeper::~TSweeper() {
  Stop();
  WaitFor();
}

void TSweeper::SetLanguage(const TCleanerLanguage& language) {
  language_ = language;
}

void TSweeper::Start() {
  worker_.Start([this](std::stop_token) { Execute(); });
}

void TSweeper::Stop() {
  worker_.RequestStop();
}

void TSweeper::Terminate() {
  worker_.RequestStop();
}

void TSweeper::WaitFor() {
  worker_.Wait();
}

void TSweeper::Synchronize(const std::function<void()>& call) {
  dispatcher_.Synchronize(call);
}

void TSweeper::Execute() {
  try {
    timeZone_ = platform::Sys().CurrentTimeZone();
    platform::Sys().SetCurrentThreadPriority(options_.IdlePriority ? platform::ThreadPriority::Idle
                                                                   : platform::ThreadPriority::AboveNormal);
    lastProgressTick_ = TickNow();
    lastYieldTick_ = lastProgressTick_;
    currentUserHive_.clear();
    if (mode_ == kAreaUsers) DiscoverCurrentUserHive();
    if (options_.Threaded) {
      RunScanBody();
    } else {
      Synchronize([this] { RunScanBody(); });
    }
  } catch (...) {
    // A failing scan ends quietly; its final events follow as usual.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  try {
    HandOverItems();
    // Runs after every batch handed over: the owner may free the thread
    // once it has seen OnFinished.
    Synchronize([this] {
      if (OnTotals) OnTotals(*this, valuesTotal_.load(), keysTotal_.load());
    });
  } catch (...) {
  }
  try {
    Synchronize([this] {
      if (OnFinished) OnFinished(*this);
    });
  } catch (...) {
  }
}

void TSweeper::RunScanBody() {
  nonFixedDrives_.clear();
  for (char letter = 'a'; letter <= 'z'; ++letter)
    if (platform::Files().DriveTypeOf(letter) != platform::DriveType::Fixed) nonFixedDrives_ += letter;
  analysis_.Stop = worker_.StopToken();
  analysis_.NonFixedDrives = nonFixedDrives_;
  analysis_.IgnoreList = &ignoreList_;
  analysis_.Memo = options_.ExistenceMemo;
  RunArea();
}

void TSweeper::RunArea() {
  switch (mode_) {
    case kAreaCustomKey:
      WalkKey(options_.CustomRoot, options_.CustomKey);
      break;
    case kAreaMachine:
      WalkKey(platform::kHkeyLocalMachine, "");
      break;
    case kAreaUsers:
      WalkKey(platform::kHkeyUsers, "");
      break;
    case kAreaClassesRoot:
      WalkKey(platform::kHkeyClassesRoot, "");
      break;
    case kAreaCurrentUser:
      WalkKey(platform::kHkeyCurrentUser, "");
      break;
    case kAreaCurrentConfig:
      WalkKey(platform::kHkeyCurrentConfig, "");
      break;
    case 6:
      CheckUninstallEntries();
      break;
    case 7:
      CheckFileTypes();
      break;
    case 8:
      CheckFonts();
      break;
    case 9:
      CheckStartMenuOrder();
      break;
    case 10:
      CheckSoftwareKeys();
      break;
    case 11:
      CheckHelpFiles();
      break;
    case 12:
      CheckAppPaths();
      break;
    case 13:
      CheckApplications();
      break;
    case 14:
      CheckSharedTools();
      break;
    case 15:
      WalkHistoryLists(platform::kHkeyCurrentUser, "HKEY_CURRENT_USER", "Software");
      WalkHistoryLists(platform::kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "Software");
      break;
    case kAreaLastDeep:
      CheckComRegistrations();
      break;
    default:
      // Area 0 does nothing.
      break;
  }
}

// Finds the sub-key of HKEY_USERS that is HKEY_CURRENT_USER: a marker key is
// made under HKEY_CURRENT_USER\Software and looked for under every user. The
// marker is removed again whatever happens.
void TSweeper::DiscoverCurrentUserHive() {
  currentUserHive_.clear();
  try {
    if (!OpenReadOnly(platform::kHkeyCurrentUser, "")) return;
    // The marker is a key this call creates itself: a key of that name that
    // exists already is left alone and the next name is tried.
    std::string markerPath;
    const uint32_t tick = TickNow();
    for (uint32_t attempt = 0; attempt < 16 && markerPath.empty(); ++attempt) {
      char marker[24];
      std::snprintf(marker, sizeof marker, "Temp_%08X", static_cast<unsigned>(tick + attempt));
      const std::string path = std::string("Software\\") + marker;
      TFastRegistry registry;
      registry.SetRootKey(platform::kHkeyCurrentUser);
      bool created = false;
      // Known before it exists, so no other area ever reports it.
      markers_->Remember(path);
      if (registry.CreateKeyReportingNew(path, created) && created) {
        markerPath = path;
        lastHiveMarker_ = path;
      } else {
        markers_->Forget(path);  // somebody else's key
      }
    }
    if (markerPath.empty()) return;
    struct MarkerRemover {
      const std::string& path;
      ~MarkerRemover() {
        try {
          TFastRegistry registry;
          registry.SetRootKey(platform::kHkeyCurrentUser);
          registry.DeleteKey(path);
        } catch (...) {
        }
      }
    } remover{markerPath};

    auto users = OpenReadOnly(platform::kHkeyUsers, "");
    if (!users) return;
    StringList hives;
    users->GetKeyNames(hives);
    users->CloseKey();
    for (const std::string& hive : hives) {
      if (OpenReadOnly(platform::kHkeyUsers, hive + "\\" + markerPath)) {
        currentUserHive_ = hive;
        break;
      }
    }
  } catch (...) {
    currentUserHive_.clear();
  }
}

// ---------------------------------------------------------------- counters

void TSweeper::IncKeys() {
  if (keysStep_ < 1) keysStep_ = 1;
  keysTotal_.fetch_add(keysStep_, std::memory_order_relaxed);
  if (OnCount) OnCount(*this, 0, keysStep_);
  ProgressTick();
}

void TSweeper::IncValues() {
  if (valuesStep_ < 1) valuesStep_ = 1;
  valuesTotal_.fetch_add(valuesStep_, std::memory_order_relaxed);
  if (OnCount) OnCount(*this, valuesStep_, 0);
  ProgressTick();
}

void TSweeper::ProgressTick() {
  if (StopRequested()) return;
  const uint32_t now = TickNow();
  if ((now - lastProgressTick_) / 1000 < 1) return;
  lastProgressTick_ = now;
  HandOverItems();
  dispatcher_.Post([this] {
    if (OnProgress) OnProgress(*this);
  });
}

void TSweeper::HandOverItems() {
  if (batch_.empty()) return;
  auto batch = std::make_shared<std::vector<TNewItem>>(std::move(batch_));
  batch_.clear();
  dispatcher_.Post([this, batch] {
    for (TNewItem& item : *batch) {
      if (StopRequested() || !OnItem) return;
      try {
        OnItem(*this, item);
      } catch (...) {
        // A handler that fails ends the scan, as it does on the scan thread.
        Stop();
        return;
      }
    }
  });
}

void TSweeper::MaybeYield() {
  if (!options_.IdlePriority) return;
  const uint32_t now = TickNow();
  if (now - lastYieldTick_ <= 100) return;
  lastYieldTick_ = now;
  std::this_thread::yield();
}

// ---------------------------------------------------------------- reporting

std::string TSweeper::KeyDateText(DateTime keyDate) {
  timeZone_ = platform::Sys().CurrentTimeZone();
  return FormatKeyDate(options_.DateFormat, UtcToLocal(keyDate, timeZone_));
}

void TSweeper::Report(RegHandle root, std::string keyPath, std::string valueName, std::string valueData,
                      DateTime keyDate, int32_t code, const std::string& detail, bool isChild,
                      int32_t detailText) {
  if (StopRequested() || root == platform::kNoKey || keyPath.empty() || !OnItem) return;
  const std::string rootName = RootKeyToName(root);
  if (rootName.empty()) return;

  keyPath = Trim(keyPath);
  valueName = Trim(valueName);
  valueData = Trim(valueData);
  if (valueName.empty()) valueName = "@";
  // The checks and the ignore rules see the language's marker texts, as
  // the ignore entries were written with them.
  const std::string& emptyText = language_.Text(kTextEmpty);
  const std::string& wholeKeyText = language_.Text(kTextWholeKey);
  if (valueData.empty()) valueData = emptyText;
  if (!keyPath.empty() && keyPath.back() == '\\') keyPath.pop_back();
  if (root == platform::kHkeyCurrentUser && markers_->Covers(keyPath)) return;
  const std::string pathText = rootName + "\\" + keyPath + "\\" + valueName;
  if (const size_t at = keyPath.find("SOFTWARE"); at != std::string::npos) keyPath.replace(at, 8, "Software");

  bool history = false;
  for (std::string_view marker : kHistoryMarkers) history = history || ContainsNoCase(pathText, marker);
  if (options_.SkipHistoryLists && history) return;

  if (!IsReportable(rootName, keyPath, valueName, valueData)) return;

  const std::string rootAndKey = rootName + "\\" + keyPath;
  const std::string* match = FindPlainIgnore(ignoreList_, rootAndKey);
  if (match == nullptr) match = FindPlainIgnore(ignoreList_, keyPath);
  if (match == nullptr) match = FindPlainIgnore(ignoreList_, valueName);
  if (match == nullptr) match = FindPlainIgnore(ignoreList_, valueData);
  if (match == nullptr) match = FindExtraIgnore(extraIgnoreList_, rootAndKey, valueName, valueData);
  if (match == nullptr)
    match = FindExactIgnore(ignoreList_, rootName, keyPath, valueName, wholeKeyText,
                            [this] { return StopRequested(); });
  const bool ignored = match != nullptr;
  if (ignored && !options_.ReportIgnored) return;

  if (code == kProblemComRegistration && IsSystemComEntry(rootName, keyPath, valueName, valueData)) return;

  // The item keeps data only; its texts are made where it is shown.
  const bool wholeKey = !wholeKeyText.empty() && SameText(valueName, wholeKeyText);
  item_.RootName = rootName;
  item_.KeyPath = keyPath;
  item_.KeyDate = keyDate == 0 ? std::string() : KeyDateText(keyDate);
  item_.DisplayPath = rootAndKey;
  item_.FullPath = rootAndKey;
  item_.WholeKey = wholeKey;
  item_.ValueName = wholeKey ? std::string() : valueName;
  item_.ValueData = wholeKey || valueData == emptyText ? std::string() : valueData;
  item_.Ignored = ignored;
  if (options_.RootNameStyle == 1) item_.DisplayPath = AbbreviateKeyPath(item_.DisplayPath, true);
  if (options_.RootNameStyle == 2) item_.DisplayPath = AbbreviateKeyPath(item_.DisplayPath, false);
  item_.ProblemCode = code;
  item_.SeverityLevel = history ? 0 : DescribeProblem(code, detail, language_).severity;
  item_.Detail = detailText == kNoText ? detail : std::string();
  item_.DetailText = detailText;

  if (!StopRequested()) {
    if (dispatcher_.IsOwnerThread()) {
      // Already where the items go (a scan run on the owning thread, or a
      // check called there): nothing waits, so there is nothing to batch.
      HandOverItems();
      OnItem(*this, item_);
    } else {
      batch_.push_back(item_);
      if (batch_.size() >= kItemBatch) HandOverItems();
    }
  }

  if (isChild) return;
  if (root == platform::kHkeyClassesRoot) {
    Report(platform::kHkeyLocalMachine, "Software\\classes\\" + keyPath, valueName, valueData, keyDate, code,
           detail, true, detailText);
  } else if (root == platform::kHkeyCurrentUser && !currentUserHive_.empty()) {
    Report(platform::kHkeyUsers, currentUserHive_ + "\\" + keyPath, valueName, valueData, keyDate, code,
           detail, true, detailText);
  }
  if (!wholeKeyText.empty() && SameText(valueData, wholeKeyText))
    ListKeyContents(root, keyPath, code, detail, detailText);
}

void TSweeper::ListKeyContents(RegHandle root, const std::string& keyPath, int32_t code,
                               const std::string& detail, int32_t detailText) {
  if (StopRequested() || keyPath.empty()) return;
  auto registry = OpenReadOnly(root, keyPath);
  if (!registry) return;
  StringList names;
  registry->GetValueNames(names);
  for (const std::string& name : names) {
    if (StopRequested()) return;
    const std::string text = registry->ReadValueAsString(name);
    const DateTime date = options_.ReadKeyDates ? KeyDateOf(*registry) : 0;
    Report(root, keyPath, name, text, date, code, detail, true, detailText);
  }
  StringList subKeys;
  registry->GetKeyNames(subKeys);
  registry->CloseKey();
  for (const std::string& subKey : subKeys) {
    if (StopRequested()) return;
    if (!subKey.empty())
      ListKeyContents(root, EnsureTrailing(keyPath, '\\') + subKey, code, detail, detailText);
  }
}

}  // namespace vp
