#include <gtest/gtest.h>

#include "files/StringTools.h"

namespace vp {
namespace {

TEST(StringToolsTest, FixedTableIgnoresTheLocale) {
  const int pairs[][2] = {{'a', 'A'}, {228, 196}, {255, 223}, {131, 129}, {184, 168}, {191, 175}};
  for (const auto& p : pairs) EXPECT_EQ(FixedUpper(static_cast<unsigned char>(p[0])), p[1]) << p[0];
  int changed = 0;
  for (int c = 0; c < 256; ++c) changed += FixedUpper(static_cast<unsigned char>(c)) != c;
  EXPECT_EQ(changed, 26 + 32 + 15);  // a-z, 224..255, the scattered pairs; nothing else

  EXPECT_TRUE(SameText("Software", "SOFTWARE"));
  EXPECT_TRUE(SameText("\xE4", "\xC4"));
  EXPECT_TRUE(SameText("\xFF", "\xDF"));  // y diaeresis and sharp s, through the table
  EXPECT_FALSE(SameText("abc", "ab"));
  EXPECT_TRUE(SamePath("C:\\Windows\\", "c:\\windows"));
  EXPECT_FALSE(SamePath("C:\\Windows\\\\", "c:\\windows"));
}

TEST(StringToolsTest, Searches) {
  struct Case {
    std::string needle, text;
    int start, caseFlag, expected;
  };
  const Case cases[] = {
      {"exe", "A.EXE", 1, kIgnoreCase, 3},
      {"exe", "A.EXE", 1, kMatchCase, 0},
      {"exe", "A.EXE", 1, 2, 3},
      {"a", "banana", -5, 0, 2},
      {"a", "banana", 6, 0, 6},
      {"a", "banana", 7, 0, 0},
      {"", "banana", 1, 0, 0},
      {"a", "", 1, 0, 0},
      {"nanas", "banana", 1, 0, 0},
      {"ana", "banana", 3, kMatchCase, 4},
      {"\xE4\xFF", "x\xC4\xDF", 1, kIgnoreCase, 2},  // both bytes through the table
      {"\xE4\xFF", "x\xC4\xDF", 1, kMatchCase, 0},
      // Needles past the short buffer are folded on the heap.
      {std::string(70, 'q') + "Z", "w" + std::string(70, 'Q') + "z", 1, kIgnoreCase, 2},
      {std::string(70, 'q') + "Z", std::string(70, 'Q') + "y", 1, kIgnoreCase, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PosEx(c.needle, c.text, c.start, c.caseFlag), c.expected) << c.needle << " in " << c.text;

  EXPECT_EQ(IndexOfContained({"", "SYSTEM32", "system"}, "c:\\windows\\system32\\x.dll"), 1);
  EXPECT_EQ(IndexOfContained({"", "SYSTEM32", "system"}, "c:\\windows\\system32\\x.dll", kMatchCase), 2);
  EXPECT_EQ(IndexOfContained({"x"}, "abc"), -1);

  const TByteSet delimiters("\\:");
  EXPECT_EQ(FindFirstOf("C:\\a\\b", delimiters), 1u);
  EXPECT_EQ(FindFirstOf("C:\\a\\b", delimiters, 2), 2u);
  EXPECT_EQ(FindLastOf("C:\\a\\b", delimiters), 4u);
  EXPECT_EQ(FindFirstOf("abc", delimiters), std::string_view::npos);
  EXPECT_EQ(FindLastOf("", delimiters), std::string_view::npos);

  EXPECT_EQ(LastPos("aa", "xAaAa"), 4);  // overlapping hits count
  EXPECT_EQ(LastPos("q", "abc"), 0);
  EXPECT_EQ(CountOccurrences("\\", "C:\\a\\b\\c"), 3);
  EXPECT_EQ(CountOccurrences("ab", "ABab"), 2);  // a hit at the very start counts
  EXPECT_EQ(CountOccurrences("aa", "aaaa"), 2);
}

TEST(StringToolsTest, SystemCaseMapping) {
  EXPECT_TRUE(IsUpperCaseText("A1-\xC4"));
  EXPECT_FALSE(IsUpperCaseText("123"));  // no letters: neither
  EXPECT_FALSE(IsLowerCaseText("123"));
  EXPECT_TRUE(IsLowerCaseText("abc"));
  EXPECT_FALSE(IsLowerCaseText("Abc"));

  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"MICROSOFT OFFICE", "Microsoft Office"},
      {"&Open with", "Open with"},
      {"& Open", "Open"},
      {"adobe reader", "Adobe Reader"},
      {"a b", "A b"},  // the last character stays
      {"mIxed cAse", "MIxed CAse"},
      {"x \xFF", "X"},  // a final byte 255 goes, then the blank
      {"", ""},
      {"&" + std::string(1200, 'x'), std::string(1000, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(CapitalizeWords(c.text), c.expected) << c.text;
}

TEST(StringToolsTest, Edits) {
  EXPECT_EQ(EnsureTrailing("", '\\'), "\\");
  EXPECT_EQ(EnsureTrailing("C:\\a\\", '\\'), "C:\\a\\");
  EXPECT_EQ(CollapseDoubleBackslashes("C:\\\\Windows\\\\\\x.dll"), "C:\\Windows\\x.dll");
  EXPECT_EQ(CollapseDoubleBackslashes("C:\\Windows\\x.dll"), "");
  const std::string messy(" \ta\r\nb\0c\t\x01", 10);
  EXPECT_EQ(RemoveWhitespace(messy), "abc");
  EXPECT_EQ(RemoveWhitespace(messy, true), "a\r\nbc");
  EXPECT_EQ(RemoveFirstAmpersand("&File &Open"), "File &Open");
  EXPECT_EQ(EncodeQueryText("a+b c"), "a%2Bb+c");
  std::atomic<bool> stop{true};
  EXPECT_EQ(EncodeQueryText("a+b c", &stop), "a+b c");

  struct Case {
    std::string path, name;
  };
  const Case names[] = {
      {"C:\\a.dir\\file.txt.bak", "file.txt"},
      {"C:\\x.TXT.txt", "x"},  // cut at the first occurrence
      {"C:\\Windows\\README", "README"},
      {"C:file.ini", "file"},
  };
  for (const auto& c : names) EXPECT_EQ(FileNameWithoutExt(c.path), c.name) << c.path;

  EXPECT_TRUE(SameText(ExpandEnvironment("  %SystemRoot%\\win.ini \t"), "C:\\Windows\\win.ini"));
  EXPECT_EQ(ExpandEnvironment("%VP_SURELY_UNDEFINED%\\x"), "%VP_SURELY_UNDEFINED%\\x");

  EXPECT_EQ(SplitPath("HKEY_USERS\\.DEFAULT\\\\Software\\"),
            (StringList{"HKEY_USERS", ".DEFAULT", "Software"}));
  EXPECT_EQ(SplitPath("C:\\Windows\\x.dll"), (StringList{"C", "Windows", "x.dll"}));
  std::string deep;
  for (int i = 0; i < 1100; ++i) deep += "k\\";
  EXPECT_EQ(SplitPath(deep).size(), 1001u);
}

TEST(StringToolsTest, FormatPlaceholders) {
  struct Case {
    std::string templ;
    std::vector<std::string> args;
    std::string expected;
  };
  const Case cases[] = {
      {"{1} of {2}", {"12", "3"}, "12 of 3"},
      {"{1} of {2}", {"12", "3", "x"}, ""},          // {3} missing for a non-empty argument
      {"{1} and {3}", {"a", "", "c"}, "a and {3}"},  // stops at the first missing number
      {"{2} before {1}{1}", {"one", "two"}, "two before one{1}"},
      {"{1} {2}", {"{2}", "y"}, "{2} y"},  // inserted text is never taken for a placeholder
      {"plain", {"x"}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPlaceholders(c.templ, c.args), c.expected) << c.templ;
}

TEST(StringToolsTest, RemoveDuplicates) {
  StringList list = {"b", "A", "a", "B", "c", "a", "C:\\X", "c:\\x"};
  RemoveDuplicates(list);
  EXPECT_EQ(list, (StringList{"A", "b", "c", "C:\\X"}));
}

TEST(StringToolsTest, Sha1Hex) {
  struct Case {
    std::string text, digest;
  };
  const Case cases[] = {
      {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",  // 56 bytes: padding needs another block
       "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
      {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
      {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
      {std::string(55, 'x'), "CEF734BA81A024479E09EB5A75B6DDAE62E6ABF1"},  // padding fits in the block
      {std::string(64, 'x'), "BB2FA3EE7AFB9F54C6DFB5D021F14B1FFE40C163"},
  };
  for (const auto& c : cases) EXPECT_EQ(Sha1Hex(c.text), c.digest) << c.text.size();
}

}  // namespace
}  // namespace vp
