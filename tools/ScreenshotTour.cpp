// Walks the main window through what a user sees, for screenshots taken from
// outside: the first-run prompt, the scan options, a scan in progress, the
// end report, the findings, and every manager tab. At each stop it names the
// picture in "<shots>\request.txt" and waits, with the window painting, until
// the taker removed the file.
//
//   VeltaroTour.exe <program folder> <shots folder>

#include <windows.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "files/FileTools.h"
#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "shell/Program.h"
#include "widgets/Text.h"

namespace {

using namespace vp;
using Clock = std::chrono::steady_clock;

std::string g_request;

void Pump(shell::TProgram& program, std::chrono::milliseconds time) {
  const auto end = Clock::now() + time;
  while (Clock::now() < end) program.Dispatcher().ProcessPending(std::chrono::milliseconds(20));
}

// Asks for a picture and waits until it was taken (two minutes at most).
void Shot(shell::TProgram& program, const std::string& name) {
  Pump(program, std::chrono::milliseconds(600));
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
  if (!on) {
    registry.DeleteKey(kPlantedKey);
    return;
  }
  if (!registry.OpenKey(kPlantedKey, true)) return;
  registry.WriteString("Editor", "C:\\Program Files\\Old Editor\\editor.exe");
  registry.WriteString("Viewer", "\"C:\\Program Files\\Photo Viewer\\viewer.exe\" /open");
  registry.WriteString("Help", "C:\\Program Files\\Old Editor\\editor.chm");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  platform::Install(platform::DefaultServices());
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
      {
        std::ofstream out(g_request + ".tmp");
        out << "04-end-report";
      }
      MoveFileW(widgets::Wide(g_request + ".tmp").c_str(), widgets::Wide(g_request).c_str());
      for (int i = 0; i < 2400 && FileExistsChecked(g_request); ++i) Sleep(50);
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
  Pump(program, std::chrono::milliseconds(1500));
  if (form.ScanRunning()) Shot(program, "03-scan-progress");
  WaitFor(program, [&] { return form.Phase() == shell::ScanPhase::Finished; });
  // The end report was pictured while it was open.
  Shot(program, "05-findings");

  static const char* names[] = {"installed-software", "starting-programs", "add-remove-menu",
                                "filetypes",          "new-file",          "shell-extensions",
                                "ie-context-menu",    "open-with-menu",    "search-menu"};
  for (int tab = 0; tab < 9; ++tab) {
    WaitFor(program, [&] { return form.ChangeTab(tab); });
    WaitFor(program, [&] { return form.UpdatesShown(tab) > 0; });
    Shot(program, "1" + std::to_string(tab) + "-tab-" + names[tab]);
  }
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  Plant(false);
  return 0;
}
