// The actions on listed rows from the window, in this process under Wine:
// scan planted problems, tick them, Fix, restore the set from the Backups
// window, and the registry is as it was; a Fix whose backups fail changes
// nothing and keeps its rows; Save list writes the rows.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "files/FileTools.h"
#include "files/StringTools.h"
#include "registry/FastRegistry.h"
#include "shell/Program.h"
#include "support/PlantedEntries.h"
#include "support/RegistryTestSupport.h"
#include "support/RegistryTree.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"
#include "widgets/Text.h"
#include "window/WindowFixture.h"

namespace vp::shell {
namespace {

class ActionsWindowTest : public WindowFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(PlantMissingReferences());
    TFastRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path(), false));
    registry.WriteString("Kept", "healthy text");
    original_ = test::SnapshotTree(platform::kHkeyCurrentUser, key_.Path());

    // An entry for each of four manager tabs, there before the lists fill.
    for (const ManagerEntry& entry : kManagerEntries) {
      if (entry.value == nullptr) {
        planted_.Value(entry.root, entry.key, "", entry.data);
      } else {
        planted_.Value(entry.root, entry.key, entry.value, entry.data);
      }
      if (entry.extraValue != nullptr)
        planted_.Value(entry.root, entry.key, entry.extraValue, "vpwintest.exe");
      managerOriginals_.push_back(test::SnapshotTree(entry.root, entry.parent));
    }

    TMainFormContext extra;
    extra.confirm = [](const std::string&, const std::string&) { return true; };
    extra.askDescription = [] { return std::optional<std::string>("window test"); };
    extra.askSaveName = [this] { return scratch_.Path("saved list"); };
    ASSERT_NO_FATAL_FAILURE(Open(std::move(extra)));
    SendKey(VK_ESCAPE);  // the first-run prompt
  }

  // A scan of the user's hive.
  void Scan() {
    SendKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return Form().Phase() == ScanPhase::Finished; }));
  }

  void SendKey(WPARAM key) { Key(List(), key); }

  // Ticks the rows of the planted key, as the space bar does; their count.
  int TickPlanted() {
    int ticked = 0;
    for (int row = 0; row < Form().Model().Count(); ++row) {
      if (Form().Model().Cell(row, 0) != key_.FullPath()) continue;
      Form().List().Select(row, true);
      SendMessageW(List(), WM_KEYDOWN, VK_SPACE, 0);
      ++ticked;
    }
    return ticked;
  }

  int PlantedRows() {
    int rows = 0;
    for (int row = 0; row < Form().Model().Count(); ++row)
      if (Form().Model().Cell(row, 0) == key_.FullPath()) ++rows;
    return rows;
  }

  struct ManagerEntry {
    int tab;
    platform::RegHandle root;
    const char* parent;  // compared before and after
    const char* key;
    const char* value;  // nullptr: the default value
    const char* data;
    const char* extraValue;
    const char* caption;  // as the tab shows it
  };
  static constexpr ManagerEntry kManagerEntries[] = {
      {1, platform::kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "VpWinTestRun", "C:\\vpwintest\\run.exe", nullptr,
       "VpWinTestRun"},
      {2, platform::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VpWinTest", "DisplayName", "Vp Win Test",
       "UninstallString", "Vp Win Test"},
      {3, platform::kHkeyClassesRoot, ".vpwintest", ".vpwintest", nullptr, "vpwintestfile", nullptr,
       ".vpwintest"},
      {6, platform::kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\MenuExt",
       "Software\\Microsoft\\Internet Explorer\\MenuExt\\Vp Win Test", nullptr, "C:\\vpwintest\\menu.htm",
       nullptr, "Vp Win Test"},
  };

  // The row of a manager tab whose caption is the text (without regard to
  // case), once the tab's list has come; -1 without one.
  int ManagerRow(int tab, const std::string& caption) {
    if (!WaitFor([&] { return Form().ChangeTab(tab); })) return -1;
    if (!WaitFor([&] { return Form().UpdatesShown(tab) > 0; })) return -1;
    for (int row = 0; row < Form().Model().Count(); ++row)
      if (SameText(Form().Model().Cell(row, 0), caption)) return row;
    return -1;
  }

  test::PlantedEntries planted_;
  std::vector<test::TreeSnapshot> managerOriginals_;
  test::TreeSnapshot original_;
};

TEST_F(ActionsWindowTest, FixThenRestoreFromTheBackupsWindow) {
  Scan();
  ASSERT_EQ(TickPlanted(), 3);
  ASSERT_TRUE(Form().ButtonEnabled(Command::Fix));
  SendKey(VK_DELETE);  // Del clicks Fix on the cleaner's tab
  EXPECT_EQ(PlantedRows(), 0);
  ASSERT_FALSE(reports_.empty());
  EXPECT_NE(reports_.back().find("0 entries were repaired and 3 entries were removed"), std::string::npos)
      << reports_.back();
  const test::TreeSnapshot fixed = test::SnapshotTree(platform::kHkeyCurrentUser, key_.Path());
  ASSERT_EQ(fixed.size(), 1u);
  EXPECT_EQ(fixed.begin()->second.size(), 1u) << "only the healthy value stays";

  Form().Execute(Command::Backups);
  TBackupForm& backups = *Form().Backups();
  ASSERT_TRUE(backups.Visible());
  ASSERT_EQ(backups.Rows().size(), 1u);
  EXPECT_EQ(backups.Rows()[0].set.description, "window test");
  EXPECT_FALSE(backups.RestoreEnabled()) << "nothing selected yet";
  backups.SelectAll(true);
  EXPECT_TRUE(backups.RestoreEnabled());
  backups.Restore();
  EXPECT_EQ(test::SnapshotTree(platform::kHkeyCurrentUser, key_.Path()), original_);
  EXPECT_NE(reports_.back().find("The backup has been restored."), std::string::npos) << reports_.back();

  // The set's list as text, then the set removed (the question answered yes).
  ASSERT_TRUE(backups.SaveListTo(scratch_.Path("sets")));
  EXPECT_EQ(ReadFileText(scratch_.Path("sets.txt")).rfind("window test | ", 0), 0u);
  backups.SelectAll(true);
  backups.Remove();
  EXPECT_TRUE(backups.Rows().empty());
}

TEST_F(ActionsWindowTest, FailedBackupsChangeNothingAndRowsStay) {
  Scan();
  // A file where the backups folder should be: no set can be made.
  const std::string backupsFolder = scratch_.Path("prog\\Backups");
  ASSERT_TRUE(DeleteFolder(backupsFolder));
  scratch_.PutFile("prog\\Backups", "not a folder");
  for (const Command action : {Command::Fix, Command::Remove}) {
    SCOPED_TRACE(CommandName(action));
    if (Form().Model().TickedCount() == 0) {
      ASSERT_EQ(TickPlanted(), 3);
    }
    Form().Execute(action);
    EXPECT_EQ(PlantedRows(), 3);
    EXPECT_EQ(test::SnapshotTree(platform::kHkeyCurrentUser, key_.Path()), original_);
    ASSERT_FALSE(reports_.empty());
    EXPECT_NE(reports_.back().find(key_.FullPath()), std::string::npos) << reports_.back();
  }
}

// Cancel on the working panel, pressed before the first row: the fix stops
// there, nothing changes and the rows stay; the set says it was cut short.
TEST_F(ActionsWindowTest, CancelStopsTheFixBetweenRows) {
  Scan();
  ASSERT_EQ(TickPlanted(), 3);
  const int cancelId = 1000 + static_cast<int>(Command::Cancel);  // the window's command ids
  PostMessageW(Form().Handle(), WM_COMMAND, MAKEWPARAM(cancelId, BN_CLICKED), 0);
  Form().Execute(Command::Fix);
  EXPECT_FALSE(Form().WorkingPanelVisible());
  EXPECT_EQ(PlantedRows(), 3);
  EXPECT_EQ(test::SnapshotTree(platform::kHkeyCurrentUser, key_.Path()), original_);
  ASSERT_FALSE(reports_.empty());
  EXPECT_NE(reports_.back().find("Cancelled"), std::string::npos) << reports_.back();
  Form().Execute(Command::Backups);
  ASSERT_EQ(Form().Backups()->Rows().size(), 1u);
  EXPECT_EQ(Form().Backups()->Rows()[0].set.state, backup::SetState::kInterrupted);
}

TEST_F(ActionsWindowTest, SaveListWritesTheRows) {
  Scan();
  Form().Execute(Command::SaveList);
  const std::string text = ReadFileText(scratch_.Path("saved list.txt"));
  EXPECT_NE(text.find(key_.FullPath() + " | Gone | "), std::string::npos) << text.substr(0, 400);
  EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\n')), Form().Model().Count());
}

// Remove on manager tabs takes each planted entry away after its backup;
// restoring every set from the Backups window brings all of them back.
TEST_F(ActionsWindowTest, RemoveOnManagerTabsThenRestore) {
  for (size_t i = 0; i < std::size(kManagerEntries); ++i) {
    const ManagerEntry& entry = kManagerEntries[i];
    SCOPED_TRACE(entry.caption);
    const int row = ManagerRow(entry.tab, entry.caption);
    ASSERT_GE(row, 0) << "tab " << entry.tab << " lists the planted entry";
    Form().List().Select(row, true);
    SendMessageW(List(), WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(Form().ButtonEnabled(Command::Remove));
    Form().Execute(Command::Remove);
    EXPECT_NE(test::SnapshotTree(entry.root, entry.parent), managerOriginals_[i]) << "removed";
  }
  Form().Execute(Command::Backups);
  TBackupForm& backups = *Form().Backups();
  ASSERT_EQ(backups.Rows().size(), std::size(kManagerEntries));
  backups.SelectAll(true);
  backups.Restore();
  for (size_t i = 0; i < std::size(kManagerEntries); ++i)
    EXPECT_EQ(test::SnapshotTree(kManagerEntries[i].root, kManagerEntries[i].parent), managerOriginals_[i])
        << kManagerEntries[i].caption;
  EXPECT_NE(reports_.back().find("The backups have been restored."), std::string::npos) << reports_.back();
}

}  // namespace
}  // namespace vp::shell
