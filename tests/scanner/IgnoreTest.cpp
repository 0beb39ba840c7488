#include <gtest/gtest.h>

#include <thread>

#include "scanner/IgnoreMatch.h"
#include "settings/IgnoreList.h"
#include "support/ScratchFolder.h"

namespace vp {
namespace {

std::string Found(const std::string* entry) {
  return entry == nullptr ? "<none>" : *entry;
}

TEST(IgnoreListTest, ParsesLinesCommentsAndCase) {
  struct Case {
    const char* text;
    StringList expected;
  } cases[] = {
      {"Software\\Foo  // a note\r\n", {"software\\foo"}},
      {"// only a note\r\n\r\n   \r\n", {}},
      {"  MICROSOFT \n Adobe\rLast", {"microsoft", "adobe", "last"}},
      {"sqxee:HKEY_CURRENT_USER\\Software\\X\\\r\n", {"sqxee:hkey_current_user\\software\\x\\"}},
      {"a//b//c\r\n//\r\nx//", {"a", "x"}},
      {"dup\r\ndup\r\n", {"dup", "dup"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseIgnoreEntries(c.text), c.expected) << c.text;
}

TEST(IgnoreListTest, MergesTheThreeFilesInOrder) {
  test::ScratchFolder scratch;
  EXPECT_EQ(LoadMergedIgnoreList(scratch.Root()), StringList{});
  scratch.PutFile("Custom IgnoreList.dat", "Custom Entry\r\nshared\r\n");
  scratch.PutFile("IgnoreList.dat", "// general\r\nGeneral\r\nshared\r\n");
  EXPECT_EQ(LoadMergedIgnoreList(scratch.Root()),
            (StringList{"general", "shared", "custom entry", "shared"}));
  scratch.PutFile("Default IgnoreList.dat", "Defaults  // why\r\n");
  std::string folder = scratch.Root();
  folder.pop_back();  // without the trailing backslash
  EXPECT_EQ(LoadMergedIgnoreList(folder),
            (StringList{"general", "shared", "defaults", "custom entry", "shared"}));
}

TEST(IgnoreMatchTest, PlainEntriesMatchAsSubstringsInAnyCase) {
  const StringList list = {"vendor\\tool", "microsoft", "sqxee:hkey_local_machine\\software\\x\\v"};
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"HKEY_LOCAL_MACHINE\\Software\\MICROSOFT\\Windows", "microsoft"},
      {"C:\\Program Files\\Vendor\\Tool\\a.exe", "vendor\\tool"},
      {"Microsoft Vendor\\Tool", "vendor\\tool"},  // first entry of the list wins
      {"HKEY_LOCAL_MACHINE\\Software\\X\\v", "<none>"},
      {"", "<none>"},
  };
  for (const Case& c : cases) EXPECT_EQ(Found(FindPlainIgnore(list, c.text)), c.expected) << c.text;
}

TEST(IgnoreMatchTest, ExactEntriesNameOneValueOrOneWholeKey) {
  const std::string wholeKey = "(whole key)";
  const StringList list = {"plain", "SQXEE:hkey_current_user\\software\\app\\run",
                           "sqxee:hkey_classes_root\\.foo\\", "sqxee:hkey_users\\s\\@"};
  struct Case {
    const char* root;
    const char* key;
    const char* value;
    const char* expected;
  } cases[] = {
      {"HKEY_CURRENT_USER", "Software\\App", "Run", "SQXEE:hkey_current_user\\software\\app\\run"},
      {" HKEY_CURRENT_USER ", " Software\\App ", " RUN ", "SQXEE:hkey_current_user\\software\\app\\run"},
      {"HKEY_CURRENT_USER", "Software\\App", "Runner", "<none>"},
      {"HKEY_CURRENT_USER", "Software\\App\\Sub", "Run", "<none>"},
      {"HKEY_CLASSES_ROOT", ".foo", "(whole key)", "sqxee:hkey_classes_root\\.foo\\"},
      {"HKEY_CLASSES_ROOT", ".foo", "x", "<none>"},
      {"HKEY_USERS", "S", "@", "sqxee:hkey_users\\s\\@"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Found(FindExactIgnore(list, c.root, c.key, c.value, wholeKey)), c.expected) << c.key << c.value;

  // A stop request ends the search without a match.
  EXPECT_EQ(FindExactIgnore(list, "HKEY_CURRENT_USER", "Software\\App", "Run", wholeKey, [] { return true; }),
            nullptr);
}

TEST(IgnoreMatchTest, ExtraRules) {
  struct Case {
    const char* rule;
    const char* rootAndKey;
    const char* name;
    const char* data;
    bool matches;
  } cases[] = {
      {"::tool", "HKEY_LOCAL_MACHINE\\Software\\X", "n", "C:\\TOOL\\a.exe", true},
      {"::tool", "HKEY_LOCAL_MACHINE\\Software\\Tools", "n", "d", true},
      {"::tool", "HKEY_LOCAL_MACHINE\\Software\\X", "MyTool", "d", true},
      {"::tool", "HKEY_LOCAL_MACHINE\\Software\\X", "n", "d", false},
      {"::", "HKEY_LOCAL_MACHINE\\Software\\X", "n", "d", false},
      {"[HKEY_LOCAL_MACHINE\\Software\\X]", "hkey_local_machine\\software\\x", "n", "d", true},
      {"[HKEY_LOCAL_MACHINE\\Software]", "HKEY_LOCAL_MACHINE\\Software\\X", "n", "d",
       true},  // rule inside path
      {"[HKEY_LOCAL_MACHINE\\Software\\X\\Deeper]", "HKEY_LOCAL_MACHINE\\Software\\X", "n", "d",
       true},  // path inside rule
      {"[HKEY_LOCAL_MACHINE\\Software\\Y]", "HKEY_LOCAL_MACHINE\\Software\\X", "n", "d", false},
      {"[HKEY_LOCAL_MACHINE\\Software\\X]Name=anything", "HKEY_LOCAL_MACHINE\\Software\\X", "NAME", "d",
       true},
      {"[HKEY_LOCAL_MACHINE\\Software\\X]Name=anything", "HKEY_LOCAL_MACHINE\\Software\\X", "Other", "d",
       false},
      {"[HKEY_LOCAL_MACHINE\\Software\\X]Name", "HKEY_LOCAL_MACHINE\\Software\\X", "name", "d", true},
      {"]HKEY_LOCAL_MACHINE[", "HKEY_LOCAL_MACHINE\\Software\\X", "n", "d", false},
      {"HKEY_LOCAL_MACHINE\\Software\\X", "HKEY_LOCAL_MACHINE\\Software\\X", "n", "d", false},  // not a rule
  };
  for (const Case& c : cases) {
    const StringList rules = {c.rule};
    EXPECT_EQ(FindExtraIgnore(rules, c.rootAndKey, c.name, c.data) != nullptr, c.matches) << c.rule;
  }
}

}  // namespace
}  // namespace vp
