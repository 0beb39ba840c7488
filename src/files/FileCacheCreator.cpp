#include "files/FileCacheCreator.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include "core/Clock.h"
#include "core/Dispatcher.h"
#include "core/ErrorMode.h"
#include "files/FileSystemCache.h"
#include "files/FileTools.h"
#include "files/Masks.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

using platform::Files;
using platform::Sys;

const StringList kCachedFileMasks = {"*.exe", "*.dll", "*.ocx", "*.vcx", "*.msc", "*.sys", "*.cmd", "*.vbs",
                                     "*.bat", "*.drv", "*.inf", "*.ini", "*.hlp", "*.chm", "*.cpl", "*.log"};

const StringList kSkippedFolderNames = {"DLLCache",
                                        "Recycler",
                                        "Recycled",
                                        "System volume information",
                                        "WUTemp",
                                        "Temp",
                                        "Tmp",
                                        "installer",
                                        "$hf_mig$",
                                        "installshield installation information",
                                        "ServicepackFiles",
                                        "softwaredistribution",
                                        "RegisteredPackages"};

const StringList kSkippedFolderPathParts = {"Tempo", "cache", "uninstall$", "backup", "archive"};

namespace {

// A mask of the form "*<literal>" matches exactly the names that end in the
// literal; such masks are tested as upper-case suffixes, any other through
// the wildcard matcher. Every mask of the list is of the first kind, and the
// test runs once for every file on every drive.
struct MaskSet {
  StringList suffixes;  // upper case
  StringList others;
  MaskSet() {
    for (const auto& mask : kCachedFileMasks) {
      if (mask.size() > 1 && mask[0] == '*' && mask.find_first_of("*?[", 1) == std::string::npos)
        suffixes.push_back(FixedUpperText(mask.substr(1)));
      else
        others.push_back(mask);
    }
  }
};

}  // namespace

bool IsCachedFileName(std::string_view name) {
  static const MaskSet masks;
  char tail[16];
  const size_t n = std::min(name.size(), sizeof tail);
  for (size_t i = 0; i < n; ++i) tail[i] = FixedUpper(name[name.size() - n + i]);
  const std::string_view upperTail(tail, n);
  for (const auto& suffix : masks.suffixes) {
    if (name.size() < suffix.size()) continue;
    if (suffix.size() <= n ? upperTail.substr(n - suffix.size()) == suffix
                           : SameText(name.substr(name.size() - suffix.size()), suffix))
      return true;
  }
  for (const auto& mask : masks.others)
    if (MatchesMask(name, mask)) return true;
  return false;
}

bool IsSkippedFolder(std::string_view parent, std::string_view name) {
  for (const auto& skipped : kSkippedFolderNames)
    if (SameText(name, skipped)) return true;
  std::string path;
  path.reserve(parent.size() + name.size());
  path.append(parent).append(name);
  for (const auto& part : kSkippedFolderPathParts)
    if (PosEx(part, path) > 0) return true;
  return PosEx(kSkippedNamePart, name) > 0;
}

// ---------------------------------------------------------------- TFileCacheCreator

TFileCacheCreator::TFileCacheCreator(std::string_view rootFolder, TDispatcher& dispatcher)
    : dispatcher_(dispatcher), root_(rootFolder), worker_(dispatcher) {}

TFileCacheCreator::~TFileCacheCreator() {
  Abort();
  Wait();
}

void TFileCacheCreator::Start() {
  if (worker_.Started()) return;
  lastProgress_ = Now();
  worker_.Start([this](std::stop_token stop) { Execute(std::move(stop)); });
}

uint64_t TFileCacheCreator::Now() const {
  if (clock_) return clock_();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

void TFileCacheCreator::Execute(std::stop_token stop) {
  try {
    Sys().SetCurrentThreadPriority(platform::ThreadPriority::Idle);
    // The root is tested in full; every folder below it comes from a listing
    // of its parent, which already says that it exists, on the same drive.
    if (FolderExistsChecked(root_)) Walk(EnsureTrailing(root_, '\\'), stop);
  } catch (...) {
    // A failed walk still finishes: the owner counts the finished threads.
  }
  try {
    if (!batch_.empty()) {
      HandOver();
      std::this_thread::sleep_for(finishPause_);
    }
    // Runs after every batch handed over: the owner may free the creator
    // once it has seen this.
    dispatcher_.Synchronize([this] {
      if (OnFinished) OnFinished(*this);
    });
  } catch (...) {
  }
  batch_.clear();
  batch_.shrink_to_fit();
}

void TFileCacheCreator::Walk(const std::string& folder, const std::stop_token& stop) {
  std::this_thread::yield();
  // The system's case mapping goes byte by byte, so the folder is lowered
  // once and each name on its own.
  const std::string lowerFolder = Sys().LowerCase(folder);
  auto search = Files().Search(folder + "*.*");
  platform::DirectoryEntry entry;
  while (!stop.stop_requested() && search->Next(entry)) {
    if (entry.IsFolder()) {
      if (entry.name == "." || entry.name == ".." || IsSkippedFolder(folder, entry.name)) continue;
      // A junction or folder link leads to a folder walked in its own place
      // (or to one of its own parents, as the profiles' old-name junctions
      // do): followed, it would list files twice or loop to the path limit.
      if ((entry.attributes & platform::kAttrReparsePoint) != 0) continue;
      std::string sub = folder + entry.name + '\\';
      if (IsValidPathSyntax(sub)) Walk(sub, stop);
    } else if (IsCachedFileName(entry.name)) {
      // The listing has just shown the file, so only the text is checked.
      std::string path = lowerFolder + Sys().LowerCase(entry.name);
      if (IsValidPathSyntax(path)) AddToBatch(std::move(path));
    }
  }
}

void TFileCacheCreator::AddToBatch(std::string path) {
  batch_.push_back(std::move(path));
  if (batch_.size() > kBatchLimit) HandOver();
  const uint64_t now = Now();
  if (now >= lastProgress_ && (now - lastProgress_) / 1000 >= kProgressSeconds) {
    lastProgress_ = now;
    dispatcher_.Post([this] {
      if (OnProgress) OnProgress(*this);
    });
  }
}

void TFileCacheCreator::HandOver() {
  auto batch = std::make_shared<StringList>();
  batch->swap(batch_);
  dispatcher_.Post([this, batch] {
    if (OnFilesFound) OnFilesFound(*this, *batch);
  });
}

// ---------------------------------------------------------------- building and start-up

namespace {

constexpr size_t kMaxDrives = 50;

}  // namespace

TCacheBuildResult BuildFileCache(TFileSystemCache& cache, std::string_view cacheFile,
                                 std::string_view excludedDrives, TDispatcher& dispatcher,
                                 const std::function<void()>& processMessages, std::stop_token stop) {
  TCacheBuildResult result;
  const TErrorModeGuard errorMode;
  if (Files().Attributes(cacheFile)) Files().RemoveFile(cacheFile);

  for (char letter : GetFixedDriveLetters(true)) {
    if (PosEx(std::string_view(&letter, 1), excludedDrives) > 0) continue;
    if (result.drives.size() >= kMaxDrives) break;
    result.drives += letter;
  }

  cache.Clear();
  int running = 0;  // changed on this thread only: the events run here
  std::vector<std::unique_ptr<TFileCacheCreator>> creators;
  for (char letter : result.drives) {
    auto creator = std::make_unique<TFileCacheCreator>(std::string{letter, ':', '\\'}, dispatcher);
    creator->OnFilesFound = [&cache](TFileCacheCreator&, const StringList& batch) { cache.AddFiles(batch); };
    creator->OnProgress = [&processMessages](TFileCacheCreator&) {
      if (processMessages) processMessages();
    };
    creator->OnFinished = [&running](TFileCacheCreator&) { --running; };
    creators.push_back(std::move(creator));
  }
  for (auto& creator : creators) {
    creator->Start();
    ++running;
  }
  bool aborted = false;
  while (running > 0) {
    // The stop may come from processMessages itself (a window closed).
    if (!aborted && stop.stop_requested()) {
      aborted = true;
      for (auto& creator : creators) creator->Abort();
    }
    if (processMessages) processMessages();
    dispatcher.ProcessPending(std::chrono::milliseconds(10));
  }
  creators.clear();

  if (stop.stop_requested()) {
    result.cancelled = true;
    cache.Clear();
    return result;
  }
  result.saved = cache.SaveToFile(cacheFile);
  return result;
}

bool PrepareFileCache(std::string_view dataFolder, int32_t createdDay, int32_t today) {
  const std::string folder = EnsureTrailing(dataFolder, '\\');
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::string leftover = folder + "FileCache_" + letter + ".tmp";
    if (Files().Attributes(leftover)) Files().RemoveFile(leftover);
  }
  const std::string cacheFile = folder + "FileCache.dat";
  if (!Files().Attributes(cacheFile)) return false;
  if (createdDay == 0 || static_cast<int64_t>(today) - createdDay >= 30) {
    Files().RemoveFile(cacheFile);
    return Files().Attributes(cacheFile).has_value();
  }
  return true;
}

// ---------------------------------------------------------------- TFileCacheLoader

TFileCacheLoader::TFileCacheLoader(TFileSystemCache& cache, std::string_view cacheFile,
                                   std::chrono::milliseconds delay)
    : cache_(cache), file_(cacheFile) {
  worker_.SetStopHook([this] { wake_.Wake(); });
  worker_.Start([this, delay](std::stop_token stop) {
    Sys().SetCurrentThreadPriority(platform::ThreadPriority::Idle);
    {
      std::unique_lock lock(mutex_);
      // Destroying the loader during the delay wakes it at once.
      wake_.WaitFor(lock, stop, delay, [] { return false; });
    }
    if (stop.stop_requested()) return;
    const TLoadPacing pacing{kBackgroundLoadPacing.linesPerPause, kBackgroundLoadPacing.pauseMs, stop};
    loaded_ = cache_.LoadFromFile(file_, pacing);
  });
}

TFileCacheLoader::~TFileCacheLoader() = default;

bool TFileCacheLoader::Wait() {
  worker_.Wait();
  return loaded_;
}

}  // namespace vp
