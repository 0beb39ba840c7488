#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "settings/SettingsManager.h"
#include "support/ScratchFolder.h"

namespace vp {
namespace {

class FakeWindow : public SettingsWindow {
 public:
  std::string Name() const override { return "MainForm"; }
  int Left() const override { return left; }
  int Top() const override { return top; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  bool Maximized() const override { return maximized; }
  Border BorderStyle() const override { return border; }
  int ScreenWidth() const override { return screenWidth; }
  int ScreenHeight() const override { return screenHeight; }
  void SetPosition(int l, int t) override {
    left = l;
    top = t;
  }
  void SetBounds(int l, int t, int w, int h) override {
    left = l;
    top = t;
    width = w;
    height = h;
  }
  void SetMaximized() override { maximized = true; }
  void Resized() override { ++resizes; }

  int left = 0, top = 0, width = 300, height = 200;
  bool maximized = false;
  Border border = Border::Other;
  int screenWidth = 1024, screenHeight = 768;
  int resizes = 0;
};

// Text is 10 pixels per character.
class FakeList : public SettingsList {
 public:
  bool Placed() const override { return true; }
  std::vector<std::string> AncestorFormNames() const override { return ancestors; }
  std::optional<int> ParentTabIndex() const override { return tab; }
  int ColumnCount() const override { return static_cast<int>(captions.size()); }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  int ClientWidth() const override { return clientWidth; }
  int ColumnWidth(int c) const override { return widths[static_cast<size_t>(c)]; }
  void SetColumnWidth(int c, int w) override { widths[static_cast<size_t>(c)] = w; }
  void SetColumnAutoSize(int, bool) override {}
  std::string ColumnCaption(int c) const override { return captions[static_cast<size_t>(c)]; }
  void SetColumnCaption(int c, const std::string& text) override {
    captions[static_cast<size_t>(c)] = text;
    ++captionTouches;
  }
  std::optional<std::string> Cell(int row, int column) const override {
    const auto& cells = rows[static_cast<size_t>(row)];
    if (static_cast<size_t>(column) >= cells.size()) return std::nullopt;
    return cells[static_cast<size_t>(column)];
  }
  int TextWidth(const std::string& text) const override { return 10 * static_cast<int>(text.size()); }
  bool HasCheckBoxes() const override { return checkBoxes; }
  int FirstRowLeft() const override { return 18; }

  std::vector<std::string> ancestors = {"", "MainForm"};
  std::optional<int> tab = 3;
  std::vector<std::string> captions;
  std::vector<int> widths;
  std::vector<std::vector<std::string>> rows;
  int clientWidth = 0;
  bool checkBoxes = false;
  int captionTouches = 0;
};

std::string HostBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SettingsManagerTest, RobustColumnWidth) {
  struct Case {
    const char* what;
    std::vector<int> samples;
    int width;
  };
  const Case cases[] = {
      {"all 100", std::vector<int>(20, 100), 120},
      {"all 40: raised to 60", std::vector<int>(20, 40), 80},
      {"outliers dropped", {50, 200, 210, 190}, 215},
      {"everything dropped: at least the caption", {100, 100, 100, 1000}, 120},
      {"wide caption", {300, 50, 60}, 320},
      {"halves to even, down", {60, 61}, 80},
      {"halves to even, up", {61, 62}, 82},
      {"nothing measured", {0}, 80},
  };
  for (const auto& c : cases) EXPECT_EQ(RobustColumnWidth(c.samples), c.width) << c.what;
}

TEST(SettingsManagerTest, ListSectionName) {
  FakeList list;
  EXPECT_EQ(ListSectionName(list), "MainForm:3");
  list.tab.reset();
  list.ancestors = {"BackupForm", "MainForm"};
  EXPECT_EQ(ListSectionName(list), "BackupForm");
}

class SettingsManagerFileTest : public ::testing::Test {
 protected:
  std::string Folder() const { return scratch_.Path("Data"); }  // no trailing backslash on purpose
  std::string Stored(const std::string& file) { return HostBytes(scratch_.Host("Data\\" + file)); }
  test::ScratchFolder scratch_;
};

TEST_F(SettingsManagerFileTest, FirstStartSizesAndCentres) {
  FakeWindow window;
  TSettingsManager settings(Folder());
  settings.RestoreForm(window);
  EXPECT_EQ(window.height, 400);
  EXPECT_EQ(window.width, 640);
  EXPECT_EQ(window.left, 1024 / 2 - 300 / 2);  // centred with the size it had
  EXPECT_EQ(window.top, 768 / 2 - 200 / 2);
  EXPECT_EQ(window.resizes, 2);
  EXPECT_TRUE(std::filesystem::exists(scratch_.Host("Data\\Windows.dat")));
}

TEST_F(SettingsManagerFileTest, WindowGeometryRoundTrip) {
  struct Case {
    const char* what;
    int left, top, screenWidth, screenHeight;
    SettingsWindow::Border border;
    int startSize;  // the window's width and height before restoring
    int expectLeft, expectTop, expectWidth, expectHeight;
  };
  const Case cases[] = {
      {"stored place", 100, 50, 1280, 1024, SettingsWindow::Border::Other, 10, 100, 50, 500, 300},
      {"left far off screen", 5000, 50, 1280, 1024, SettingsWindow::Border::Other, 400, 640 - 200, 512 - 200,
       500, 300},
      {"just inside the margin", -10, 1034, 1280, 1024, SettingsWindow::Border::Other, 10, -10, 1034, 500,
       300},
      {"tool window keeps its size", 100, 50, 1280, 1024, SettingsWindow::Border::ToolWindow, 10, 100, 50, 10,
       10},
  };
  for (const auto& c : cases) {
    {
      TSettingsManager settings(Folder());
      FakeWindow saved;
      saved.left = c.left;
      saved.top = c.top;
      saved.width = 500;
      saved.height = 300;
      settings.SaveForm(saved);
    }
    TSettingsManager settings(Folder());
    FakeWindow window;
    window.width = window.height = c.startSize;
    window.screenWidth = c.screenWidth;
    window.screenHeight = c.screenHeight;
    window.border = c.border;
    settings.RestoreForm(window);
    EXPECT_EQ(window.left, c.expectLeft) << c.what;
    EXPECT_EQ(window.top, c.expectTop) << c.what;
    EXPECT_EQ(window.width, c.expectWidth) << c.what;
    EXPECT_EQ(window.height, c.expectHeight) << c.what;
  }
  EXPECT_EQ(Stored("Windows.dat"),
            "[MainForm]\r\nHeight=300\r\nWidth=500\r\nLeft=100\r\nTop=50\r\nMax=False\r\n\r\n");
}

TEST_F(SettingsManagerFileTest, MaximisedWindowStoresOnlyTheFlag) {
  {
    TSettingsManager settings(Folder());
    FakeWindow normal;
    normal.left = 20;
    normal.top = 30;
    settings.SaveForm(normal);
    FakeWindow maximised;
    maximised.maximized = true;
    maximised.width = 1024;
    settings.SaveForm(maximised);
    FakeWindow tiny;
    tiny.width = 9;
    tiny.left = 999;
    settings.SaveForm(tiny);
  }
  EXPECT_EQ(Stored("Windows.dat"),
            "[MainForm]\r\nHeight=200\r\nWidth=300\r\nLeft=20\r\nTop=30\r\nMax=True\r\n\r\n");
  TSettingsManager settings(Folder());
  FakeWindow window;
  settings.RestoreForm(window);
  EXPECT_TRUE(window.maximized);
  EXPECT_EQ(window.left, 0);
  EXPECT_EQ(window.top, 0);
  EXPECT_EQ(window.width, 1024);
  EXPECT_EQ(window.height, 768);
}

TEST_F(SettingsManagerFileTest, ValuesAcrossFiles) {
  {
    TSettingsManager settings(Folder());
    settings.WriteInteger("Sortting", "MainForm:9", "SortColumn", 2);
    settings.WriteBool("Settings", "Misc", "Flag", true);
    settings.WriteInteger("Sortting", "MainForm:9", "SortDir", -1);
    settings.WriteString("Settings", "Language", "File", "Deutsch.lng");
    EXPECT_EQ(settings.CurrentFile(), "Settings");
  }
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

TEST_F(SettingsManagerFileTest, ColumnsStoredAndComputed) {
  uint64_t now = 100000;
  TSettingsManager settings(Folder());
  settings.SetClock([&now] { return now; });

  FakeList list;
  list.captions = {"Key", "Entry", "Problem"};
  list.widths = {0, 0, 0};
  list.clientWidth = 600;
  // Caption widths 30, 50, 70; cells 10 characters (100 px), the last row ignored.
  for (int r = 0; r < 5; ++r) list.rows.push_back({"0123456789", "0123456789", "0123456789"});
  list.rows.push_back({std::string(60, 'x'), "", ""});

  // Two of three widths stored: all three are computed.
  settings.WriteInteger("Columns", "MainForm:3", "0", 77);
  settings.WriteInteger("Columns", "MainForm:3", "1", 88);
  settings.RestoreColumns(list);
  // Samples 30,100x5 -> mean 88.3, the caption dropped -> 100 + 20 = 120 each;
  // spare room (600 - 30 - 360) / 3 = 70 each.
  EXPECT_EQ(list.widths, (std::vector<int>{190, 190, 190}));
  EXPECT_EQ(list.captions, (std::vector<std::string>{"Key", "Entry", "Problem"}));
  EXPECT_EQ(list.captionTouches, 6);

  // Within a second nothing happens; after it, stored widths win.
  settings.SaveColumns(list);
  list.widths = {1, 2, 3};
  now += 500;
  settings.RestoreColumns(list);
  EXPECT_EQ(list.widths, (std::vector<int>{1, 2, 3}));
  now += 600;
  list.rows.pop_back();  // a changed row count is not damped past 1000 ms
  settings.RestoreColumns(list);
  EXPECT_EQ(list.widths, (std::vector<int>{190, 190, 190}));
  list.widths = {1, 2, 3};
  now += 2000;  // same counts: damped for 5000 ms
  settings.RestoreColumns(list);
  EXPECT_EQ(list.widths, (std::vector<int>{1, 2, 3}));

  // One column: the list width less 30.
  FakeList single;
  single.captions = {"Description"};
  single.widths = {0};
  single.clientWidth = 400;
  single.tab = 7;
  settings.RestoreColumns(single);
  EXPECT_EQ(single.widths, std::vector<int>{370});

  // Check boxes widen the first column by the first row's indent.
  FakeList checked;
  checked.tab = 8;
  checked.checkBoxes = true;
  checked.captions = {"", ""};
  checked.widths = {0, 0};
  checked.clientWidth = 100;  // no spare room
  settings.RestoreColumns(checked);
  // No rows and blank captions: sample 0 is 100 / 2 - 20 = 30 -> 60 + 20.
  EXPECT_EQ(checked.widths, (std::vector<int>{80 + 20, 80}));
}

}  // namespace
}  // namespace vp
