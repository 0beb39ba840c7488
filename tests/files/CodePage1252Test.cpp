#include <gtest/gtest.h>

#include "files/CodePage1252.h"

#ifdef _WIN32
#include "platform/win32/CodePage.h"
#endif

namespace vp {
namespace {

TEST(CodePage1252, EveryByteRoundTripsAndUpperHalfMapsAsTheSystemDoes) {
  [[maybe_unused]] int comparedWithSystem = 0;
  for (int b = 0; b < 256; ++b) {
    const char16_t unit = Cp1252ToUtf16(static_cast<unsigned char>(b));
    auto back = Utf16ToCp1252(unit);
    ASSERT_TRUE(back.has_value()) << b;
    EXPECT_EQ(*back, b);
#ifdef _WIN32
    auto wide = platform::win32::ToWide(std::string(1, static_cast<char>(b)));
    if (wide) {
      ++comparedWithSystem;
      ASSERT_EQ(wide->size(), 1u) << b;
      EXPECT_EQ(static_cast<char16_t>((*wide)[0]), unit) << "byte " << b;
    }
#endif
  }
#ifdef _WIN32
  // The strict conversion may refuse the five bytes the code page leaves
  // undefined; every other byte is compared.
  EXPECT_GE(comparedWithSystem, 256 - 5);
#endif
  EXPECT_EQ(Cp1252ToUtf16(0x80), u'\u20AC');
  EXPECT_EQ(Cp1252ToUtf16(0x9F), u'\u0178');
  EXPECT_FALSE(Utf16ToCp1252(u'\u0100').has_value());
  EXPECT_FALSE(Utf16ToCp1252(std::u16string(u"ab\u4E2D")).has_value());
}

#ifdef _WIN32
// Whole texts through the system's conversion: ASCII takes a shortcut, any
// other byte or character the checked conversion, wherever it stands.
TEST(CodePage1252, TextsConvertExactlyOrNotAtAll) {
  struct Case {
    std::string narrow;
    std::wstring wide;
    bool convertible;
  };
  const Case cases[] = {
      {"Software\\Classes", L"Software\\Classes", true},
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3), true},
      {"caf\xE9 \x80", L"caf\u00E9 \u20AC", true},
      {"", L"a\u4E2Db", false},
      {"", L"\u0100", false},
  };
  for (const auto& c : cases) {
    const auto narrow = platform::win32::FromWide(c.wide);
    EXPECT_EQ(narrow.has_value(), c.convertible);
    if (!c.convertible) continue;
    EXPECT_EQ(*narrow, c.narrow);
    const auto wide = platform::win32::ToWide(c.narrow);
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(*wide, c.wide);
  }
}
#endif

}  // namespace
}  // namespace vp
