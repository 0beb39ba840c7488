#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/Dispatcher.h"
#include "files/FileCacheCreator.h"
#include "files/FileSystemCache.h"
#include "files/Masks.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/sim/SimMachine.h"
#include "settings/SettingsManager.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

using platform::Files;
using test::ScratchFolder;

TEST(FileCacheCreator, MasksAgreeWithTheWildcardMatcher) {
  const char* names[] = {"a.exe",   "A.EXE", "x.dll",  "x.dll.bak", "exe",   ".exe",  "a.ex",  "readme.txt",
                         "a.b.Inf", "drv",   "a.drv_", "setup.LOG", "x.chm", "x.cpl", "x.hlp", "x.vcx",
                         "x.msc",   "x.sys", "x.cmd",  "x.vbs",     "x.bat", "x.ini", "x.ocx", "xexe"};
  for (const char* name : names) {
    bool viaMatcher = false;
    for (const auto& mask : kCachedFileMasks) viaMatcher = viaMatcher || MatchesMask(name, mask);
    EXPECT_EQ(IsCachedFileName(name), viaMatcher) << name;
  }
  EXPECT_TRUE(IsCachedFileName("OLEDB32.DLL"));
  EXPECT_FALSE(IsCachedFileName("notes.txt"));
}

TEST(FileCacheCreator, SkippedFolders) {
  struct Case {
    const char* parent;
    const char* name;
    bool skipped;
  };
  const Case cases[] = {
      {"c:\\", "Temp", true},
      {"c:\\", "TEMP", true},
      {"c:\\", "Temporary", true},  // holds "Tempo"
      {"c:\\", "Templates", false},
      {"c:\\", "Backup Files", true},
      {"c:\\backup files\\", "Tools", true},  // the path holds "backup"
      {"c:\\users\\x\\", "Temporary Internet Files", true},
      {"c:\\", "System Volume Information", true},
      {"c:\\windows\\", "$NtUninstallKB123$", true},
      {"c:\\windows\\", "Installer", true},
      {"c:\\windows\\", "installers", false},
      {"c:\\x\\", "Cache", true},
      {"c:\\x\\", "Archived", true},
      {"c:\\x\\", "Uninstall$Data", true},
      {"c:\\program files\\common files\\system\\", "Ole DB", false},
      {"c:\\", "Program Files", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSkippedFolder(c.parent, c.name), c.skipped) << c.parent << c.name;
}

struct WalkResult {
  std::vector<StringList> batches;
  std::set<std::string> paths;
  int progress = 0;
  int finished = 0;
};

WalkResult Walk(const std::string& root, std::function<void(TFileCacheCreator&)> setUp = {}) {
  TQueueDispatcher dispatcher;
  WalkResult result;
  {
    TFileCacheCreator creator(root, dispatcher);
    creator.SetFinishPause(std::chrono::milliseconds(0));
    creator.OnFilesFound = [&](TFileCacheCreator&, const StringList& batch) {
      result.batches.push_back(batch);
      result.paths.insert(batch.begin(), batch.end());
    };
    creator.OnProgress = [&](TFileCacheCreator&) { ++result.progress; };
    creator.OnFinished = [&](TFileCacheCreator& sender) {
      EXPECT_EQ(&sender, &creator);
      ++result.finished;
    };
    if (setUp) setUp(creator);
    creator.Start();
    dispatcher.PumpUntil([&] { return result.finished > 0; });
  }
  return result;
}

TEST(FileCacheCreator, WalkRecordsProgramFilesAndSkipsExcludedFolders) {
  ScratchFolder scratch;
  const char* recorded[] = {"Program Files\\Common Files\\System\\Ole DB\\oledb32.dll", "App\\Tool.EXE",
                            "App\\sub\\deep\\x.inf", "top.ini"};
  const char* ignored[] = {"Backup Files\\Tools\\a.exe",
                           "Users\\x\\Temporary Internet Files\\b.dll",
                           "Temp\\c.dll",
                           "windows\\$NtUninstallKB1$\\d.dll",
                           "App\\readme.txt",
                           "App\\cache\\e.dll",
                           "Installer\\f.dll"};
  for (const char* path : recorded) scratch.PutFile(path, "x");
  for (const char* path : ignored) scratch.PutFile(path, "x");
  scratch.PutFolder("App\\folder.exe");  // a folder is never recorded as a file
  // A link back to the top (the simulation shows host links as reparse
  // points; Wine does not) is not followed.
  if (!test::kOnRealWindows)
    std::filesystem::create_directory_symlink(scratch.Host(""), scratch.Host("App\\loop"));

  const WalkResult result = Walk(scratch.Root());
  std::set<std::string> expected;
  for (const char* path : recorded) expected.insert(platform::Sys().LowerCase(scratch.Path(path)));
  EXPECT_EQ(result.paths, expected);
  EXPECT_EQ(result.finished, 1);
}

TEST(FileCacheCreator, BatchesOfMoreThanAHundredAndProgressEverySixSeconds) {
  ScratchFolder scratch;
  for (int i = 0; i < 250; ++i) scratch.PutFile("many\\f" + std::to_string(i) + ".dll");
  std::atomic<uint64_t> ticks{0};
  const WalkResult result = Walk(scratch.Root(), [&](TFileCacheCreator& creator) {
    creator.SetClock([&] { return ticks.fetch_add(1000) + 1000; });  // a second passes at every look
  });
  std::vector<size_t> sizes;
  for (const auto& batch : result.batches) sizes.push_back(batch.size());
  EXPECT_EQ(sizes, (std::vector<size_t>{101, 101, 48}));
  EXPECT_EQ(result.progress, 250 / 6);
  EXPECT_EQ(result.paths.size(), 250u);
}

TEST(FileCacheCreator, AbortedOrUnusableRootStillFinishes) {
  ScratchFolder scratch;
  scratch.PutFile("a.dll");
  WalkResult aborted = Walk(scratch.Root(), [](TFileCacheCreator& creator) { creator.Abort(); });
  EXPECT_TRUE(aborted.paths.empty());
  EXPECT_EQ(aborted.finished, 1);
  WalkResult missing = Walk(scratch.Path("absent\\"));
  EXPECT_TRUE(missing.paths.empty());
  EXPECT_EQ(missing.finished, 1);
}

// A creator stopped in the middle of a walk that would make twenty batches
// hands over what it found and is destroyed on the owning thread without
// waiting for the rest of the walk.
TEST(FileCacheCreator, DestroyedWhileRunning) {
  ScratchFolder scratch;
  for (int i = 0; i < 2000; ++i)
    scratch.PutFile("d" + std::to_string(i % 20) + "\\f" + std::to_string(i) + ".exe");
  TQueueDispatcher dispatcher;
  int batches = 0;
  size_t files = 0;
  std::atomic<int> looks{0};
  std::atomic<bool> walking{false};
  std::atomic<bool> release{false};
  {
    TFileCacheCreator creator(scratch.Root(), dispatcher);
    creator.SetFinishPause(std::chrono::milliseconds(0));
    creator.OnFilesFound = [&](TFileCacheCreator&, const StringList& batch) {
      ++batches;
      files += batch.size();
    };
    // The walk looks at the clock once per file: it holds there at the
    // 150th file until the stop has been asked for.
    creator.SetClock([&]() -> uint64_t {
      if (looks.fetch_add(1) == 150) {
        walking = true;
        while (!release.load()) std::this_thread::yield();
      }
      return 0;
    });
    creator.Start();
    while (!walking.load()) std::this_thread::yield();
    creator.Abort();
    release = true;
  }
  EXPECT_EQ(batches, 2);  // the full one, then the rest found before the stop
  EXPECT_LT(files, 200u);
}

TEST(FileCacheCreator, StartUpCheckByAge) {
  struct Case {
    const char* created;  // nullptr: not written
    bool kept;
  };
  const Case cases[] = {{"46000", true}, {"45971", true}, {"45970", false}, {"", false},
                        {"abc", false},  {"0", false},    {nullptr, false}, {"46005", true}};
  const int32_t today = 46000;
  for (const auto& c : cases) {
    ScratchFolder scratch;
    const std::string data = scratch.Path("Data\\");
    scratch.PutFile("Data\\FileCache.dat", "<x.dll>@<c:\\>\r\n");
    scratch.PutFile("Data\\FileCache_c.tmp");
    scratch.PutFile("Data\\FileCache_z.tmp");
    scratch.PutFile("Data\\FileCache_1.tmp");
    {
      TSettingsManager settings(data);
      if (c.created) settings.WriteString("Settings", "FileCache", "Created", c.created);
      const int32_t created = settings.ReadInteger("Settings", "FileCache", "Created", 0);
      EXPECT_EQ(PrepareFileCache(data, created, today), c.kept) << (c.created ? c.created : "(none)");
    }
    EXPECT_EQ(Files().Attributes(data + "FileCache.dat").has_value(), c.kept);
    EXPECT_FALSE(Files().Attributes(data + "FileCache_c.tmp").has_value());
    EXPECT_FALSE(Files().Attributes(data + "FileCache_z.tmp").has_value());
    EXPECT_TRUE(Files().Attributes(data + "FileCache_1.tmp").has_value());
  }
}

// The build over simulated drives: C: (the scratch machine's), D: excluded by
// the setting, E: too small, F: walked.
TEST(FileCacheCreator, BuildWalksTheSelectedDrivesAndSaves) {
  if (test::kOnRealWindows) {
    // The real drives are the whole Wine prefix and the host's root: build
    // with every one of them excluded, which still deletes, dates and saves.
    ScratchFolder scratch;
    const std::string data = scratch.Path("Data\\");
    scratch.PutFile("Data\\FileCache.dat", "<old.dll>@<c:\\>\r\n");
    TFileSystemCache cache;
    cache.AddFile("c:\\old\\old.dll");
    TQueueDispatcher dispatcher;
    const TCacheBuildResult result =
        BuildFileCache(cache, data + "FileCache.dat", "abcdefghijklmnopqrstuvwxyz", dispatcher, {});
    EXPECT_EQ(result.drives, "");
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(cache.FileCount(), 0);
    EXPECT_EQ(Files().ReadWholeFile(data + "FileCache.dat").value_or("x"), "");
    return;
  }
  ScratchFolder scratch;
  auto& sim = scratch.Sim()->Files();
  const int64_t big = 2'000'000'000;
  for (char letter : {'d', 'e', 'f'}) {
    const auto host = scratch.Host(std::string("drive_") + letter);
    std::filesystem::create_directories(host / "tools");
    std::filesystem::create_directories(host / "Temp");
    for (const char* name : {"tools/app.exe", "tools/lib.DLL", "Temp/t.exe"})
      std::ofstream(host / name) << "x";
    sim.MapDrive(letter, host, platform::DriveType::Fixed);
    sim.SetVolume(letter, platform::VolumeInfo{"", 1234, "NTFS"});
    sim.SetSpace(letter, letter == 'e' ? 100'000'000 : big, big / 2);
  }
  sim.SetSpace('c', big, big / 2);
  // The scratch folder lies in a Temp folder, which the walk skips.
  ASSERT_TRUE(Files().MakeFolder("C:\\w") && Files().WriteWholeFile("C:\\w\\c.exe", "x"));
  scratch.PutFile("Data\\FileCache.dat", "<old.dll>@<c:\\>\r\n");
  const std::string data = scratch.Path("Data\\");

  TFileSystemCache cache;
  cache.AddFile("c:\\old\\old.dll");
  TQueueDispatcher dispatcher;
  int processed = 0;
  const TCacheBuildResult result =
      BuildFileCache(cache, data + "FileCache.dat", "D", dispatcher, [&] { ++processed; });
  EXPECT_EQ(result.drives, "cf");
  EXPECT_TRUE(result.saved);
  EXPECT_GT(processed, 0);
  EXPECT_TRUE(cache.FindFile("old.dll").empty());
  EXPECT_EQ(cache.FindFile("app.exe"), StringList{"f:\\tools\\app.exe"});
  EXPECT_EQ(cache.FindFile("lib.dll"), StringList{"f:\\tools\\lib.dll"});
  EXPECT_TRUE(cache.FindFile("t.exe").empty());
  EXPECT_EQ(cache.FindFile("c.exe"), StringList{"c:\\w\\c.exe"});
  EXPECT_EQ(scratch.Sim()->System().ErrorMode(), 0u);  // restored

  TFileSystemCache reloaded;
  ASSERT_TRUE(reloaded.LoadFromFile(data + "FileCache.dat"));
  EXPECT_EQ(reloaded.FileCount(), cache.FileCount());
  EXPECT_EQ(reloaded.FindFile("app.exe"), StringList{"f:\\tools\\app.exe"});
}

// A stop, asked before the walks start or while they run (from the message
// handling, as a closed window does), aborts every walk, waits for them and
// saves nothing: the old file is gone and the cache is empty.
TEST(FileCacheCreator, StoppedBuildSavesNothing) {
  for (const bool midway : {false, true}) {
    SCOPED_TRACE(midway ? "stopped while walking" : "stopped before");
    ScratchFolder scratch;
    if (!test::kOnRealWindows) {
      const int64_t big = 2'000'000'000;
      scratch.Sim()->Files().SetSpace('c', big, big / 2);
      ASSERT_TRUE(Files().MakeFolder("C:\\w") && Files().WriteWholeFile("C:\\w\\c.exe", "x"));
    }
    scratch.PutFile("Data\\FileCache.dat", "<old.dll>@<c:\\>\r\n");
    const std::string file = scratch.Path("Data\\FileCache.dat");
    TFileSystemCache cache;
    cache.AddFile("c:\\old\\old.dll");
    TQueueDispatcher dispatcher;
    std::stop_source stop;
    if (!midway) stop.request_stop();
    int processed = 0;
    // Every drive but C: is excluded (under Wine, C: is the prefix).
    const TCacheBuildResult result = BuildFileCache(
        cache, file, "abdefghijklmnopqrstuvwxyz", dispatcher,
        [&] {
          ++processed;
          stop.request_stop();
        },
        stop.get_token());
    if (!test::kOnRealWindows) {
      EXPECT_EQ(result.drives, "c");
      EXPECT_GT(processed, 0);
    }
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(cache.FileCount(), 0);
    EXPECT_FALSE(Files().Attributes(file).has_value());
  }
}

TEST(FileCacheCreator, DelayedLoad) {
  ScratchFolder scratch;
  scratch.PutFile("FileCache.dat", "<x.dll>@<c:\\a\\>\r\n");
  TFileSystemCache cache;
  {
    TFileCacheLoader loader(cache, scratch.Path("FileCache.dat"), std::chrono::milliseconds(0));
    EXPECT_TRUE(loader.Wait());
  }
  EXPECT_EQ(cache.FindFile("x.dll"), StringList{"c:\\a\\x.dll"});
  TFileSystemCache untouched;
  {
    TFileCacheLoader stopped(untouched, scratch.Path("FileCache.dat"), std::chrono::hours(1));
  }  // destroyed before its delay ran out: returns at once, loads nothing
  EXPECT_EQ(untouched.FileCount(), 0);
}

}  // namespace
}  // namespace vp
