// Walks the main window through what a user sees, for screenshots taken from
// outside: the first-run prompt, the scan options, a scan in progress, the
// end report, the findings, the list's pop-up menu, the backup description
// prompt, the working panel of a fix and its report, the Backups window, and
// every manager tab. At each stop it names the
// picture in "<shots>\request.txt" and waits, with the window painting, until
// the taker removed the file.
//
//   VeltaroTour.exe <program folder> <shots folder>

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "files/FileTools.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "shell/Program.h"
#include "widgets/Text.h"

namespace {

using namespace vp;
using Clock = std::chrono::steady_clock;

std::string g_request;
// The name of the next message box's picture.
std::string g_boxShot = "04-end-report";

// Names a picture and waits until it was taken, from a thread beside a
// modal loop (a message box, a menu, a prompt).
void RequestFromThread(const std::string& name) {
  {
    std::ofstream out(g_request + ".tmp");
    out << name;
  }
  MoveFileW(widgets::Wide(g_request + ".tmp").c_str(), widgets::Wide(g_request).c_str());
  for (int i = 0; i < 2400 && FileExistsChecked(g_request); ++i) Sleep(50);
}

void Pump(shell::TProgram& program, std::chrono::milliseconds time) {
  const auto end = Clock::now() + time;
  while (Clock::now() < end) program.Dispatcher().ProcessPending(std::chrono::milliseconds(20));
}

// Asks for a picture and waits until it was taken (two minutes at most).
void Shot(shell::TProgram& program, const std::string& name,
          std::chrono::milliseconds settle = std::chrono::milliseconds(600)) {
  Pump(program, settle);
  {
    std::ofstream out(g_request + ".tmp");
    out << name;
  }
  MoveFileW(widgets::Wide(g_request + ".tmp").c_str(), widgets::Wide(g_request).c_str());
  const auto limit = Clock::now() + std::chrono::minutes(2);
  while (FileExistsChecked(g_request) && Clock::now() < limit) Pump(program, std::chrono::milliseconds(50));
}

template <typename Done>
bool WaitFor(shell::TProgram& program, Done done) {
  const auto limit = Clock::now() + std::chrono::minutes(5);
  while (!done()) {
    if (Clock::now() > limit) return false;
    program.Dispatcher().ProcessPending(std::chrono::milliseconds(20));
  }
  return true;
}

constexpr const char* kPlantedKey = "\\Software\\Veltaro Tour";

void Plant(bool on) {
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyCurrentUser);
  // A tour cut short left its entries: each tour starts from none.
  registry.DeleteKey(kPlantedKey);
  if (!on) return;
  if (!registry.OpenKey(kPlantedKey, true)) return;
  registry.WriteString("Editor", "C:\\Program Files\\Old Editor\\editor.exe");
  registry.WriteString("Viewer", "\"C:\\Program Files\\Photo Viewer\\viewer.exe\" /open");
  registry.WriteString("Help", "C:\\Program Files\\Old Editor\\editor.chm");
  // Enough dead references that the fix runs long enough to be pictured.
  if (!registry.OpenKey(std::string(kPlantedKey) + "\\History", true)) return;
  for (int i = 0; i < 60; ++i)
    registry.WriteString("Recent " + std::to_string(i),
                         "C:\\Old Documents\\letter " + std::to_string(i) + ".doc");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  platform::Install(platform::DefaultServices());
  platform::InstallLauncher(&platform::DefaultLauncher());
  const std::string programFolder = widgets::Narrow(argv[1]);
  const std::string shots = widgets::Narrow(argv[2]);
  g_request = shots + (shots.back() == '\\' ? "" : "\\") + "request.txt";
  Plant(true);

  shell::TProgram program(programFolder, false);
  shell::TMainFormContext extra;
  extra.showMessage = [&program](const std::string& title, const std::string& text) {
    // The report as the user sees it: a real box, pictured, then closed.
    std::jthread closer([title] {
      HWND box = nullptr;
      for (int i = 0; i < 200 && box == nullptr; ++i) {
        box = FindWindowW(L"#32770", widgets::Wide(title).c_str());
        Sleep(50);
      }
      Sleep(800);
      RequestFromThread(g_boxShot);
      if (box != nullptr) PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(program.Form()->Handle(), widgets::Wide(text).c_str(), widgets::Wide(title).c_str(),
                MB_OK | MB_ICONINFORMATION);
  };
  if (!program.CreateWindows(std::move(extra))) return 1;
  shell::TMainForm& form = *program.Form();
  form.Show(SW_SHOWNORMAL);
  WaitFor(program, [&] { return !program.Texts().Text("Columns.15").empty(); });

  Shot(program, "01-first-run-prompt");
  form.Execute(shell::Command::CacheSkip);
  Shot(program, "02-scan-options");
  form.Execute(shell::Command::Start);
  Pump(program, std::chrono::milliseconds(300));
  if (form.ScanRunning()) Shot(program, "03-scan-progress", std::chrono::milliseconds(0));
  WaitFor(program, [&] { return form.Phase() == shell::ScanPhase::Finished; });
  // The end report was pictured while it was open.
  Shot(program, "05-findings");

  // The pop-up menu over the first row, all rows ticked.
  form.Execute(shell::Command::SelectAll);
  if (form.Model().Count() > 0) {
    const HWND list = form.List().Handle();
    form.List().Select(0, true);
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    POINT at{row.left + 120, (row.top + row.bottom) / 2};
    ClientToScreen(list, &at);
    SetCursorPos(at.x, at.y);
    std::jthread closer([&form] {
      Sleep(1200);
      RequestFromThread("06-popup-menu");
      PostMessageW(form.Handle(), WM_CANCELMODE, 0, 0);
    });
    NMHDR click{list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), static_cast<UINT>(NM_RCLICK)};
    SendMessageW(form.Handle(), WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
  }

  // Fix: the description prompt, the working panel while it runs, its report.
  {
    const HWND main = form.Handle();
    std::jthread helper([&form, main] {
      HWND prompt = nullptr;
      for (int i = 0; i < 200 && prompt == nullptr; ++i) {
        Sleep(50);
        const HWND active = GetForegroundWindow();
        if (active != nullptr && active != main && GetWindow(active, GW_OWNER) == main) prompt = active;
      }
      Sleep(600);
      RequestFromThread("07-description-prompt");
      // Cancelled, the prompt gives the tab's name as the description.
      PostMessageW(prompt != nullptr ? prompt : GetForegroundWindow(), WM_COMMAND, IDCANCEL, 0);
      // Before the panel shows, the fix lists the folders it searches.
      for (int i = 0; i < 2400 && !form.WorkingPanelVisible(); ++i) Sleep(25);
      if (form.WorkingPanelVisible()) RequestFromThread("08-working-panel");
    });
    g_boxShot = "09-fix-report";
    form.Execute(shell::Command::Fix);
  }

  // The Backups window with its set selected.
  form.Execute(shell::Command::Backups);
  if (shell::TBackupForm* backups = form.Backups()) {
    backups->SelectAll(true);
    Shot(program, "10-backups-window");
    backups->Hide();
  }

  static const char* names[] = {"installed-software", "starting-programs", "add-remove-menu",
                                "filetypes",          "new-file",          "shell-extensions",
                                "ie-context-menu",    "open-with-menu",    "search-menu"};
  for (int tab = 0; tab < 9; ++tab) {
    WaitFor(program, [&] { return form.ChangeTab(tab); });
    WaitFor(program, [&] { return form.UpdatesShown(tab) > 0; });
    Shot(program, "2" + std::to_string(tab) + "-tab-" + names[tab]);
  }
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  Plant(false);
  return 0;
}
