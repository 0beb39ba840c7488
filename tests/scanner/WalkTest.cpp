// The whole-hive walk on fixture keys: one key tree on both platforms, whole
// roots on the simulated machine.

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "ScanFixture.h"
#include "platform/sim/SimMachine.h"
#include "registry/FastRegistry.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

using test::kWholeKey;

bool AnyItemMentions(const test::ScanRun& run, const std::string& text) {
  for (const TNewItem& item : run.items)
    if (item.KeyPath.find(text) != std::string::npos ||
        test::Show(item).entry.find(text) != std::string::npos ||
        test::Show(item).data.find(text) != std::string::npos ||
        test::Show(item).problem.find(text) != std::string::npos)
      return true;
  return false;
}

class WalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fixture_.Ok());
    ASSERT_TRUE(fixture_.ApplyFixture("walk.reg"));
  }
  std::string Walk() const { return fixture_.KeyPath() + "\\Walk"; }

  test::ScanFixture fixture_;
};

TEST_F(WalkTest, ReportsMissingFilesInNamesAndData) {
  const test::ScanRun run = test::RunSweeper(test::WalkOptions(Walk()));
  EXPECT_EQ(run.finished, 1);
  EXPECT_EQ(run.Count("\\Walk\\Valid"), 0);

  ASSERT_EQ(run.Count("\\Walk\\Broken"), 1);
  ASSERT_EQ(run.Count("\\Walk\\Broken", "Program"), 1);
  for (const TNewItem& item : run.items) {
    EXPECT_EQ(item.RootName, "HKEY_CURRENT_USER");  // no mirror without the user's hive
    EXPECT_EQ(test::Show(item).date, "(empty)");
    if (test::Show(item).entry == "Program") {
      EXPECT_EQ(test::Show(item).data, fixture_.Root() + "gone.exe /min");
      EXPECT_EQ(test::Show(item).problem, "Missing " + fixture_.Root() + "gone.exe");
      EXPECT_EQ(test::Show(item).severity, "sev3");
    }
  }

  // A value named by a missing path shows its (valid) data.
  ASSERT_EQ(run.Count("\\Walk\\NamedByPath", (fixture_.Root() + "gone-name.dll").c_str()), 1);
  for (const TNewItem& item : run.items) {
    if (item.KeyPath.size() > 12 && item.KeyPath.substr(item.KeyPath.size() - 12) == "\\NamedByPath") {
      EXPECT_EQ(test::Show(item).data, fixture_.Root() + "present.exe");
    }
  }

  // A key named by a missing path: the key itself, then its values; its
  // sub-key's name holds the same path, so it is a finding of its own.
  const std::string owner = "\\Walk\\Owner\\%windir%\\vp-gone-dir.exe";
  EXPECT_EQ(run.Count(owner, kWholeKey), 1);
  EXPECT_EQ(run.Count(owner, "A"), 1);
  EXPECT_EQ(run.Count(owner, "B"), 1);
  EXPECT_EQ(run.Count(owner + "\\Empty", kWholeKey), 1);

  // History lists are reported with severity 0.
  ASSERT_EQ(run.Count("\\Walk\\App\\RecentFileList", "File1"), 1);
  for (const TNewItem& item : run.items) {
    if (test::Show(item).entry == "File1") {
      EXPECT_EQ(item.SeverityLevel, 0);
    }
  }

  EXPECT_EQ(run.Count("\\Walk\\SYSTEM", "Checked"), 1);
  EXPECT_EQ(run.items.size(), 8u);

  // Every key and value counted once through OnCount, as the totals say.
  EXPECT_EQ(run.totalsCalls, 1);
  EXPECT_EQ(run.countedKeys, run.totalKeys);
  EXPECT_EQ(run.countedValues, run.totalValues);
  EXPECT_GT(run.totalValues, 15);
}

TEST_F(WalkTest, LeavesTheSkippedBranchesAlone) {
  const test::ScanRun run = test::RunSweeper(test::WalkOptions(Walk()));
  EXPECT_FALSE(run.items.empty());
  for (const char* name :
       {"skipped-system", "skipped-clsid", "skipped-typelib", "skipped-interface", "skipped-curver",
        "skipped-handler", "skipped-appid", "skipped-progid", "skipped-classes", "skipped-uninstall"})
    EXPECT_FALSE(AnyItemMentions(run, name)) << name;
}

TEST_F(WalkTest, OptionsShapeTheItems) {
  TScanOptions options = test::WalkOptions(Walk());
  options.SkipHistoryLists = true;
  options.ReadKeyDates = true;
  const test::ScanRun run = test::RunSweeper(options);
  EXPECT_EQ(run.Count("\\RecentFileList"), 0);
  ASSERT_EQ(run.items.size(), 7u);
  for (const TNewItem& item : run.items)
    EXPECT_NE(test::Show(item).date, "(empty)") << test::Show(item).entry;

  const StringList ignoreList = {"gone-dir"};
  options = test::WalkOptions(Walk());
  options.IgnoreList = &ignoreList;
  const test::ScanRun ignoring = test::RunSweeper(options);
  EXPECT_FALSE(AnyItemMentions(ignoring, "gone-dir"));
  EXPECT_EQ(ignoring.items.size(), 4u);
}

TEST_F(WalkTest, StopsInTheMiddle) {
  // Many keys, each with a missing file; the first item stops the scan.
  ASSERT_TRUE(fixture_.ApplyText(test::MissingFileKeys(200, "\\Many")));
  // Run on the owning thread, the item reaches the handler at once, so the
  // walk sees the stop before its next key.
  TScanOptions options = test::WalkOptions(fixture_.KeyPath() + "\\Many");
  options.Threaded = false;
  const test::ScanRun run = test::RunSweeper(options, [](TSweeper& sweeper, TNewItem&) { sweeper.Stop(); });
  EXPECT_EQ(run.items.size(), 1u);
  EXPECT_EQ(run.finished, 1);
  EXPECT_EQ(run.totalsCalls, 1);
  EXPECT_LT(run.totalValues, 200);
}

// Whole roots, on a simulated machine: the real registry's roots are not
// ours to fill.
class HiveWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fixture_.ApplyFixture("walk.reg"));
    ASSERT_TRUE(fixture_.ApplyFixture("hives.reg"));
  }

  test::SimScanFixture fixture_;
};

TEST_F(HiveWalkTest, MachineRootSkipsSecurityAndSystemBranches) {
  ASSERT_TRUE(fixture_.Machine().Registry().SetKeyAccess(
      platform::kHkeyLocalMachine, "Software\\Vendor\\Locked", platform::sim::SimKeyAccess::kNoOpen));
  TScanOptions options;
  options.Mode = kAreaMachine;
  const test::ScanRun run = test::RunSweeper(options);
  EXPECT_EQ(run.Count("SAM", "Checked"), 1);  // the key SAM itself is checked
  EXPECT_FALSE(AnyItemMentions(run, "skipped"));
  EXPECT_EQ(run.Count("Software\\Vendor\\App", "Path"), 1);
  EXPECT_EQ(run.Count("Software\\Vendor\\Locked"), 0);  // cannot be opened: skipped silently
  EXPECT_EQ(run.Count("Software\\Vendor\\After", "Path"), 1);
  EXPECT_EQ(run.items.size(), 3u);
}

TEST_F(HiveWalkTest, ClassesRootIsMirroredAndItsClassIdsAreNotWalked) {
  TScanOptions options;
  options.Mode = kAreaClassesRoot;
  const test::ScanRun run = test::RunSweeper(options);
  ASSERT_EQ(run.items.size(), 2u);
  EXPECT_EQ(run.items[0].FullPath, "HKEY_CLASSES_ROOT\\.vptest");
  EXPECT_EQ(run.items[1].FullPath, "HKEY_LOCAL_MACHINE\\Software\\classes\\.vptest");
}

TEST_F(HiveWalkTest, UsersRootSkipsTheCurrentUserAndRemovesItsMarker) {
  TFastRegistry registry;
  StringList before;
  ASSERT_TRUE(registry.OpenKeyReadOnly("Software"));
  registry.GetKeyNames(before);
  registry.CloseKey();

  TScanOptions options;
  options.Mode = kAreaUsers;
  const test::ScanRun run = test::RunSweeper(options);
  EXPECT_EQ(run.currentUserHive, platform::sim::SimRegistry::kUserSid);
  // The walk fixture lies under the current user: not walked again here.
  EXPECT_FALSE(AnyItemMentions(run, "gone.exe"));
  ASSERT_EQ(run.items.size(), 1u);
  EXPECT_EQ(run.items[0].FullPath, "HKEY_USERS\\.DEFAULT\\Software\\Vendor");

  // Stopped before it starts, the thread still finds the hive and cleans up.
  int finished = 0;
  {
    TQueueDispatcher dispatcher;
    TSweeper stopped(options, dispatcher);
    stopped.SetLanguage(test::TestLanguage());
    stopped.OnFinished = [&](TSweeper&) { ++finished; };
    stopped.Stop();
    stopped.Start();
    stopped.WaitFor();
  }
  EXPECT_EQ(finished, 1);

  StringList after;
  ASSERT_TRUE(registry.OpenKeyReadOnly("Software"));
  registry.GetKeyNames(after);
  EXPECT_EQ(after, before);
}

// Data is shown as text the way the registry class renders it; a value whose
// name cannot be read is neither checked nor counted, one whose data cannot
// be read is checked by its name with empty data; a key with no values
// still counts one.
TEST_F(HiveWalkTest, RendersAndCountsValuesAsListed) {
  const std::string base = fixture_.KeyPath() + "\\Counted";
  const std::string root = fixture_.Root();
  auto& sim = fixture_.Machine().Registry();
  {
    TFastRegistry registry;
    ASSERT_TRUE(registry.OpenKey(base + "\\Values", true));
    EXPECT_EQ(registry.WriteMultiString("Lines", "first\r\n" + root + "gone-multi.dll\r\n"), 0);
    EXPECT_EQ(registry.WriteInteger("Number", 16), 0);
    EXPECT_EQ(registry.WriteString(root + "gone-name.dll", "placeholder"), 0);
    EXPECT_EQ(registry.WriteString("Path", root + "gone.exe"), 0);
    ASSERT_TRUE(registry.OpenKey("\\" + base + "\\Nested\\Inner", true));
    EXPECT_EQ(registry.WriteString("Path", root + "gone-inner.dll"), 0);
  }
  ASSERT_TRUE(sim.AddForeignValue(platform::kHkeyCurrentUser, base + "\\Values"));
  ASSERT_TRUE(sim.SetForeignTextValue(platform::kHkeyCurrentUser, base + "\\Values", root + "gone-name.dll"));
  ASSERT_TRUE(sim.AddForeignKey(platform::kHkeyCurrentUser, base + "\\Nested"));

  const test::ScanRun run = test::RunSweeper(test::WalkOptions(base));
  struct Expected {
    const char* keyEnd;
    std::string name;
    std::string data;
  };
  // Sub-keys in the registry's order (Nested before Values); Report shows
  // empty data as the empty marker and drops the last line break.
  const Expected expected[] = {
      {"\\Counted\\Nested\\Inner", "Path", root + "gone-inner.dll"},
      {"\\Counted\\Values", "Lines", "first\r\n" + root + "gone-multi.dll"},
      {"\\Counted\\Values", root + "gone-name.dll", "(empty)"},
      {"\\Counted\\Values", "Path", root + "gone.exe"},
  };
  ASSERT_EQ(run.items.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const TNewItem& item = run.items[i];
    EXPECT_TRUE(item.KeyPath.size() >= std::strlen(expected[i].keyEnd) &&
                item.KeyPath.compare(item.KeyPath.size() - std::strlen(expected[i].keyEnd), std::string::npos,
                                     expected[i].keyEnd) == 0)
        << item.KeyPath;
    EXPECT_EQ(test::Show(item).entry, expected[i].name);
    EXPECT_EQ(test::Show(item).data, expected[i].data) << test::Show(item).entry;
  }
  // Keys: Counted lists two, Nested one (the unreadable name left out).
  // Values: four readable names in Values, Nested's empty list counted as
  // one, one in Inner.
  EXPECT_EQ(run.totalKeys, 3);
  EXPECT_EQ(run.totalValues, 6);
  EXPECT_EQ(run.countedKeys, run.totalKeys);
  EXPECT_EQ(run.countedValues, run.totalValues);
}

}  // namespace
}  // namespace vp
