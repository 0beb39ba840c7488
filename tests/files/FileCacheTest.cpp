#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "files/FileSystemCache.h"
#include "files/StringTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "support/ScratchFolder.h"

namespace vp {
namespace {

using platform::Files;
using test::ScratchFolder;

// The file's names in file order, folded to upper case.
StringList FoldedNamesInFileOrder(const std::string& text) {
  StringList names;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    names.push_back(FixedUpperText(text.substr(start + 1, text.find('>', start) - start - 1)));
    start = end + 2;
  }
  return names;
}

// The height of the plain binary search tree a reader inserting the keys in
// this order builds: the first is the root, the smaller ones (in their order)
// make its left sub-tree, the others its right one.
int HeightWhenInsertedInOrder(const StringList& keys) {
  if (keys.empty()) return 0;
  StringList left, right;
  for (size_t i = 1; i < keys.size(); ++i) (keys[i] < keys[0] ? left : right).push_back(keys[i]);
  return 1 + std::max(HeightWhenInsertedInOrder(left), HeightWhenInsertedInOrder(right));
}

TEST(FileSystemCache, AddAndFind) {
  struct Case {
    std::vector<const char*> added;
    const char* looked;
    StringList expected;
    int files;
    int nodes;
  };
  const Case cases[] = {
      {{"c:\\a\\x.dll", "c:\\a\\x.dll"}, "x.dll", {"c:\\a\\x.dll"}, 1, 1},
      {{"c:\\a\\x.dll", "c:\\b\\X.DLL"}, "x.dll", {"c:\\a\\x.dll", "c:\\b\\x.dll"}, 2, 1},
      {{"c:\\a\\x.dll", "C:\\A\\X.dll"}, "X.DLL", {"c:\\a\\x.dll"}, 1, 1},  // same folder in another case
      {{"c:\\b\\x.dll", "c:\\a\\x.dll"}, "x.dll", {"c:\\b\\x.dll", "c:\\a\\x.dll"}, 2, 1},  // order recorded
      {{"c:\\a\\x.dll", "c:\\a\\y.dll"}, "z.dll", {}, 2, 2},
      {{"c:\\a\\", "x.dll"}, "x.dll", {"x.dll"}, 1, 1},  // no name: ignored; no folder: ""
      {{}, "x.dll", {}, 0, 0},
      // Names fold ASCII letters only; folders fold through the fixed table.
      {{"c:\\a\\LongerThanEight.DLL", "c:\\b\\longerthaneight.dll"},
       "LONGERTHANEIGHT.dll",
       {"c:\\a\\LongerThanEight.DLL", "c:\\b\\LongerThanEight.DLL"},
       2,
       1},
      {{"c:\\a\\\xC4rger.dll", "c:\\a\\\xE4rger.dll"}, "\xE4RGER.DLL", {"c:\\a\\\xE4rger.dll"}, 2, 2},
      {{"c:\\programme\\\xC4rger und mehr\\x.dll", "C:\\PROGRAMME\\\xE4RGER UND MEHR\\X.DLL"},
       "x.dll",
       {"c:\\programme\\\xC4rger und mehr\\x.dll"},
       1,
       1},
  };
  for (const auto& c : cases) {
    TFileSystemCache cache;
    for (const char* path : c.added) cache.AddFile(path);
    EXPECT_EQ(cache.FindFile(c.looked), c.expected) << c.added.size() << " " << c.looked;
    EXPECT_EQ(cache.FileCount(), c.files);
    EXPECT_EQ(cache.NodeCount(), c.nodes);
  }
}

TEST(FileSystemCache, SavesBalancedPreOrderAndReloadsIt) {
  ScratchFolder scratch;
  const std::string file = scratch.Path("FileCache.dat");
  TFileSystemCache cache;
  // Added in sorted order, the worst case of a plain tree.
  for (const char* name : {"a.dll", "b.dll", "C.dll", "d.dll", "e.dll", "f.dll", "g.dll"})
    cache.AddFile(std::string("c:\\w\\") + name);
  cache.AddFile("c:\\x\\d.dll");
  cache.AddFile("c:\\a\\d.dll");
  ASSERT_TRUE(cache.SaveToFile(file));
  const std::string expected =
      "<d.dll>@<c:\\w\\><c:\\x\\><c:\\a\\>\r\n"
      "<b.dll>@<c:\\w\\>\r\n"
      "<a.dll>@<c:\\w\\>\r\n"
      "<C.dll>@<c:\\w\\>\r\n"
      "<f.dll>@<c:\\w\\>\r\n"
      "<e.dll>@<c:\\w\\>\r\n"
      "<g.dll>@<c:\\w\\>\r\n";
  EXPECT_EQ(Files().ReadWholeFile(file).value_or(""), expected);

  TFileSystemCache loaded;
  loaded.AddFile("c:\\old\\gone.exe");  // replaced by the load
  ASSERT_TRUE(loaded.LoadFromFile(file));
  EXPECT_EQ(loaded.NodeCount(), 7);
  EXPECT_EQ(loaded.FileCount(), 9);
  EXPECT_TRUE(loaded.FindFile("gone.exe").empty());
  EXPECT_EQ(loaded.FindFile("D.DLL"), (StringList{"c:\\w\\d.dll", "c:\\x\\d.dll", "c:\\a\\d.dll"}));
  const std::string again = scratch.Path("again.dat");
  ASSERT_TRUE(loaded.SaveToFile(again));
  EXPECT_EQ(Files().ReadWholeFile(again).value_or(""), expected);
}

TEST(FileSystemCache, LargeSortedInputGivesMinimalHeight) {
  ScratchFolder scratch;
  const std::string file = scratch.Path("FileCache.dat");
  for (int count : {1, 2, 3, 1000, 4095, 4096}) {
    TFileSystemCache cache;
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "c:\\f\\n%06d.exe", i);
      cache.AddFile(name);
    }
    ASSERT_TRUE(cache.SaveToFile(file));
    const StringList names = FoldedNamesInFileOrder(Files().ReadWholeFile(file).value_or(""));
    ASSERT_EQ(static_cast<int>(names.size()), count);
    EXPECT_EQ(HeightWhenInsertedInOrder(names), static_cast<int>(std::ceil(std::log2(count + 1)))) << count;
  }
}

TEST(FileSystemCache, LoadSkipsMalformedLines) {
  struct Case {
    const char* line;
    int nodes;
    int files;
  };
  const Case cases[] = {
      {"<x.dll>@<c:\\a\\><c:\\b\\>", 1, 2},
      {"<x.dll>@<c:\\a\\", 0, 0},  // a ">" missing
      {"<x.dll@<c:\\a\\>", 0, 0},  // the name's ">" missing
      {"x.dll@c:\\a\\", 0, 0},     // no brackets
      {"", 0, 0},
      {"<x.dll><c:\\a\\>", 1, 1},  // no "@": outside text is ignored
      {"<x.dll>junk@<c:\\a\\>more", 1, 1},
      {"<x.dll>@", 1, 0},                                  // a name without folders
      {"@<x.dll><c:\\a\\>", 0, 0},                         // no name at the start
      {"<>@<c:\\a\\>", 0, 0},                              // an empty name
      {"<x.dll>@<c:\\a\\><C:\\A\\>", 1, 1},                // a folder twice
      {"<x.dll>@<c:\\a\\>\n<X.DLL>@<c:\\b\\>", 1, 1},      // a repeated name is dropped whole
      {"<x.dll>@<c:\\a\\>\n<y.dll>@<c:\\b\\>\r\n", 2, 2},  // LF or CR LF
      {">x.dll<@<c:\\a\\>", 0, 0},
  };
  ScratchFolder scratch;
  const std::string file = scratch.Path("FileCache.dat");
  for (const auto& c : cases) {
    ASSERT_TRUE(Files().WriteWholeFile(file, c.line));
    TFileSystemCache cache;
    ASSERT_TRUE(cache.LoadFromFile(file)) << c.line;
    EXPECT_EQ(cache.NodeCount(), c.nodes) << c.line;
    EXPECT_EQ(cache.FileCount(), c.files) << c.line;
  }
  TFileSystemCache cache;
  ASSERT_TRUE(Files().WriteWholeFile(file, "<x.dll>@<c:\\a\\>\r\n<X.DLL>@<c:\\b\\>\r\n"));
  ASSERT_TRUE(cache.LoadFromFile(file));
  EXPECT_EQ(cache.FindFile("x.dll"), StringList{"c:\\a\\x.dll"});
}

TEST(FileSystemCache, MissingOrUnreadableFileLeavesTheCache) {
  ScratchFolder scratch;
  TFileSystemCache cache;
  cache.AddFile("c:\\a\\x.dll");
  EXPECT_TRUE(cache.LoadFromFile(scratch.Path("absent.dat")));
  EXPECT_EQ(cache.FileCount(), 1);
  scratch.PutFolder("folder.dat");
  EXPECT_FALSE(cache.LoadFromFile(scratch.Path("folder.dat")));
  EXPECT_EQ(cache.FileCount(), 1);
  EXPECT_FALSE(cache.SaveToFile(scratch.Path("no such folder\\FileCache.dat")));

  // A stopped load changes nothing.
  const std::string file = scratch.Path("FileCache.dat");
  ASSERT_TRUE(Files().WriteWholeFile(file, "<y.dll>@<c:\\b\\>\r\n<z.dll>@<c:\\b\\>\r\n"));
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(cache.LoadFromFile(file, TLoadPacing{1, 0, stop.get_token()}));
  EXPECT_EQ(cache.FindFile("x.dll").size(), 1u);
  EXPECT_TRUE(cache.FindFile("y.dll").empty());
}

// Readers on one thread see the whole old contents or the whole new ones
// while another thread loads (run under the thread sanitizer to see races).
TEST(FileSystemCache, LoadIsHandedOverWhole) {
  ScratchFolder scratch;
  const std::string file = scratch.Path("FileCache.dat");
  {
    TFileSystemCache source;
    for (int i = 0; i < 3000; ++i) source.AddFile("c:\\f\\n" + std::to_string(i) + ".dll");
    ASSERT_TRUE(source.SaveToFile(file));
  }
  TFileSystemCache cache;
  cache.AddFile("c:\\a\\x.dll");
  std::thread loader([&] { cache.LoadFromFile(file, TLoadPacing{500, 1, {}}); });
  bool sawNew = false;
  while (!sawNew) {
    const int files = cache.FileCount();
    ASSERT_TRUE(files == 1 || files == 3000) << files;
    sawNew = files == 3000;
  }
  loader.join();
  EXPECT_TRUE(cache.FindFile("x.dll").empty());
  EXPECT_EQ(cache.FindFile("n2999.dll"), StringList{"c:\\f\\n2999.dll"});

  // A clear while the load is reading wins over the load.
  std::atomic<bool> started{false};
  std::thread late([&] {
    started = true;
    EXPECT_FALSE(cache.LoadFromFile(file, TLoadPacing{100, 5, {}}));
  });
  while (!started) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  cache.Clear();
  cache.AddFile("c:\\new\\y.dll");
  late.join();
  EXPECT_EQ(cache.FileCount(), 1);
}

}  // namespace
}  // namespace vp
