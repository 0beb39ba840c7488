#pragma once

// Building the file existence cache: one TFileCacheCreator thread walks one
// fixed drive and hands the program-related files it finds to the owning
// thread in batches; BuildFileCache runs one per drive and saves the result.
// PrepareFileCache is the check made at start-up, TFileCacheLoader the
// delayed load that follows it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/Clock.h"
#include "core/StopWait.h"
#include "core/Worker.h"
#include "files/StringTools.h"

namespace vp {

class TDispatcher;
class TFileSystemCache;

// The masks of the files recorded, and the folders never walked.
extern const StringList kCachedFileMasks;
extern const StringList kSkippedFolderNames;                          // equal to the folder's name
extern const StringList kSkippedFolderPathParts;                      // contained in folder + name
inline constexpr std::string_view kSkippedNamePart = "$ntuninstall";  // contained in the name

// Whether the file name matches one of kCachedFileMasks (without regard to case).
bool IsCachedFileName(std::string_view name);
// Whether the walk skips the sub-folder name of the folder parent (which ends
// in a backslash).
bool IsSkippedFolder(std::string_view parent, std::string_view name);

class TFileCacheCreator {
 public:
  // Called on the dispatcher's thread.
  using FinishedEvent = std::function<void(TFileCacheCreator&)>;
  using ProgressEvent = std::function<void(TFileCacheCreator&)>;
  using FilesFoundEvent = std::function<void(TFileCacheCreator&, const StringList&)>;

  static constexpr size_t kBatchLimit = 100;  // a batch is handed over once it holds more
  static constexpr uint64_t kProgressSeconds = 6;

  // The thread is not started until Start, so that the events can be set.
  TFileCacheCreator(std::string_view rootFolder, TDispatcher& dispatcher);
  // Stops the walk and waits for the thread. On the dispatcher's thread it
  // keeps running the calls the thread hands over meanwhile.
  ~TFileCacheCreator();
  TFileCacheCreator(const TFileCacheCreator&) = delete;
  TFileCacheCreator& operator=(const TFileCacheCreator&) = delete;

  FinishedEvent OnFinished;
  ProgressEvent OnProgress;
  FilesFoundEvent OnFilesFound;

  // Milliseconds of a monotonic clock (tests make time pass by it).
  void SetClock(std::function<uint64_t()> clock) { clock_ = std::move(clock); }
  // The pause after the last batch before OnFinished (500 ms by default).
  void SetFinishPause(std::chrono::milliseconds pause) { finishPause_ = pause; }

  void Start();
  // Asks the walk to stop; it then hands over what it found and finishes.
  void Abort() { worker_.RequestStop(); }
  // Waits for the thread to end (running handed-over calls on the
  // dispatcher's thread). Does nothing when it was never started.
  void Wait() { worker_.Wait(); }
  bool Finished() const { return worker_.Finished(); }

  const std::string& RootFolder() const { return root_; }

 private:
  void Execute(std::stop_token stop);
  void Walk(const std::string& folder, const std::stop_token& stop);
  void AddToBatch(std::string path);
  void HandOver();
  uint64_t Now() const;

  TDispatcher& dispatcher_;
  std::string root_;
  StringList batch_;
  uint64_t lastProgress_ = 0;
  std::function<uint64_t()> clock_;
  std::chrono::milliseconds finishPause_{500};
  TWorker worker_;  // last: the thread ends before the members above go
};

struct TCacheBuildResult {
  std::string drives;  // the letters walked
  bool saved = false;
  bool cancelled = false;  // stopped before the end: nothing saved
};

// Rebuilds the cache from the usable fixed drives of more than 500 MB with
// more than 1 MB free, less those whose letters are in excludedDrives (any
// case; at most 50 drives): deletes cacheFile, clears the cache, walks the
// drives at once and saves. Runs on the dispatcher's thread, calling
// processMessages while it waits. A stop requested meanwhile aborts every
// walk and waits for them; the cache is then left empty and nothing is saved,
// since a partial cache would call present files missing. The caller records
// the day of a build that was not cancelled.
TCacheBuildResult BuildFileCache(TFileSystemCache& cache, std::string_view cacheFile,
                                 std::string_view excludedDrives, TDispatcher& dispatcher,
                                 const std::function<void()>& processMessages, std::stop_token stop = {});

// The check at start-up: deletes the leftover "FileCache_<letter>.tmp" files
// of the data folder (with its trailing backslash), and deletes
// "FileCache.dat" when createdDay (the day number recorded by the last
// build, 0 when absent or not a number) is 0 or 30 or more days before
// today. True when "FileCache.dat" is there afterwards.
bool PrepareFileCache(std::string_view dataFolder, int32_t createdDay, int32_t today = TodayDayNumber());

// The delayed load: a thread at idle priority that waits, then loads the
// file into the cache with the background pacing. Destroying it stops it.
class TFileCacheLoader {
 public:
  TFileCacheLoader(TFileSystemCache& cache, std::string_view cacheFile,
                   std::chrono::milliseconds delay = std::chrono::milliseconds(4000));
  ~TFileCacheLoader();
  TFileCacheLoader(const TFileCacheLoader&) = delete;
  TFileCacheLoader& operator=(const TFileCacheLoader&) = delete;

  // Waits for the load to end; true when it replaced the cache's contents
  // or found no file.
  bool Wait();

 private:
  TFileSystemCache& cache_;
  std::string file_;
  bool loaded_ = false;  // written by the thread, read after it has ended
  std::mutex mutex_;
  TStopWait wake_{mutex_};
  TWorker worker_;  // last: the thread ends before the members above go
};

}  // namespace vp
