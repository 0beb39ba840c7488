#pragma once

// The English texts the two windows are designed with: every control whose
// text the language file gives, every main-menu item and popup menu. The
// window code builds its controls from these tables, and English.lng carries
// the same texts under the keys the translator computes from them.
//
// Captions keep their "&" accelerator marks as the controls show them.

#include <string>
#include <string_view>
#include <vector>

#include "settings/Translator.h"

namespace vp {

struct DesignedControl {
  std::string_view name;
  ComponentClass componentClass;
  // Caption controls: the caption. List controls: the items, in order.
  // Both empty: the control's text is set at run time from bound message
  // texts (the main list's columns, the status bar's counts), and the
  // language file must give it none.
  std::string_view text;
  std::vector<std::string_view> items;

  bool TextAtRunTime() const { return text.empty() && items.empty(); }
};

struct DesignedMenuItem {
  std::string_view name;      // empty for a separator
  std::string_view caption;   // "-" for a separator
  std::string_view shortcut;  // "Ctrl+S", "Shift+Del", "F1"; empty for none

  bool IsSeparator() const { return name.empty(); }
};

struct DesignedMenu {
  std::string_view name;
  // A popup menu has no caption; its non-separator items take keys "0", "1",
  // ... of its section. A main-menu item takes key "0" for its caption and
  // "1", "2", ... for its visible non-separator items.
  bool popup = false;
  std::string_view caption;
  std::vector<DesignedMenuItem> items;  // empty for a menu built at run time
};

struct DesignedWindow {
  std::string_view name;  // the component name; its language section is the lower-case name
  std::string_view caption;
  std::vector<DesignedControl> controls;
  std::vector<DesignedMenu> menus;
};

const DesignedWindow& MainFormDesign();
const DesignedWindow& BackupFormDesign();
// Both windows, the main window first.
const std::vector<const DesignedWindow*>& DesignedWindows();

// The window's section in a language file: its name in lower case.
std::string LanguageSection(const DesignedWindow& window);
// A menu's section: the window's section, ".", the menu's name.
std::string LanguageSection(const DesignedWindow& window, const DesignedMenu& menu);

}  // namespace vp
