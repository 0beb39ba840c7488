#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/sim/SimRegistry.h"
#include "registry/FastRegistry.h"
#include "registry/RegFile.h"
#include "support/RegistryTestSupport.h"
#include "support/SimHost.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

using namespace platform;

constexpr const char* kFixtureKey = "Software\\VeltaroTest\\RegFileFixture";

std::vector<int> ProblemLines(const std::vector<TRegFileProblem>& problems) {
  std::vector<int> lines;
  for (const auto& p : problems) lines.push_back(p.line);
  return lines;
}

// A fixture file's bytes, read by the test itself.
std::string Fixture(const std::string& name) {
  return test::HostFileBytes(std::string(VP_TEST_DATA_DIR) + "/registry/" + name);
}

std::string Utf16File(std::u16string_view text) {
  std::string bytes("\xFF\xFE", 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

TEST(RegFileParse, ReportsEveryLineItCannotApply) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<int> problemLines;
    size_t operations;
  };
  const std::string key = "[HKEY_CURRENT_USER\\Software\\X]\r\n";
  const Case cases[] = {
      {"no header", "REGEDIT5\r\n" + key, {1}, 0},
      {"empty file", "", {0}, 0},
      {"value before any key", "REGEDIT4\r\n\"a\"=\"b\"\r\n" + key, {2}, 1},
      {"short root form", "REGEDIT4\r\n[HKCU\\Software]\r\n\"a\"=\"b\"\r\n", {2, 3}, 0},
      {"unknown escape", "REGEDIT4\r\n" + key + "\"a\"=\"b\\t\"\r\n", {3}, 1},
      {"escaped NUL", "REGEDIT4\r\n" + key + "\"a\"=\"b\\0\"\r\n", {3}, 1},
      {"escape at the end", "REGEDIT4\r\n" + key + "\"a\"=\"b\\\r\n", {3}, 1},
      {"open quote", "REGEDIT4\r\n" + key + "\"a\"=\"b\r\n", {3}, 1},
      {"text after string", "REGEDIT4\r\n" + key + "\"a\"=\"b\" x\r\n", {3}, 1},
      {"dword too long", "REGEDIT4\r\n" + key + "\"a\"=dword:000000001\r\n", {3}, 1},
      {"dword not hex", "REGEDIT4\r\n" + key + "\"a\"=dword:0000000g\r\n", {3}, 1},
      {"bad hex byte", "REGEDIT4\r\n" + key + "\"a\"=hex:00,0g\r\n", {3}, 1},
      {"hex byte too long", "REGEDIT4\r\n" + key + "\"a\"=hex:001\r\n", {3}, 1},
      {"bad hex type", "REGEDIT4\r\n" + key + "\"a\"=hex(z):00\r\n", {3}, 1},
      {"unknown data", "REGEDIT4\r\n" + key + "\"a\"=word:1\r\n", {3}, 1},
      {"no equals", "REGEDIT4\r\n" + key + "\"a\" \"b\"\r\n", {3}, 1},
      {"key without bracket", "REGEDIT4\r\n[HKEY_CURRENT_USER\\X\r\n\"a\"=\"b\"\r\n", {2, 3}, 0},
      {"text after bracket", "REGEDIT4\r\n[HKEY_CURRENT_USER\\X] x\r\n", {2}, 0},
      {"empty component", "REGEDIT4\r\n[HKEY_CURRENT_USER\\a\\\\b]\r\n", {2}, 0},
      {"root deletion", "REGEDIT4\r\n[-HKEY_CURRENT_USER]\r\n", {2}, 0},
      {"value of a deleted key", "REGEDIT4\r\n[-HKEY_CURRENT_USER\\X]\r\n\"a\"=\"b\"\r\n", {3}, 1},
      {"stray line", "REGEDIT4\r\n" + key + "junk\r\n\"a\"=\"b\"\r\n", {3}, 2},
      {"continuation keeps line numbers",
       "REGEDIT4\r\n" + key + "\"a\"=hex:00,\\\r\n 01\r\n\"b\"=hex:zz\r\n",
       {5},
       2},
      {"clean with comments and blanks",
       "REGEDIT4\n\n; comment\n" + key + "@ = \"d\"\n\"n\"=-\n\"x\"=hex(7):61,00,00\n",
       {},
       4},
      {"version 5 in 8-bit text",
       "Windows Registry Editor Version 5.00\r\n" + key + "\"a\"=\"b\"\r\n",
       {},
       2},
      {"version 5 odd text bytes",
       "Windows Registry Editor Version 5.00\r\n" + key + "\"a\"=hex(2):41,00,42\r\n",
       {3},
       1},
  };
  for (const auto& c : cases) {
    const TRegFileContents contents = TRegFileReader::Parse(c.text);
    EXPECT_EQ(ProblemLines(contents.problems), c.problemLines) << c.name;
    EXPECT_EQ(contents.operations.size(), c.operations) << c.name;
    EXPECT_EQ(contents.Clean(), c.problemLines.empty()) << c.name;
  }
}

TEST(RegFileParse, OperationsCarryExactData) {
  const std::string text =
      "REGEDIT4\r\n"
      "[hkey_local_machine\\Software\\X\\]\r\n"
      "@=\"a \\\\ \\\"q\\\"\"\r\n"
      "\"n\\\"m\"=dword:ffffffff\r\n"
      "\"h\"=hex(2):41,42,00\r\n"
      "\"gone\"=-\r\n"
      "[-HKEY_CLASSES_ROOT\\.x]\r\n"
      "[HKEY_CURRENT_USER\\Y]\r\n"
      "\"l\\nb\"=\"\\r\\n\\\\n\\r\"\r\n";
  const TRegFileContents contents = TRegFileReader::Parse(text);
  ASSERT_TRUE(contents.Clean());
  EXPECT_EQ(contents.format, TRegFileContents::kRegedit4);
  ASSERT_EQ(contents.operations.size(), 8u);
  const auto& ops = contents.operations;
  EXPECT_EQ(ops[0].kind, TRegFileOperation::kCreateKey);
  EXPECT_EQ(ops[0].keyPath, "HKEY_LOCAL_MACHINE\\Software\\X");
  EXPECT_EQ(ops[1].valueName, "");
  EXPECT_EQ(ops[1].type, kRegSz);
  EXPECT_EQ(ops[1].data, std::string("a \\ \"q\"\0", 8));
  EXPECT_EQ(ops[2].valueName, "n\"m");
  EXPECT_EQ(ops[2].data, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(ops[3].type, kRegExpandSz);
  EXPECT_EQ(ops[3].data, std::string("AB\0", 3));
  EXPECT_EQ(ops[4].kind, TRegFileOperation::kDeleteValue);
  EXPECT_EQ(ops[4].line, 6);
  EXPECT_EQ(ops[5].kind, TRegFileOperation::kDeleteKey);
  EXPECT_EQ(ops[5].keyPath, "HKEY_CLASSES_ROOT\\.x");
  // The line breaks the system's editor writes as \r and \n.
  EXPECT_EQ(ops[7].valueName, "l\nb");
  EXPECT_EQ(ops[7].data, std::string("\r\n\\n\r\0", 6));
}

TEST(RegFileParse, Utf16TextConvertsExactlyOrNotAtAll) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n"
      u"[HKEY_CURRENT_USER\\Software\\\u00C4]\r\n"
      u"\"euro\"=\"\u20AC\"\r\n"
      u"\"cyrillic\"=\"\u0416\"\r\n"
      u"\"t\"=hex(7):16,04,00,00,00,00\r\n";
  const TRegFileContents contents = TRegFileReader::Parse(Utf16File(text));
  EXPECT_EQ(contents.format, TRegFileContents::kVersion5);
  EXPECT_EQ(ProblemLines(contents.problems), (std::vector<int>{4, 5}));
  ASSERT_EQ(contents.operations.size(), 2u);
  EXPECT_EQ(contents.operations[0].keyPath, "HKEY_CURRENT_USER\\Software\\\xC4");
  EXPECT_EQ(contents.operations[1].data, std::string("\x80\0", 2));

  std::string odd = Utf16File(u"REGEDIT4\r\n");
  odd.push_back('x');
  EXPECT_EQ(ProblemLines(TRegFileReader::Parse(odd).problems), std::vector<int>{0});
}

// What every fixture file leaves in the registry once applied.
void ExpectFixtureApplied() {
  TFastRegistry reg;
  ASSERT_TRUE(reg.OpenKey(std::string("HKEY_CURRENT_USER\\") + kFixtureKey, false));
  std::string everyByte;
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string data;
  };
  const Case cases[] = {
      {"", kRegSz, std::string("default value\0", 14)},
      {"Quoted", kRegSz, std::string("say \"hi\" C:\\dir\\\0", 17)},
      {"Latin", kRegSz, std::string("\xE4\xF6\xFC \x80\0", 6)},
      {"Number", kRegDword, std::string("\x2A\0\0\0", 4)},
      {"Binary", kRegBinary, std::string("\x00\x01\xFF", 3)},
      {"Expand", kRegExpandSz, std::string("%SystemRoot%\\x\0", 15)},
      {"Multi", kRegMultiSz, std::string("a\0b\xE4\0\0", 6)},
      {"Long", kRegBinary,
       std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11\x12", 19)},
      {"None", kRegNone, ""},
      {"Qword", kRegQword, std::string("\x01\0\0\0\0\0\0\0", 8)},
  };
  for (const auto& c : cases) {
    std::uint32_t type = 0;
    std::string data;
    ASSERT_TRUE(reg.ReadRawData(c.name, type, data)) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
  EXPECT_FALSE(reg.ValueExists("Removed"));
  EXPECT_TRUE(reg.KeyExists("Sub\\Deeper"));
  EXPECT_FALSE(reg.KeyExists("Gone"));
  EXPECT_EQ(reg.ReadString("Multi"), "a\r\nb\xE4\r\n");
}

class RegFileApply : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { test::DeleteRegistryTree(Reg(), kHkeyCurrentUser, kFixtureKey); }
  void TearDown() override {
    EXPECT_TRUE(test::DeleteRegistryTree(Reg(), kHkeyCurrentUser, kFixtureKey));
    Reg().DeleteKey(kHkeyCurrentUser, "Software\\VeltaroTest");
  }
};

TEST_P(RegFileApply, FixtureFileAppliesCompletely) {
  const TRegFileContents contents = TRegFileReader::Parse(Fixture(GetParam()));
  ASSERT_TRUE(contents.Clean()) << (contents.problems.empty() ? "" : contents.problems[0].reason);
  // Checking changes nothing.
  EXPECT_FALSE(TFastRegistry().KeyExists(std::string("\\") + kFixtureKey));
  EXPECT_TRUE(TRegFileReader::Apply(contents.operations).empty());
  ExpectFixtureApplied();
  // Applying again converges on the same state.
  EXPECT_TRUE(TRegFileReader::Apply(contents.operations).empty());
  ExpectFixtureApplied();
}

INSTANTIATE_TEST_SUITE_P(Files, RegFileApply, ::testing::Values("regedit4.reg", "version5.reg"));

TEST_F(RegFileApply, TextOutsideTheCodePageIsReportedNotApplied) {
  const TRegFileContents contents = TRegFileReader::Parse(Fixture("version5-foreign.reg"));
  EXPECT_EQ(ProblemLines(contents.problems), (std::vector<int>{5, 6, 7, 9, 10}));
  EXPECT_TRUE(TRegFileReader::Apply(contents.operations).empty());
  TFastRegistry reg;
  ASSERT_TRUE(reg.OpenKey(std::string("HKEY_CURRENT_USER\\") + kFixtureKey, false));
  std::vector<std::string> names;
  reg.GetValueNames(names);
  EXPECT_EQ(names, std::vector<std::string>{"Plain"});
  reg.GetKeyNames(names);
  EXPECT_EQ(names, std::vector<std::string>{"After"});
}

TEST(RegFileLoad, ReadsThroughTheFileSystem) {
  std::string path = test::DataPath("registry/regedit4.reg");
  std::unique_ptr<test::SimHost> machine;
  if (!test::kOnRealWindows) {
    // The simulated file system sees the fixtures through a drive of its own.
    machine = std::make_unique<test::SimHost>(test::SimHost::Options{.mapDriveC = false});
    machine->Machine().Files().MapDrive('T', std::string(VP_TEST_DATA_DIR) + "/registry", DriveType::Fixed);
    path = "T:\\regedit4.reg";
  }
  const TRegFileContents contents = TRegFileReader::Load(path);
  EXPECT_TRUE(contents.Clean());
  EXPECT_EQ(contents.operations.size(), TRegFileReader::Parse(Fixture("regedit4.reg")).operations.size());
  const TRegFileContents missing = TRegFileReader::Load(path + ".absent");
  EXPECT_EQ(missing.format, TRegFileContents::kUnknown);
  EXPECT_EQ(ProblemLines(missing.problems), std::vector<int>{0});
}

TEST(RegFileApplyProblems, RefusedChangesAreReportedWithTheirLines) {
  // Wine cannot refuse a change: on a simulated machine in both builds.
  test::SimHost machine{{.mapDriveC = false}};
  ASSERT_TRUE(TFastRegistry().CreateKey("Software\\Locked\\Child"));
  ASSERT_TRUE(machine.Machine().Registry().SetKeyAccess(kHkeyCurrentUser, "Software\\Locked",
                                                        sim::SimKeyAccess::kReadOnly));
  const std::string text =
      "REGEDIT4\r\n"
      "[HKEY_CURRENT_USER\\Software\\Locked]\r\n"
      "\"v\"=\"x\"\r\n"
      "[HKEY_CURRENT_USER\\Software\\Locked\\New]\r\n"
      "[HKEY_CURRENT_USER\\Software\\Open]\r\n"
      "\"v\"=\"x\"\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Locked]\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Absent]\r\n"
      "[HKEY_CURRENT_USER\\Software\\Absent2]\r\n"
      "\"never\"=-\r\n";
  const TRegFileContents contents = TRegFileReader::Parse(text);
  ASSERT_TRUE(contents.Clean());
  const auto problems = TRegFileReader::Apply(contents.operations);
  EXPECT_EQ(ProblemLines(problems), (std::vector<int>{3, 4, 7}));
  TFastRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Open", false));
  EXPECT_EQ(reg.ReadString("v"), "x");
}

}  // namespace
}  // namespace vp
