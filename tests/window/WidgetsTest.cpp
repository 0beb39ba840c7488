// The control wrappers and the window thread's dispatcher, on real windows
// under Wine's null display driver.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "shell/IdleThread.h"
#include "widgets/Controls.h"
#include "widgets/ListView.h"
#include "widgets/Menu.h"
#include "widgets/Text.h"
#include "widgets/Window.h"
#include "widgets/WindowDispatcher.h"
#include "window/WindowFixture.h"

namespace vp::widgets {
namespace {

// A top-level window whose notifications reach the list under test.
class THost : public TCustomWindow {
 public:
  THost() {
    CreateCustom(L"VeltaroTestHost", nullptr, "host", WS_OVERLAPPEDWINDOW, 0, 0, 0, 400, 300, nullptr);
  }
  TListView* list = nullptr;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_NOTIFY && list != nullptr) {
      LRESULT result = 0;
      if (list->HandleNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
    }
    return Default(message, wParam, lParam);
  }
};

class TRows : public TListSource {
 public:
  std::vector<std::vector<std::string>> cells;
  std::vector<bool> ticks;
  int RowCount() const override { return static_cast<int>(cells.size()); }
  const std::string& CellText(int row, int column) const override {
    return cells[static_cast<size_t>(row)][static_cast<size_t>(column)];
  }
  bool RowTicked(int row) const override { return ticks[static_cast<size_t>(row)]; }
  void SetRowTicked(int row, bool ticked) override { ticks[static_cast<size_t>(row)] = ticked; }
};

TEST(ListViewTest, ShowsTheSourcesRowsAndTicksThem) {
  THost host;
  TListView list(host.Handle(), 1);
  host.list = &list;
  TRows rows;
  rows.cells = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
  rows.ticks = {false, true, false};
  list.SetSource(&rows);
  int changes = 0;
  list.OnTicksChanged = [&] { ++changes; };
  list.AddColumn("One", 100);
  list.AddColumn("Two", 80);
  list.Refresh(false);

  EXPECT_EQ(list.ColumnCaptions(), (StringList{"One", "Two"}));
  EXPECT_EQ(list.ColumnWidth(1), 80);
  EXPECT_EQ(SendMessageW(list.Handle(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(shell::ListCell(list.Handle(), 2, 1), "3");
  EXPECT_EQ(SendMessageW(list.Handle(), LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2))
      << "a ticked row shows the ticked image";

  // Space ticks the selected rows as the first of them asks.
  list.Select(0, true);
  list.Select(2, false);
  EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 2}));
  SendMessageW(list.Handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(rows.ticks, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(changes, 1);

  list.RemoveColumns();
  EXPECT_EQ(list.ColumnCount(), 0);
}

TEST(ControlsTest, TabsStatusAndButtonsKeepTheirTexts) {
  THost host;
  TTabControl tabs(host.Handle(), 2);
  tabs.SetCaptions({"One", "Two", "Three"});
  tabs.SetCurrent(2);
  EXPECT_EQ(tabs.Current(), 2);
  tabs.SetCaptions({"Uno", "Dos"});
  EXPECT_EQ(tabs.Captions(), (StringList{"Uno", "Dos"}));

  TStatusBar status(host.Handle());
  status.SetText("3 ticked, caf\xE9");
  EXPECT_EQ(status.Text(), "3 ticked, caf\xE9");

  TPanel panel;
  ASSERT_TRUE(panel.Create(host.Handle(), 3, true));
  TButton button(panel.Handle(), 4, "&Go");
  EXPECT_EQ(button.Text(), "&Go");
  // A click needs a shown, usable button on a shown panel.
  ShowWindow(host.Handle(), SW_SHOWNA);
  panel.SetVisible(false);
  EXPECT_FALSE(button.Click());
  panel.SetVisible(true);
  button.SetEnabled(false);
  EXPECT_FALSE(button.Click());
  button.SetEnabled(true);
  EXPECT_TRUE(button.Click());
}

TEST(MenuTest, ShortcutsParseAndCaptionsKeepThem) {
  struct Case {
    const char* text;
    bool ok;
    BYTE flags;
    WORD key;
  };
  const Case cases[] = {
      {"Ctrl+S", true, FVIRTKEY | FCONTROL, 'S'},
      {"Shift+Del", true, FVIRTKEY | FSHIFT, VK_DELETE},
      {"F3", true, FVIRTKEY, VK_F3},
      {"Ctrl+Alt+Q", true, FVIRTKEY | FCONTROL | FALT, 'Q'},
      {"F13", false, 0, 0},
      {"Ctrl+", false, 0, 0},
  };
  for (const Case& c : cases) {
    ACCEL accel{};
    EXPECT_EQ(ParseShortcut(c.text, accel), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(accel.fVirt, c.flags) << c.text;
    EXPECT_EQ(accel.key, c.key) << c.text;
  }

  TMenu menu = TMenu::Popup();
  menu.AddItem(10, "&Save list as...", "Ctrl+S");
  menu.AddSeparator();
  menu.AddItem(11, "E&xit", "");
  EXPECT_EQ(MenuItemCaption(menu.Handle(), 0), "&Save list as...");
  SetMenuItemCaption(menu.Handle(), 0, "&Liste sichern...");
  wchar_t full[128] = {};
  GetMenuStringW(menu.Handle(), 0, full, 127, MF_BYPOSITION);
  EXPECT_EQ(Narrow(full), "&Liste sichern...\tCtrl+S");
  SetMenuItemCaption(menu.Handle(), 2, "&Ende");
  EXPECT_EQ(MenuItemCaption(menu.Handle(), 2), "&Ende");
}

TEST(WindowDispatcherTest, RunsCallsInOrderOnTheWindowThread) {
  TWindowDispatcher dispatcher;
  const auto owner = std::this_thread::get_id();
  std::vector<int> order;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 5000; ++i)
      dispatcher.Post([&, i] {
        EXPECT_EQ(std::this_thread::get_id(), owner);
        order.push_back(i);
      });
    // The last call waits for everything posted before it.
    dispatcher.Synchronize([&] { order.push_back(-1); });
    EXPECT_THROW(dispatcher.Synchronize([] { throw std::runtime_error("raised on the window thread"); }),
                 std::runtime_error);
    done = true;
  });
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done && std::chrono::steady_clock::now() < limit)
    dispatcher.ProcessPending(std::chrono::milliseconds(10));
  worker.join();
  ASSERT_EQ(order.size(), 5001u);
  for (int i = 0; i < 5000; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
  EXPECT_EQ(order.back(), -1);
  EXPECT_EQ(dispatcher.Waiting(), 0u);
}

TEST(WindowDispatcherTest, ProcessPendingKeepsWindowMessagesMoving) {
  TWindowDispatcher dispatcher;
  THost host;
  std::atomic<bool> posted{false};
  // A worker waits in Synchronize while the window thread pumps messages
  // for another reason: both get through.
  std::thread worker([&] { dispatcher.Synchronize([&] { posted = true; }); });
  PostMessageW(host.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"moved"));
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!posted && std::chrono::steady_clock::now() < limit)
    dispatcher.ProcessPending(std::chrono::milliseconds(10));
  worker.join();
  EXPECT_TRUE(posted);
}

TEST(IdleThreadTest, AppliesTheLanguageOnTheWindowThreadAndStops) {
  TWindowDispatcher dispatcher;
  const auto owner = std::this_thread::get_id();
  std::atomic<int> applied{0};
  std::atomic<int> passes{0};
  shell::TIdleThread::Tasks tasks;
  tasks.applyLanguage = [&] {
    EXPECT_EQ(std::this_thread::get_id(), owner);
    ++applied;
  };
  tasks.pass = [&] { ++passes; };
  shell::TIdleThread idle(dispatcher, tasks, std::chrono::milliseconds(5));
  idle.Start();
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (passes < 3 && std::chrono::steady_clock::now() < limit)
    dispatcher.ProcessPending(std::chrono::milliseconds(10));
  idle.Stop();
  idle.Wait();
  EXPECT_TRUE(idle.Finished());
  EXPECT_EQ(applied, 1);
  EXPECT_GE(passes, 3);
}

}  // namespace
}  // namespace vp::widgets
