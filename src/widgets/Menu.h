#pragma once

// Menus and keyboard accelerators, each owning its handle.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/ScopedHandle.h"

namespace vp::widgets {

struct MenuTraits {
  using Handle = HMENU;
  static constexpr Handle kInvalid = nullptr;
  static bool Close(Handle menu) { return DestroyMenu(menu) != 0; }
};

class TMenu {
 public:
  TMenu() = default;
  // A menu bar or a pop-up menu.
  static TMenu Bar() { return TMenu(CreateMenu()); }
  static TMenu Popup() { return TMenu(CreatePopupMenu()); }

  HMENU Handle() const { return menu_.Get(); }
  // Hands the menu to a window or a parent menu, which destroys it.
  HMENU Release() { return menu_.Release(); }

  void AddItem(int id, std::string_view caption, std::string_view shortcut);
  void AddSeparator();
  // Appends sub as a sub-menu (which this menu then owns).
  void AddSubMenu(TMenu sub, std::string_view caption);
  void Clear();

 private:
  explicit TMenu(HMENU menu) : menu_(menu) {}
  platform::win32::ScopedHandle<MenuTraits> menu_;
};

// The caption of a menu item (by position) without its shortcut text, and
// setting it keeping the shortcut.
std::string MenuItemCaption(HMENU menu, int position);
void SetMenuItemCaption(HMENU menu, int position, std::string_view caption);
void EnableMenuItemById(HMENU menu, int id, bool enabled);
void CheckMenuItemById(HMENU menu, int id, bool checked);

struct AcceleratorTraits {
  using Handle = HACCEL;
  static constexpr Handle kInvalid = nullptr;
  static bool Close(Handle table) { return DestroyAcceleratorTable(table) != 0; }
};
using TAccelerators = platform::win32::ScopedHandle<AcceleratorTraits>;

// The accelerator for a shortcut text ("Ctrl+S", "Shift+Del", "F1"); false
// for a text it does not know.
bool ParseShortcut(std::string_view shortcut, ACCEL& accel);

// A command and the shortcut text that gives it.
struct TShortcutCommand {
  std::string shortcut;
  int id = 0;
};

// The accelerator table of the shortcuts that ParseShortcut knows; the
// others are left out.
TAccelerators MakeAccelerators(const std::vector<TShortcutCommand>& shortcuts);

}  // namespace vp::widgets
