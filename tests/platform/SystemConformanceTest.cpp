#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/System.h"

// These cases hold on the real system (under Wine) and on the simulated one
// alike: they are what proves the simulation tells the truth.
namespace vp::platform {
namespace {

struct CaseMapping {
  unsigned char lower;
  unsigned char upper;
};

// Letters map both ways; anything else stays as it is.
TEST(SystemConformance, CodePageCaseMapping) {
  ASSERT_EQ(Sys().AnsiCodePage(), 1252u);
  const CaseMapping cases[] = {
      {'a', 'A'},
      {'z', 'Z'},
      {0xE4, 0xC4} /* a umlaut */,
      {0xE9, 0xC9} /* e acute */,
      {0x9A, 0x8A} /* s caron */,
      {0x9C, 0x8C} /* oe */,
      {0xFE, 0xDE} /* thorn */,
      {'0', '0'},
      {'\\', '\\'},
      {' ', ' '},
      {0xD7, 0xD7} /* multiplication sign */,
      {0xF7, 0xF7} /* division sign */,
  };
  for (const auto& c : cases) {
    const std::string lower(1, static_cast<char>(c.lower));
    const std::string upper(1, static_cast<char>(c.upper));
    EXPECT_EQ(Sys().UpperCase(lower), upper) << "byte " << int(c.lower);
    EXPECT_EQ(Sys().LowerCase(upper), lower) << "byte " << int(c.upper);
  }
}

TEST(SystemConformance, CompareTextIgnoresCase) {
  EXPECT_EQ(Sys().CompareTextNoCase("Software", "SOFTWARE"), 0);
  EXPECT_EQ(Sys().CompareTextNoCase("\xE4rger", "\xC4RGER"), 0);
  EXPECT_LT(Sys().CompareTextNoCase("alpha", "Beta"), 0);
  EXPECT_GT(Sys().CompareTextNoCase("gamma", "Beta"), 0);
  EXPECT_LT(Sys().CompareTextNoCase("abc", "abcd"), 0);
}

TEST(SystemConformance, ExpandEnvironmentReplacesKnownNamesOnly) {
  auto root = Sys().ExpandEnvironment("%SystemRoot%");
  ASSERT_TRUE(root.has_value());
  EXPECT_EQ(Sys().UpperCase(*root), "C:\\WINDOWS");

  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"plain text", "plain text"},
      {"%VP_NO_SUCH_NAME%", "%VP_NO_SUCH_NAME%"},
      {"100%", "100%"},
      {"%VP_NO_SUCH_NAME%systemroot%", "%VP_NO_SUCH_NAME%systemroot%"},
      {"a%%b", "a%%b"},
      {"%systemdrive%%VP_NO_SUCH_NAME%", "C:%VP_NO_SUCH_NAME%"},
      {"", ""},
  };
  for (const auto& c : cases) {
    auto expanded = Sys().ExpandEnvironment(c.text);
    ASSERT_TRUE(expanded.has_value()) << c.text;
    EXPECT_EQ(*expanded, c.expected) << c.text;
  }
}

}  // namespace
}  // namespace vp::platform
