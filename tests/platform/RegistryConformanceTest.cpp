#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/sim/SimRegistry.h"
#include "support/RegistryTestSupport.h"
#include "support/TestSupport.h"

// The registry seam as the real system shows it (under Wine) and as the
// simulation must show it. Situations Wine cannot produce run on a local
// simulated registry in both builds and say so.
namespace vp::platform {
namespace {

using test::ScratchKey;

// The names of a key's sub-keys, or of its values; the failed entries are
// left out (and collected when asked).
std::vector<std::string> SubKeyNames(Registry& registry, RegHandle key,
                                     std::vector<RegStatus>* failures = nullptr, bool values = false) {
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t index = 0; index < 100000; ++index) {
    const RegStatus status =
        values ? registry.EnumValue(key, index, name) : registry.EnumKey(key, index, name);
    if (status == kErrorNoMoreItems) break;
    if (status == kErrorSuccess)
      names.push_back(name);
    else if (failures)
      failures->push_back(status);
  }
  return names;
}

std::vector<std::string> ValueNames(Registry& registry, RegHandle key) {
  return SubKeyNames(registry, key, nullptr, true);
}

// A key handle closed at the end of the scope.
struct Key {
  Registry& registry;
  RegHandle handle = kNoKey;
  explicit Key(Registry& r) : registry(r) {}
  ~Key() {
    if (handle != kNoKey) registry.CloseKey(handle);
  }
};

// Each case works in a scratch key of its own.
class RegistryConformance : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch_.Ok()); }
  ScratchKey scratch_;
};

TEST_F(RegistryConformance, OpenAndCreateFollowThePathSyntax) {
  Key made(Reg()), again(Reg());
  bool created = false;
  ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), "one\\two", kKeyAllAccess, made.handle, &created),
            kErrorSuccess);
  EXPECT_TRUE(created);
  ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), "ONE\\two", kKeyAllAccess, again.handle, &created),
            kErrorSuccess);
  EXPECT_FALSE(created);
  struct Case {
    const char* path;
    RegStatus expected;
  };
  const Case cases[] = {
      {"one\\two", kErrorSuccess},   {"ONE\\Two", kErrorSuccess},
      {"one\\two\\", kErrorSuccess}, {"one\\\\two", kErrorSuccess},
      {"", kErrorSuccess},  // a new handle to the base itself
      {"\\one", kErrorBadPathname},  {"one\\three", kErrorFileNotFound},
  };
  for (const auto& c : cases) {
    Key key(Reg());
    EXPECT_EQ(Reg().OpenKey(scratch_.Handle(), c.path, kKeyRead, key.handle), c.expected) << c.path;
    EXPECT_EQ(key.handle == kNoKey, c.expected != kErrorSuccess) << c.path;
  }
  Key root(Reg());
  EXPECT_EQ(Reg().OpenKey(kHkeyDynData, "", kKeyRead, root.handle), kErrorSuccess);
}

TEST_F(RegistryConformance, ValuesKeepTypeAndBytes) {
  std::string everyByte;
  for (int i = 0; i < 256; ++i) everyByte.push_back(static_cast<char>(i));
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string data;
  };
  const Case cases[] = {
      {"sz", kRegSz, std::string("abc\0", 4)},
      {"embedded nul", kRegSz, std::string("abc\0def\0", 8)},
      {"unterminated", kRegSz, "abc"},
      {"empty sz", kRegSz, ""},
      {"code page", kRegSz, std::string("\xE4\xF6\xFC \x80 \x9F \xFF\0", 11)},
      {"expand", kRegExpandSz, std::string("%SystemRoot%\\x\0", 15)},
      {"multi", kRegMultiSz, std::string("a\0b\0\0", 5)},
      {"dword", kRegDword, std::string("\xFF\xFF\xFF\xFF", 4)},
      {"short dword", kRegDword, std::string("\x01\x02", 2)},
      {"binary", kRegBinary, everyByte},
      {"none", kRegNone, ""},
      {"qword", kRegQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {"", kRegSz, std::string("default\0", 8)},
      {"large", kRegBinary, std::string(100000, '\x5A')},
  };
  for (const auto& c : cases)
    ASSERT_EQ(Reg().SetValue(scratch_.Handle(), c.name, c.type, c.data), kErrorSuccess) << c.name;
  for (const auto& c : cases) {
    std::uint32_t type = 0xFFFF;
    std::string data;
    ASSERT_EQ(Reg().QueryValue(scratch_.Handle(), c.name, &type, &data), kErrorSuccess) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
  // The enumeration with data gives the same, the large value included.
  size_t listed = 0;
  std::string name, data;
  std::uint32_t type = 0;
  for (std::uint32_t index = 0;
       Reg().EnumValue(scratch_.Handle(), index, name, &type, &data) == kErrorSuccess; ++index, ++listed) {
    const auto c =
        std::find_if(std::begin(cases), std::end(cases), [&](const Case& k) { return name == k.name; });
    ASSERT_NE(c, std::end(cases)) << name;
    EXPECT_EQ(type, c->type) << name;
    EXPECT_EQ(data, c->data) << name;
  }
  EXPECT_EQ(listed, std::size(cases));
  EXPECT_EQ(Reg().QueryValue(scratch_.Handle(), "absent", &type, nullptr), kErrorFileNotFound);
}

TEST_F(RegistryConformance, NamesIgnoreCaseAndKeepTheirSpelling) {
  Key made(Reg());
  ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), "MixedCase\xE4", kKeyAllAccess, made.handle), kErrorSuccess);
  ASSERT_EQ(Reg().SetValue(scratch_.Handle(), "ValueName", kRegDword, std::string(4, '\0')), kErrorSuccess);
  ASSERT_EQ(Reg().SetValue(scratch_.Handle(), "VALUENAME", kRegDword, std::string("\x07\0\0\0", 4)),
            kErrorSuccess);

  Key upper(Reg());
  EXPECT_EQ(Reg().OpenKey(scratch_.Handle(), "MIXEDCASE\xC4", kKeyRead, upper.handle), kErrorSuccess);
  EXPECT_EQ(SubKeyNames(Reg(), scratch_.Handle()), std::vector<std::string>{"MixedCase\xE4"});
  EXPECT_EQ(ValueNames(Reg(), scratch_.Handle()), std::vector<std::string>{"ValueName"});
  std::string data;
  ASSERT_EQ(Reg().QueryValue(scratch_.Handle(), "valuename", nullptr, &data), kErrorSuccess);
  EXPECT_EQ(data, std::string("\x07\0\0\0", 4));
}

TEST_F(RegistryConformance, SubKeysEnumerateSortedWithoutRegardToCase) {
  for (const char* name : {"b", "C", "a1", "A", "B2"}) {
    Key key(Reg());
    ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), name, kKeyAllAccess, key.handle), kErrorSuccess);
  }
  EXPECT_EQ(SubKeyNames(Reg(), scratch_.Handle()), (std::vector<std::string>{"A", "a1", "b", "B2", "C"}));
  // Values: Windows keeps creation order, Wine sorts; compare as sets.
  for (const char* name : {"z", "y", "x"})
    ASSERT_EQ(Reg().SetValue(scratch_.Handle(), name, kRegNone, ""), kErrorSuccess);
  auto values = ValueNames(Reg(), scratch_.Handle());
  EXPECT_EQ(std::set<std::string>(values.begin(), values.end()), (std::set<std::string>{"x", "y", "z"}));
}

TEST_F(RegistryConformance, InvalidAndExhaustedHandles) {
  std::string name;
  EXPECT_EQ(Reg().EnumKey(scratch_.Handle(), 0, name), kErrorNoMoreItems);
  EXPECT_EQ(Reg().EnumValue(scratch_.Handle(), 0, name), kErrorNoMoreItems);

  RegHandle key = kNoKey;
  ASSERT_EQ(Reg().OpenKey(scratch_.Handle(), "", kKeyRead, key), kErrorSuccess);
  EXPECT_EQ(Reg().CloseKey(key), kErrorSuccess);
  EXPECT_EQ(Reg().CloseKey(key), kErrorInvalidHandle);
  EXPECT_EQ(Reg().QueryValue(key, "", nullptr, nullptr), kErrorInvalidHandle);
  EXPECT_EQ(Reg().EnumKey(key, 0, name), kErrorInvalidHandle);
  RegKeyInfo info;
  EXPECT_EQ(Reg().QueryKeyInfo(key, info), kErrorInvalidHandle);
  EXPECT_EQ(Reg().CloseKey(kHkeyLocalMachine), kErrorSuccess);  // roots are never closed
  Key software(Reg());
  EXPECT_EQ(Reg().OpenKey(kHkeyLocalMachine, "Software", kKeyRead, software.handle), kErrorSuccess);
}

// An owned handle is closed exactly once: by its last owner, never by one it
// was moved from, and before a handle replacing it is lost.
TEST_F(RegistryConformance, OwnedKeysCloseOnce) {
  RegHandle moved = kNoKey;
  {
    RegKey first;
    ASSERT_EQ(Reg().Open(scratch_.Handle(), "", kKeyRead, first), kErrorSuccess);
    moved = first.Get();
    RegKey second(std::move(first));
    RegKey third;
    third = std::move(second);
    std::string name;
    EXPECT_EQ(Reg().EnumKey(moved, 0, name), kErrorNoMoreItems);  // still open
  }
  EXPECT_EQ(Reg().CloseKey(moved), kErrorInvalidHandle);

  // A key opened below the handle it replaces: the base is closed only after.
  RegKey key;
  ASSERT_EQ(Reg().Open(scratch_.Handle(), "", kKeyAllAccess, key), kErrorSuccess);
  const RegHandle base = key.Get();
  ASSERT_EQ(Reg().Create(base, "child", kKeyAllAccess, key), kErrorSuccess);
  EXPECT_EQ(Reg().CloseKey(base), kErrorInvalidHandle);
  EXPECT_EQ(Reg().SetValue(key.Get(), "v", kRegDword, std::string(4, '\0')), kErrorSuccess);
  EXPECT_EQ(Reg().Open(key.Get(), "missing", kKeyRead, key), kErrorFileNotFound);
  EXPECT_FALSE(key);
}

TEST_F(RegistryConformance, HandleAccessIsEnforced) {
  Key reader(Reg());
  ASSERT_EQ(Reg().OpenKey(kHkeyCurrentUser, scratch_.Path(), kKeyRead, reader.handle), kErrorSuccess);
  EXPECT_EQ(Reg().SetValue(reader.handle, "v", kRegSz, std::string("x\0", 2)), kErrorAccessDenied);
  ASSERT_EQ(Reg().SetValue(scratch_.Handle(), "v", kRegSz, std::string("x\0", 2)), kErrorSuccess);
  EXPECT_EQ(Reg().DeleteValue(reader.handle, "v"), kErrorAccessDenied);
  EXPECT_EQ(Reg().QueryValue(reader.handle, "v", nullptr, nullptr), kErrorSuccess);

  Key setOnly(Reg());
  ASSERT_EQ(Reg().OpenKey(kHkeyCurrentUser, scratch_.Path(), kKeySetValue, setOnly.handle), kErrorSuccess);
  EXPECT_EQ(Reg().QueryValue(setOnly.handle, "v", nullptr, nullptr), kErrorAccessDenied);
  std::string name;
  EXPECT_EQ(Reg().EnumKey(setOnly.handle, 0, name), kErrorAccessDenied);
}

TEST_F(RegistryConformance, KeyInfoDescribesTheKey) {
  RegKeyInfo before;
  ASSERT_EQ(Reg().QueryKeyInfo(scratch_.Handle(), before), kErrorSuccess);
  EXPECT_EQ(before.subKeys, 0u);
  EXPECT_EQ(before.values, 0u);
  EXPECT_NE(before.lastWriteTime, 0u);

  for (const char* name : {"short", "a rather longer name"}) {
    Key key(Reg());
    ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), name, kKeyAllAccess, key.handle), kErrorSuccess);
  }
  ASSERT_EQ(Reg().SetValue(scratch_.Handle(), "v", kRegBinary, std::string(300, 'x')), kErrorSuccess);
  ASSERT_EQ(Reg().SetValue(scratch_.Handle(), "value name 18 long", kRegDword, std::string(4, 'x')),
            kErrorSuccess);
  RegKeyInfo info;
  ASSERT_EQ(Reg().QueryKeyInfo(scratch_.Handle(), info), kErrorSuccess);
  EXPECT_EQ(info.subKeys, 2u);
  EXPECT_EQ(info.maxSubKeyLength, 20u);
  EXPECT_EQ(info.values, 2u);
  EXPECT_EQ(info.maxValueNameLength, 18u);
  EXPECT_EQ(info.maxValueDataSize, 300u);
  EXPECT_GE(info.lastWriteTime, before.lastWriteTime);
}

TEST_F(RegistryConformance, SubKeyInfoMatchesTheOpenedSubKey) {
  struct Child {
    const char* name;
    int subKeys;
    int values;
  };
  const Child children[] = {{"branch", 2, 3}, {"leaf", 0, 0}, {"valued leaf", 0, 1}};
  for (const Child& child : children) {
    Key made(Reg());
    ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), child.name, kKeyAllAccess, made.handle), kErrorSuccess);
    for (int i = 0; i < child.subKeys; ++i) {
      Key sub(Reg());
      ASSERT_EQ(Reg().CreateKey(made.handle, "sub key " + std::to_string(i), kKeyAllAccess, sub.handle),
                kErrorSuccess);
    }
    for (int i = 0; i < child.values; ++i)
      ASSERT_EQ(
          Reg().SetValue(made.handle, "value" + std::to_string(i), kRegBinary, std::string(10 + i, 'x')),
          kErrorSuccess);
  }

  Key reader(Reg());
  ASSERT_EQ(Reg().OpenKey(kHkeyCurrentUser, scratch_.Path(), kKeyRead, reader.handle), kErrorSuccess);
  for (std::uint32_t index = 0; index < 3; ++index) {
    std::string name;
    ASSERT_EQ(Reg().EnumKey(reader.handle, index, name), kErrorSuccess);
    RegKeyInfo described, opened;
    ASSERT_EQ(Reg().QuerySubKeyInfo(reader.handle, index, described), kErrorSuccess) << name;
    Key child(Reg());
    ASSERT_EQ(Reg().OpenKey(reader.handle, name, kKeyRead, child.handle), kErrorSuccess);
    ASSERT_EQ(Reg().QueryKeyInfo(child.handle, opened), kErrorSuccess);
    EXPECT_EQ(described.subKeys, opened.subKeys) << name;
    EXPECT_EQ(described.values, opened.values) << name;
    EXPECT_EQ(described.maxSubKeyLength, opened.maxSubKeyLength) << name;
    EXPECT_EQ(described.maxValueNameLength, opened.maxValueNameLength) << name;
    EXPECT_EQ(described.maxValueDataSize, opened.maxValueDataSize) << name;
    EXPECT_EQ(described.lastWriteTime, opened.lastWriteTime) << name;
  }
  RegKeyInfo past;
  EXPECT_EQ(Reg().QuerySubKeyInfo(reader.handle, 3, past), kErrorNoMoreItems);

  Key valuesOnly(Reg());
  ASSERT_EQ(Reg().OpenKey(kHkeyCurrentUser, scratch_.Path(), kKeyQueryValue, valuesOnly.handle),
            kErrorSuccess);
  EXPECT_EQ(Reg().QuerySubKeyInfo(valuesOnly.handle, 0, past), kErrorAccessDenied);
}

TEST_F(RegistryConformance, KeyWithSubKeysCannotBeDeleted) {
  Key deep(Reg());
  ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), "a\\b\\c", kKeyAllAccess, deep.handle), kErrorSuccess);
  EXPECT_EQ(Reg().DeleteKey(scratch_.Handle(), "a"), kErrorAccessDenied);
  EXPECT_EQ(Reg().DeleteKey(scratch_.Handle(), "a\\b\\c"), kErrorSuccess);
  EXPECT_EQ(Reg().DeleteKey(scratch_.Handle(), "a\\b"), kErrorSuccess);
  EXPECT_EQ(Reg().DeleteKey(scratch_.Handle(), "a"), kErrorSuccess);
  EXPECT_EQ(Reg().DeleteKey(scratch_.Handle(), "a"), kErrorFileNotFound);
}

TEST_F(RegistryConformance, HandleOfADeletedKeyReportsItDeleted) {
  Key victim(Reg());
  ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), "victim", kKeyAllAccess, victim.handle), kErrorSuccess);
  ASSERT_EQ(Reg().SetValue(victim.handle, "v", kRegSz, std::string("x\0", 2)), kErrorSuccess);
  ASSERT_EQ(Reg().DeleteKey(scratch_.Handle(), "victim"), kErrorSuccess);

  std::string name;
  RegKeyInfo info;
  EXPECT_EQ(Reg().QueryValue(victim.handle, "v", nullptr, nullptr), kErrorKeyDeleted);
  EXPECT_EQ(Reg().SetValue(victim.handle, "v", kRegSz, std::string("y\0", 2)), kErrorKeyDeleted);
  EXPECT_EQ(Reg().EnumValue(victim.handle, 0, name), kErrorKeyDeleted);
  EXPECT_EQ(Reg().QueryKeyInfo(victim.handle, info), kErrorKeyDeleted);
  Key child(Reg());
  EXPECT_EQ(Reg().CreateKey(victim.handle, "child", kKeyAllAccess, child.handle), kErrorKeyDeleted);
  EXPECT_EQ(Reg().CloseKey(victim.handle), kErrorSuccess);
  victim.handle = kNoKey;
  // A new key of the same name is a different key.
  Key again(Reg());
  ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), "victim", kKeyAllAccess, again.handle), kErrorSuccess);
  EXPECT_EQ(Reg().QueryValue(again.handle, "v", nullptr, nullptr), kErrorFileNotFound);
}

TEST_F(RegistryConformance, LongNamesEnumerateWhole) {
  auto* sim = dynamic_cast<sim::SimRegistry*>(&Reg());
  if (sim) sim->SetMaxKeyNameLength(256);  // as Wine accepts; Windows stops at 255
  const test::AtScopeEnd restoreLimit([sim] {
    if (sim) sim->SetMaxKeyNameLength(255);
  });

  const std::string name255(255, 'k');
  const std::string name256 = std::string(255, 'l') + "m";
  const std::string valueName(2000, 'v');
  for (const auto& name : {name255, name256}) {
    Key key(Reg());
    ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), name, kKeyAllAccess, key.handle), kErrorSuccess)
        << name.size();
  }
  ASSERT_EQ(Reg().SetValue(scratch_.Handle(), valueName, kRegDword, std::string(4, '\0')), kErrorSuccess);
  EXPECT_EQ(SubKeyNames(Reg(), scratch_.Handle()), (std::vector<std::string>{name255, name256}));
  EXPECT_EQ(ValueNames(Reg(), scratch_.Handle()), std::vector<std::string>{valueName});
  RegKeyInfo info;
  ASSERT_EQ(Reg().QueryKeyInfo(scratch_.Handle(), info), kErrorSuccess);
  EXPECT_EQ(info.maxSubKeyLength, 256u);
  for (const auto& name : {name255, name256})
    EXPECT_EQ(Reg().DeleteKey(scratch_.Handle(), name), kErrorSuccess);
}

// A stock installation names a sub-key of this key by emoji: the key must be
// left out, never read as question marks.
TEST_F(RegistryConformance, NamesOutsideTheCodePageAreLeftOut) {
  Key international(Reg());
  ASSERT_EQ(Reg().OpenKey(kHkeyCurrentUser, "Control Panel\\International", kKeyRead, international.handle),
            kErrorSuccess);
  std::vector<RegStatus> failures;
  const auto names = SubKeyNames(Reg(), international.handle, &failures);
  EXPECT_NE(std::find(names.begin(), names.end(), "Geo"), names.end());
  EXPECT_EQ(failures, std::vector<RegStatus>{kErrorNoUnicodeTranslation});
  for (const auto& name : names) {
    EXPECT_EQ(name.find('?'), std::string::npos) << name;
    Key sub(Reg());
    EXPECT_EQ(Reg().OpenKey(international.handle, name, kKeyRead, sub.handle), kErrorSuccess) << name;
  }
  RegKeyInfo info;
  ASSERT_EQ(Reg().QueryKeyInfo(international.handle, info), kErrorSuccess);
  EXPECT_EQ(info.subKeys, names.size() + 1);
  // Described from the parent, the sub-key without a name is no exception.
  for (std::uint32_t index = 0; index < info.subKeys; ++index) {
    RegKeyInfo described;
    EXPECT_EQ(Reg().QuerySubKeyInfo(international.handle, index, described), kErrorSuccess) << index;
  }
}

TEST_F(RegistryConformance, CurrentUserIsAViewOfTheUsersSid) {
  ASSERT_EQ(Reg().SetValue(scratch_.Handle(), "marker", kRegSz, std::string("here\0", 5)), kErrorSuccess);
  Key defaultUser(Reg());
  EXPECT_EQ(Reg().OpenKey(kHkeyUsers, ".DEFAULT", kKeyRead, defaultUser.handle), kErrorSuccess);

  int seen = 0;
  for (const auto& sid : SubKeyNames(Reg(), kHkeyUsers)) {
    if (sid.rfind("S-1-5-21-", 0) != 0) continue;
    Key view(Reg());
    if (Reg().OpenKey(kHkeyUsers, sid + "\\" + scratch_.Path(), kKeyAllAccess, view.handle) != kErrorSuccess)
      continue;
    ++seen;
    std::string data;
    ASSERT_EQ(Reg().QueryValue(view.handle, "marker", nullptr, &data), kErrorSuccess);
    EXPECT_EQ(data, std::string("here\0", 5));
    // A change through one path shows through the other.
    ASSERT_EQ(Reg().SetValue(view.handle, "second", kRegDword, std::string(4, '\1')), kErrorSuccess);
    EXPECT_EQ(Reg().QueryValue(scratch_.Handle(), "second", nullptr, nullptr), kErrorSuccess);
  }
  EXPECT_EQ(seen, 1);
}

TEST_F(RegistryConformance, ClassesRootShowsTheMachineClasses) {
  const std::string name = "VeltaroTest.ClassesRootShowsTheMachineClasses";
  const test::AtScopeEnd removeKey(
      [&] { test::DeleteRegistryTree(Reg(), kHkeyLocalMachine, "Software\\Classes\\" + name); });
  Key machine(Reg());
  ASSERT_EQ(Reg().CreateKey(kHkeyLocalMachine, "Software\\Classes\\" + name, kKeyAllAccess, machine.handle),
            kErrorSuccess);
  ASSERT_EQ(Reg().SetValue(machine.handle, "", kRegSz, std::string("machine\0", 8)), kErrorSuccess);
  Key classes(Reg());
  EXPECT_EQ(Reg().OpenKey(kHkeyClassesRoot, name, kKeyRead, classes.handle), kErrorSuccess);
  std::string data;
  EXPECT_EQ(Reg().QueryValue(classes.handle, "", nullptr, &data), kErrorSuccess);
  EXPECT_EQ(data, std::string("machine\0", 8));
  const auto names = SubKeyNames(Reg(), kHkeyClassesRoot);
  EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return Sys().UpperCase(a) < Sys().UpperCase(b);
  }));
  EXPECT_EQ(Reg().DeleteKey(kHkeyLocalMachine, "Software\\Classes\\" + name), kErrorSuccess);
}

// The system's name of the key at path, opened with the given view flag;
// empty when it does not open.
std::string KeyName(RegHandle root, const std::string& path, std::uint32_t view = 0) {
  Key key(Reg());
  if (Reg().OpenKey(root, path, kKeyRead | view, key.handle) != kErrorSuccess) return {};
  std::string name;
  EXPECT_EQ(Reg().QueryKeyName(key.handle, name), kErrorSuccess) << path;
  return Sys().UpperCase(name);
}

TEST_F(RegistryConformance, KeyNamesAreTheSystemsOwn) {
  const std::string user = KeyName(kHkeyCurrentUser, scratch_.Path());
  EXPECT_EQ(user.rfind("\\REGISTRY\\USER\\S-1-5-21-", 0), 0u) << user;
  const std::string tail = Sys().UpperCase("\\" + scratch_.Path());
  EXPECT_EQ(user.substr(user.size() - std::min(user.size(), tail.size())), tail);
  EXPECT_EQ(KeyName(kHkeyLocalMachine, "Software\\Microsoft"), "\\REGISTRY\\MACHINE\\SOFTWARE\\MICROSOFT");
  EXPECT_EQ(KeyName(kHkeyClassesRoot, "CLSID"), KeyName(kHkeyLocalMachine, "Software\\Classes\\CLSID"));
  std::string name;
  EXPECT_EQ(Reg().QueryKeyName(kHkeyLocalMachine, name), kErrorInvalidParameter);
}

// Keys a 32-bit program creates go below Wow6432Node; a 64-bit program
// reaches them there by name.
TEST_F(RegistryConformance, TheThirtyTwoBitViewLiesBelowWow6432Node) {
  const std::string name = "VeltaroTest.Wow64View";
  const test::AtScopeEnd removeKey(
      [&] { test::DeleteRegistryTree(Reg(), kHkeyLocalMachine, "Software\\Wow6432Node\\" + name); });
  Key made(Reg());
  bool created = false;
  ASSERT_EQ(Reg().CreateKey(kHkeyLocalMachine, "Software\\" + name + "\\inner",
                            kKeyAllAccess | kKeyWow64_32Key, made.handle, &created),
            kErrorSuccess);
  EXPECT_TRUE(created);
  std::string madeName;
  ASSERT_EQ(Reg().QueryKeyName(made.handle, madeName), kErrorSuccess);
  const std::string inner32 = "Software\\Wow6432Node\\" + name + "\\inner";
  EXPECT_EQ(Sys().UpperCase(madeName), Sys().UpperCase("\\REGISTRY\\MACHINE\\" + inner32));
  struct Case {
    const char* path;  // below Software
    std::uint32_t view;
    bool opens;
  };
  const Case cases[] = {
      {"%\\inner", kKeyWow64_32Key, true},
      {"Wow6432Node\\%\\inner", 0, true},
      {"Wow6432Node\\%\\inner", kKeyWow64_32Key, true},  // named, not redirected twice
      {"Wow6432Node\\%\\inner", kKeyWow64_64Key, true},
      {"%\\inner", 0, false},
      {"%\\inner", kKeyWow64_64Key, false},
  };
  for (const Case& c : cases) {
    std::string path = std::string("Software\\") + c.path;
    path.replace(path.find('%'), 1, name);
    SCOPED_TRACE(path + " view " + std::to_string(c.view));
    const std::string reached = KeyName(kHkeyLocalMachine, path, c.view);
    EXPECT_EQ(reached.empty() ? "" : reached, c.opens ? Sys().UpperCase(madeName) : "");
  }
  EXPECT_EQ(Reg().DeleteKey(kHkeyLocalMachine, inner32), kErrorSuccess);
  EXPECT_EQ(Reg().DeleteKey(kHkeyLocalMachine, "Software\\Wow6432Node\\" + name), kErrorSuccess);
}

// What a stock 64-bit installation shares between the views (links under
// Wow6432Node to the 64-bit key) and what it keeps apart.
TEST_F(RegistryConformance, SharedKeysAreReachedFromBothViews) {
  struct Case {
    RegHandle root;
    const char* path;
    const char* path32;  // the 32-bit key by name
    bool shared;
  };
  const Case cases[] = {
      {kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
       "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
      {kHkeyLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
       "Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", true},
      {kHkeyClassesRoot, "TypeLib", "Wow6432Node\\TypeLib", true},
      {kHkeyClassesRoot, "AppID", "Wow6432Node\\AppID", true},
      {kHkeyClassesRoot, "CLSID", "Wow6432Node\\CLSID", false},
      {kHkeyClassesRoot, "Interface", "Wow6432Node\\Interface", false},
      {kHkeyLocalMachine, "Software\\Classes", "Software\\Classes\\Wow6432Node", false},
      {kHkeyLocalMachine, "Software\\Classes\\CLSID", "Software\\Wow6432Node\\Classes\\CLSID", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string name64 = KeyName(c.root, c.path);
    const std::string name32 = KeyName(c.root, c.path, kKeyWow64_32Key);
    ASSERT_FALSE(name64.empty());
    EXPECT_EQ(KeyName(c.root, c.path, kKeyWow64_64Key), name64);
    EXPECT_EQ(KeyName(c.root, c.path32), name32);
    EXPECT_EQ(name64.find("WOW6432NODE"), std::string::npos);
    EXPECT_EQ(name32 == name64, c.shared);
  }
}

TEST_F(RegistryConformance, ManyReadersAndAWriter) {
  for (int i = 0; i < 20; ++i) {
    Key key(Reg());
    ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), "k" + std::to_string(i), kKeyAllAccess, key.handle),
              kErrorSuccess);
  }
  std::atomic<bool> stop{false};
  std::atomic<int> badReads{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 16; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        RegHandle key = kNoKey;
        if (Reg().OpenKey(kHkeyCurrentUser, scratch_.Path(), kKeyRead, key) != kErrorSuccess) {
          ++badReads;
          continue;
        }
        std::string name;
        for (std::uint32_t index = 0; Reg().EnumKey(key, index, name) == kErrorSuccess; ++index)
          if (name.empty() || name[0] != 'k') ++badReads;
        std::string data;
        const RegStatus status = Reg().QueryValue(key, "counter", nullptr, &data);
        if (status == kErrorSuccess && data.size() != 4) ++badReads;
        Reg().CloseKey(key);
      }
    });
  }
  for (int i = 0; i < 200; ++i) {
    const std::string data(4, static_cast<char>(i));
    ASSERT_EQ(Reg().SetValue(scratch_.Handle(), "counter", kRegDword, data), kErrorSuccess);
    Key extra(Reg());
    ASSERT_EQ(Reg().CreateKey(scratch_.Handle(), "kx", kKeyAllAccess, extra.handle), kErrorSuccess);
    ASSERT_EQ(Reg().DeleteKey(scratch_.Handle(), "kx"), kErrorSuccess);
  }
  stop = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(badReads.load(), 0);
}

// Wine grants every access to every key: keys made read-only or refused live
// on a local simulated registry in both builds.
// A link (as the system makes for the keys both views share) lists and
// describes itself; an open, and an open below it, follow it; deleting it
// deletes the link alone.
TEST_F(RegistryConformance, SimulatedLinksFollowedByOpensOnly) {
  sim::SimRegistry registry;
  Key target(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyLocalMachine, "Software\\Shared\\Inner", kKeyAllAccess, target.handle),
            kErrorSuccess);
  ASSERT_EQ(
      registry.CreateKey(kHkeyLocalMachine, "Software\\Wow6432Node\\Other", kKeyAllAccess, target.handle),
      kErrorSuccess);
  ASSERT_TRUE(registry.AddLink(kHkeyLocalMachine, "Software\\Wow6432Node\\Shared", kHkeyLocalMachine,
                               "Software\\Shared"));
  EXPECT_FALSE(registry.AddLink(kHkeyLocalMachine, "Software\\Wow6432Node\\Shared", kHkeyLocalMachine,
                                "Software\\Shared"));  // taken
  EXPECT_FALSE(registry.AddLink(kHkeyLocalMachine, "Software\\Wow6432Node\\Gone", kHkeyLocalMachine,
                                "Software\\Gone"));  // no target

  Key wow64(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\Wow6432Node", kKeyRead, wow64.handle),
            kErrorSuccess);
  const std::vector<std::string> names = SubKeyNames(registry, wow64.handle);
  const auto shared = std::find(names.begin(), names.end(), "Shared");
  ASSERT_NE(shared, names.end());
  RegKeyInfo info;
  ASSERT_EQ(registry.QuerySubKeyInfo(wow64.handle, static_cast<std::uint32_t>(shared - names.begin()), info),
            kErrorSuccess);
  EXPECT_EQ(info.subKeys, 0u);
  EXPECT_EQ(info.values, 1u);  // the link's own value

  for (const char* path : {"Software\\Wow6432Node\\Shared\\Inner", "Software\\Shared\\Inner"}) {
    Key inner(registry);
    ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, path, kKeyRead, inner.handle), kErrorSuccess) << path;
    std::string name;
    ASSERT_EQ(registry.QueryKeyName(inner.handle, name), kErrorSuccess);
    EXPECT_EQ(name, "\\REGISTRY\\MACHINE\\Software\\Shared\\Inner");
  }
  Key viaView(registry);
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\Shared\\Inner", kKeyRead | kKeyWow64_32Key,
                             viaView.handle),
            kErrorSuccess);

  EXPECT_EQ(registry.DeleteKey(kHkeyLocalMachine, "Software\\Wow6432Node\\Shared"), kErrorSuccess);
  Key still(registry);
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\Shared\\Inner", kKeyRead, still.handle),
            kErrorSuccess);
  EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\Shared\\Inner", kKeyRead | kKeyWow64_32Key,
                             still.handle),
            kErrorFileNotFound);
}

TEST_F(RegistryConformance, SimulatedReadOnlyAndRefusedKeys) {
  sim::SimRegistry registry;
  const std::string base = "Software\\Restricted";
  Key made(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, base + "\\Locked\\Inner", kKeyAllAccess, made.handle),
            kErrorSuccess);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, base + "\\Refused", kKeyAllAccess, made.handle),
            kErrorSuccess);
  ASSERT_TRUE(registry.SetKeyAccess(kHkeyCurrentUser, base + "\\Locked", sim::SimKeyAccess::kReadOnly));
  ASSERT_TRUE(registry.SetKeyAccess(kHkeyCurrentUser, base + "\\Refused", sim::SimKeyAccess::kNoOpen));

  struct Case {
    const char* path;
    std::uint32_t access;
    RegStatus expected;
  };
  const Case opens[] = {
      {"Locked", kKeyRead, kErrorSuccess},          {"Locked", kKeyAllAccess, kErrorAccessDenied},
      {"Locked", kKeySetValue, kErrorAccessDenied}, {"Locked\\Inner", kKeyAllAccess, kErrorSuccess},
      {"Refused", kKeyRead, kErrorAccessDenied},    {"Refused", kKeyQueryValue, kErrorAccessDenied},
  };
  for (const auto& c : opens) {
    Key key(registry);
    EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, base + "\\" + c.path, c.access, key.handle), c.expected)
        << c.path << " " << c.access;
  }
  Key created(registry);
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, base + "\\Locked\\New", kKeyAllAccess, created.handle),
            kErrorAccessDenied);
  EXPECT_EQ(registry.DeleteKey(kHkeyCurrentUser, base + "\\Refused"), kErrorAccessDenied);
  // Both still enumerate from their parent.
  Key parent(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, base, kKeyRead, parent.handle), kErrorSuccess);
  EXPECT_EQ(SubKeyNames(registry, parent.handle), (std::vector<std::string>{"Locked", "Refused"}));
}

TEST_F(RegistryConformance, SimulatedClassesRootMergesUserAndMachine) {
  // Wine maps HKEY_CLASSES_ROOT to the machine's classes only.
  sim::SimRegistry registry;
  auto create = [&registry](RegHandle root, const std::string& path, const char* value) {
    Key key(registry);
    ASSERT_EQ(registry.CreateKey(root, path, kKeyAllAccess, key.handle), kErrorSuccess);
    if (value) {
      ASSERT_EQ(registry.SetValue(key.handle, "", kRegSz, std::string(value) + '\0'), kErrorSuccess);
    }
  };
  create(kHkeyLocalMachine, "Software\\Classes\\.both", "machine");
  create(kHkeyLocalMachine, "Software\\Classes\\.both\\MachineOnlySub", nullptr);
  create(kHkeyCurrentUser, "Software\\Classes\\.BOTH", "user");
  create(kHkeyLocalMachine, "Software\\Classes\\.machine", "machine");
  create(kHkeyCurrentUser, "Software\\Classes\\.user", "user");
  create(kHkeyCurrentUser, "Software\\Classes\\.a", nullptr);
  create(kHkeyLocalMachine, "Software\\Classes\\.z", nullptr);

  // Beside the stock class keys and the 32-bit view's.
  EXPECT_EQ(SubKeyNames(registry, kHkeyClassesRoot),
            (std::vector<std::string>{".a", ".BOTH", ".machine", ".user", ".z", "AppID", "CLSID", "Interface",
                                      "TypeLib", "Wow6432Node"}));
  struct Read {
    const char* path;
    const char* expected;
  };
  const Read reads[] = {{".both", "user"}, {".machine", "machine"}, {".user", "user"}};
  for (const auto& r : reads) {
    Key key(registry);
    ASSERT_EQ(registry.OpenKey(kHkeyClassesRoot, r.path, kKeyRead, key.handle), kErrorSuccess) << r.path;
    std::string data;
    ASSERT_EQ(registry.QueryValue(key.handle, "", nullptr, &data), kErrorSuccess);
    EXPECT_EQ(data, std::string(r.expected) + '\0') << r.path;
  }
  Key both(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyClassesRoot, ".both", kKeyAllAccess, both.handle), kErrorSuccess);
  EXPECT_EQ(SubKeyNames(registry, both.handle), std::vector<std::string>{"MachineOnlySub"});
  RegKeyInfo info;
  ASSERT_EQ(registry.QueryKeyInfo(kHkeyClassesRoot, info), kErrorSuccess);
  EXPECT_EQ(info.subKeys, 10u);

  // Writes: values to the user's key where it exists, else the machine's;
  // new keys to the machine part.
  ASSERT_EQ(registry.SetValue(both.handle, "w", kRegSz, std::string("1\0", 2)), kErrorSuccess);
  Key machineOnly(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyClassesRoot, ".machine", kKeyAllAccess, machineOnly.handle), kErrorSuccess);
  ASSERT_EQ(registry.SetValue(machineOnly.handle, "w", kRegSz, std::string("2\0", 2)), kErrorSuccess);
  create(kHkeyClassesRoot, ".new\\sub", nullptr);
  Key userOnly(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyClassesRoot, ".user", kKeyAllAccess, userOnly.handle), kErrorSuccess);
  Key below(registry);
  ASSERT_EQ(registry.CreateKey(userOnly.handle, "below", kKeyAllAccess, below.handle), kErrorSuccess);
  struct Where {
    RegHandle root;
    const char* path;
    const char* value;
    RegStatus expected;
  };
  const Where checks[] = {
      {kHkeyCurrentUser, "Software\\Classes\\.both", "w", kErrorSuccess},
      {kHkeyLocalMachine, "Software\\Classes\\.both", "w", kErrorFileNotFound},
      {kHkeyLocalMachine, "Software\\Classes\\.machine", "w", kErrorSuccess},
      {kHkeyLocalMachine, "Software\\Classes\\.new\\sub", nullptr, kErrorSuccess},
      {kHkeyCurrentUser, "Software\\Classes\\.new", nullptr, kErrorFileNotFound},
      {kHkeyCurrentUser, "Software\\Classes\\.user\\below", nullptr, kErrorSuccess},
  };
  for (const auto& c : checks) {
    Key key(registry);
    const RegStatus open = registry.OpenKey(c.root, c.path, kKeyRead, key.handle);
    const RegStatus status =
        c.value && open == kErrorSuccess ? registry.QueryValue(key.handle, c.value, nullptr, nullptr) : open;
    EXPECT_EQ(status, c.expected) << c.path;
  }
}

TEST_F(RegistryConformance, SimulatedForeignValueNamesAndData) {
  // Under Wine these are made through the wide functions in the Windows-only test.
  sim::SimRegistry registry;
  Key key(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Software\\Foreign", kKeyAllAccess, key.handle),
            kErrorSuccess);
  ASSERT_EQ(registry.SetValue(key.handle, "plain", kRegSz, std::string("x\0", 2)), kErrorSuccess);
  ASSERT_TRUE(registry.AddForeignValue(kHkeyCurrentUser, "Software\\Foreign"));
  ASSERT_TRUE(registry.SetForeignTextValue(kHkeyCurrentUser, "Software\\Foreign", "foreign data"));
  std::string name;
  std::vector<RegStatus> statuses;
  for (std::uint32_t index = 0; index < 3; ++index)
    statuses.push_back(registry.EnumValue(key.handle, index, name));
  EXPECT_EQ(statuses, (std::vector<RegStatus>{kErrorSuccess, kErrorNoUnicodeTranslation, kErrorSuccess}));
  std::string data;
  EXPECT_EQ(registry.QueryValue(key.handle, "foreign data", nullptr, &data), kErrorNoUnicodeTranslation);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(registry.EnumValue(key.handle, 2, name, nullptr, &data), kErrorNoUnicodeTranslation);
}

TEST_F(RegistryConformance, SimulatedClockStampsChanges) {
  sim::SimRegistry registry;
  registry.SetClock(1000);
  Key key(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Software\\Clock", kKeyAllAccess, key.handle),
            kErrorSuccess);
  RegKeyInfo created, changed;
  ASSERT_EQ(registry.QueryKeyInfo(key.handle, created), kErrorSuccess);
  ASSERT_EQ(registry.SetValue(key.handle, "v", kRegNone, ""), kErrorSuccess);
  ASSERT_EQ(registry.QueryKeyInfo(key.handle, changed), kErrorSuccess);
  EXPECT_GE(created.lastWriteTime, 1000u);
  EXPECT_GT(changed.lastWriteTime, created.lastWriteTime);
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
}

}  // namespace
}  // namespace vp::platform
