// Starting programs and handing documents to the shell.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

#include "platform/Launcher.h"
#include "platform/win32/CodePage.h"
#include "platform/win32/ScopedHandle.h"

namespace vp::platform {
namespace win32 {
namespace {

class Win32Launcher : public Launcher {
 public:
  bool StartProgram(std::string_view commandLine) override {
    auto wide = ToWide(commandLine);
    if (!wide || wide->empty()) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    // CreateProcessW may write into the command line it is given.
    std::wstring buffer = *wide;
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
      return false;
    // Nothing waits for the program: its handles are closed at once.
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);
    return true;
  }

  bool ShellOpen(std::string_view verb, std::string_view target, std::string_view parameters) override {
    auto wideVerb = ToWide(verb);
    auto wideTarget = ToWide(target);
    auto wideParameters = ToWide(parameters);
    if (!wideVerb || !wideTarget || !wideParameters) return false;
    const HINSTANCE result =
        ShellExecuteW(nullptr, wideVerb->empty() ? nullptr : wideVerb->c_str(), wideTarget->c_str(),
                      wideParameters->empty() ? nullptr : wideParameters->c_str(), nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};

}  // namespace
}  // namespace win32

Launcher& DefaultLauncher() {
  static win32::Win32Launcher launcher;
  return launcher;
}

}  // namespace vp::platform
