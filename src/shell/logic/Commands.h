#pragma once

// Every command of the main window, whichever menu, button or key gives it.
// The window routes them all through one handler.

#include <string_view>

namespace vp::shell {

enum class Command {
  None,
  // File menu and bottom bar
  SaveList,
  Exit,
  // Select menu and pop-up menu
  SelectAll,
  SelectNone,
  SelectInverse,
  SelectHighlighted,
  ToggleSelected,
  // Actions on listed rows
  Fix,
  Remove,
  Uninstall,
  RegEdit,
  FindInfo,
  Backups,
  // Help menu
  HelpTool,
  Faq,
  License,
  WebSite,
  // Scan control and the first-run prompt
  Start,
  Cancel,
  NewScan,
  CacheOk,
  CacheSkip,
  // F5: transfer the shown tab again
  Refresh,
};

// A name for messages and tests.
std::string_view CommandName(Command command);

// Keys the window sees before its controls.
enum class Key { Other, F5, Escape, Enter, Delete };

struct KeyContext {
  bool cachePanelVisible = false;
  bool scanOptionsVisible = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
};

// The command a key gives, None when the key is left to the control that
// has the focus. Esc closes the window unless a panel takes it; Enter only
// answers a panel.
Command KeyCommand(Key key, const KeyContext& context);

}  // namespace vp::shell
