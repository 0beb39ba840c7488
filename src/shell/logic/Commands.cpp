#include "shell/logic/Commands.h"

namespace vp::shell {

std::string_view CommandName(Command command) {
  switch (command) {
    case Command::None:
      return "None";
    case Command::SaveList:
      return "SaveList";
    case Command::Exit:
      return "Exit";
    case Command::SelectAll:
      return "SelectAll";
    case Command::SelectNone:
      return "SelectNone";
    case Command::SelectInverse:
      return "SelectInverse";
    case Command::SelectHighlighted:
      return "SelectHighlighted";
    case Command::ToggleSelected:
      return "ToggleSelected";
    case Command::Fix:
      return "Fix";
    case Command::Remove:
      return "Remove";
    case Command::Uninstall:
      return "Uninstall";
    case Command::RegEdit:
      return "RegEdit";
    case Command::FindInfo:
      return "FindInfo";
    case Command::Backups:
      return "Backups";
    case Command::HelpTool:
      return "HelpTool";
    case Command::Faq:
      return "Faq";
    case Command::License:
      return "License";
    case Command::WebSite:
      return "WebSite";
    case Command::Start:
      return "Start";
    case Command::Cancel:
      return "Cancel";
    case Command::NewScan:
      return "NewScan";
    case Command::CacheOk:
      return "CacheOk";
    case Command::CacheSkip:
      return "CacheSkip";
    case Command::Refresh:
      return "Refresh";
  }
  return "?";
}

Command KeyCommand(Key key, const KeyContext& context) {
  switch (key) {
    case Key::F5:
      return Command::Refresh;
    case Key::Escape:
      if (context.cachePanelVisible) return Command::CacheSkip;
      if (context.scanOptionsVisible) return Command::Cancel;
      return Command::Exit;
    case Key::Enter:
      if (context.scanOptionsVisible) return Command::Start;
      if (context.cachePanelVisible) return Command::CacheOk;
      return Command::None;
    case Key::Delete:
      // As the pop-up menu shows them: Shift+Del fixes, Del removes.
      if (context.control || context.alt) return Command::None;
      return context.shift ? Command::Fix : Command::Remove;
    case Key::Other:
      return Command::None;
  }
  return Command::None;
}

}  // namespace vp::shell
