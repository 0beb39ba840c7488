#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/sim/SimRegistry.h"
#include "registry/FastRegistry.h"
#include "support/RegistryTestSupport.h"
#include "support/SimHost.h"
#include "support/TestSupport.h"

// TFastRegistry on this build's registry (the real one under Wine, the
// simulation natively), working in a scratch key below HKEY_CURRENT_USER.
namespace vp {
namespace {

using namespace platform;
using test::ScratchKey;

// An instance with the scratch key open.
struct Opened {
  ScratchKey scratch;
  TFastRegistry reg;
  Opened() { EXPECT_TRUE(reg.OpenKey(scratch.FullPath(), false)); }
};

TEST(FastRegistry, OpenKeyTrimsAndRecognisesTheRootName) {
  TFastRegistry reg;
  ASSERT_TRUE(reg.OpenKey(" hkey_local_machine \\ Software ", false));
  EXPECT_EQ(reg.RootKey(), kHkeyLocalMachine);
  EXPECT_EQ(reg.CurrentPath(), "Software");
  EXPECT_EQ(reg.CurrentFullPath(), "HKEY_LOCAL_MACHINE\\Software");

  // Relative to the open key, and from the root with a leading backslash.
  ASSERT_TRUE(reg.OpenKey("Classes", false));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Classes");
  EXPECT_EQ(reg.CurrentFullPath(), "HKEY_LOCAL_MACHINE\\Software\\Classes");
  EXPECT_FALSE(reg.OpenKey("\\Classes", false));  // HKEY_LOCAL_MACHINE\Classes does not exist
  EXPECT_EQ(reg.CurrentPath(), "Software\\Classes");
  ASSERT_TRUE(reg.OpenKey("\\Software", false));
  EXPECT_EQ(reg.CurrentPath(), "Software");

  // The short root forms are not root names; the root stays as it was.
  reg.CloseKey();
  EXPECT_FALSE(reg.OpenKey("HKCU\\Software", false));
  EXPECT_EQ(reg.CurrentKey(), kNoKey);
  EXPECT_EQ(reg.RootKey(), kHkeyLocalMachine);

  // A root name alone opens the root; relative to the root itself the path
  // gains a leading backslash that the full path does not double.
  ASSERT_TRUE(reg.OpenKey("HKEY_CURRENT_USER", false));
  EXPECT_NE(reg.CurrentKey(), kNoKey);
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_EQ(reg.CurrentFullPath(), "HKEY_CURRENT_USER\\");
  ASSERT_TRUE(reg.OpenKey("Software", false));
  EXPECT_EQ(reg.CurrentPath(), "\\Software");
  EXPECT_EQ(reg.CurrentFullPath(), "HKEY_CURRENT_USER\\Software");
}

TEST(FastRegistry, CreatingKeys) {
  Opened o;
  auto& reg = o.reg;
  ASSERT_TRUE(reg.OpenKey("", true));  // an empty path never creates
  const std::string path = reg.CurrentPath();
  EXPECT_EQ(path, o.scratch.Path() + "\\");
  // CreateKey leaves the current key alone.
  ASSERT_TRUE(reg.CreateKey("a\\b"));
  EXPECT_EQ(reg.CurrentPath(), path);
  EXPECT_TRUE(reg.KeyExists("a\\b"));
  EXPECT_FALSE(reg.KeyExists("a\\c"));
  reg.CloseKey();
  ASSERT_TRUE(reg.OpenKey(o.scratch.FullPath() + "\\new\\deeper", true));
  EXPECT_TRUE(reg.KeyExists("\\" + o.scratch.Path() + "\\new\\deeper"));

  TFastRegistry fresh;
  bool created = true;
  EXPECT_TRUE(fresh.CreateKeyReportingNew(o.scratch.Path() + "\\X\\Y", created));
  EXPECT_TRUE(created);
  for (const char* existing : {"\\X\\Y", "\\X"}) {
    EXPECT_TRUE(fresh.CreateKeyReportingNew(o.scratch.Path() + existing, created));
    EXPECT_FALSE(created) << existing;
  }
  EXPECT_TRUE(fresh.CurrentPath().empty());
}

TEST(FastRegistry, SetRootKeyClosesOnlyOnChange) {
  Opened o;
  const RegHandle key = o.reg.CurrentKey();
  o.reg.SetRootKey(kHkeyCurrentUser);
  EXPECT_EQ(o.reg.CurrentKey(), key);
  o.reg.SetRootKey(kHkeyLocalMachine);
  EXPECT_EQ(o.reg.CurrentKey(), kNoKey);
  EXPECT_EQ(o.reg.CurrentPath(), "");
  EXPECT_EQ(o.reg.CurrentFullPath(), "");
}

TEST(FastRegistry, NameListsAndTheDefaultValue) {
  Opened o;
  std::vector<std::string> names{"stale"};
  o.reg.GetValueNames(names);
  EXPECT_TRUE(names.empty());
  ASSERT_EQ(o.reg.WriteString("", "default"), kErrorSuccess);
  ASSERT_EQ(o.reg.WriteString("named", "x"), kErrorSuccess);
  ASSERT_TRUE(o.reg.CreateKey("sub"));
  o.reg.GetValueNames(names);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"", "named"}));
  o.reg.GetKeyNames(names);
  EXPECT_EQ(names, std::vector<std::string>{"sub"});
  EXPECT_TRUE(o.reg.HasSubKeys());

  TFastRegistry closed;
  names = {"stale"};
  closed.GetKeyNames(names);
  EXPECT_TRUE(names.empty());
  closed.GetValueNames(names);
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(closed.HasSubKeys());
}

TEST(FastRegistry, ReadsByKind) {
  Opened o;
  auto& reg = o.reg;
  ASSERT_EQ(reg.WriteInteger("dword", -1), kErrorSuccess);
  ASSERT_EQ(reg.WriteRawData("nul inside", kRegSz, std::string("abc\0def\0", 8)), kErrorSuccess);
  ASSERT_EQ(reg.WriteMultiString("multi", "a\r\nb\r\n"), kErrorSuccess);
  ASSERT_EQ(reg.WriteExpandString("expand", "%SystemRoot%"), kErrorSuccess);
  ASSERT_EQ(reg.WriteRawData("empty", kRegSz, ""), kErrorSuccess);
  const char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(reg.WriteBinaryData("binary", bytes, 8), kErrorSuccess);
  ASSERT_EQ(reg.WriteRawData("qword", kRegQword, std::string(8, '\1')), kErrorSuccess);

  struct Case {
    const char* name;
    std::string lenient;
    std::string asString;
    TRegDataType type;
    int size;
  };
  const Case cases[] = {
      {"dword", "", "-1", rdInteger, 4},
      {"nul inside", "abc", "abc", rdString, 8},
      {"multi", "a\r\nb\r\n", "a\r\nb\r\n", rdMultiString, 5},
      {"expand", "%SystemRoot%", "%SystemRoot%", rdExpandString, 13},
      {"empty", "", "", rdString, 0},
      {"binary", "", "", rdBinary, 8},
      {"qword", "", "", rdUnknown, 8},
      {"absent", "", "", rdUnknown, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(reg.ReadString(c.name), c.lenient) << c.name;
    EXPECT_EQ(reg.ReadValueAsString(c.name), c.asString) << c.name;
    EXPECT_EQ(reg.GetDataType(c.name), c.type) << c.name;
    EXPECT_EQ(reg.GetDataSize(c.name), c.size) << c.name;
    EXPECT_EQ(reg.ValueExists(c.name), c.size >= 0) << c.name;
  }

  std::string raw;
  std::uint32_t type = 0;
  ASSERT_TRUE(reg.ReadRawData("multi", type, raw));
  EXPECT_EQ(type, kRegMultiSz);
  EXPECT_EQ(raw, std::string("a\0b\0\0", 5));
  EXPECT_EQ(reg.ReadMultiString("multi"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(reg.ReadMultiString("dword").empty());
  EXPECT_EQ(reg.ReadInteger("dword"), -1);
  EXPECT_EQ(reg.ReadStringStrict("expand"), "%SystemRoot%");
  EXPECT_EQ(reg.ReadStringStrict("absent"), "");
}

TEST(FastRegistry, StrictReadsRaiseForOtherKinds) {
  Opened o;
  auto& reg = o.reg;
  ASSERT_EQ(reg.WriteInteger("dword", 7), kErrorSuccess);
  ASSERT_EQ(reg.WriteString("text", "x"), kErrorSuccess);
  ASSERT_EQ(reg.WriteMultiString("multi", "a\r\n"), kErrorSuccess);
  const char eight[8] = {};
  ASSERT_EQ(reg.WriteBinaryData("binary8", eight, 8), kErrorSuccess);

  auto message = [](auto&& read) -> std::string {
    try {
      read();
    } catch (const ERegistryException& e) {
      return e.what();
    }
    return "no exception";
  };
  char buffer[4];
  EXPECT_EQ(message([&] { reg.ReadStringStrict("dword"); }), "Invalid data type for 'dword'");
  EXPECT_EQ(message([&] { reg.ReadStringStrict("multi"); }), "Invalid data type for 'multi'");
  EXPECT_EQ(message([&] { reg.ReadInteger("text"); }), "Invalid data type for 'text'");
  EXPECT_EQ(message([&] { reg.ReadInteger("absent"); }), "Invalid data type for 'absent'");
  EXPECT_EQ(message([&] { reg.ReadBinaryData("binary8", buffer, 4); }), "Invalid data type for 'binary8'");
  EXPECT_EQ(message([&] { reg.ReadBinaryData("text", buffer, 4); }), "Invalid data type for 'text'");
  EXPECT_EQ(reg.ReadBinaryData("absent", buffer, 4), 0);
  char multi[8];
  EXPECT_EQ(reg.ReadBinaryData("multi", multi, 8), 3);
  EXPECT_EQ(std::string(multi, 3), std::string("a\0\0", 3));
}

TEST(FastRegistry, WriteMultiStringTurnsLineBreaksIntoNuls) {
  Opened o;
  struct Case {
    std::string text;
    std::string stored;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", std::string("a\0b\0\0", 5)},
      {"a\r\nb", std::string("a\0b\0", 4)},
      {"", std::string("\0", 1)},
      {"lone\nlf\r", std::string("lone\nlf\r\0", 9)},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(o.reg.WriteMultiString("m", c.text), kErrorSuccess);
    std::uint32_t type = 0;
    std::string raw;
    ASSERT_TRUE(o.reg.ReadRawData("m", type, raw));
    EXPECT_EQ(raw, c.stored);
  }
}

TEST(FastRegistry, DeleteKeyRemovesTheWholeTree) {
  Opened o;
  ASSERT_TRUE(o.reg.CreateKey("top\\a\\b\\c"));
  ASSERT_TRUE(o.reg.CreateKey("top\\a\\b2"));
  ASSERT_TRUE(o.reg.CreateKey("top\\z"));
  EXPECT_TRUE(o.reg.DeleteKey("top"));
  EXPECT_FALSE(o.reg.KeyExists("top"));
  EXPECT_FALSE(o.reg.DeleteKey("top"));
  EXPECT_FALSE(o.reg.DeleteKey("never there"));
  // The instance still works on its own key.
  EXPECT_EQ(o.reg.WriteString("after", "x"), kErrorSuccess);
}

TEST(FastRegistry, GetKeyTreeListsDepthFirstAndEndsReadOnly) {
  Opened o;
  for (const char* path : {"t\\a\\x", "t\\a\\y", "t\\b"}) ASSERT_TRUE(o.reg.CreateKey(path));
  o.reg.CloseKey();
  const std::string top = o.scratch.FullPath() + "\\t";
  std::vector<std::string> tree;
  o.reg.GetKeyTree(tree, top);
  const std::string base = "HKEY_CURRENT_USER\\" + o.scratch.Path() + "\\t";
  EXPECT_EQ(tree,
            (std::vector<std::string>{top, base + "\\a", base + "\\a\\x", base + "\\a\\y", base + "\\b"}));
  EXPECT_EQ(o.reg.Access(), kKeyRead);
  EXPECT_EQ(o.reg.CurrentPath(), o.scratch.Path() + "\\t");
  EXPECT_NE(o.reg.WriteString("v", "x"), kErrorSuccess);

  o.reg.GetKeyTree(tree, o.scratch.FullPath() + "\\absent");
  EXPECT_TRUE(tree.empty());
}

// Wine cannot make a key that may be read but not written.
TEST(FastRegistry, ReadOnlyKeyExistsOnlyForReaders) {
  test::SimHost machine{{.mapDriveC = false}};
  ASSERT_TRUE(TFastRegistry().CreateKey("Software\\Locked"));
  ASSERT_TRUE(machine.Machine().Registry().SetKeyAccess(kHkeyCurrentUser, "Software\\Locked",
                                                        sim::SimKeyAccess::kReadOnly));
  TFastRegistry reg;
  EXPECT_FALSE(reg.KeyExists("Software\\Locked"));
  EXPECT_FALSE(reg.OpenKey("Software\\Locked", false));
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software"));
  EXPECT_EQ(reg.Access(), kKeyRead);
  reg.CloseKey();
  EXPECT_TRUE(reg.KeyExists("Software\\Locked"));
  EXPECT_TRUE(reg.OpenKey("Software\\Locked", false));
  EXPECT_NE(reg.WriteString("v", "x"), kErrorSuccess);
  reg.CloseKey();
  EXPECT_FALSE(reg.DeleteKey("Software\\Locked"));
}

// The complete lists give the same names as the lenient ones and say
// whether any entry had to be left out; a tree holding a key it cannot name
// is not deleted.
TEST(FastRegistry, CompleteNameListsReportWhatTheyLeaveOut) {
  struct Case {
    const char* what;
    bool foreignKey;
    bool foreignValue;
  };
  for (const Case& c :
       {Case{"plain", false, false}, Case{"foreign key", true, false}, Case{"foreign value", false, true}}) {
    SCOPED_TRACE(c.what);
    test::SimHost machine{{.mapDriveC = false}};
    TFastRegistry reg;
    ASSERT_TRUE(reg.CreateKey("Software\\Tree\\plain"));
    ASSERT_TRUE(reg.OpenKey("Software\\Tree", false));
    ASSERT_EQ(reg.WriteString("v", "x"), kErrorSuccess);
    if (c.foreignKey) {
      ASSERT_TRUE(machine.Machine().Registry().AddForeignKey(kHkeyCurrentUser, "Software\\Tree"));
    }
    if (c.foreignValue) {
      ASSERT_TRUE(machine.Machine().Registry().AddForeignValue(kHkeyCurrentUser, "Software\\Tree"));
    }
    std::vector<std::string> keys;
    std::vector<std::string> values;
    std::vector<std::string> lenient;
    EXPECT_EQ(reg.GetKeyNamesComplete(keys), !c.foreignKey);
    EXPECT_EQ(reg.GetValueNamesComplete(values), !c.foreignValue);
    EXPECT_EQ(keys, std::vector<std::string>{"plain"});
    EXPECT_EQ(values, std::vector<std::string>{"v"});
    reg.GetKeyNames(lenient);
    EXPECT_EQ(lenient, keys);
    reg.GetValueNames(lenient);
    EXPECT_EQ(lenient, values);
    if (c.foreignKey) {
      reg.CloseKey();
      EXPECT_FALSE(reg.DeleteKey("Software\\Tree"));
      ASSERT_TRUE(reg.OpenKey("Software\\Tree", false));
      TRegKeyInfo info;
      ASSERT_TRUE(reg.GetKeyInfo(info));
      EXPECT_EQ(info.NumSubKeys, 1u);
    }
  }
  TFastRegistry closed;
  std::vector<std::string> names{"stale"};
  EXPECT_FALSE(closed.GetKeyNamesComplete(names));
  EXPECT_TRUE(names.empty());
}

TEST(FastRegistry, HandlesAreReleased) {
  test::SimHost machine{{.mapDriveC = false}};
  {
    TFastRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software", false));
    ASSERT_TRUE(reg.OpenKey("Classes", false));
    EXPECT_TRUE(reg.KeyExists("\\Software"));
    reg.DeleteKey("\\Software\\absent");
    std::vector<std::string> tree;
    reg.GetKeyTree(tree, "\\Software");
    EXPECT_EQ(machine.Machine().Registry().OpenHandleCount(), 1u);
  }
  EXPECT_EQ(machine.Machine().Registry().OpenHandleCount(), 0u);
}

TEST(RegistryPaths, RootNamesAndHandles) {
  struct Case {
    const char* name;
    RegHandle root;
    bool isRoot;
  };
  const Case cases[] = {
      {"HKEY_CLASSES_ROOT", kHkeyClassesRoot, true},
      {"hkey_current_user", kHkeyCurrentUser, true},
      {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine, true},
      {"Hkey_Users", kHkeyUsers, true},
      {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig, true},
      {"HKEY_DYN_DATA", kHkeyDynData, true},
      {"HKEY_PERFORMANCE_DATA", kNoKey, false},
      {"HKCU", kNoKey, false},
      {"HKEY_USERS ", kNoKey, false},
      {"", kNoKey, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameToRootKey(c.name), c.root) << c.name;
    EXPECT_EQ(IsRootKeyName(c.name), c.isRoot) << c.name;
  }
  EXPECT_EQ(RootKeyToName(kHkeyUsers), "HKEY_USERS");
  EXPECT_EQ(RootKeyToName(kHkeyDynData), "HKEY_DYN_DATA");
  EXPECT_EQ(RootKeyToName(kHkeyPerformanceData), "");
  EXPECT_EQ(RootKeyToName(0x1234), "");
}

TEST(RegistryPaths, AbbreviateKeyPath) {
  struct Case {
    const char* path;
    bool rootOnly;
    const char* expected;
  };
  const Case cases[] = {
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false,
       "HKLM\\Soft\\MSoft\\Win\\CurVer\\Run\\"},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", true,
       "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"},
      {"HKEY_USERS\\.DEFAULT\\\\Software", false, "HKUS\\.Def\\Soft\\"},
      {"Software\\System", false, "Software\\Sys\\"},
      {"hkey_classes_root\\x\\", false, "HKCL\\x\\"},
      {"HKEY_CURRENT_CONFIG\\Hardware\\Environment\\SessionInformation\\Default", false,
       "HKCC\\HWare\\Env\\SesInfo\\Def\\"},
      {"HKEY_DYN_DATA", false, "HKDD\\"},
      {"HKEY_CURRENT_USER\\HKEY_CURRENT_USER", false, "HKCU\\HKEY_CURRENT_USER\\"},
      {"", false, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AbbreviateKeyPath(c.path, c.rootOnly), c.expected) << c.path;
}

}  // namespace
}  // namespace vp
