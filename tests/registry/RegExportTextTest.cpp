#include <gtest/gtest.h>

#include "registry/RegExportText.h"
#include "registry/RegFile.h"

namespace vp::backup {
namespace {

using namespace std::string_literals;

std::string Bytes(size_t count) {
  std::string bytes;
  for (size_t i = 0; i < count; ++i) bytes += static_cast<char>(i);
  return bytes;
}

TEST(RegExportText, ValueLinesOfEachForm) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::string name;
    uint32_t type;
    std::string data;
    std::string expected;
  };
  const Case cases[] = {
      {"default string", "", platform::kRegSz, "C:\\x\0"s, "@=\"C:\\\\x\"\r\n"},
      {"string without its NUL", "Path", platform::kRegSz, "abc", "\r\n\"Path\"=hex(1):61,00,62,00,63,00\r\n"},
      {"string of no bytes", "z", platform::kRegSz, "", "\r\n\"z\"=hex(1):\r\n"},
      {"escapes in name and data", "a\\b\"c", platform::kRegSz, "x\\y\"z\0"s, "\"a\\\\b\\\"c\"=\"x\\\\y\\\"z\"\r\n"},
      {"empty string", "e", platform::kRegSz, "\0"s, "\"e\"=\"\"\r\n"},
      {"string with line break", "t", platform::kRegSz, "a\r\nb\0"s,
       "\r\n\"t\"=hex(1):61,00,0D,00,0A,00,62,00,00,00\r\n"},
      {"string with inner NUL", "n", platform::kRegSz, "a\0b\0"s, "\r\n\"n\"=hex(1):61,00,00,00,62,00,00,00\r\n"},
      {"expandable string", "p", platform::kRegExpandSz, "%A%\0"s, "\r\n\"p\"=hex(2):25,00,41,00,25,00,00,00\r\n"},
      {"expandable euro", "", platform::kRegExpandSz, "\x80\0"s, "\r\n@=hex(2):AC,20,00,00\r\n"},
      {"dword", "d", platform::kRegDword, "\x78\x56\x34\x12"s, "\"d\"=dword:12345678\r\n"},
      {"negative dword", "@x", platform::kRegDword, "\xFE\xFF\xFF\xFF"s, "\"@x\"=dword:FFFFFFFE\r\n"},
      {"dword of odd size", "d", platform::kRegDword, "\x01\x02"s, "\r\n\"d\"=hex(4):01,02\r\n"},
      {"empty binary", "b", platform::kRegBinary, "", "\r\n\"b\"=hex:\r\n"},
      {"binary", "", platform::kRegBinary, "\x00\xFF\x10"s, "\r\n@=hex:00,FF,10\r\n"},
      {"none", "z", platform::kRegNone, "\x01"s, "\r\n\"z\"=hex(0):01\r\n"},
      {"qword", "q", platform::kRegQword, "\x01\x00\x00\x00\x00\x00\x00\x80"s,
       "\r\n\"q\"=hex(b):01,00,00,00,00,00,00,80\r\n"},
      {"big endian dword", "q", platform::kRegDwordBigEndian, "\x12\x34\x56\x78"s, "\r\n\"q\"=hex(5):12,34,56,78\r\n"},
      {"large type number", "q", 0x12345, "", "\r\n\"q\"=hex(12345):\r\n"},
      {"multi-string ab", "m", platform::kRegMultiSz, "ab\0\0"s, "\r\n\"m\"=hex(7):61,00,62,00,00,00,00,00\r\n"},
      {"empty multi-string", "m", platform::kRegMultiSz, "", "\r\n\"m\"=hex(7):\r\n"},
      {"multi-string wraps by its counter", "m", platform::kRegMultiSz, "abcdefghijk\0\0"s,
       "\r\n\"m\"=hex(7):61,00,62,00,63,00,64,00,65,00,66,00,67,00,68,00,69,00,6A,00,6B,00,\\\r\n"
       "  00,00,00,00\r\n"},
      {"multi-string code page", "m", platform::kRegMultiSz, "\x80\xE9\x9F\0\0"s,
       "\r\n\"m\"=hex(7):AC,20,E9,00,78,01,00,00,00,00\r\n"},
  };
  for (const auto& c : cases) {
    auto text = ValueLines(c.name, c.type, c.data);
    ASSERT_TRUE(text.has_value()) << c.what;
    EXPECT_EQ(*text, c.expected) << c.what;
  }
}

// Whatever form a string takes, an import gives back its bytes exactly.
TEST(RegExportText, StringsReadBackExactly) {
  const std::string datas[] = {"abc"s, ""s, "abc\0"s, "\0"s, "a\0b\0"s, "a\r\nb\0"s, "ab\0\0"s};
  for (bool oldFormat : {false, true}) {
    for (const std::string& data : datas) {
      const std::string text = std::string(oldFormat ? "REGEDIT4" : "Windows Registry Editor Version 5.00") +
                               "\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n" +
                               *ValueLines("v", platform::kRegSz, data, oldFormat);
      const TRegFileContents contents = TRegFileReader::Parse(text);
      ASSERT_TRUE(contents.Clean()) << text;
      ASSERT_EQ(contents.operations.size(), 2u) << text;
      EXPECT_EQ(contents.operations[1].type, platform::kRegSz) << text;
      EXPECT_EQ(contents.operations[1].data, data) << text;
    }
  }
}

TEST(RegExportText, BinaryWrapsAfterByte25ThenEvery25) {
  EXPECT_EQ(HexByteList(Bytes(26)).find('\\'), std::string::npos);
  const std::string list52 = HexByteList(Bytes(52));  // lines of 26, 25 and 1 bytes
  EXPECT_EQ(list52.find(kHexContinuation), 26u * 3 - 1 + 1);
  EXPECT_EQ(list52.substr(list52.rfind(kHexContinuation)), std::string(kHexContinuation) + "33");
  EXPECT_EQ(HexByteList(Bytes(27)),
            "00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,\\\r\n  1A");
}

TEST(RegExportText, NamesWithLineBreaksCannotBeWritten) {
  EXPECT_FALSE(ValueLines("a\nb", platform::kRegSz, "x").has_value());
  EXPECT_FALSE(ValueLines("a\rb", platform::kRegBinary, "x").has_value());
  EXPECT_TRUE(FitsOnRegLine("a\"b\\c"));
}

TEST(RegExportText, FileHeaders) {
  RegFileHeaderInfo info;
  info.usedBy = "Veltaro Pro";
  info.programVersion = " 1.2 ";
  info.description = " Fix\r\nTypeCode=7 ";
  info.now = LocalTime{2026, 1, 5, 9, 8, 7, 0};
  EXPECT_EQ(RegFileHeader(true, info), "REGEDIT4\r\n\r\n");
  EXPECT_EQ(RegFileHeader(false, info),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "; File created by TBackupTool\r\n"
            "; Component version: 1.4\r\n"
            "; Component used by: Veltaro Pro\r\n"
            "; Program version: 1.2\r\n"
            "; File Description: Fix  TypeCode=7\r\n"
            "; Date: 05.01.2026\r\n"
            "; Time: 09:08:07\r\n"
            "\r\n");
}

TEST(RegExportText, EntriesFileFormsRoundTrip) {
  const std::string text = "[HKEY_CURRENT_USER\\x]\r\n\"\x80\"=\"\xE9\"\r\n";
  EXPECT_EQ(EntriesFileBytes(text, false, true), text);
  EXPECT_EQ(EntriesFileBytes("a\x80", true, true), std::string("\xFF\xFE") + "a\0\xAC\x20"s);
  EXPECT_EQ(EntriesFileBytes("a", true, false), "a\0"s);
  EXPECT_EQ(EntriesFileText(EntriesFileBytes(text, true, true)), text);
  EXPECT_EQ(EntriesFileText(text), text);
  EXPECT_FALSE(EntriesFileText("\xFF\xFE\x00\x01"s).has_value());
}

}  // namespace
}  // namespace vp::backup
