#include <gtest/gtest.h>

#include "registry/FastRegistry.h"
#include "registry/KeyAddress.h"

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

}  // namespace
}  // namespace vp
