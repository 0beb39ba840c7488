#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/FileTools.h"
#include "files/SimDrivesTest.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/sim/SimMachine.h"
#include "scanner/FileReferences.h"
#include "support/ScratchFolder.h"

namespace vp {
namespace {

using platform::DriveType;
using test::ScratchFolder;

// "{S}" in a case stands for the scratch folder (with its backslash).
std::string Fill(std::string_view text, const std::string& root) {
  std::string result(text);
  for (size_t at = result.find("{S}"); at != std::string::npos; at = result.find("{S}", at + root.size()))
    result.replace(at, 3, root);
  return result;
}

TEST(FileReferences, NormalizeExtension) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"HTML\" -x", "html"},
      {"jpeg", "jpeg"},
      {"EXE,1", "exe"},
      {"dll\" /s", "dll"},
      {"htm", "htm"},
      {"ht", "ht"},
      {"cpl,@1", "cpl"},
      {"msc -s", "msc"},
      {"lnk'", "lnk"},
      {"abc%1", "abc"},
      {"abcdefghij", "abc"},
      {"abcdefghi", "abcdefghi"},
      {"ab\\cd", "ab"},
      {"", ""},
      {" x", ""},
      {"Dir\\x.exe\"", "Dir"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeExtension(c.text), c.expected) << c.text;
}

TEST(FileReferences, CandidatesAndCuts) {
  struct Case {
    const char* text;
    const char* cut;
  };
  const Case cases[] = {
      {"C:\\a\\b.exe /min", "C:\\a\\b.exe"},
      {"C:\\a\\b.dll,-101", "C:\\a\\b.dll"},
      {"C:\\Prog Files\\App.Dir\\x.exe\" -a", "C:\\Prog Files\\App.Dir"},
      {"C:\\a\\noext", ""},
      {"C:\\a\\b.cpl,@1", "C:\\a\\b.cpl"},
      {"C:\\a\\b. x", "C:\\a\\b."},
      {"C:\\a\\*.exe", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CutAtExtension(c.text), c.cut) << c.text;

  EXPECT_EQ(ExtractPathCandidates("\"C:\\a\\x.exe\" /f \"d:\\b\\y.DLL\",1 e:\\noext"),
            (StringList{"C:\\a\\x.exe", "d:\\b\\y.dll"}));
  EXPECT_EQ(ExtractPathCandidates(":\\x.exe"), (StringList{}));
  EXPECT_TRUE(ExtractPathCandidates("no paths here").empty());
}

TEST(FileReferences, PathScore) {
  struct Case {
    const char* text;
    int score;
  };
  // Worked by hand: "aaa" has no spread and a case term of 4.65; "a.a" a
  // spread of 29.445 and a case term of 7.75; "a..a" the same less 2 x 1.25.
  const Case cases[] = {{"", 0}, {"ab", 0}, {"aaa", 95}, {"a.a", 63}, {"a..a", 60}};
  for (const auto& c : cases) EXPECT_EQ(PathScore(c.text), c.score) << c.text;
  EXPECT_GT(PathScore("C:\\Windows\\notepad.exe"), PathScore("C:\\<>{}\"|^`[]"));
}

TEST(FileReferences, PickMostPlausibleAndBestPathIn) {
  EXPECT_EQ(PickMostPlausible({}), "");
  EXPECT_EQ(PickMostPlausible({"<<<"}), "<<<");
  EXPECT_EQ(PickMostPlausible({"<<<", "C:\\Windows\\notepad.exe"}), "C:\\Windows\\notepad.exe");
  EXPECT_EQ(PickMostPlausible({"<<<", ">>>"}), "<<<");  // nothing scores above 0
  EXPECT_EQ(PickMostPlausible({"aaa", "aaa"}), "aaa");

  struct Case {
    const char* text;
    const char* best;
  };
  const Case cases[] = {
      {"notepad.exe", "notepad.exe"},
      {"notepad", ""},
      {"dir\\notepad.exe", ""},
      {"\"C:\\Prog Files\\App.Dir\\x.exe\" -a", "C:\\Prog Files\\App.Dir"},
      {"rundll32.exe C:\\Windows\\system32\\shell32.dll,Control_RunDLL",
       "C:\\Windows\\system32\\shell32.dll"},
      {"\\\\server\\share\\x.exe", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(BestPathIn(c.text), c.best) << c.text;
}

TEST(FileReferences, AnalyzeEdgeCases) {
  ScratchFolder scratch;
  scratch.PutFile("App\\app.exe", "x");
  scratch.PutFile("App\\lib.dll", "x");
  scratch.PutFile("b.exe", "x");
  scratch.PutFile("notepad.exe", "x");
  const StringList ignore = {"missing app"};
  TScanContext context;
  context.IgnoreList = &ignore;

  struct Case {
    const char* data;
    int32_t kind;
    const char* detail;  // null: not checked
    const char* match;
  };
  const Case cases[] = {
      {"{S}App\\app.exe /min", kReferenceNoReport, nullptr, ""},
      {"\"{S}App\\app.exe\" lib.dll,Entry", kReferenceNoReport, nullptr, ""},
      {"{S}App\\missing.dll", kReferenceMissing, "{S}App\\missing.dll", ""},
      {"\"{S}App\\gone.exe\" /s", kReferenceMissing, "{S}App\\gone.exe", ""},
      {"{S}notepad", kReferenceNoReport, nullptr, ""},
      {"{S}b.exe,1", kReferenceNoReport, nullptr, ""},
      {"{S}App\\lib.dll,-101", kReferenceNoReport, nullptr, ""},
      {"{S}App\\missing.dll {S}App\\app.exe", kReferenceNoReport, nullptr, ""},
      {"{S}\\App\\\\app.exe", kReferenceNoReport, nullptr, ""},  // doubled backslashes collapse
      {"{S}Missing App\\x.dll", kReferenceExcused, "{S}Missing App\\x.dll", "Missing App"},
      {"{S}AntiVirus\\scan.exe", kReferenceExcused, "{S}AntiVirus\\scan.exe", "{S}AntiVirus\\scan.exe"},
      {"%VP_UNDEFINED_NAME%\\x.dll", kReferenceNoReport, "", ""},  // the real system's expansion
  };
  for (const auto& c : cases) {
    const std::string data = Fill(c.data, scratch.Root());
    TAnalyzerResult result;
    Analyze(data, result, context);
    EXPECT_EQ(result.Kind, c.kind) << data;
    if (c.detail) {
      EXPECT_EQ(result.Detail, Fill(c.detail, scratch.Root())) << data;
    }
    EXPECT_EQ(result.Match, Fill(c.match, scratch.Root())) << data;
  }

  // A defined variable is expanded; the file behind it is missing.
  const std::string temp = ExpandEnvironment("%TEMP%");
  ASSERT_FALSE(temp.empty());
  TAnalyzerResult result;
  Analyze("%TEMP%\\vp_no_such_file.dll", result, context);
  EXPECT_EQ(result.Kind, kReferenceMissing);
  EXPECT_EQ(result.Detail, temp + "\\vp_no_such_file.dll");
}

// Drives the real system here cannot offer, and the count of file system calls.
class AnalyzeOnDrives : public test::SimDrivesTest {
 protected:
  void SetUp() override {
    SimDrivesTest::SetUp();
    Map('C', DriveType::Fixed);
    Map('D', DriveType::CdRom);
    Map('W', DriveType::Fixed);
    for (const char* d : {"c/Windows", "d/Setup", "w/App"})
      std::filesystem::create_directories(host_.Folder() / d);
    std::ofstream(host_.Folder() / "d/Setup/setup.exe") << "x";
    std::ofstream(host_.Folder() / "c/Windows/Notepad.EXE") << "x";
    context_.NonFixedDrives = "dEFGHIJKLMNOPQRSTUVXYZab";
  }

  TAnalyzerResult Run(std::string_view data) {
    TAnalyzerResult result;
    host_.Machine().Files().ResetCallCount();
    Analyze(data, result, context_);
    return result;
  }

  TScanContext context_;
};

TEST_F(AnalyzeOnDrives, OnlyFixedDrivesAreExamined) {
  struct Case {
    const char* data;
    int32_t kind;
    const char* detail;
  };
  const Case cases[] = {
      {"D:\\Setup\\setup.exe", kReferenceNoReport, ""},
      {"D:\\Setup\\gone.exe", kReferenceNoReport, ""},
      {"W:\\App\\x.dll", kReferenceMissing, "W:\\App\\x.dll"},
      {"c:\\windows\\notepad", kReferenceNoReport, nullptr},
      // The optical drive's file is never looked at, so it cannot vouch for
      // the data; the missing file on the fixed drive is what counts.
      {"C:\\missing.exe D:\\Setup\\setup.exe", kReferenceMissing, "C:\\missing.exe"},
      {"D:\\Setup\\setup.exe C:\\Windows\\notepad.exe", kReferenceNoReport, nullptr},
  };
  for (const auto& c : cases) {
    const TAnalyzerResult result = Run(c.data);
    EXPECT_EQ(result.Kind, c.kind) << c.data;
    if (c.detail) {
      EXPECT_EQ(result.Detail, c.detail) << c.data;
    }
  }
}

// A drive laid out as a 64-bit system's: cutting a path at a parenthesis or a
// dash leaves "C:\\Program Files " behind, which the system (ignoring the
// trailing blank) would take for the existing folder.
TEST_F(AnalyzeOnDrives, ParenthesesAndTrailingBlanks) {
  for (const char* d : {"c/Program Files/Here", "c/Program Files (x86)/Here", "c/My Apps"})
    std::filesystem::create_directories(host_.Folder() / d);
  for (const char* f : {"c/Program Files (x86)/Here/here.exe", "c/My Apps/my tool.exe", "c/My Apps/tool.exe"})
    std::ofstream(host_.Folder() / f) << "x";
  struct Case {
    const char* data;
    int32_t kind;
    const char* detail;  // null: not checked
  };
  const Case cases[] = {
      {"\"C:\\Program Files (x86)\\Gone\\gone.exe\" /tray", kReferenceMissing,
       "C:\\Program Files (x86)\\Gone\\gone.exe"},
      {"C:\\My Apps (old)\\gone.exe", kReferenceMissing, "C:\\My Apps (old)\\gone.exe"},
      {"C:\\Program Files (x86)\\Gone", kReferenceMissing, "C:\\Program Files (x86)\\Gone"},
      {"C:\\Program Files\\Gone\\gone.exe", kReferenceMissing, "C:\\Program Files\\Gone\\gone.exe"},
      {"C:\\Program Files - Old\\gone.exe", kReferenceMissing, "C:\\Program Files - Old\\gone.exe"},
      {"C:\\My Apps [old]\\gone.exe,1", kReferenceMissing, "C:\\My Apps [old]\\gone.exe"},
      // Near misses: the same shapes naming what exists.
      {"\"C:\\Program Files (x86)\\Here\\here.exe\" /tray", kReferenceNoReport, nullptr},
      {"C:\\Program Files (x86)\\Here\\here.exe,1", kReferenceNoReport, nullptr},
      {"C:\\Program Files (x86)\\Here", kReferenceNoReport, nullptr},
      {"C:\\Program Files (x86)\\Here\\", kReferenceNoReport, nullptr},
      {"C:\\My Apps\\tool.exe (old)", kReferenceNoReport, nullptr},
      {"C:\\My Apps\\tool -min", kReferenceNoReport, nullptr},
      {"C:\\My Apps\\my tool -min", kReferenceNoReport, nullptr},
      {"C:\\My Apps\\my tool (x86) -min", kReferenceNoReport, nullptr},
  };
  for (const auto& c : cases) {
    const TAnalyzerResult result = Run(c.data);
    EXPECT_EQ(result.Kind, c.kind) << c.data;
    if (c.detail) {
      EXPECT_EQ(result.Detail, c.detail) << c.data;
    }
  }
}

TEST_F(AnalyzeOnDrives, SkippedDataCausesNoFileSystemAccess) {
  std::stop_source stop;
  context_.Stop = stop.get_token();
  const std::string skipped[] = {
      "",
      "ab",
      "C:\\missing.dll " + std::string(986, 'x'),  // 1001 characters: not examined
      "no reference here at all",
      "\\\\server\\share\\x.exe",
      "%VP_UNDEFINED_NAME%\\x.dll",
      "D:\\Setup\\gone.exe",
      "Q:\\gone.exe",
      "C:\\HRZR_missing.dll",
  };
  for (const auto& data : skipped) {
    const TAnalyzerResult result = Run(data);
    EXPECT_EQ(result.Kind, kReferenceNoReport) << data;
    EXPECT_EQ(host_.Machine().Files().CallCount(), 0u) << data;
  }
  // The count does see the calls an examined path makes, up to 1000 characters...
  EXPECT_EQ(Run("C:\\missing.dll " + std::string(985, 'x')).Kind, kReferenceMissing);
  EXPECT_GT(host_.Machine().Files().CallCount(), 0u);
  // ...and a stopped scan makes none and reports nothing.
  stop.request_stop();
  EXPECT_EQ(Run("C:\\missing.dll").Kind, kReferenceNoReport);
  EXPECT_EQ(host_.Machine().Files().CallCount(), 0u);
}

TEST_F(AnalyzeOnDrives, CheckablePaths) {
  struct Case {
    const char* candidate;
    const char* workingData;
    bool checkable;
  };
  const Case cases[] = {
      {"C:\\a.exe", "C:\\a.exe", true},  {"c:\\a.exe", "W:\\x", true},    {"D:\\a.exe", "C:\\a.exe", false},
      {"C:\\a.exe", "D:\\a.exe", false}, {"C:\\a\\\\b", "C:\\", false},   {"C:\\a:b", "C:\\", false},
      {"C:a.exe", "C:\\", false},        {"\\\\s\\a.exe", "C:\\", false}, {"C:\\a?.exe", "C:\\", false},
      {"C:\\a\".exe", "C:\\", false},    {"C:\\a/b", "C:\\", false},      {"1:\\a", "C:\\", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsCheckablePath(c.candidate, c.workingData, context_), c.checkable) << c.candidate;
}

}  // namespace
}  // namespace vp
