#include <gtest/gtest.h>

#include "settings/SettingsManager.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

struct FakeWindow : SettingsWindow {
  std::string Name() const override { return "MainForm"; }
  int Left() const override { return left; }
  int Top() const override { return top; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  bool Maximized() const override { return maximized; }
  Border BorderStyle() const override { return border; }
  int ScreenWidth() const override { return 1024; }
  int ScreenHeight() const override { return 768; }
  void SetPosition(int l, int t) override { left = l, top = t; }
  void SetBounds(int l, int t, int w, int h) override { left = l, top = t, width = w, height = h; }
  void SetMaximized() override { maximized = true; }
  void Resized() override { ++resizes; }
  int left = 0, top = 0, width = 300, height = 200, resizes = 0;
  bool maximized = false;
  Border border = Border::Other;
};

// Text is 10 pixels per character.
struct FakeList : SettingsList {
  bool Placed() const override { return true; }
  std::vector<std::string> AncestorFormNames() const override { return {"", "MainForm"}; }
  std::optional<int> ParentTabIndex() const override { return tab; }
  int ColumnCount() const override { return static_cast<int>(captions.size()); }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  int ClientWidth() const override { return clientWidth; }
  int ColumnWidth(int c) const override { return widths[static_cast<size_t>(c)]; }
  void SetColumnWidth(int c, int w) override { widths[static_cast<size_t>(c)] = w; }
  void SetColumnAutoSize(int, bool) override {}
  std::string ColumnCaption(int c) const override { return captions[static_cast<size_t>(c)]; }
  void SetColumnCaption(int c, const std::string& text) override { captions[static_cast<size_t>(c)] = text; }
  std::optional<std::string> Cell(int row, int column) const override {
    return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
  }
  int TextWidth(const std::string& text) const override { return 10 * static_cast<int>(text.size()); }
  bool HasCheckBoxes() const override { return checkBoxes; }
  int FirstRowLeft() const override { return 18; }
  std::optional<int> tab = 3;
  std::vector<std::string> captions;
  std::vector<int> widths;
  std::vector<std::vector<std::string>> rows;
  int clientWidth = 0;
  bool checkBoxes = false;
};

TEST(SettingsManagerTest, RobustColumnWidth) {
  struct Case {
    std::vector<int> samples;
    int width;
  };
  const Case cases[] = {
      {std::vector<int>(20, 100), 120},
      {std::vector<int>(20, 40), 80},  // raised to 60
      {{50, 200, 210, 190}, 215},      // outliers on both sides dropped
      {{100, 100, 100, 1000}, 120},    // everything dropped: the caption still fits
      {{300, 50, 60}, 320},
      {{60, 61}, 80},  // 80.5: halves to even
      {{61, 62}, 82},  // 81.5
  };
  for (const auto& c : cases) EXPECT_EQ(RobustColumnWidth(c.samples), c.width) << c.samples.front();
}

class SettingsManagerFileTest : public ::testing::Test {
 protected:
  std::string Folder() const { return scratch_.Path("Data"); }  // the trailing backslash is added
  std::string Stored(const std::string& file) { return test::HostFileBytes(scratch_.Host("Data\\" + file)); }
  test::ScratchFolder scratch_;
};

TEST_F(SettingsManagerFileTest, WindowGeometry) {
  struct Case {
    const char* what;
    std::optional<FakeWindow> saved;
    SettingsWindow::Border border;
    int left, top, width, height;
  };
  FakeWindow stored, offScreen, edge, maximised;
  stored.left = 100, stored.top = 50, stored.width = 500, stored.height = 300;
  offScreen = stored, offScreen.left = 5000;
  edge = stored, edge.left = -10, edge.top = 778;
  maximised.maximized = true;
  const Case cases[] = {
      {"first start: centred with its size, then sized", std::nullopt, SettingsWindow::Border::Other, 362,
       284, 640, 400},
      {"stored place", stored, SettingsWindow::Border::Other, 100, 50, 500, 300},
      {"off screen: centred", offScreen, SettingsWindow::Border::Other, 362, 284, 500, 300},
      {"just inside the margin", edge, SettingsWindow::Border::Other, -10, 778, 500, 300},
      {"tool window keeps its size", stored, SettingsWindow::Border::ToolWindow, 100, 50, 300, 200},
      {"maximised fills the screen", maximised, SettingsWindow::Border::Other, 0, 0, 1024, 768},
  };
  for (const auto& c : cases) {
    test::ScratchFolder scratch;
    TSettingsManager settings(scratch.Path("Data"));
    if (c.saved) settings.SaveForm(*c.saved);
    FakeWindow window;
    window.border = c.border;
    settings.RestoreForm(window);
    EXPECT_EQ(window.left, c.left) << c.what;
    EXPECT_EQ(window.top, c.top) << c.what;
    EXPECT_EQ(window.width, c.width) << c.what;
    EXPECT_EQ(window.height, c.height) << c.what;
    EXPECT_EQ(window.resizes, 2) << c.what;
  }
}

TEST_F(SettingsManagerFileTest, FilesAndValues) {
  {
    TSettingsManager settings(Folder());
    FakeWindow window;
    window.left = 20;
    settings.SaveForm(window);
    window.maximized = true;
    settings.SaveForm(window);  // only the flag
    window.width = 9;
    window.left = 999;
    settings.SaveForm(window);  // too small: nothing
    settings.WriteInteger("Sortting", "MainForm:9", "SortColumn", 2);
    settings.WriteBool("Settings", "Misc", "Flag", true);
    settings.WriteInteger("Sortting", "MainForm:9", "SortDir", -1);
    settings.WriteString("Settings", "Language", "File", "Deutsch.lng");
  }
  EXPECT_EQ(Stored("Windows.dat"),
            "[MainForm]\r\nHeight=200\r\nWidth=300\r\nLeft=20\r\nTop=0\r\nMax=True\r\n\r\n");
  EXPECT_EQ(Stored("Sortting.dat"), "[MainForm:9]\r\nSortColumn=2\r\nSortDir=-1\r\n\r\n");
  TSettingsManager settings(Folder());
  EXPECT_EQ(settings.ReadInteger("sortting", "MainForm:9", "SortColumn", 0), 2);
  EXPECT_EQ(settings.ReadInteger("Sortting", "MainForm:1", "SortDir", 1), 1);
  EXPECT_TRUE(settings.ReadBool("Settings", "Misc", "Flag", false));
  EXPECT_TRUE(settings.ReadBool("Settings", "Misc", "Absent", true));
  EXPECT_FALSE(settings.ReadBool("Settings", "Language", "File", true));  // not "True"
  EXPECT_EQ(settings.ReadString("Settings", "Language", "File", "English.lng"), "Deutsch.lng");
  EXPECT_EQ(settings.ReadString("Settings", "Language", "Other", "English.lng"), "English.lng");
}

TEST_F(SettingsManagerFileTest, ColumnsStoredOrComputed) {
  uint64_t now = 100000;
  TSettingsManager settings(Folder());
  settings.SetClock([&now] { return now; });
  FakeList list;
  list.captions = {"Key", "Entry", "Problem"};
  list.widths = {0, 0, 0};
  list.clientWidth = 600;
  for (int r = 0; r < 5; ++r) list.rows.push_back({"0123456789", "0123456789", "0123456789"});
  list.rows.push_back({std::string(60, 'x'), "", ""});  // the last row is not sampled

  // Two of three widths stored count as missing. Samples: the caption and five
  // cells of 100 px; the caption is dropped; 100 + 20, then (600 - 30 - 360) / 3 more.
  settings.WriteInteger("Columns", "MainForm:3", "0", 77);
  settings.WriteInteger("Columns", "MainForm:3", "1", 88);
  settings.RestoreColumns(list);
  EXPECT_EQ(list.widths, (std::vector<int>{190, 190, 190}));
  EXPECT_EQ(list.captions, (std::vector<std::string>{"Key", "Entry", "Problem"}));
  settings.SaveColumns(list);

  struct Step {
    uint64_t later;
    bool dropRow;
    bool restored;
  };
  const Step steps[] = {{500, false, false}, {600, true, true}, {2000, false, false}, {5000, false, true}};
  for (const auto& step : steps) {
    now += step.later;
    if (step.dropRow) list.rows.pop_back();
    list.widths = {1, 2, 3};
    settings.RestoreColumns(list);
    const std::vector<int> expected =
        step.restored ? std::vector<int>{190, 190, 190} : std::vector<int>{1, 2, 3};
    EXPECT_EQ(list.widths, expected) << now;
  }

  FakeList single;
  single.captions = {"Description"};
  single.widths = {0};
  single.clientWidth = 400;
  single.tab = 7;
  settings.RestoreColumns(single);
  EXPECT_EQ(single.widths, std::vector<int>{370});

  FakeList checked;  // no rows, blank captions, no room to spare
  checked.tab.reset();
  checked.checkBoxes = true;
  checked.captions = {"", ""};
  checked.widths = {0, 0};
  checked.clientWidth = 100;
  settings.RestoreColumns(checked);
  EXPECT_EQ(checked.widths, (std::vector<int>{100, 80}));  // 100 / 2 - 20 -> 60 + 20; plus 20 for the box
  settings.SaveColumns(checked);
  EXPECT_EQ(settings.ReadInteger("Columns", "MainForm", "1", -1), 80);
}

}  // namespace
}  // namespace vp
