#include "shell/logic/HelpItems.h"

#include <string>

#include "files/FileTools.h"
#include "platform/Launcher.h"

namespace vp::shell {

namespace {

std::string_view DocumentOf(HelpItem item) {
  switch (item) {
    case HelpItem::MainWindowHelp:
      return "Documentation\\html\\reg_tools.html";
    case HelpItem::BackupsHelp:
      return "Documentation\\html\\backuptool.html";
    case HelpItem::Faq:
      return "Documentation\\html\\FAQ.html";
    case HelpItem::License:
      return "Documentation\\License Agreement.txt";
    case HelpItem::WebSite:
      break;
  }
  return {};
}

}  // namespace

bool OpenHelpItem(HelpItem item, std::string_view programFolder) {
  if (item == HelpItem::WebSite) return platform::Launch().ShellOpen("open", kWebSiteAddress);
  const std::string path = std::string(programFolder) + std::string(DocumentOf(item));
  if (!FileExistsChecked(path)) return false;
  if (item == HelpItem::License) return platform::Launch().ShellOpen("open", "notepad", "\"" + path + "\"");
  return platform::Launch().ShellOpen("open", path);
}

}  // namespace vp::shell
