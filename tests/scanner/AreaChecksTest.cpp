// The scan areas that look at particular registrations, on a simulated
// machine with the dirty registry: every rule that decides has a planted
// finding and a near miss beside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DirtyFixture.h"
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

class AreaChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::PlantDirtyDrive(fixture_.Root()));
    for (const std::string& name : test::kDirtyRegFiles) ASSERT_TRUE(fixture_.ApplyFixture(name));
    ASSERT_TRUE(fixture_.ApplyFixture(test::kSimulationOnlyRegFile));
    for (const char* extension : {".vpas", ".vpass"})
      fixture_.Machine().System().SetAssociation(extension, "C:\\Tools\\viewer.exe");
  }

  static void PlantFonts() {
    const std::string fonts = platform::Sys().WindowsFolder() + "\\Fonts\\";
    ASSERT_TRUE(ForceFolders(fonts));
    for (const std::string& file : test::kDirtyFontFiles) ASSERT_TRUE(CreateEmptyFile(fonts + file));
  }

  // The findings of one area, scanned with the fixture's ignore list.
  std::vector<std::string> Findings(int32_t area, bool readKeyDates = false) const {
    TScanOptions options;
    options.Mode = area;
    options.ReadKeyDates = readKeyDates;
    options.IgnoreList = &ignoreList_;
    const test::ScanRun run = test::RunSweeper(options);
    EXPECT_EQ(run.finished, 1);
    for (const TNewItem& item : run.items)
      EXPECT_EQ(test::Show(item).date == "(empty)", !readKeyDates || area == 11) << item.FullPath;
    return test::FindingRows(run.items);
  }

  test::SimScanFixture fixture_;
  const StringList ignoreList_ = test::DirtyIgnoreList();
};

TEST_F(AreaChecksTest, EveryAreaReportsExactlyItsPlantedFindings) {
  // Without a fonts folder no font is missing.
  EXPECT_EQ(Findings(8), std::vector<std::string>());
  PlantFonts();
  for (bool dates : {false, true}) {
    for (int32_t area = 6; area <= kAreaLastDeep; ++area) {
      SCOPED_TRACE("area " + std::to_string(area) + (dates ? " with dates" : ""));
      EXPECT_EQ(Findings(area, dates), test::ExpectedRows(area, area));
    }
  }
}

TEST_F(AreaChecksTest, WholeKeyFindingsListTheirContents) {
  TScanOptions options;
  options.Mode = 6;
  const test::ScanRun run = test::RunSweeper(options);
  EXPECT_EQ(run.Count("Uninstall\\GoneApp", "UninstallString"), 1);
  EXPECT_EQ(run.Count("ARPCache\\LeftBehind", "SlowInfoCache"), 1);
  // The help file findings (one in each view) name the folder with its
  // backslash.
  options.Mode = 11;
  options.IgnoreList = &ignoreList_;
  const test::ScanRun help = test::RunSweeper(options);
  ASSERT_EQ(help.items.size(), 2u);
  for (const TNewItem& item : help.items) EXPECT_EQ(test::Show(item).data, fixture_.Root() + "help\\");
}

TEST_F(AreaChecksTest, IgnoredEntriesAreMarkedOrDropped) {
  // The entries the fixture's ignore list hides are findings without it;
  // with ReportIgnored they come back marked, their problem text wrapped. The
  // plain entry hides the classes key's mirror as well.
  struct Case {
    int32_t area;
    std::string key;
    const char* markedProblem;
  } cases[] = {
      {6, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\IgnoredApp",
       "Ignored: Uninstall"},
      {13, "HKEY_CLASSES_ROOT\\Applications\\ignored.exe", "Ignored: Application"},
  };
  auto count = [](const test::ScanRun& run, const std::string& key) {
    return std::count_if(run.items.begin(), run.items.end(), [&](const TNewItem& item) {
      return item.FullPath == key && test::Show(item).entry == kWholeKey;
    });
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    TScanOptions options;
    options.Mode = c.area;
    EXPECT_EQ(count(test::RunSweeper(options), c.key), 1);
    options.IgnoreList = &ignoreList_;
    EXPECT_EQ(count(test::RunSweeper(options), c.key), 0);
    options.ReportIgnored = true;
    const test::ScanRun marked = test::RunSweeper(options);
    ASSERT_EQ(count(marked, c.key), 1);
    for (const TNewItem& item : marked.items) {
      if (test::Show(item).entry != kWholeKey) continue;  // a key's listed contents are not what matched
      const bool hidden = item.FullPath.find(c.key.substr(c.key.find('\\'))) != std::string::npos;
      EXPECT_EQ(item.Ignored, hidden) << item.FullPath;
      if (hidden) {
        EXPECT_EQ(test::Show(item).problem, c.markedProblem);
      }
    }
  }
}

TEST_F(AreaChecksTest, AnIgnoredClassIsNeitherReportedNorBroken) {
  // The class stays valid, so the interface and the program id that lead to
  // it are fine too.
  const StringList ignoreList = {platform::Sys().LowerCase("{C0000000-0000-0000-0000-000000000001}")};
  TScanOptions options;
  options.Mode = 16;
  options.IgnoreList = &ignoreList;
  options.ReportIgnored = true;
  std::vector<std::string> expected;
  for (const std::string& row : test::ExpectedRows(16, 16))
    if (row.find("C0000000-0000-0000-0000-000000000001") == std::string::npos &&
        row.find("D0000000-0000-0000-0000-000000000001") == std::string::npos &&
        row.find("Vp.Broken") == std::string::npos)
      expected.push_back(row);
  EXPECT_EQ(test::FindingRows(test::RunSweeper(options).items), expected);
}

TEST_F(AreaChecksTest, ComFindingsBeyondOneHundredAreNotReported) {
  // Program identifiers naming an unregistered class, added to the findings
  // of the fixture: 100 findings are reported, 101 are not.
  auto addBrokenProgIds = [this](int from, int to) {
    return test::ApplyRegText(test::OrphanProgIdsRegText(from, to), fixture_.KeyPath(), fixture_.Root());
  };
  const int planted = static_cast<int>(test::ExpectedRows(16, 16).size());
  ASSERT_TRUE(addBrokenProgIds(0, 100 - planted));
  EXPECT_EQ(Findings(16).size(), 100u);
  ASSERT_TRUE(addBrokenProgIds(100 - planted, 101 - planted));
  EXPECT_EQ(Findings(16).size(), 0u);
}

// A list with fewer than five names is taken as unread: the tests that look
// names up in it are skipped, and only they. A fresh system holds three
// AppIDs, and its broken classes are still found.
TEST_F(AreaChecksTest, AShortListSkipsOnlyTheTestsThatUseIt) {
  const std::string d1 = "Interface\\{D0000000-0000-0000-0000-000000000001}";
  struct Case {
    std::vector<std::string> deleted;      // the list's keys, in both views
    std::vector<std::string> notReported;  // key prefixes no longer found
  } cases[] = {
      {{"AppID"}, {"CLSID\\{C0000000-0000-0000-0000-000000000004}"}},
      {{"TypeLib"},
       {"TypeLib\\", "Interface\\{D0000000-0000-0000-0000-000000000003}",
        "Interface\\{D0000000-0000-0000-0000-000000000004}"}},
      // Without classes, the interfaces and program ids that name one are
      // not taken as broken (those naming a valid class would be).
      {{"CLSID", "Wow6432Node\\CLSID"},
       {"CLSID\\", "Wow6432Node\\CLSID\\", d1, "Interface\\{D0000000-0000-0000-0000-000000000006}",
        "Wow6432Node\\Interface\\", "Vp.Unregistered", "Vp.Broken"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.deleted.front());
    SetUp();  // the whole fixture again, every list complete
    TFastRegistry registry;
    registry.SetRootKey(platform::kHkeyClassesRoot);
    for (const std::string& key : c.deleted) ASSERT_TRUE(registry.DeleteKey(key)) << key;
    std::vector<std::string> expected;
    for (const std::string& row : test::ExpectedRows(16, 16)) {
      bool skipped = false;
      for (const std::string& key : c.notReported)
        skipped = skipped || row.rfind("HKEY_CLASSES_ROOT\\" + key, 0) == 0;
      if (!skipped) expected.push_back(row);
    }
    EXPECT_EQ(Findings(16), expected);
  }
}

// A normal scan runs every area but the class registrations; a deep scan
// adds them. The whole-hive walk's own findings are left out here.
TEST_F(AreaChecksTest, NormalAndDeepScans) {
  PlantFonts();
  for (bool deep : {false, true}) {
    SCOPED_TRACE(deep ? "deep" : "normal");
    EXPECT_EQ(test::FindingRows(test::WholeScanItems(deep, ignoreList_)),
              test::ExpectedRows(6, deep ? 16 : 15));
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
