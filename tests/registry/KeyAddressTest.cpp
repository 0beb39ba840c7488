#include <gtest/gtest.h>

#include "registry/FastRegistry.h"
#include "registry/KeyAddress.h"
#include "support/RegistryTestSupport.h"

namespace vp {
namespace {

using namespace platform;

TEST(KeyAddressTest, ParsesOnlyFullRootNames) {
  struct Case {
    const char* text;
    bool parsed;
    RegHandle root;
    const char* path;
    const char* normal;  // Text() of the parsed address
  };
  const Case cases[] = {
      {"HKEY_LOCAL_MACHINE\\Software\\Vendor", true, kHkeyLocalMachine, "Software\\Vendor",
       "HKEY_LOCAL_MACHINE\\Software\\Vendor"},
      {"hkey_current_user\\A\\", true, kHkeyCurrentUser, "A", "HKEY_CURRENT_USER\\A"},
      {"HKEY_USERS", true, kHkeyUsers, "", "HKEY_USERS"},
      {"HKEY_CLASSES_ROOT\\\\.txt", true, kHkeyClassesRoot, ".txt", "HKEY_CLASSES_ROOT\\.txt"},
      {"HKEY_DYN_DATA\\X", true, kHkeyDynData, "X", "HKEY_DYN_DATA\\X"},
      // Short forms are for display only, and a misspelt root is an error.
      {"HKLM\\Software", false, kNoKey, "", ""},
      {"HKEY_LOCAL_MACHIN\\Software", false, kNoKey, "", ""},
      {"HKEY_PERFORMANCE_DATA", false, kNoKey, "", ""},
      {" HKEY_USERS\\X", false, kNoKey, "", ""},
      {"Software\\Vendor", false, kNoKey, "", ""},
      {"", false, kNoKey, "", ""},
  };
  for (const auto& c : cases) {
    const auto address = TKeyAddress::Parse(c.text);
    ASSERT_EQ(address.has_value(), c.parsed) << c.text;
    if (!address) continue;
    EXPECT_EQ(address->Root, c.root) << c.text;
    EXPECT_EQ(address->Path, c.path) << c.text;
    EXPECT_EQ(address->Text(), c.normal) << c.text;
  }
}

// An unknown root name opens nothing, where it once meant the machine hive.
TEST(KeyAddressTest, AnUnknownRootOpensNothing) {
  TFastRegistry registry;
  registry.SetRootKey(NameToRootKey("HKLM"));
  EXPECT_FALSE(registry.OpenKeyReadOnly("Software"));
  registry.SetRootKey(NameToRootKey("HKEY_LOCAL_MACHINE"));
  EXPECT_TRUE(registry.OpenKeyReadOnly("Software"));
}

// The helper gives an opened registry or nothing, and the opened key moves
// with the object: the source no longer closes it.
TEST(KeyAddressTest, OpenReadOnlyGivesAMovableOpenedRegistry) {
  test::ScratchKey key;
  ASSERT_TRUE(key.Ok());
  {
    TFastRegistry writer;
    ASSERT_TRUE(writer.OpenKey("\\" + key.Path(), false));
    writer.WriteString("v", "x");
  }
  EXPECT_FALSE(OpenReadOnly(kHkeyCurrentUser, key.Path() + "\\absent").has_value());
  auto opened = OpenReadOnly(kHkeyCurrentUser, key.Path());
  ASSERT_TRUE(opened.has_value());
  TFastRegistry moved = std::move(*opened);
  EXPECT_EQ(opened->CurrentKey(), kNoKey);
  EXPECT_NE(moved.CurrentKey(), kNoKey);
  EXPECT_EQ(moved.ReadString("v"), "x");
  moved = std::move(*OpenReadOnly(kHkeyCurrentUser, key.Path()));
  EXPECT_EQ(moved.ReadString("v"), "x");
}

}  // namespace
}  // namespace vp
