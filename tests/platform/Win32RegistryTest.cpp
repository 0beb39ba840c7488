// The real registry's entries that have no form in the code page: made here
// through the wide functions (nothing in the program can write them), then
// read through the seam and TFastRegistry, which must leave them out or fail
// rather than hand on a name or text made of question marks.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "registry/FastRegistry.h"
#include "support/RegistryTestSupport.h"

namespace vp::platform {
namespace {

using test::ScratchKey;

const wchar_t kEmojiName[] = L"\U0001F30D globe";
const wchar_t kCyrillicText[] = L"\u0416\u0416";

std::wstring WidePath(const ScratchKey& scratch) {
  return std::wstring(scratch.Path().begin(), scratch.Path().end());  // the scratch path is ASCII
}

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Ok());
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, WidePath(scratch_).c_str(), 0, KEY_ALL_ACCESS, &key_),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegDeleteTreeW(key_, nullptr);
    RegCloseKey(key_);
  }
  void SetWide(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }

  ScratchKey scratch_;
  HKEY key_ = nullptr;
};

TEST_F(Win32RegistryTest, ValueNamesOutsideTheCodePageAreLeftOut) {
  const DWORD one = 1;
  SetWide(L"a", REG_DWORD, &one, 4);
  SetWide(kEmojiName, REG_DWORD, &one, 4);
  SetWide(L"z", REG_DWORD, &one, 4);

  std::vector<RegStatus> statuses;
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t index = 0; index < 10; ++index) {
    const RegStatus status = Reg().EnumValue(scratch_.Handle(), index, name);
    if (status == kErrorNoMoreItems) break;
    statuses.push_back(status);
    if (status == kErrorSuccess) names.push_back(name);
  }
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), kErrorNoUnicodeTranslation), 1);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "z"}));

  TFastRegistry reg;
  ASSERT_TRUE(reg.OpenKey(scratch_.FullPath(), false));
  reg.GetValueNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "z"}));
  EXPECT_FALSE(reg.ValueExists("? globe"));
}

TEST_F(Win32RegistryTest, TextOutsideTheCodePageIsNotRead) {
  SetWide(L"cyrillic", REG_SZ, kCyrillicText, sizeof(kCyrillicText));
  SetWide(L"odd", REG_SZ, L"abc", 5);  // half a character at the end
  std::string data = "untouched";
  EXPECT_EQ(Reg().QueryValue(scratch_.Handle(), "cyrillic", nullptr, &data), kErrorNoUnicodeTranslation);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(Reg().QueryValue(scratch_.Handle(), "odd", nullptr, &data), kErrorNoUnicodeTranslation);

  TFastRegistry reg;
  ASSERT_TRUE(reg.OpenKey(scratch_.FullPath(), false));
  EXPECT_EQ(reg.ReadString("cyrillic"), "");
  EXPECT_EQ(reg.GetDataSize("cyrillic"), -1);
  // The same bytes as binary data are not text and read unchanged.
  SetWide(L"raw", REG_BINARY, kCyrillicText, 4);
  char buffer[4];
  EXPECT_EQ(reg.ReadBinaryData("raw", buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), std::string("\x16\x04\x16\x04", 4));
}

TEST_F(Win32RegistryTest, TreeWithAnUnnamableKeyIsNotDeleted) {
  HKEY child = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key_, (std::wstring(L"tree\\") + kEmojiName).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(child);
  TFastRegistry reg;
  ASSERT_TRUE(reg.OpenKey(scratch_.FullPath(), false));
  ASSERT_TRUE(reg.CreateKey("tree\\plain"));
  EXPECT_FALSE(reg.DeleteKey("tree"));
  EXPECT_TRUE(reg.KeyExists("tree"));
  EXPECT_FALSE(reg.KeyExists("tree\\plain"));
  ASSERT_TRUE(reg.OpenKey("tree", false));
  std::vector<std::string> names;
  reg.GetKeyNames(names);
  EXPECT_TRUE(names.empty());
  EXPECT_TRUE(reg.HasSubKeys());
}

}  // namespace
}  // namespace vp::platform

#endif  // _WIN32
