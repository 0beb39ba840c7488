#pragma once

// What the main window's selection commands, pop-up menu and keys do, apart
// from the window: the window reads its rows' states into TRowState, applies
// a command and writes the states back.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vp::shell {

struct TRowState {
  bool ticked = false;
  bool selected = false;
  bool focused = false;
};

enum class TSelectCommand : uint8_t { kAll, kNone, kInverse, kHighlighted };

// Applies a selection command to every row; every row also loses its focus.
// Inverse sets the selection to the new tick; on a list without check boxes
// it toggles the selection instead. Returns the number of ticked rows.
size_t ApplySelection(std::vector<TRowState>& rows, TSelectCommand command, bool checkBoxes = true);

// The state of the list and the buttons when the pop-up menu opens.
struct TPopupContext {
  int tab = 0;
  bool focusedRow = false;         // the list has a focused row
  bool selectedRow = false;        // the list has a selected row ...
  bool selectedRowTicked = false;  // ... and it is ticked
  bool fixButton = false;          // enabled and visible
  bool removeButton = false;       // enabled and visible
  bool backupsButton = false;      // enabled
};

struct TPopupItems {
  bool select = false;  // reverses the tick of the focused row
  bool fix = false;
  bool remove = false;
  bool regEdit = false;
  bool selectAll = false;
  bool selectNone = false;
  bool selectInverse = false;
  bool selectHighlighted = true;
  bool findMoreInformation = true;
  bool separatorBeforeBackups = false;
  bool backups = false;
};

// Which items of the list's pop-up menu show. "Select" needs a focused row to
// act on and shows only while the selected row is not ticked.
TPopupItems PopupItems(const TPopupContext& context);

// The RegEdit command has a key to show on every tab but these.
bool TabHasRegEditKey(int tab);

enum class TMainCommand : uint8_t { kNone, kFix, kRemove, kRegEdit, kFindMoreInformation, kBackups };

// The command a key press in the main window runs (the window sees keys
// before its controls). Del clicks Fix where Fix can be clicked (the
// cleaner's tab), and otherwise is the pop-up menu's shortcut for Remove;
// Shift+Del is the pop-up's shortcut for Fix. A command whose button cannot
// be clicked gives kNone.
struct TKeyPress {
  int virtualKey = 0;  // the Windows virtual-key code
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};
TMainCommand CommandForKey(const TKeyPress& key, const TPopupContext& context);

inline constexpr int kVirtualKeyDelete = 0x2E;

}  // namespace vp::shell
