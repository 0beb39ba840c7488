// The main window in this process, on the real system under Wine (the null
// display driver: windows and controls work without a screen). What the
// tests read comes from the controls themselves. Waits end on a state, with
// a generous limit only as a guard against a hang.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "shell/Program.h"
#include "support/RegistryTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"
#include "widgets/Text.h"
#include "window/WindowFixture.h"

namespace vp::shell {
namespace {

using test::ShippedFile;

class MainWindowTest : public WindowFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(PlantMissingReferences());
    TMainFormContext extra;
    extra.managerTimings.fillSpacing = std::chrono::milliseconds(50);
    extra.managerTimings.transferSpacing = std::chrono::milliseconds(50);
    extra.managerTimings.unchangedSpacing.fill(std::chrono::milliseconds(50));
    ASSERT_NO_FATAL_FAILURE(Open(std::move(extra)));
  }

  void Skip() {
    ASSERT_TRUE(Form().CachePanelVisible()) << "no file cache yet: the first-run prompt";
    EXPECT_TRUE(Key(List(), VK_ESCAPE)) << "Esc answers the prompt";
    EXPECT_FALSE(Form().CachePanelVisible());
    EXPECT_NE(Form().Handle(), nullptr) << "and does not close the window";
  }

  void Scan() {
    ASSERT_TRUE(Form().ButtonVisible(Command::Start));
    ASSERT_TRUE(Key(List(), VK_RETURN)) << "Enter starts the scan";
    ASSERT_TRUE(Form().ScanRunning());
    ASSERT_TRUE(WaitFor([&] { return Form().Phase() == ScanPhase::Finished; }));
  }

  int PlantedRow() {
    for (int row = 0; row < ListRows(List()); ++row)
      if (ListCell(List(), row, 0) == key_.FullPath()) return row;
    return -1;
  }
};

TEST_F(MainWindowTest, ScanListsThePlantedEntriesAndReportsOnceAtTheEnd) {
  Skip();
  ASSERT_TRUE(Form().ButtonVisible(Command::Start));
  ASSERT_TRUE(Key(List(), VK_RETURN));
  ASSERT_TRUE(Form().ScanRunning());
  // The scan's end runs on this thread: until it is pumped the scan runs.
  EXPECT_FALSE(Form().ChangeTab(0)) << "tabs are locked during a scan";
  EXPECT_TRUE(Form().ButtonVisible(Command::Fix));
  EXPECT_FALSE(Form().ButtonEnabled(Command::Fix));
  ASSERT_TRUE(WaitFor([&] { return Form().Phase() == ScanPhase::Finished; }));

  const int rows = ListRows(List());
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("found " + std::to_string(rows) + " problems"), std::string::npos)
      << reports_[0];
  EXPECT_EQ(rows, Form().Driver()->InvalidItems()) << "every finding is a row";
  const int planted = PlantedRow();
  ASSERT_GE(planted, 0) << "the planted key is listed";
  int ours = 0;
  for (int row = 0; row < rows; ++row)
    if (ListCell(List(), row, 0) == key_.FullPath()) {
      ++ours;
      EXPECT_NE(ListCell(List(), row, 2).find("gone"), std::string::npos) << ListCell(List(), row, 2);
    }
  EXPECT_EQ(ours, 3);
  for (int row = 1; row < rows; ++row)
    EXPECT_LE(platform::Sys().LowerCase(ListCell(List(), row - 1, 0)),
              platform::Sys().LowerCase(ListCell(List(), row, 0)))
        << "sorted by key at the end";
  EXPECT_EQ(Form().StatusText(), "0 ticked, 0 selected, " + std::to_string(rows) + " in total");
  EXPECT_TRUE(Form().ButtonVisible(Command::NewScan));

  // Ticking a row: counted, and Fix becomes usable.
  Form().List().Select(planted, true);
  SendMessageW(List(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(Form().Model().Ticked(planted));
  EXPECT_EQ(Form().StatusText(), "1 ticked, 1 selected, " + std::to_string(rows) + " in total");
  EXPECT_TRUE(Form().ButtonVisible(Command::Fix));
  EXPECT_TRUE(Form().ButtonEnabled(Command::Fix));
}

TEST_F(MainWindowTest, SortsByAClickedColumnAndRemembersIt) {
  Skip();
  Scan();
  ASSERT_GE(ListRows(List()), 3);
  const int planted = PlantedRow();
  Form().List().Select(planted, true);
  SendMessageW(List(), WM_KEYDOWN, VK_SPACE, 0);
  const std::string tickedEntry = ListCell(List(), planted, 1);

  for (int direction : {1, -1}) {
    Form().ColumnClick(1);
    // The planted entries, in the order the list shows them.
    StringList entries;
    for (int row = 0; row < ListRows(List()); ++row)
      if (ListCell(List(), row, 0) == key_.FullPath()) entries.push_back(ListCell(List(), row, 1));
    EXPECT_EQ(entries, direction > 0 ? (StringList{"Gone", "Lost", "Missing"})
                                     : (StringList{"Missing", "Lost", "Gone"}));
    EXPECT_EQ(program_->Settings().ReadInteger("Sortting", "MainForm:9", "SortColumn", -9), 1);
    EXPECT_EQ(program_->Settings().ReadInteger("Sortting", "MainForm:9", "SortDir", -9), direction);
  }
  // The tick moved with its row.
  ASSERT_EQ(Form().Model().TickedRows().size(), 1u);
  EXPECT_EQ(ListCell(List(), Form().Model().TickedRows()[0], 1), tickedEntry);
}

TEST_F(MainWindowTest, TabsChangeColumnsAndLanguageChangesEveryCaption) {
  Skip();
  EXPECT_EQ(Form().List().ColumnCaptions(), (StringList{"Key", "Entry", "Problem"}));
  ASSERT_TRUE(Form().ChangeTab(1));
  EXPECT_EQ(Form().List().ColumnCaptions(),
            (StringList{"Application", "File", "Description", "Command", "Location"}));
  EXPECT_FALSE(Form().ButtonVisible(Command::Fix));
  EXPECT_FALSE(Form().ButtonVisible(Command::Start)) << "the scan options belong to the cleaner tab";
  EXPECT_FALSE(Form().ChangeTab(2)) << "a second change within a second";
  ASSERT_TRUE(WaitFor([&] { return Form().ChangeTab(2); }));
  EXPECT_TRUE(Form().ButtonVisible(Command::Uninstall));
  EXPECT_EQ(Form().CurrentTab(), 2);

  std::string other = ShippedFile("Languages/English.lng");
  for (auto [from, to] : {std::pair<std::string, std::string>{"2=Program", "2=Programme"},
                          {"7_354=Start", "7_354=Begin"},
                          {"Language2=English", "Language2=Testish"},
                          {"&Help on this tool", "&Help here"}}) {
    const size_t at = other.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    other.replace(at, from.size(), to);
  }
  scratch_.PutFile("prog\\Languages\\Testish.lng", other);
  ASSERT_TRUE(Form().ChooseLanguage(scratch_.Path("prog\\Languages\\Testish.lng")));
  EXPECT_EQ(Form().List().ColumnCaptions(), (StringList{"Programme"}));
  EXPECT_EQ(Form().ButtonCaption(Command::Start), "Begin");
  HMENU help = GetSubMenu(GetMenu(Form().Handle()), 3);
  wchar_t item[128] = {};
  GetMenuStringW(help, 0, item, 127, MF_BYPOSITION);
  EXPECT_EQ(widgets::Narrow(item), "&Help here\tF1");
  EXPECT_EQ(program_->Settings().ReadString("Settings", "Language", "File", ""), "Testish.lng");
}

TEST_F(MainWindowTest, EveryManagerTabShowsItsWholeList) {
  Skip();
  for (int tab = 0; tab < kCleanerTabIndex; ++tab) {
    ASSERT_TRUE(WaitFor([&] { return Form().ChangeTab(tab); })) << tab;
    ASSERT_TRUE(WaitFor([&] { return Form().UpdatesShown(tab) > 0; })) << "a list reached tab " << tab;
    const int rows = ListRows(List());
    EXPECT_EQ(rows, Form().Model().Count()) << tab;
    EXPECT_EQ(Form().StatusText(), "0 ticked, 0 selected, " + std::to_string(rows) + " in total") << tab;
    const size_t columns = Form().List().ColumnCaptions().size();
    for (int row = 0; row < rows; ++row) {
      EXPECT_FALSE(ListCell(List(), row, 0).empty()) << tab << " row " << row;
      EXPECT_LE(Form().Model().Row(row).subItems.size(), columns) << tab << " row " << row;
    }
    // A stock prefix registers file types: that list is never empty.
    if (tab == 3) {
      EXPECT_GT(rows, 0);
    }
  }
}

TEST_F(MainWindowTest, ClosingDuringAScanStopsItCleanly) {
  Skip();
  ASSERT_TRUE(Key(List(), VK_RETURN));
  ASSERT_TRUE(Form().ScanRunning());
  const TScanDriver* driver = Form().Driver();
  ASSERT_NE(driver, nullptr);
  SendMessageW(Form().Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Form().Handle(), nullptr) << "the window is gone";
  EXPECT_EQ(Form().Driver(), nullptr) << "its scan threads were joined";
  EXPECT_TRUE(reports_.empty()) << "no report for a scan the user closed";
  EXPECT_GT(program_->Settings().ReadInteger("Windows", "MainForm", "Width", 0), 0) << "its size was kept";
}

// The close arrives while the build walks the drives (the build handles the
// window's messages as it goes): the walks stop, nothing is saved or dated,
// and the window closes once they have ended. Without the stop the walk of
// every drive of the machine would run to its end first.
TEST_F(MainWindowTest, ClosingDuringTheCacheBuildCancelsIt) {
  ASSERT_TRUE(Form().CachePanelVisible());
  PostMessageW(Form().Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(Key(List(), VK_RETURN)) << "Enter builds the cache";
  EXPECT_TRUE(WaitFor([&] { return Form().Handle() == nullptr; })) << "the window closed after the build";
  EXPECT_FALSE(platform::Files().Attributes(program_->Folders().FileCacheFile).has_value());
  EXPECT_EQ(program_->Settings().ReadInteger("Settings", "FileCache", "Created", 0), 0);
  EXPECT_GT(program_->Settings().ReadInteger("Windows", "MainForm", "Width", 0), 0) << "its size was kept";
}

}  // namespace
}  // namespace vp::shell
