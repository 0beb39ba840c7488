#include "cli/CacheCommand.h"

#include <chrono>
#include <iomanip>
#include <stop_token>

#include "core/Dispatcher.h"
#include "files/FileCacheCreator.h"
#include "files/FileSystemCache.h"
#include "files/FileTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "settings/SettingsManager.h"

namespace vp::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Progress of a build on standard error: the live count on one redrawn line
// on a terminal, otherwise a plain line every few seconds.
class BuildProgress {
 public:
  BuildProgress(const CommandContext& context, const TFileSystemCache& cache)
      : context_(context), cache_(cache), start_(Clock::now()), last_(start_) {}

  void Tick() {
    const Clock::time_point now = Clock::now();
    const auto interval = context_.errIsTerminal ? std::chrono::milliseconds(250) : std::chrono::seconds(5);
    if (now - last_ < interval) return;
    last_ = now;
    Print(now, false);
  }

  void Done() { Print(Clock::now(), true); }

 private:
  void Print(Clock::time_point now, bool last) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
    if (context_.errIsTerminal) context_.err << '\r';
    context_.err << "Files recorded: " << cache_.FileCount() << "  elapsed: " << seconds << " s";
    context_.err << (context_.errIsTerminal && !last ? "" : "\n") << std::flush;
  }

  const CommandContext& context_;
  const TFileSystemCache& cache_;
  Clock::time_point start_;
  Clock::time_point last_;
};

bool DataFolderUsable(const CommandContext& context) {
  if (FolderExistsChecked(context.folders.DataFolder)) return true;
  context.err << "veltaro cache: the data folder " << context.folders.DataFolder << " does not exist\n";
  return false;
}

int Build(const CommandContext& context) {
  if (!DataFolderUsable(context)) return kExitError;
  TSettingsManager settings(context.folders.DataFolder);
  TFileSystemCache cache;
  TQueueDispatcher dispatcher;
  BuildProgress progress(context, cache);
  const std::string excluded = settings.ReadString("Settings", "DontCacheDrives", "0", "0");
  // Ctrl+C stops the walks; a partial cache would call existing files
  // missing, so nothing is saved then.
  std::stop_source stop;
  const TCacheBuildResult result = BuildFileCache(
      cache, context.folders.FileCacheFile, excluded, dispatcher,
      [&] {
        progress.Tick();
        if (context.interrupted != nullptr && context.interrupted->load()) stop.request_stop();
      },
      stop.get_token());
  progress.Done();
  if (result.cancelled) {
    context.err << "veltaro cache: interrupted; nothing was saved, and the old cache is deleted\n";
    return kExitError;
  }
  if (result.drives.empty()) {
    context.err << "veltaro cache: no fixed drive qualifies (over 500 MB, over 1 MB free, not excluded)\n";
    return kExitError;
  }
  if (!result.saved) {
    context.err << "veltaro cache: could not save " << context.folders.FileCacheFile << '\n';
    return kExitError;
  }
  settings.WriteInteger("Settings", "FileCache", "Created", TodayDayNumber());
  context.out << "Drives: " << result.drives << "\nFiles: " << cache.FileCount()
              << "\nNames: " << cache.NodeCount() << "\nSaved: " << context.folders.FileCacheFile << '\n';
  return kExitOk;
}

int Info(const CommandContext& context) {
  if (!DataFolderUsable(context)) return kExitError;
  const std::string& file = context.folders.FileCacheFile;
  if (!FileExistsChecked(file)) {
    context.out << "No file cache (" << file << "); build one with: veltaro cache build\n";
    return kExitOk;
  }
  TSettingsManager settings(context.folders.DataFolder);
  const int32_t created = settings.ReadInteger("Settings", "FileCache", "Created", 0);
  TFileSystemCache cache;
  if (!cache.LoadFromFile(file)) {
    context.err << "veltaro cache: " << file << " cannot be read\n";
    return kExitError;
  }
  context.out << "File: " << file << '\n';
  if (created == 0) {
    context.out << "Age: unknown (the program deletes such a cache at its next start)\n";
  } else {
    const int64_t age = static_cast<int64_t>(TodayDayNumber()) - created;
    context.out << "Age: " << age << (age == 1 ? " day" : " days")
                << (age >= 30 ? " (expired: the program deletes it at its next start)" : "") << '\n';
  }
  context.out << "Files: " << cache.FileCount() << "\nNames: " << cache.NodeCount() << '\n';
  return kExitOk;
}

}  // namespace

int RunCacheCommand(const CommandContext& context, const Arguments& arguments) {
  if (arguments.size() == 1 && arguments[0] == "build") return Build(context);
  if (arguments.size() == 1 && arguments[0] == "info") return Info(context);
  context.err << "usage: veltaro cache build | info\n";
  return kExitError;
}

}  // namespace vp::cli
