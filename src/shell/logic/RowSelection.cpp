#include "shell/logic/RowSelection.h"

namespace vp::shell {

size_t ApplySelection(std::vector<TRowState>& rows, TSelectCommand command, bool checkBoxes) {
  size_t ticked = 0;
  for (TRowState& row : rows) {
    switch (command) {
      case TSelectCommand::kAll:
        row.ticked = row.selected = true;
        break;
      case TSelectCommand::kNone:
        row.ticked = row.selected = false;
        break;
      case TSelectCommand::kInverse:
        if (checkBoxes) {
          row.ticked = !row.ticked;
          row.selected = row.ticked;
        } else {
          row.selected = !row.selected;
        }
        break;
      case TSelectCommand::kHighlighted:
        if (row.selected) row.ticked = true;
        break;
    }
    // Ticking selects: a ticked row is always selected too.
    if (row.ticked) row.selected = true;
    row.focused = false;
    if (row.ticked) ++ticked;
  }
  return ticked;
}

bool TabHasRegEditKey(int tab) {
  return tab != 0 && tab != 2 && tab != 4;
}

TPopupItems PopupItems(const TPopupContext& context) {
  TPopupItems items;
  items.selectAll = items.selectNone = items.selectInverse = context.focusedRow;
  items.separatorBeforeBackups = context.focusedRow;
  items.select = context.focusedRow && context.selectedRow && !context.selectedRowTicked;
  items.fix = context.fixButton;
  items.remove = context.removeButton;
  items.backups = context.backupsButton;
  items.regEdit = TabHasRegEditKey(context.tab);
  return items;
}

TMainCommand CommandForKey(const TKeyPress& key, const TPopupContext& context) {
  if (key.alt) return TMainCommand::kNone;
  if (key.virtualKey == kVirtualKeyDelete && !key.ctrl) {
    if (context.fixButton) return TMainCommand::kFix;
    if (!key.shift && context.removeButton) return TMainCommand::kRemove;
    return TMainCommand::kNone;
  }
  if (!key.ctrl || key.shift) return TMainCommand::kNone;
  switch (key.virtualKey) {
    case 'R':
      return TMainCommand::kRegEdit;
    case 'G':
      return TMainCommand::kFindMoreInformation;
    case 'B':
      return context.backupsButton ? TMainCommand::kBackups : TMainCommand::kNone;
    default:
      return TMainCommand::kNone;
  }
}

}  // namespace vp::shell
