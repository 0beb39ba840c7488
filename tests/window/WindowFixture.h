// What the window tests share: a program folder with the shipped language
// and ignore list, a scratch key of the user's with references to files that
// are not there, the main window opened in this process, and waits that end
// on a state, with a generous limit only as a guard against a hang.
#pragma once

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "registry/FastRegistry.h"
#include "shell/Program.h"
#include "support/RegistryTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"
#include "widgets/Text.h"

namespace vp::shell {

// A list view's cell text and row count, as the control itself holds them.
inline std::string ListCell(HWND list, int row, int column) {
  wchar_t buffer[1024] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 1023;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return widgets::Narrow(buffer);
}

inline int ListRows(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

class WindowFixture : public ::testing::Test {
 protected:
  // The program's data folders, and three missing-file references in the
  // scratch key for the scan of the user's hive to find.
  void PlantMissingReferences() {
    ASSERT_TRUE(key_.Ok());
    scratch_.PutFile("prog\\Languages\\English.lng", test::ShippedFile("Languages/English.lng"));
    scratch_.PutFile("prog\\Data\\Default IgnoreList.dat", test::ShippedFile("Data/Default IgnoreList.dat"));
    TFastRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path(), false));
    for (const char* name : {"Gone", "Lost", "Missing"})
      registry.WriteString(name, scratch_.Path(std::string("gone\\") + name + ".exe"));
  }

  // Opens the main window on the user's hive; its messages go to reports_.
  void Open(TMainFormContext extra) {
    program_ = std::make_unique<TProgram>(scratch_.Path("prog\\"), false);
    extra.scanAreas = {4};
    extra.showMessage = [this](const std::string& title, const std::string& text) {
      reports_.push_back(title + ": " + text);
    };
    ASSERT_TRUE(program_->CreateWindows(std::move(extra)));
    Form().Show(SW_SHOWNORMAL);
    // The idle thread applies the language once the window stands.
    ASSERT_TRUE(WaitFor([&] { return !program_->Texts().Text("Columns.15").empty(); }));
  }

  void TearDown() override {
    if (program_ && Form().Handle() != nullptr) SendMessageW(Form().Handle(), WM_CLOSE, 0, 0);
    program_.reset();
  }

  TMainForm& Form() { return *program_->Form(); }
  HWND List() { return Form().List().Handle(); }

  // Runs the window thread until done holds; false after the guard's limit.
  bool WaitFor(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(180);
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      program_->Dispatcher().ProcessPending(std::chrono::milliseconds(20));
    }
    return true;
  }

  // A key as the message loop hands it to the window.
  bool Key(HWND target, WPARAM key) {
    MSG message{};
    message.hwnd = target;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    return Form().PreTranslate(message);
  }

  test::ScratchFolder scratch_;
  test::ScratchKey key_;
  std::unique_ptr<TProgram> program_;
  std::vector<std::string> reports_;
};

}  // namespace vp::shell
