#include <gtest/gtest.h>

#include <string>

#include "files/FileSystemCache.h"
#include "files/LocateFile.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "support/ScratchFolder.h"

namespace vp {
namespace {

using test::ScratchFolder;

// The scratch path on drive D:, where nothing of it exists.
std::string OnD(const std::string& path) {
  return "d" + path.substr(1);
}

TEST(LocateFile, FindsMovedFilesAndKeepsTheTextAround) {
  ScratchFolder scratch;
  scratch.PutFile("tools\\x.exe");
  scratch.PutFile("new\\app.exe");
  scratch.PutFile("extra\\lib.dll");
  scratch.PutFile("extra\\setup.exe");
  scratch.PutFile("other\\lib.dll");
  const std::string c = scratch.Root().substr(0, 1);
  const std::string lc = std::string(1, static_cast<char>(std::tolower(c[0]))) + scratch.Root().substr(1);

  TFileSystemCache cache;
  cache.AddFile(scratch.Path("new\\app.exe"));
  cache.AddFile(scratch.Path("other\\lib.dll"));
  cache.AddFile(scratch.Path("extra\\lib.dll"));  // also in an extra folder: listed once
  cache.AddFile(scratch.Path("gone\\lib.dll"));   // no longer there
  const StringList extra = {scratch.Path("extra"), scratch.Path("nowhere\\")};

  struct Case {
    std::string text;
    StringList expected;
  };
  const Case cases[] = {
      {OnD(scratch.Path("tools\\x.exe")), {lc + "tools\\x.exe"}},
      {"\"C:\\Old\\App.exe\" /s", {"\"" + scratch.Path("new\\app.exe") + "\" /s"}},
      {"rundll32.exe C:\\Old\\lib.dll,Entry",
       {"rundll32.exe " + scratch.Path("extra\\lib.dll") + ",Entry",
        "rundll32.exe " + scratch.Path("other\\lib.dll") + ",Entry"}},
      {"C:\\Old\\setup.exe", {}},  // too generic, though one is in an extra folder
      {"C:\\Old\\Uninst.exe /x", {}},
      {"C:\\Old\\nothing.exe", {}},
      {"no path here", {}},
      {"", {}},
  };
  for (const auto& t : cases) EXPECT_EQ(LocateFile(t.text, cache, extra, "cd"), t.expected) << t.text;

  // An empty cache is not consulted; extra folders still are.
  TFileSystemCache empty;
  EXPECT_EQ(LocateFile("C:\\Old\\lib.dll", empty, extra, ""), StringList{scratch.Path("extra\\lib.dll")});
  EXPECT_EQ(LocateFirst("C:\\Old\\lib.dll", cache, extra, ""), scratch.Path("extra\\lib.dll"));
  EXPECT_EQ(LocateFirst("C:\\Old\\setup.exe", cache, extra, "cd"), "");
}

TEST(LocateFile, FindsMovedFolders) {
  ScratchFolder scratch;
  scratch.PutFolder("tools\\bin");
  scratch.PutFolder("apps\\Plugins");
  scratch.PutFolder("apps\\v2\\Plugins");
  const std::string lc =
      std::string(1, static_cast<char>(std::tolower(scratch.Root()[0]))) + scratch.Root().substr(1);
  TFileSystemCache cache;
  const StringList extra = {scratch.Path("apps")};
  struct Case {
    std::string text;
    StringList expected;
  };
  const Case cases[] = {
      {OnD(scratch.Path("tools\\bin\\")), {lc + "tools\\bin\\"}},  // the backslash stays
      {OnD(scratch.Path("tools\\bin")), {lc + "tools\\bin"}},      // and stays away
      {"C:\\Gone\\Plugins", {scratch.Path("apps\\Plugins"), scratch.Path("apps\\v2\\Plugins")}},
      {"C:\\Gone\\Plugins\\", {scratch.Path("apps\\Plugins\\"), scratch.Path("apps\\v2\\Plugins\\")}},
      {"C:\\Gone\\Missing", {}},
  };
  for (const auto& t : cases) EXPECT_EQ(LocateFile(t.text, cache, extra, "cd"), t.expected) << t.text;
}

}  // namespace
}  // namespace vp
