#pragma once

// Menus and keyboard accelerators, each owning its handle.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace vp::widgets {

class TMenu {
 public:
  TMenu() = default;
  // A menu bar or a pop-up menu.
  static TMenu Bar() { return TMenu(CreateMenu()); }
  static TMenu Popup() { return TMenu(CreatePopupMenu()); }
  ~TMenu() {
    if (menu_ != nullptr) DestroyMenu(menu_);
  }
  TMenu(TMenu&& other) noexcept : menu_(std::exchange(other.menu_, nullptr)) {}
  TMenu& operator=(TMenu&& other) noexcept {
    if (this != &other) {
      if (menu_ != nullptr) DestroyMenu(menu_);
      menu_ = std::exchange(other.menu_, nullptr);
    }
    return *this;
  }
  TMenu(const TMenu&) = delete;
  TMenu& operator=(const TMenu&) = delete;

  HMENU Handle() const { return menu_; }
  // Hands the menu to a window or a parent menu, which destroys it.
  HMENU Release() { return std::exchange(menu_, nullptr); }

  void AddItem(int id, std::string_view caption, std::string_view shortcut);
  void AddSeparator();
  // Appends sub as a sub-menu (which this menu then owns).
  void AddSubMenu(TMenu sub, std::string_view caption);
  void Clear();

 private:
  explicit TMenu(HMENU menu) : menu_(menu) {}
  HMENU menu_ = nullptr;
};

// The caption of a menu item (by position) without its shortcut text, and
// setting it keeping the shortcut.
std::string MenuItemCaption(HMENU menu, int position);
void SetMenuItemCaption(HMENU menu, int position, std::string_view caption);
void EnableMenuItemById(HMENU menu, int id, bool enabled);
void CheckMenuItemById(HMENU menu, int id, bool checked);

class TAccelerators {
 public:
  TAccelerators() = default;
  explicit TAccelerators(HACCEL table) : table_(table) {}
  ~TAccelerators() {
    if (table_ != nullptr) DestroyAcceleratorTable(table_);
  }
  TAccelerators(TAccelerators&& other) noexcept : table_(std::exchange(other.table_, nullptr)) {}
  TAccelerators& operator=(TAccelerators&& other) noexcept {
    if (this != &other) {
      if (table_ != nullptr) DestroyAcceleratorTable(table_);
      table_ = std::exchange(other.table_, nullptr);
    }
    return *this;
  }
  TAccelerators(const TAccelerators&) = delete;
  TAccelerators& operator=(const TAccelerators&) = delete;

  HACCEL Handle() const { return table_; }

 private:
  HACCEL table_ = nullptr;
};

// The accelerator for a shortcut text ("Ctrl+S", "Shift+Del", "F1"); false
// for a text it does not know.
bool ParseShortcut(std::string_view shortcut, ACCEL& accel);

}  // namespace vp::widgets
