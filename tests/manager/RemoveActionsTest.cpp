#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "backup/BackupSets.h"
#include "files/StringTools.h"
#include "manager/ManagerReaders.h"
#include "manager/RemoveActions.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "support/PlantedEntries.h"
#include "support/RegistryTree.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

// Each tab's Remove on a planted entry: the row goes, a backup set of the
// tab's type holds it, and restoring that set gives the registry (and the
// Startup folder) back exactly.
namespace vp {
namespace {

using platform::kHkeyClassesRoot;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::RegHandle;
using test::PlantedEntries;

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kRun32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUninstall32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kSearch = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static";
const std::string kSearch32 =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static";

struct RemoveCase {
  int tab;
  std::string caption;  // of the row to tick
  bool view32;          // and its registry view
  std::function<void(PlantedEntries&)> plant;
  RegHandle root;  // the key whose tree must come back
  std::string key;
  std::string twin = {};  // a key of the other view under root that stays as it is
};

std::vector<RemoveCase> Cases() {
  return {
      {0, "VptVendor", false,
       [](PlantedEntries& p) {
         p.Value(kHkeyLocalMachine, "Software\\VptVendor\\VptProgram\\Options", "Level", "3");
         p.Value(kHkeyLocalMachine, "Software\\VptVendor\\VptProgramme", "Keep", "me");
         p.Value(kHkeyClassesRoot, "vptprogram.doc\\shell\\open\\command", "", "C:\\VptProgram\\run.exe %1");
       },
       kHkeyLocalMachine, "Software\\VptVendor", "Software\\Wow6432Node\\VptVendor"},
      {0, "VptVendor", true,
       [](PlantedEntries& p) {
         p.Value(kHkeyLocalMachine, "Software\\Wow6432Node\\VptVendor\\VptProgram", "Level", "3");
         p.Value(kHkeyLocalMachine, "Software\\VptVendor\\VptProgram", "Level", "6");
       },
       kHkeyLocalMachine, "Software\\Wow6432Node\\VptVendor", "Software\\VptVendor"},
      {1, "VptRun", false,
       [](PlantedEntries& p) { p.Value(kHkeyCurrentUser, kRun, "VptRun", "C:\\vpt.exe"); }, kHkeyCurrentUser,
       kRun},
      {1, "VptOld", true,
       [](PlantedEntries& p) {
         p.Value(kHkeyLocalMachine, kRun32, "VptOld", "c:\\old.exe");
         p.Value(kHkeyLocalMachine, kRun, "VptOld", "c:\\new.exe");
       },
       kHkeyLocalMachine, kRun32},
      {2, "Vpt Removable", false,
       [](PlantedEntries& p) {
         p.Value(kHkeyLocalMachine, kUninstall + "\\VptKey", "DisplayName", "Vpt Removable");
         p.Value(kHkeyLocalMachine, kUninstall + "\\VptKey", "UninstallString", "C:\\vpt\\un.exe");
         p.Value(kHkeyCurrentUser, kUninstall + "\\VptUserKey", "DisplayName", "Vpt Removable");
       },
       kHkeyLocalMachine, kUninstall},
      {2, "Vpt Removable", true,
       [](PlantedEntries& p) {
         p.Value(kHkeyLocalMachine, kUninstall32 + "\\VptKey32", "DisplayName", "Vpt Removable");
         p.Value(kHkeyLocalMachine, kUninstall + "\\VptKey64", "DisplayName", "Vpt Removable");
       },
       kHkeyLocalMachine, kUninstall32},
      {3, ".vptgone", false,
       [](PlantedEntries& p) { p.Value(kHkeyClassesRoot, ".vptgone\\OpenWithList\\a", "", "b"); },
       kHkeyClassesRoot, ".vptgone"},
      {3, ".vptgone", true,
       [](PlantedEntries& p) {
         p.Value(kHkeyClassesRoot, "Wow6432Node\\.vptgone", "", "vpt32");
         p.Value(kHkeyClassesRoot, ".vptgone", "", "vpt64");
       },
       kHkeyClassesRoot, "Wow6432Node\\.vptgone", ".vptgone"},
      {5, "vptclass", true,
       [](PlantedEntries& p) {
         p.Value(kHkeyClassesRoot, "Wow6432Node\\vptclass\\Shell\\open\\Command", "", "c:\\vpt32.exe");
         p.Value(kHkeyClassesRoot, "vptclass\\Shell\\open\\Command", "", "c:\\vpt.exe");
       },
       kHkeyClassesRoot, "Wow6432Node\\vptclass", "vptclass"},
      {5, "vptclass", false,
       [](PlantedEntries& p) {
         p.Value(kHkeyClassesRoot, "vptclass\\Shell\\open\\Command", "", "c:\\vpt.exe");
         p.Value(kHkeyClassesRoot, "vptclass\\Shell\\print\\Command", "", "c:\\vpt.exe /p");
       },
       kHkeyClassesRoot, "vptclass"},
      {6, "Vpt Menu", false,
       [](PlantedEntries& p) {
         p.Value(kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\MenuExt\\vpt menu", "",
                 "res://x");
       },
       kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\MenuExt"},
      {7, "Vptapp.exe", false,
       [](PlantedEntries& p) {
         p.Value(kHkeyClassesRoot, "Applications\\vptapp.exe\\shell\\open\\command", "", "x");
       },
       kHkeyClassesRoot, "Applications\\vptapp.exe"},
      {8, "Vpt Files", false,
       [](PlantedEntries& p) {
         p.Value(kHkeyLocalMachine, kSearch + "\\VptGroup\\0", "", "vpt &files");
         p.Value(kHkeyLocalMachine, kSearch + "\\VptGroup\\1", "", "vpt files");
       },
       kHkeyLocalMachine, kSearch},
      {8, "Vpt Files", true,
       [](PlantedEntries& p) {
         p.Value(kHkeyLocalMachine, kSearch32 + "\\VptGroup\\0", "", "vpt &files");
         p.Value(kHkeyLocalMachine, kSearch + "\\VptGroup\\0", "", "vpt files");
       },
       kHkeyLocalMachine, kSearch32, kSearch},
  };
}

std::vector<TManagerRow> RowsOf(int tab) {
  TReaderContext context;
  context.isWinXP = true;
  TRowCollector rows;
  ReaderOfTab(tab)(context, rows);
  return rows.Rows();
}

// The first row with the caption in the view.
std::optional<TRemoveItem> RowShown(int tab, const std::string& caption, bool view32 = false) {
  for (const auto& row : RowsOf(tab))
    if (row.caption == caption && row.view32 == view32)
      return TRemoveItem{row.caption, SplitColumns(row.columns), row.view32};
  return std::nullopt;
}

// How many rows are shown exactly as the item.
size_t TimesShown(int tab, const TRemoveItem& item) {
  const std::string columns = JoinColumns(item.subItems);
  const auto rows = RowsOf(tab);
  return static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [&](const TManagerRow& row) {
    return row.caption == item.caption && row.columns == columns && row.view32 == item.view32;
  }));
}

// A backup that cannot be written changes nothing; one that can holds what
// the removal took.
TEST(RemoveActions, BackupFirstThenRemoveThenRestoreGivesTheEntriesBack) {
  for (const RemoveCase& c : Cases()) {
    SCOPED_TRACE("tab " + std::to_string(c.tab) + (c.view32 ? " (32-bit)" : ""));
    test::ScratchFolder scratch;
    scratch.PutFolder("Backups");
    PlantedEntries planted;
    c.plant(planted);
    const auto before = test::SnapshotTree(c.root, c.key);
    const auto twin = test::SnapshotTree(c.root, c.twin);
    auto item = RowShown(c.tab, c.caption, c.view32);
    ASSERT_TRUE(item.has_value());
    const size_t shown = TimesShown(c.tab, *item);

    TRemoveContext unwritable{scratch.Path("Missing\\Backups\\"), "", {}, {}};
    auto failed = RemoveRows(c.tab, {*item}, unwritable);
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ((*failed)[0].kind, TRemoveOutcome::Kind::kBackupFailed);
    EXPECT_EQ(test::SnapshotTree(c.root, c.key), before);

    TRemoveContext context{scratch.Path("Backups\\"), "removed by a test", {}, {}};
    auto outcomes = RemoveRows(c.tab, {*item}, context);
    ASSERT_TRUE(outcomes.has_value());
    ASSERT_EQ(outcomes->size(), 1u);
    EXPECT_EQ((*outcomes)[0].kind, TRemoveOutcome::Kind::kRemoved);
    // One entry goes; another one shown the same way stays.
    EXPECT_EQ(TimesShown(c.tab, *item), shown - 1);
    EXPECT_NE(test::SnapshotTree(c.root, c.key), before);
    if (!c.twin.empty()) {
      EXPECT_EQ(test::SnapshotTree(c.root, c.twin), twin);
    }

    // Restored newest first, as the sets were written in order.
    const auto& sets = (*outcomes)[0].setFolders;
    ASSERT_FALSE(sets.empty());
    for (auto it = sets.rbegin(); it != sets.rend(); ++it) {
      auto report = RestoreBackupSet(*it);
      EXPECT_EQ(report.typeCode, c.tab);
      EXPECT_TRUE(report.Complete());
    }
    EXPECT_EQ(test::SnapshotTree(c.root, c.key), before);
    EXPECT_EQ(TimesShown(c.tab, *item), shown);
  }
}

TEST(RemoveActions, StartupShortcutRemovedAndRestored) {
  test::ScratchFolder scratch;
  scratch.PutFolder("Backups");
  PlantedEntries planted;
  const std::string folder = platform::Sys().ShellFolderPath(platform::ShellFolder::Startup).value() + "\\";
  const std::string bytes = test::HostFileBytes(test::DataPath("shortcuts/tool.lnk"));
  planted.File(folder + "VptTool.lnk", bytes);
  auto item = RowShown(1, "VptTool");
  ASSERT_TRUE(item.has_value());

  TRemoveContext context{scratch.Path("Backups\\"), "", {}, {}};
  auto outcomes = RemoveRows(1, {*item}, context);
  ASSERT_TRUE(outcomes.has_value());
  EXPECT_EQ((*outcomes)[0].kind, TRemoveOutcome::Kind::kRemoved);
  EXPECT_FALSE(platform::Files().Attributes(folder + "VptTool.lnk").has_value());
  ASSERT_EQ((*outcomes)[0].setFolders.size(), 1u);
  EXPECT_TRUE(RestoreBackupSet((*outcomes)[0].setFolders[0]).Complete());
  EXPECT_EQ(platform::Files().ReadWholeFile(folder + "VptTool.lnk"), bytes);
}

TEST(RemoveActions, RowsThatMatchNothingWriteNoSet) {
  test::ScratchFolder scratch;
  scratch.PutFolder("Backups");
  TRemoveContext context{scratch.Path("Backups\\"), "", {}, {}};
  for (int tab = 0; tab <= 8; ++tab) {
    auto outcomes =
        RemoveRows(tab, {{"Vpt Nothing Like It", {"x", "y", "z", "HKEY_CU\\Run", "", "n.lnk"}}}, context);
    ASSERT_TRUE(outcomes.has_value());
    EXPECT_EQ((*outcomes)[0].kind, TRemoveOutcome::Kind::kNotFound) << tab;
    EXPECT_TRUE((*outcomes)[0].setFolders.empty()) << tab;
  }
  EXPECT_FALSE(RemoveRows(9, {}, context).has_value());
}

}  // namespace
}  // namespace vp
