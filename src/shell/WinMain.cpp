// The window program: Veltaro Pro as a user opens it.

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <string>

#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "settings/ProgramFolders.h"
#include "shell/Program.h"
#include "widgets/Dpi.h"
#include "widgets/Text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  try {
    vp::widgets::DeclareDpiAwareness();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                        ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    vp::platform::Install(vp::platform::DefaultServices());
    vp::platform::InstallLauncher(&vp::platform::DefaultLauncher());

    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 4 - 1);
    vp::shell::TProgram program(vp::FolderOfProgram(vp::widgets::Narrow(path)));
    if (!program.CreateWindows()) return 1;
    return program.Run(showCommand);
  } catch (...) {
    // Nothing reaches the user as a crash; the program just ends.
    return 1;
  }
}
