#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/Platform.h"
#include "platform/System.h"
#include "support/ScratchFolder.h"
#include "support/ShellFixtures.h"
#include "support/TestSupport.h"

// Shortcuts, version resources and shell folders: the same cases on the real
// system (under Wine, through the shell and the version interface) and on
// the simulated one (which reads the files' own bytes).
namespace vp::platform {
namespace {

using test::ScratchFolder;

std::string Upper(const std::string& text) {
  return Sys().UpperCase(text);
}

TEST(ShellConformance, StartupFolders) {
  ScratchFolder scratch;
  const std::string userRoot = Upper(Sys().ExpandEnvironment("%APPDATA%").value_or(""));
  const std::string commonRoot = Upper(Sys().ExpandEnvironment("%ProgramData%").value_or(""));
  ASSERT_FALSE(userRoot.empty());
  ASSERT_FALSE(commonRoot.empty());
  const struct {
    ShellFolder folder;
    std::string root;
  } cases[] = {{ShellFolder::Startup, userRoot}, {ShellFolder::CommonStartup, commonRoot}};
  for (const auto& c : cases) {
    auto path = Sys().ShellFolderPath(c.folder);
    ASSERT_TRUE(path.has_value());
    const std::string upper = Upper(*path);
    EXPECT_EQ(upper.rfind(c.root + "\\", 0), 0u) << *path;
    const std::string tail = "\\START MENU\\PROGRAMS\\STARTUP";
    ASSERT_GE(upper.size(), tail.size());
    EXPECT_EQ(upper.substr(upper.size() - tail.size()), tail) << *path;
  }
}

TEST(ShellConformance, ShortcutsMadeByTheShell) {
  ScratchFolder scratch;
  for (const auto& fixture : test::kShortcutFixtures) {
    SCOPED_TRACE(fixture.file);
    const std::string bytes = test::HostFileBytes(test::DataPath(std::string("shortcuts/") + fixture.file));
    ASSERT_FALSE(bytes.empty());
    scratch.PutFile(fixture.file, bytes);
    auto target = Sys().ResolveShortcut(scratch.Path(fixture.file));
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(Upper(target->path), Upper(fixture.target));
    EXPECT_EQ(target->arguments, fixture.arguments);
  }
}

TEST(ShellConformance, WhatIsNoShortcutIsRefused) {
  ScratchFolder scratch;
  const std::string shortcut = test::HostFileBytes(test::DataPath("shortcuts/tool.lnk"));
  ASSERT_GT(shortcut.size(), 100u);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"text.lnk", "not a shortcut at all, just some text that is long enough to be read"},
      {"empty.lnk", ""},
      {"header.lnk", shortcut.substr(0, 0x4C)},
      {"cut.lnk", shortcut.substr(0, 100)},
  };
  for (const auto& c : cases) {
    scratch.PutFile(c.name, c.bytes);
    EXPECT_FALSE(Sys().ResolveShortcut(scratch.Path(c.name)).has_value()) << c.name;
  }
  EXPECT_FALSE(Sys().ResolveShortcut(scratch.Path("absent.lnk")).has_value());
}

TEST(ShellConformance, VersionResourcesOfProgramFiles) {
  if (test::BuiltFixturePath("Versioned.exe").empty()) GTEST_SKIP() << "built without mingw-w64";
  ScratchFolder scratch;
  using Strings = std::map<std::string, std::string, std::less<>>;
  const struct {
    const char* file;
    std::string translation;
    Strings strings;
  } cases[] = {
      {"Versioned.exe",
       "040704B0",
       {{"CompanyName", "Beispiel GmbH"},
        {"FileDescription", "Werkzeug f\xFCr Tests"},
        {"FileVersion", "2.5.1"},
        {"LegalCopyright", "(c) 2026"},
        {"OriginalFilename", "versioned.exe"},
        {"ProductName", "Versioned Tool"}}},
      {"Untranslated.exe",
       "040904E4",
       {{"FileDescription", "No translation"}, {"InternalName", "untranslated"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    scratch.PutFile(c.file, test::HostFileBytes(test::BuiltFixturePath(c.file)));
    auto info = Sys().VersionInfo(scratch.Path(c.file));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->translation, c.translation);
    EXPECT_EQ(info->strings, c.strings);
  }
  EXPECT_EQ(Sys().FileVersionString(scratch.Path("Versioned.exe"), "ProductName"), "Versioned Tool");
  EXPECT_FALSE(Sys().FileVersionString(scratch.Path("Versioned.exe"), "PrivateBuild").has_value());
}

TEST(ShellConformance, FilesWithoutVersionResource) {
  if (test::BuiltFixturePath("Plain.exe").empty()) GTEST_SKIP() << "built without mingw-w64";
  ScratchFolder scratch;
  const std::string versioned = test::HostFileBytes(test::BuiltFixturePath("Versioned.exe"));
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"Plain.exe", test::HostFileBytes(test::BuiltFixturePath("Plain.exe"))},
      {"text.exe", "MZ but nothing else of a program file follows here"},
      {"half.exe", versioned.substr(0, versioned.size() / 2)},
  };
  for (const auto& c : cases) {
    scratch.PutFile(c.name, c.bytes);
    EXPECT_FALSE(Sys().VersionInfo(scratch.Path(c.name)).has_value()) << c.name;
  }
  EXPECT_FALSE(Sys().VersionInfo(scratch.Path("absent.exe")).has_value());
}

}  // namespace
}  // namespace vp::platform
