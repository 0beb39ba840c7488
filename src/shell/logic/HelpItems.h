#pragma once

// The Help menus of both windows: the program's documents beside the
// program file, and the project's web site, each handed to the launcher.

#include <string_view>

namespace vp::shell {

enum class HelpItem {
  MainWindowHelp,  // "Help on this tool" in the main window
  BackupsHelp,     // "Help on this tool" in the Backups window
  Faq,
  License,
  WebSite,
};

// The project's web site, opened by the last item of both Help menus.
inline constexpr std::string_view kWebSiteAddress = "https://veltaro.example/";

// Opens the item: a document through the shell's "open" verb (the licence
// text in the text editor), the web site in the user's browser.
// programFolder ends with a backslash. A document that is not there opens
// nothing; false then, and when the launcher reports a failure.
bool OpenHelpItem(HelpItem item, std::string_view programFolder);

}  // namespace vp::shell
