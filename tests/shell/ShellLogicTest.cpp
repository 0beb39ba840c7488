// The main window's rules, without a window: buttons, keys, the scan's
// states and its stall guard, the tab lock, sort orders and the list model.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/System.h"
#include "settings/SettingsManager.h"
#include "shell/logic/ButtonStates.h"
#include "shell/logic/Commands.h"
#include "shell/logic/ListModel.h"
#include "shell/logic/ScanControl.h"
#include "shell/logic/TabColumns.h"
#include "shell/logic/TabState.h"
#include "support/ScratchFolder.h"

namespace vp::shell {
namespace {

TEST(ButtonStatesTest, FollowTabTicksAndScan) {
  struct Case {
    const char* name;
    ButtonInputs in;
    bool fixVisible, fixEnabled, removeEnabled, uninstallVisible, uninstallEnabled, newScan;
  };
  const Case cases[] = {
      {"cleaner, nothing ticked", {9, 0, false, false, false}, true, false, false, false, false, false},
      {"cleaner, ticked", {9, 3, false, false, false}, true, true, true, false, false, false},
      {"cleaner, only the selected row ticked",
       {9, 0, true, false, false},
       true,
       true,
       true,
       false,
       false,
       false},
      {"cleaner, during a scan", {9, 3, false, true, true}, true, false, false, false, false, false},
      {"cleaner, after the scan", {9, 3, false, false, true}, true, true, true, false, false, true},
      {"manager tab: no Fix, no New Scan",
       {0, 2, false, false, true},
       false,
       false,
       true,
       false,
       false,
       false},
      {"Add/Remove menu, one ticked", {2, 1, false, false, false}, false, false, true, true, true, false},
      {"Add/Remove menu, two ticked", {2, 2, false, false, false}, false, false, true, true, false, false},
  };
  for (const Case& c : cases) {
    const ButtonStates out = ComputeButtons(c.in);
    EXPECT_EQ(out.fixVisible, c.fixVisible) << c.name;
    EXPECT_EQ(out.fixEnabled, c.fixEnabled) << c.name;
    EXPECT_EQ(out.removeEnabled, c.removeEnabled) << c.name;
    EXPECT_EQ(out.uninstallVisible, c.uninstallVisible) << c.name;
    EXPECT_EQ(out.uninstallEnabled, c.uninstallEnabled) << c.name;
    EXPECT_EQ(out.newScanVisible, c.newScan) << c.name;
  }
}

TEST(ButtonStatesTest, BarOverlapsNeighboursAndSkipsHidden) {
  const BarLayout layout = LayoutBar({75, 80, 70, 60, 65, 50}, {false, true, false, true, true, true});
  EXPECT_EQ(layout.lefts, (std::vector<int>{-1, 0, -1, 79, 138, 202}));
  EXPECT_EQ(layout.width, 80 + 60 + 65 + 50);
}

TEST(ButtonStatesTest, StatusBarHeightRoundsHalfToEven) {
  const std::pair<int, int> cases[] = {{96, 21}, {120, 21}, {144, 22}, {192, 23}};
  for (const auto& [dpi, height] : cases) EXPECT_EQ(StatusBarHeight(dpi), height) << dpi;
  EXPECT_EQ(Scale(909, 144), 1364);
}

TEST(CommandsTest, KeysAnswerTheVisiblePanel) {
  struct Case {
    Key key;
    KeyContext context;
    Command expected;
  };
  const Case cases[] = {
      {Key::Escape, {}, Command::Exit},
      {Key::Escape, {true, false}, Command::CacheSkip},
      {Key::Escape, {false, true}, Command::Cancel},
      {Key::Enter, {}, Command::None},
      {Key::Enter, {false, true}, Command::Start},
      {Key::Enter, {true, false}, Command::CacheOk},
      {Key::Delete, {}, Command::Remove},
      {Key::Delete, {false, false, true}, Command::Fix},
      {Key::Delete, {false, false, false, true}, Command::None},
      {Key::F5, {}, Command::Refresh},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyCommand(c.key, c.context), c.expected) << CommandName(c.expected);
}

TEST(TabColumnsTest, EveryTabHasColumnsAndMatchingIgnoresCase) {
  for (int tab = 0; tab < kTabs; ++tab) EXPECT_FALSE(TabColumnIds(tab).empty()) << tab;
  EXPECT_TRUE(TabColumnIds(10).empty());
  EXPECT_EQ(TabColumnIds(kCleanerTabIndex).size(), 3u);
  EXPECT_TRUE(SameColumns({"Key", "ENTRY"}, {"key", "Entry"}));
  EXPECT_FALSE(SameColumns({"Key"}, {"Key", "Entry"}));
  EXPECT_EQ(InitialColumnWidth(600, 3), 180);
}

TEST(ScanControlTest, EndsOnceWhenTheLastThreadEnds) {
  TScanControl scan;
  EXPECT_FALSE(scan.Finished()) << "no scan runs";
  ASSERT_TRUE(scan.Start());
  EXPECT_FALSE(scan.Start()) << "a second Start while running";
  EXPECT_TRUE(scan.Running());
  EXPECT_TRUE(scan.Finished());
  EXPECT_FALSE(scan.Finished()) << "the report is due once";
  EXPECT_TRUE(scan.NewScanOffered());
  EXPECT_FALSE(scan.Start()) << "New Scan first";
  scan.NewScan();
  EXPECT_TRUE(scan.OptionsVisible());
  scan.Cancel();
  EXPECT_EQ(scan.Phase(), ScanPhase::Hidden);
  scan.TabShown();
  EXPECT_TRUE(scan.OptionsVisible());
}

TEST(ScanControlTest, WatchdogReportsStalledAreasButNeverEndsTheScan) {
  TScanControl scan;
  EXPECT_TRUE(scan.WatchdogTick({1, 1, 0}, {3}).empty()) << "no scan runs";
  ASSERT_TRUE(scan.Start());
  EXPECT_TRUE(scan.WatchdogTick({10, 20, 1}, {3, 7}).empty()) << "first snapshot";
  EXPECT_TRUE(scan.WatchdogTick({11, 20, 1}, {3, 7}).empty()) << "keys moved";
  EXPECT_EQ(scan.WatchdogTick({11, 20, 1}, {3, 7}), (std::vector<int32_t>{3, 7}));
  EXPECT_TRUE(scan.Stalled());
  EXPECT_TRUE(scan.Running()) << "a stall is not the end";
  EXPECT_TRUE(scan.WatchdogTick({11, 21, 1}, {7}).empty());
  EXPECT_FALSE(scan.Stalled());
  EXPECT_TRUE(scan.Finished());
  const struct {
    const char* languageText;
    const char* shown;
  } texts[] = {
      {"Keine Bewegung: {1}", "Keine Bewegung: 3, 7"},
      // No language yet, or a text that drops the areas: the English one.
      {"", "No progress for a while; areas still running: 3, 7"},
      {"Stalled", "No progress for a while; areas still running: 3, 7"},
  };
  for (const auto& t : texts) EXPECT_EQ(StalledText(t.languageText, {3, 7}), t.shown) << t.languageText;
}

TEST(TabStateTest, LockHoldsDuringScanAndAfterAChange) {
  TTabLock lock;
  EXPECT_TRUE(lock.CanChange());
  lock.Changed();
  EXPECT_FALSE(lock.CanChange());
  lock.Settled();
  lock.ScanStarted();
  EXPECT_FALSE(lock.CanChange());
  lock.ScanEnded();
  EXPECT_TRUE(lock.CanChange());
}

TEST(TabStateTest, SortOrderIsRememberedPerTabAndCheckedOnRead) {
  test::ScratchFolder dir;
  {
    TSettingsManager settings(dir.Root());
    SaveSortOrder(settings, 3, {1, -1});
    SaveSortOrder(settings, 4, {5, 7});
  }
  TSettingsManager settings(dir.Root());
  const SortOrder three = LoadSortOrder(settings, 3, 2);
  EXPECT_EQ(three.column, 1);
  EXPECT_EQ(three.direction, -1);
  const SortOrder four = LoadSortOrder(settings, 4, 2);
  EXPECT_EQ(four.column, 0) << "column beyond the list";
  EXPECT_EQ(four.direction, 1);
  EXPECT_EQ(LoadSortOrder(settings, 0, 2).direction, 1) << "default";
}

TEST(ListModelTest, TicksFollowTheirRowsThroughSorts) {
  TListModel model;
  model.SetColumnCount(2);
  for (const char* name : {"b", "C"}) model.Add(name, {std::string("x") + name});
  for (const char* name : {"a", "d"}) model.AddKeyed(name, {std::string("x") + name});
  model.SetTicked(1, true);  // "C"
  model.SetTicked(3, true);  // "d"
  model.SetTicked(3, true);  // twice counts once
  EXPECT_EQ(model.TickedCount(), 2);

  TListViewSorter sorter;
  model.Sort(sorter, 0, -1);
  EXPECT_EQ(model.Row(0).caption, "d");
  EXPECT_TRUE(model.Ticked(0));
  EXPECT_EQ(model.SortClicked(sorter, 1), 1);
  EXPECT_EQ(model.SortClicked(sorter, 1), -1) << "the same column again";
  model.SortByLowerCaption();
  std::vector<std::string> order;
  for (int i = 0; i < model.Count(); ++i) order.push_back(model.Row(i).caption);
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "C", "d"}));
  EXPECT_EQ(model.TickedRows(), (std::vector<int>{2, 3}));
  EXPECT_EQ(model.Cell(2, 1), "xC");
  EXPECT_EQ(model.Cell(2, 5), "");

  model.InvertTicks();
  EXPECT_EQ(model.TickedRows(), (std::vector<int>{0, 1}));
  model.TickAll(true);
  EXPECT_EQ(model.TickedCount(), 4);
  model.Clear();
  EXPECT_EQ(model.TickedCount(), 0);
}

// The order at a scan's end against the plain string order: long shared
// key paths, bytes above 127, captions that are prefixes of others, and
// captions that differ in several bytes of one eight-byte step.
TEST(ListModelTest, ScanOrderIsTheOrderOfTheLowerCaseCaptions) {
  test::ScratchFolder scratch;  // natively a simulated machine
  const std::string path = "HKEY_CURRENT_USER\\Software\\Veltaro Window Bench\\Set";
  std::vector<std::string> captions = {path + "12",  path + "1",      path + "120", path + "12\xe9",
                                       path + "12e", path + "12\x7f", path,         "HKEY_A",
                                       "hkey_a",     path + "12E",    path + "2",   "H",
                                       "zy345678",   "yz345678",      "YZ34567\x80"};
  TListModel model;
  for (const std::string& caption : captions) model.AddKeyed(caption, {});
  model.Add(path + "0", {});  // a manager row: its key is made at the sort
  captions.push_back(path + "0");
  model.SortByLowerCaption();
  std::vector<std::pair<std::string, size_t>> wanted;
  for (size_t i = 0; i < captions.size(); ++i) wanted.push_back({platform::Sys().LowerCase(captions[i]), i});
  std::stable_sort(wanted.begin(), wanted.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> order, expected;
  for (int i = 0; i < model.Count(); ++i) order.push_back(model.Row(i).caption);
  for (const auto& [key, index] : wanted) expected.push_back(captions[index]);
  EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace vp::shell
