// The scan areas that look at particular registrations, on a simulated
// machine with a dirty registry: every rule that decides has a planted
// finding and a near miss beside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ScanFixture.h"
#include "files/FileTools.h"
#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "registry/FastRegistry.h"
#include "scanner/ScanDriver.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

using test::kWholeKey;

// One expected finding: the area, the full key path, the value name (the
// whole-key text for a key) and the problem text of its code.
struct Expected {
  int32_t area;
  std::string fullPath;
  std::string valueName;
  std::string problem;
};

std::string Row(const std::string& fullPath, const std::string& valueName, const std::string& problem) {
  return fullPath + " | " + valueName + " | " + problem;
}

class AreaChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlantDrive();
    ASSERT_TRUE(fixture_.ApplyFixture("areas/software.reg"));
    ASSERT_TRUE(fixture_.ApplyFixture("areas/filetypes.reg"));
    ASSERT_TRUE(fixture_.ApplyFixture("areas/menus.reg"));
    ASSERT_TRUE(fixture_.ApplyFixture("areas/com.reg"));
    fixture_.Machine().System().SetAssociation(".vpas", "C:\\Tools\\viewer.exe");
  }

  // Copies the drive folder of the fixture into C: as empty files.
  void PlantDrive() {
    namespace fs = std::filesystem;
    const fs::path source = fs::u8path(test::DataPath("scanner/areas/drive_c"));
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
      std::string relative = entry.path().lexically_relative(source).generic_string();
      std::replace(relative.begin(), relative.end(), '/', '\\');
      const std::string target = fixture_.Root() + relative;
      if (entry.is_directory())
        ASSERT_TRUE(ForceFolders(target)) << target;
      else
        ASSERT_TRUE(ForceFolders(ParentFolder(target)) && CreateEmptyFile(target)) << target;
    }
  }

  // The findings of one area: whole keys (without their mirrors and listed
  // contents) for the areas that report keys, every item for the others.
  static std::vector<std::string> Findings(int32_t area, bool readKeyDates = false) {
    TScanOptions options;
    options.Mode = area;
    options.ReadKeyDates = readKeyDates;
    const test::ScanRun run = test::RunSweeper(options);
    EXPECT_EQ(run.finished, 1);
    const bool valueArea = area == 8 || area == 11 || area == 15;
    std::vector<std::string> rows;
    for (const TNewItem& item : run.items) {
      if (!valueArea && item.ValueName != kWholeKey) continue;
      if (item.FullPath.rfind("HKEY_LOCAL_MACHINE\\Software\\classes\\", 0) == 0) continue;
      EXPECT_EQ(item.KeyDate == "(empty)", !readKeyDates || area == 11) << item.FullPath;
      rows.push_back(Row(item.FullPath, item.ValueName, item.Problem));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  std::vector<std::string> ExpectedRows(const std::vector<Expected>& table, int32_t area) const {
    std::vector<std::string> rows;
    for (const Expected& e : table) {
      if (e.area != area) continue;
      std::string valueName = e.valueName;
      const size_t at = valueName.find("@ROOT@");
      if (at != std::string::npos) valueName.replace(at, 6, fixture_.Root());
      rows.push_back(Row(e.fullPath, valueName, e.problem));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  test::SimScanFixture fixture_;
};

const std::string kUninstall =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kArpCache =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\";
const std::string kAppPaths = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const std::string kSharedTools = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Shared Tools\\";

const std::vector<Expected>& SoftwareTable() {
  static const std::vector<Expected> table = {
      {6, kUninstall + "GoneApp", kWholeKey, "Uninstall"},
      {6, kUninstall + "EmptyEntry", kWholeKey, "Uninstall"},
      {6, kArpCache + "LeftBehind", kWholeKey, "Uninstall"},
      {11, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help", "gone.hlp", "Help file"},
      {12, kAppPaths + "allgone.exe", kWholeKey, "App path"},
      {13, "HKEY_CLASSES_ROOT\\Applications\\useless.exe", kWholeKey, "Application"},
      {13, "HKEY_CLASSES_ROOT\\Applications\\noopen.exe", kWholeKey, "Application"},
      {14, kSharedTools + "GoneTool", kWholeKey, "Shared tool"},
  };
  return table;
}

TEST_F(AreaChecksTest, SoftwareRegistrations) {
  for (bool dates : {false, true}) {
    for (int32_t area : {6, 11, 12, 13, 14}) {
      SCOPED_TRACE("area " + std::to_string(area));
      EXPECT_EQ(Findings(area, dates), ExpectedRows(SoftwareTable(), area));
    }
  }
}

TEST_F(AreaChecksTest, WholeKeyFindingsListTheirContents) {
  TScanOptions options;
  options.Mode = 6;
  const test::ScanRun run = test::RunSweeper(options);
  EXPECT_EQ(run.Count("Uninstall\\GoneApp", "UninstallString"), 1);
  EXPECT_EQ(run.Count("ARPCache\\LeftBehind", "SlowInfoCache"), 1);
  // The help file finding names the folder with its backslash.
  options.Mode = 11;
  const test::ScanRun help = test::RunSweeper(options);
  ASSERT_EQ(help.items.size(), 1u);
  EXPECT_EQ(help.items[0].ValueData, fixture_.Root() + "help\\");
}

const std::string kFileExts =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
const std::string kFonts = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

const std::vector<Expected>& FileTypeTable() {
  static const std::vector<Expected> table = {
      {7, "HKEY_CLASSES_ROOT\\.vpa", kWholeKey, "File type"},
      {7, "HKEY_CLASSES_ROOT\\vpclass.blank", kWholeKey, "File type"},
      {7, "HKEY_CLASSES_ROOT\\vpclass.hollow", kWholeKey, "File type"},
      {7, kFileExts + ".vpe", kWholeKey, "File type"},
      {8, kFonts, "Gone (TrueType)", "Font"},
  };
  return table;
}

TEST_F(AreaChecksTest, FileTypesAndFonts) {
  // Without a fonts folder no font is missing.
  EXPECT_EQ(Findings(8), std::vector<std::string>());
  const std::string fonts = platform::Sys().WindowsFolder() + "\\Fonts\\";
  ASSERT_TRUE(ForceFolders(fonts));
  ASSERT_TRUE(CreateEmptyFile(fonts + "present.ttf"));
  ASSERT_TRUE(CreateEmptyFile(fonts + "short.ttf"));
  for (bool dates : {false, true}) {
    for (int32_t area : {7, 8}) {
      SCOPED_TRACE("area " + std::to_string(area));
      EXPECT_EQ(Findings(area, dates), ExpectedRows(FileTypeTable(), area));
    }
  }
}

const std::string kMenuOrder =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\";
const std::string kEditorList = "HKEY_CURRENT_USER\\Software\\Vendor\\Editor\\Recent File List";
const std::string kFileMenu = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Studio\\Filemenu";

const std::vector<Expected>& MenuTable() {
  static const std::vector<Expected> table = {
      {9, kMenuOrder + "Start Menu\\Programs\\Deleted", kWholeKey, "Application"},
      {9, kMenuOrder + "Start Menu\\Programs\\Hollow", kWholeKey, "Application"},
      {9, kMenuOrder + "Start Menu\\Programs\\Games\\Gone", kWholeKey, "Application"},
      {9, kMenuOrder + "Start Menu2\\Programs\\Blank", kWholeKey, "Application"},
      {10, "HKEY_LOCAL_MACHINE\\Software\\EmptyVendor", kWholeKey, "Software key"},
      {10, "HKEY_CURRENT_USER\\Software\\EmptyVendor", kWholeKey, "Software key"},
      {10, "HKEY_LOCAL_MACHINE\\Software\\BlankDefault", kWholeKey, "Software key"},
      {15, kEditorList, "File1", "History"},
      {15, kEditorList, "File2", "History"},
      {15, kEditorList, "File3", "History"},
      {15, kEditorList, "File4", "History"},
      {15, kEditorList, "File5", "History"},
      {15, kEditorList, "File6", "History"},
      {15, kFileMenu, "Item01", "History"},
      {15, kFileMenu, "Item02", "History"},
      {15, kFileMenu, "Item03", "History"},
      {15, kFileMenu, "Item04", "History"},
      {15, kFileMenu, "Item05", "History"},
  };
  return table;
}

TEST_F(AreaChecksTest, MenusVendorKeysAndHistoryLists) {
  for (bool dates : {false, true}) {
    for (int32_t area : {9, 10, 15}) {
      SCOPED_TRACE("area " + std::to_string(area));
      EXPECT_EQ(Findings(area, dates), ExpectedRows(MenuTable(), area));
    }
  }
}

std::string ComKey(char kind, int number) {
  char guid[48];
  std::snprintf(guid, sizeof guid, "{%c0000000-0000-0000-0000-0000000000%02d}", kind, number);
  return guid;
}

const std::vector<Expected>& ComTable() {
  static const std::vector<Expected> table = {
      {16, "HKEY_CLASSES_ROOT\\CLSID\\" + ComKey('C', 1), kWholeKey, "com detail"},
      {16, "HKEY_CLASSES_ROOT\\CLSID\\" + ComKey('C', 4), kWholeKey, "com twelve"},
      {16, "HKEY_CLASSES_ROOT\\TypeLib\\" + ComKey('B', 1), kWholeKey, "com ten"},
      {16, "HKEY_CLASSES_ROOT\\Interface\\" + ComKey('D', 1), kWholeKey, "com detail"},
      {16, "HKEY_CLASSES_ROOT\\Interface\\" + ComKey('D', 3), kWholeKey, "com ten"},
      {16, "HKEY_CLASSES_ROOT\\Interface\\" + ComKey('D', 4), kWholeKey, "com ten"},
      {16, "HKEY_CLASSES_ROOT\\Interface\\" + ComKey('D', 6), kWholeKey, "com detail"},
      {16, "HKEY_CLASSES_ROOT\\Vp.Unregistered", kWholeKey, "com eleven"},
      {16, "HKEY_CLASSES_ROOT\\Vp.Broken", kWholeKey, "com eleven"},
  };
  return table;
}

TEST_F(AreaChecksTest, ComRegistrations) {
  for (bool dates : {false, true}) EXPECT_EQ(Findings(16, dates), ExpectedRows(ComTable(), 16));
}

TEST_F(AreaChecksTest, AnIgnoredClassIsNeitherReportedNorBroken) {
  // The class stays valid, so the interface and the program id that lead to
  // it are fine too.
  const StringList ignoreList = {platform::Sys().LowerCase(ComKey('C', 1))};
  TScanOptions options;
  options.Mode = 16;
  options.IgnoreList = &ignoreList;
  options.ReportIgnored = true;
  std::vector<std::string> rows;
  for (const TNewItem& item : test::RunSweeper(options).items)
    if (item.ValueName == kWholeKey && item.RootName == "HKEY_CLASSES_ROOT")
      rows.push_back(Row(item.FullPath, item.ValueName, item.Problem));
  std::sort(rows.begin(), rows.end());
  std::vector<std::string> expected;
  for (const std::string& row : ExpectedRows(ComTable(), 16))
    if (row.find(ComKey('C', 1)) == std::string::npos && row.find(ComKey('D', 1)) == std::string::npos &&
        row.find("Vp.Broken") == std::string::npos)
      expected.push_back(row);
  EXPECT_EQ(rows, expected);
}

TEST_F(AreaChecksTest, ComFindingsBeyondOneHundredAreNotReported) {
  // Program identifiers naming an unregistered class, added to the nine
  // findings of the fixture: 100 findings are reported, 101 are not.
  auto addBrokenProgIds = [this](int from, int to) {
    std::string text = "REGEDIT4\r\n\r\n";
    for (int i = from; i < to; ++i)
      text += "[HKEY_CLASSES_ROOT\\Vp.Orphan" + std::to_string(i) + "\\CLSID]\r\n@=\"" + ComKey('E', 1) +
              "\"\r\n\r\n";
    return test::ApplyRegText(text, fixture_.KeyPath(), fixture_.Root());
  };
  ASSERT_TRUE(addBrokenProgIds(0, 91));
  EXPECT_EQ(Findings(16).size(), 100u);
  ASSERT_TRUE(addBrokenProgIds(91, 92));
  EXPECT_EQ(Findings(16).size(), 0u);
}

TEST_F(AreaChecksTest, FewClassesMeanNoComCheck) {
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyClassesRoot);
  ASSERT_TRUE(registry.DeleteKey("AppID\\" + ComKey('A', 5)));
  EXPECT_EQ(Findings(16), std::vector<std::string>());
}

// A normal scan runs every area but the class registrations; a deep scan
// adds them. The whole-hive walk's own findings are left out here.
TEST_F(AreaChecksTest, NormalAndDeepScans) {
  const std::string fonts = platform::Sys().WindowsFolder() + "\\Fonts\\";
  ASSERT_TRUE(ForceFolders(fonts) && CreateEmptyFile(fonts + "present.ttf") &&
              CreateEmptyFile(fonts + "short.ttf"));
  for (bool deep : {false, true}) {
    SCOPED_TRACE(deep ? "deep" : "normal");
    TQueueDispatcher dispatcher;
    TScanDriver driver(dispatcher);
    TScanRequest request;
    request.deep = deep;
    request.language = test::TestLanguage();
    ASSERT_TRUE(driver.Start(request));
    driver.Wait();
    std::vector<std::string> rows;
    for (const TNewItem& item : driver.Items()) {
      const bool valueFinding =
          item.Problem == "Help file" || item.Problem == "Font" || item.Problem == "History";
      if (item.Problem.rfind("Missing", 0) == 0 || (!valueFinding && item.ValueName != kWholeKey)) continue;
      if (item.FullPath.rfind("HKEY_LOCAL_MACHINE\\Software\\classes\\", 0) == 0) continue;
      rows.push_back(Row(item.FullPath, item.ValueName, item.Problem));
    }
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> expected;
    for (int32_t area = 6; area <= (deep ? 16 : 15); ++area)
      for (const auto* table : {&SoftwareTable(), &FileTypeTable(), &MenuTable(), &ComTable()}) {
        const std::vector<std::string> part = ExpectedRows(*table, area);
        expected.insert(expected.end(), part.begin(), part.end());
      }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rows, expected);
  }
}

TEST_F(AreaChecksTest, StoppedAreasReportNothing) {
  for (int32_t area : {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) {
    TScanOptions options;
    options.Mode = area;
    int finished = 0;
    int items = 0;
    {
      TQueueDispatcher dispatcher;
      TSweeper sweeper(options, dispatcher);
      sweeper.SetLanguage(test::TestLanguage());
      sweeper.OnFinished = [&](TSweeper&) { ++finished; };
      sweeper.OnItem = [&](TSweeper&, TNewItem&) { ++items; };
      sweeper.Stop();
      sweeper.Start();
      sweeper.WaitFor();
    }
    EXPECT_EQ(finished, 1) << area;
    EXPECT_EQ(items, 0) << area;
  }
}

}  // namespace
}  // namespace vp
