// Fix over a list of findings: backup first, and nothing changed whose
// backup failed.

#include <gtest/gtest.h>

#include <algorithm>

#include "backup/SetSeal.h"
#include "files/FileSystemCache.h"
#include "files/FileTools.h"
#include "platform/sim/SimMachine.h"
#include "registry/FastRegistry.h"
#include "registry/RegExportText.h"
#include "scanner/CleanerFix.h"
#include "support/RegistryTestSupport.h"
#include "support/ScratchFolder.h"

namespace vp::test {
namespace {

constexpr const char* kWholeKey = "[Whole key]";

class CleanerFixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(key_.Ok());
    scratch_.PutFolder("Backups");
    scratch_.PutFile("elsewhere\\deep\\moved.exe", "x");
    TFastRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path(), false));
    registry.WriteString("Moved", "\"" + scratch_.Path("old\\moved.exe") + "\" -x");
    registry.WriteString("Dead", scratch_.Path("old\\dead.exe"));
    registry.WriteString("", scratch_.Path("old\\default.exe"));
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path() + "\\Child\\Grandchild", true));
    registry.WriteString("Inner", "1");
    settings_.backupsFolder = scratch_.Path("Backups\\");
    settings_.description = "test";
    settings_.cache = &cache_;
    settings_.searchFolders = {scratch_.Path("elsewhere\\"), scratch_.Path("elsewhere\\deep\\")};
    settings_.driveLetters = "c";
  }

  TNewItem Finding(const std::string& below, const std::string& entry) const {
    TNewItem item;
    item.FullPath = key_.FullPath() + below;
    item.WholeKey = entry == kWholeKey;
    if (!item.WholeKey) item.ValueName = entry;
    return item;
  }

  bool Exists(const std::string& below, const std::string& value = "") {
    TFastRegistry registry;
    if (!registry.OpenKeyReadOnly(key_.Path() + below)) return false;
    if (value.empty()) return true;
    std::vector<std::string> names;  // listed, whether or not its data reads
    registry.GetValueNames(names);
    return std::find(names.begin(), names.end(), value == "@" ? "" : value) != names.end();
  }

  std::string Read(const std::string& value) {
    TFastRegistry registry;
    registry.OpenKeyReadOnly(key_.Path());
    return registry.ReadString(value);
  }

  ScratchFolder scratch_;
  ScratchKey key_;
  TFileSystemCache cache_;
  TFixSettings settings_;
};

TEST_F(CleanerFixTest, DryRunAndMissingSetChangeNothing) {
  const std::vector<TNewItem> items = {Finding("", "Moved"), Finding("", "Dead"),
                                       Finding("\\Child", kWholeKey)};
  struct Case {
    const char* name;
    bool dryRun;
    std::string backupsFolder;
    int repaired, removed, failed;
  };
  const Case cases[] = {
      {"dry run", true, settings_.backupsFolder, 1, 2, 0},
      {"backups folder missing", false, scratch_.Path("NoSuchFolder\\"), 0, 0, 3},
  };
  for (const Case& c : cases) {
    TFixSettings settings = settings_;
    settings.dryRun = c.dryRun;
    settings.backupsFolder = c.backupsFolder;
    const TFixReport report = FixCleanerItems(items, settings);
    EXPECT_FALSE(report.backupCreated) << c.name;
    EXPECT_EQ(report.repaired, c.repaired) << c.name;
    EXPECT_EQ(report.removed, c.removed) << c.name;
    EXPECT_EQ(report.failed, c.failed) << c.name;
    EXPECT_EQ(Read("Moved"), "\"" + scratch_.Path("old\\moved.exe") + "\" -x") << c.name;
    EXPECT_TRUE(Exists("", "Dead")) << c.name;
    EXPECT_TRUE(Exists("\\Child\\Grandchild")) << c.name;
  }
}

// A search that finds the very place the value names repairs nothing: the
// value goes, as when nothing is found (a history list's existing file, a
// folder that stayed while its file went).
TEST_F(CleanerFixTest, FindingTheNamedPlaceItselfIsNoRepair) {
  TFastRegistry registry;
  ASSERT_TRUE(registry.OpenKey("\\" + key_.Path(), false));
  std::string file = scratch_.Path("elsewhere\\deep\\moved.exe");
  file[0] = static_cast<char>(file[0] == 'C' ? 'c' : 'C');  // the drive letter's case alone differs
  registry.WriteString("SameFile", file);
  registry.WriteString("SameFolder", scratch_.Path("elsewhere\\deep"));
  const TFixReport report =
      FixCleanerItems({Finding("", "SameFile"), Finding("", "SameFolder"), Finding("", "Moved")}, settings_);
  EXPECT_EQ(report.repaired, 1);
  EXPECT_EQ(report.removed, 2);
  EXPECT_FALSE(Exists("", "SameFile"));
  EXPECT_FALSE(Exists("", "SameFolder"));
}

// A stop ends the fix after the finding in hand; the set holds exactly what
// was changed and is finished as interrupted.
TEST_F(CleanerFixTest, StopEndsAfterTheFindingInHand) {
  TFixSettings settings = settings_;
  int asked = 0;
  settings.stopRequested = [&asked] { return ++asked > 1; };
  const TFixReport report = FixCleanerItems({Finding("", "Dead"), Finding("\\Child", kWholeKey)}, settings);
  ASSERT_TRUE(report.backupCreated);
  EXPECT_TRUE(report.interrupted);
  ASSERT_EQ(report.outcomes.size(), 1u);
  EXPECT_EQ(report.removed, 1);
  EXPECT_FALSE(Exists("", "Dead"));
  EXPECT_TRUE(Exists("\\Child\\Grandchild"));
  const backup::SetSeal seal = backup::CheckSetSeal(report.setFolder);
  EXPECT_EQ(seal.state, backup::SetState::kInterrupted);
  EXPECT_TRUE(seal.differences.empty());
  const std::string entries = EntriesFileText(ReadFileText(report.setFolder + "Entries.reg")).value_or("");
  EXPECT_NE(entries.find("\"Dead\"="), std::string::npos) << entries;
  EXPECT_EQ(entries.find("Grandchild"), std::string::npos) << entries;
}

// Fix and the cleaner tab's Remove alike: a finding whose backup fails stays.
TEST_F(CleanerFixTest, AFindingWhoseBackupFailsStaysAndCountsAsFailed) {
  if (scratch_.Sim() == nullptr) GTEST_SKIP() << "needs text the code page cannot hold";
  ASSERT_TRUE(
      scratch_.Sim()->Registry().SetForeignTextValue(platform::kHkeyCurrentUser, key_.Path(), "Foreign"));
  for (const bool remove : {false, true}) {
    SCOPED_TRACE(remove ? "Remove" : "Fix");
    const std::vector<TNewItem> items = {Finding("", "Foreign"), Finding("", "Dead")};
    const TFixReport report =
        remove ? RemoveCleanerItems(items, settings_) : FixCleanerItems(items, settings_);
    ASSERT_TRUE(report.backupCreated);
    EXPECT_EQ(report.outcomes[0].action, TFixAction::kFailed);
    EXPECT_FALSE(report.outcomes[0].reason.empty());
    EXPECT_EQ(report.failed, 1);
    EXPECT_TRUE(Exists("", "Foreign"));
    EXPECT_FALSE(Exists("", "Dead"));
    TFastRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path(), false));
    registry.WriteString("Dead", "planted again");
  }
}

// Remove deletes what Fix would repair, and reports its progress row by row.
TEST_F(CleanerFixTest, RemoveRepairsNothing) {
  std::vector<size_t> progress;
  TFixSettings settings = settings_;
  settings.progress = [&progress](size_t handled) { progress.push_back(handled); };
  const TFixReport report =
      RemoveCleanerItems({Finding("", "Moved"), Finding("\\Child", kWholeKey)}, settings);
  EXPECT_EQ(report.repaired, 0);
  EXPECT_EQ(report.removed, 2);
  EXPECT_FALSE(Exists("", "Moved"));
  EXPECT_FALSE(Exists("\\Child"));
  EXPECT_EQ(progress, (std::vector<size_t>{1, 2}));
}

// What Fix acts on is the finding's flag, not a text: a value that happens to
// carry the whole-key marker's text is a value.
TEST_F(CleanerFixTest, WholeKeyFindingsAreKnownByTheirFlag) {
  TNewItem wholeKey = Finding("\\Child", kWholeKey);
  TNewItem markerText = Finding("", "Dead");
  markerText.ValueName = kWholeKey;
  TFixSettings settings = settings_;
  settings.dryRun = true;
  const TFixReport report = FixCleanerItems({wholeKey, markerText}, settings);
  ASSERT_EQ(report.outcomes.size(), 2u);
  EXPECT_EQ(report.outcomes[0].action, TFixAction::kRemoved);
  EXPECT_EQ(report.gone, 1);  // no value of that name
}

}  // namespace
}  // namespace vp::test
