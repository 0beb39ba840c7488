#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "files/StringTools.h"

namespace vp {
namespace {

std::string Bytes(std::initializer_list<int> codes) {
  std::string text;
  for (int c : codes) text.push_back(static_cast<char>(c));
  return text;
}

TEST(FixedUpperTest, MapsAsciiAndWindows1251PairsOnly) {
  struct Case {
    int lower, upper;
  };
  const Case cases[] = {{'a', 'A'}, {'z', 'Z'}, {228, 196}, {255, 223}, {224, 192}, {131, 129}, {144, 128},
                        {154, 138}, {156, 140}, {157, 141}, {158, 142}, {159, 143}, {162, 161}, {179, 178},
                        {180, 165}, {184, 168}, {186, 170}, {188, 163}, {190, 189}, {191, 175}};
  for (const auto& c : cases) {
    EXPECT_EQ(FixedUpper(static_cast<unsigned char>(c.lower)), c.upper) << c.lower;
    EXPECT_EQ(FixedUpper(static_cast<unsigned char>(c.upper)), c.upper) << c.upper;
  }
  // Bytes outside the table map to themselves, whatever the system locale says.
  for (int c : std::initializer_list<int>{'0', '[', '`', '{', 0, 127, 181, 185, 187, 189, 215, 223}) {
    EXPECT_EQ(FixedUpper(static_cast<unsigned char>(c)), c) << c;
  }
  int changed = 0;
  for (int c = 0; c < 256; ++c) changed += FixedUpper(static_cast<unsigned char>(c)) != c;
  EXPECT_EQ(changed, 26 + 32 + 15);
}

TEST(StringToolsTest, SameTextAndSamePath) {
  struct Case {
    std::string a, b;
    bool sameText, samePath;
  };
  const Case cases[] = {
      {"Software", "SOFTWARE", true, true},
      {Bytes({228}), Bytes({196}), true, true},  // a umlaut / A umlaut
      {Bytes({255}), Bytes({223}), true, true},  // y diaeresis / sharp s, through the table
      {"abc", "abd", false, false},
      {"abc", "ab", false, false},
      {"", "", true, true},
      {"C:\\Windows\\", "c:\\windows", false, true},
      {"C:\\Windows\\\\", "c:\\windows", false, false},  // only one backslash goes
      {"[", "{", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameText(c.a, c.b), c.sameText) << c.a << " / " << c.b;
    EXPECT_EQ(SamePath(c.a, c.b), c.samePath) << c.a << " / " << c.b;
  }
}

TEST(StringToolsTest, PosEx) {
  struct Case {
    std::string needle, text;
    int start, caseFlag, expected;
  };
  const Case cases[] = {
      {"exe", "A.EXE", 1, 0, 3},  {"exe", "A.EXE", 1, 1, 0},
      {"EXE", "A.EXE", 1, 1, 3},  {"exe", "A.EXE", 1, 2, 3},
      {"a", "banana", 3, 0, 4},   {"a", "banana", 0, 0, 2},
      {"a", "banana", -5, 0, 2},  {"a", "banana", 6, 0, 6},
      {"a", "banana", 7, 0, 0},   {"", "banana", 1, 0, 0},
      {"a", "", 1, 0, 0},         {"nanas", "banana", 1, 0, 0},
      {"ANA", "banana", 3, 0, 4}, {"banana", "banana", 1, 1, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PosEx(c.needle, c.text, c.start, c.caseFlag), c.expected)
        << c.needle << " in " << c.text << " from " << c.start << " flag " << c.caseFlag;
}

TEST(StringToolsTest, IndexOfContained) {
  const StringList list = {"", "SYSTEM32", "drivers", "system"};
  EXPECT_EQ(IndexOfContained(list, "c:\\windows\\system32\\x.dll"), 1);
  EXPECT_EQ(IndexOfContained(list, "c:\\windows\\system32\\x.dll", kMatchCase), 3);
  EXPECT_EQ(IndexOfContained(list, "C:\\WINDOWS\\DRIVERS", kMatchCase), -1);
  EXPECT_EQ(IndexOfContained(list, "c:\\windows\\system\\x.dll"), 3);
  EXPECT_EQ(IndexOfContained(list, "nothing"), -1);
  EXPECT_EQ(IndexOfContained({}, "anything"), -1);
}

TEST(StringToolsTest, LastPosAndCountOccurrences) {
  struct Case {
    std::string needle, text;
    int last, count;
  };
  const Case cases[] = {
      {"\\", "C:\\a\\b\\c", 7, 3}, {"ab", "ABab", 3, 2}, {"aa", "aaaa", 3, 2}, {"x", "abc", 0, 0},
      {"", "abc", 0, 0},           {"abc", "", 0, 0},    {"ab", "ab", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LastPos(c.needle, c.text), c.last) << c.needle << " in " << c.text;
    EXPECT_EQ(CountOccurrences(c.needle, c.text), c.count) << c.needle << " in " << c.text;
  }
  EXPECT_EQ(LastPos(Bytes({196}), Bytes({'x', 228, 'y', 196, 'z'})), 4);
  EXPECT_EQ(CountOccurrences(Bytes({196}), Bytes({'x', 228, 'y', 196, 'z'})), 2);
}

TEST(StringToolsTest, UpperAndLowerCaseText) {
  struct Case {
    std::string text;
    bool upper, lower;
  };
  const Case cases[] = {
      {"ABC", true, false}, {"abc", false, true},  {"Abc", false, false},       {"123", false, false},
      {"", false, false},   {"A1-B", true, false}, {Bytes({196}), true, false},  // system mapping knows
                                                                                 // Latin-1 letters
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsUpperCaseText(c.text), c.upper) << c.text;
    EXPECT_EQ(IsLowerCaseText(c.text), c.lower) << c.text;
  }
}

TEST(StringToolsTest, SimpleEdits) {
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\\\"), "C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash(""), "");
  EXPECT_EQ(EnsureTrailing("C:\\a", '\\'), "C:\\a\\");
  EXPECT_EQ(EnsureTrailing("C:\\a\\", '\\'), "C:\\a\\");
  EXPECT_EQ(EnsureTrailing("", '\\'), "\\");
  EXPECT_EQ(RemoveFirstAmpersand("&File &Open"), "File &Open");
  EXPECT_EQ(RemoveFirstAmpersand("None"), "None");
  EXPECT_EQ(BoolToText(true), "True");
  EXPECT_EQ(BoolToText(false), "False");
}

TEST(StringToolsTest, CollapseDoubleBackslashes) {
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"C:\\\\Windows\\\\x.dll", "C:\\Windows\\x.dll"},
      {"C:\\Windows\\x.dll", ""},
      {"", ""},
      {"\\\\\\\\server", "\\server"},
      {"a\\\\\\b", "a\\b"},
  };
  for (const auto& c : cases) EXPECT_EQ(CollapseDoubleBackslashes(c.text), c.expected) << c.text;
}

TEST(StringToolsTest, RemoveWhitespace) {
  const std::string messy = std::string(" \ta\r\nb\0c\t ", 11);
  EXPECT_EQ(RemoveWhitespace(messy), "abc");
  EXPECT_EQ(RemoveWhitespace(messy, true), std::string("a\r\nbc"));
  EXPECT_EQ(RemoveWhitespace(std::string("\x01 x y \x1F", 7)), "x y");
  EXPECT_EQ(RemoveWhitespace(""), "");
}

TEST(StringToolsTest, CapitalizeWords) {
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"MICROSOFT OFFICE", "Microsoft Office"},
      {"&Open with", "Open with"},
      {"& Open with", "Open with"},
      {"&OPEN", "OPEN"},
      {"adobe reader", "Adobe Reader"},
      {"a b", "A b"},
      {"", ""},
      {"mIxed cAse", "MIxed CAse"},
      {"x " + Bytes({255}), "X"},  // final 255 dropped, then trimmed
      {" lead", "Lead"},           // the first character is the blank; the word after it is raised
      {"&" + std::string(1200, 'x'), std::string(1000, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(CapitalizeWords(c.text), c.expected) << c.text;
}

TEST(StringToolsTest, FileNameWithoutExt) {
  struct Case {
    std::string path, expected;
  };
  const Case cases[] = {
      {"C:\\Windows\\notepad.exe", "notepad"},
      {"C:\\a.dir\\file.txt.bak", "file.txt"},
      {"C:\\x.TXT.txt", "x"},  // cut before the first occurrence of the extension
      {"C:\\Windows\\README", "README"},
      {"C:file.ini", "file"},
      {"name.", "name"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameWithoutExt(c.path), c.expected) << c.path;
}

TEST(StringToolsTest, EncodeQueryText) {
  EXPECT_EQ(EncodeQueryText("a+b c"), "a%2Bb+c");
  EXPECT_EQ(EncodeQueryText("  "), "++");
  EXPECT_EQ(EncodeQueryText(""), "");
  std::atomic<bool> stop{true};
  EXPECT_EQ(EncodeQueryText("a+b c", &stop), "a+b c");
  stop = false;
  EXPECT_EQ(EncodeQueryText("a+b c", &stop), "a%2Bb+c");
}

TEST(StringToolsTest, FormatPlaceholders) {
  struct Case {
    std::string templ;
    std::vector<std::string> args;
    std::string expected;
  };
  const Case cases[] = {
      {"{1} of {2} done", {"12", "3"}, "12 of 3 done"},
      {"{1} of {2} done", {"12", "3", "x"}, ""},  // placeholder 3 missing
      {"{1} and {3}", {"a", "", "c"}, "a and {3}"},
      {"{2} before {1}", {"one", "two"}, "two before one"},
      {"{1}{1}", {"x"}, "x{1}"},  // only the first occurrence
      {"plain", {}, "plain"},
      {"plain", {"x"}, ""},
      {"{1}", {"{2}", "y"}, ""},                              // {2} is not in the template
      {"{1} {2}", {"{2}", "y"}, "{2} y"},                     // inserted text is not searched again
      {"{8}", {"", "", "", "", "", "", "", "eight"}, "{8}"},  // stops at the first missing {k}
      {"{1}{2}{3}{4}{5}{6}{7}{8}", {"1", "2", "3", "4", "5", "6", "7", "8"}, "12345678"},
      {"{1", {"x"}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPlaceholders(c.templ, c.args), c.expected) << c.templ;
  EXPECT_EQ(FormatPlaceholders("Found {1} in {2} s", "7", "0.5"), "Found 7 in 0.5 s");
}

TEST(StringToolsTest, ExpandEnvironment) {
  EXPECT_TRUE(SameText(ExpandEnvironment("  %SystemRoot%\\win.ini \t"), "C:\\Windows\\win.ini"));
  EXPECT_EQ(ExpandEnvironment("%VP_SURELY_UNDEFINED_NAME%\\x"), "%VP_SURELY_UNDEFINED_NAME%\\x");
  EXPECT_EQ(ExpandEnvironment("plain"), "plain");
}

TEST(StringToolsTest, SplitPath) {
  struct Case {
    std::string path;
    StringList expected;
  };
  const Case cases[] = {
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Run", {"HKEY_LOCAL_MACHINE", "SOFTWARE", "Run"}},
      {"HKEY_USERS\\.DEFAULT\\\\Software\\", {"HKEY_USERS", ".DEFAULT", "Software"}},
      {"C:\\Windows\\x.dll", {"C", "Windows", "x.dll"}},
      {"\\\\", {}},
      {"", {}},
      {"a:\\b:\\c", {"a", "b:", "c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitPath(c.path), c.expected) << c.path;
  std::string deep;
  for (int i = 0; i < 1100; ++i) deep += "k\\";
  EXPECT_EQ(SplitPath(deep).size(), 1001u);
}

TEST(StringToolsTest, RemoveDuplicates) {
  StringList list = {"b", "A", "a", "B", "c", "a", "C:\\X", "c:\\x"};
  RemoveDuplicates(list);
  EXPECT_EQ(list, (StringList{"A", "b", "c", "C:\\X"}));
  StringList one = {"Z"};
  RemoveDuplicates(one);
  EXPECT_EQ(one, StringList{"Z"});
  // Duplicates separated by many distinct entries are still found after the sort.
  StringList many;
  for (char c = 'a'; c <= 'p'; ++c) many.push_back(std::string(1, c));
  many.push_back("H");
  many.push_back("p");
  RemoveDuplicates(many);
  EXPECT_EQ(many.size(), 16u);
}

TEST(Sha1HexTest, MatchesStandardVectors) {
  struct Case {
    std::string text, digest;
  };
  const Case cases[] = {
      {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
      {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
      {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
      // Lengths around the padding boundaries.
      {std::string(55, 'x'), "CEF734BA81A024479E09EB5A75B6DDAE62E6ABF1"},
      {std::string(56, 'x'), "901305367C259952F4E7AF8323F480D59F81335B"},
      {std::string(63, 'x'), "0DDC4E0CCCD9A12850DEB5ABB0853A4425559FEC"},
      {std::string(64, 'x'), "BB2FA3EE7AFB9F54C6DFB5D021F14B1FFE40C163"},
      {std::string(65, 'x'), "78C741DDC482E4CDF8C474A0876347A0905B6233"},
      {std::string(119, 'x'), "4300320394F7EE239BCDCE7D3B8BCEE173A0CD5C"},
      {std::string(120, 'x'), "CEB2821639C4B6DCB10BCE0E522CA2E608CE056D"},
  };
  for (const auto& c : cases) EXPECT_EQ(Sha1Hex(c.text), c.digest) << c.text.size();
  std::string allBytes;
  for (int i = 0; i < 256; ++i) allBytes.push_back(static_cast<char>(i));
  EXPECT_EQ(Sha1Hex(allBytes), "4916D6BDB7F78E6803698CAB32D1586EA457DFC8");
}

}  // namespace
}  // namespace vp
