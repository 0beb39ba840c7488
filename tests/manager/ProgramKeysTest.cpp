#include <gtest/gtest.h>

#include <algorithm>

#include "manager/ProgramKeys.h"
#include "support/PlantedEntries.h"

// Which keys belong to a program of the installed-software list: by its
// Software keys always, by the keys named after it unless the name is too
// short, by the classes and caches that mention it unless the name is a
// generic word.
namespace vp {
namespace {

using platform::kHkeyClassesRoot;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

const std::string kVersion = "Software\\Microsoft\\Windows\\CurrentVersion\\";

// Keys as "root:path", sorted, for readable comparisons.
std::vector<std::string> Named(const std::vector<TProgramKey>& keys) {
  std::vector<std::string> names;
  for (const auto& key : keys) names.push_back(std::to_string(key.root & 0xF) + ":" + key.path);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ProgramKeys, FoundByTheRulesOfTheName) {
  test::PlantedEntries planted;
  for (const std::string program : {"VptWriter", "Vpt4", "VptSetup"}) {
    planted.Key(kHkeyLocalMachine, "Software\\VptMaker\\" + program + "\\Options");
    planted.Key(kHkeyLocalMachine, kVersion + "App Paths\\" + program + ".exe");
    planted.Value(kHkeyClassesRoot, program + ".doc\\shell\\open\\command", "",
                  "C:\\" + program + "\\run.exe %1");
  }
  planted.Key(kHkeyCurrentUser, "Software\\VptWriter");
  planted.Key(kHkeyLocalMachine, kVersion + "App Management\\ARPCache\\VptWriter Suite");
  // Near misses: a command through the file browser, a longer name.
  planted.Value(kHkeyClassesRoot, "vptbrowse\\shell\\open\\command", "", "explorer.exe C:\\VptWriter");
  planted.Key(kHkeyLocalMachine, kVersion + "App Paths\\VptWriterPro.exe");
  planted.Key(kHkeyLocalMachine, "Software\\Wow6432Node\\VptMaker\\VptWriter");

  const struct {
    std::string vendor, program;
    bool view32;
    std::vector<TProgramKey> keys;
  } cases[] = {
      {"VptMaker",
       "vptwriter",
       false,
       {{kHkeyClassesRoot, "VptWriter.doc"},
        {kHkeyCurrentUser, "Software\\VptWriter"},
        {kHkeyLocalMachine, "Software\\VptMaker\\VptWriter"},
        {kHkeyLocalMachine, kVersion + "App Management\\ARPCache\\VptWriter Suite"},
        {kHkeyLocalMachine, kVersion + "App Paths\\VptWriter.exe"}}},
      {"VptMaker",
       "VptWriter",
       true,
       {{kHkeyClassesRoot, "VptWriter.doc"},
        {kHkeyCurrentUser, "Software\\VptWriter"},
        {kHkeyLocalMachine, "Software\\Wow6432Node\\VptMaker\\VptWriter"},
        {kHkeyLocalMachine, kVersion + "App Management\\ARPCache\\VptWriter Suite"},
        {kHkeyLocalMachine, kVersion + "App Paths\\VptWriter.exe"}}},
      // Too short to look further than its vendor's key.
      {"VptMaker", "Vpt4", false, {{kHkeyLocalMachine, "Software\\VptMaker\\Vpt4"}}},
      // A generic word: no walk of the classes.
      {"VptMaker",
       "VptSetup",
       false,
       {{kHkeyLocalMachine, "Software\\VptMaker\\VptSetup"},
        {kHkeyLocalMachine, kVersion + "App Paths\\VptSetup.exe"}}},
      // A vendor key alone is the program's own key.
      {"[Unknown]",
       "VptWriter",
       false,
       {{kHkeyClassesRoot, "VptWriter.doc"},
        {kHkeyCurrentUser, "Software\\VptWriter"},
        {kHkeyLocalMachine, kVersion + "App Management\\ARPCache\\VptWriter Suite"},
        {kHkeyLocalMachine, kVersion + "App Paths\\VptWriter.exe"}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Named(FindProgramKeys(c.vendor, c.program, c.view32, "[Unknown]")), Named(c.keys))
        << c.program << (c.view32 ? " (32-bit)" : "");
  }
}

TEST(ProgramKeys, NameVariants) {
  const struct {
    std::string program;
    std::vector<std::string> variants;
  } cases[] = {
      {"Fooo 2.5.1", {"Fooo"}},         {"Foo 2.5", {}},
      {"Barx Trial Version", {"Barx"}}, {"Tool.exe", {"Tool"}},
      {"Writer by Vpt", {"Writer"}},    {"Plain", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramNameVariants(c.program), c.variants) << c.program;
}

}  // namespace
}  // namespace vp
