#include "settings/DesignedTexts.h"

namespace vp {

namespace {

using C = ComponentClass;

// The flat widget set supplies the buttons and radio buttons of both windows.
DesignedWindow MakeMainForm() {
  DesignedWindow w;
  w.name = "MainForm";
  w.caption = "Veltaro Pro";
  w.controls = {
      // Detail fields across the top.
      {"KeyLabel", C::Label, "Key:", {}},
      {"EntryLabel", C::Label, "Entry:", {}},
      {"ProblemLabel", C::Label, "Problem:", {}},
      {"TabControl",
       C::TabControl,
       {},
       {"Installed Software", "Starting programs", "Add/Remove menu", "Filetypes", "New file",
        "Shell extensions", "IE context menu", "Open With menu", "Search menu", "Registry cleaner"}},
      // Columns follow the tab from the "Columns" texts.
      {"ListView", C::ListView, {}, {}},
      // Bottom bar.
      {"BackupsBtn", C::FlatButton, "&Backups...", {}},
      {"UninstallBtn", C::FlatButton, "&Uninstall", {}},
      {"FixBtn", C::FlatButton, "F&ix", {}},
      {"RemoveBtn", C::FlatButton, "&Remove", {}},
      {"CloseBtn", C::FlatButton, "&Close", {}},
      {"NewScanBtn", C::FlatButton, "&New Scan", {}},
      // The counts of ticked, selected and listed rows.
      {"StatusBar", C::StatusBar, {}, {}},
      // Scan options.
      {"SweeperLabel", C::Label, "Select with which option to scan your registry. ", {}},
      {"OptNormalMode", C::FlatRadioButton, "&Normal", {}},
      {"OptDeepMode", C::FlatRadioButton, "&Deep", {}},
      {"StartBtn", C::FlatButton, "Start", {}},
      {"CancelBtn", C::FlatButton, "Cancel", {}},
      // Scan progress.
      {"ScanLabel", C::Label, "Analyzing the registry, this might take several minutes. Please wait...", {}},
      {"KeysLabel", C::Label, "Keys analyzes:", {}},
      {"ValuesLabel", C::Label, "Values analyzed:", {}},
      {"InvalidLabel", C::Label, "Invalid items:", {}},
      // Long actions.
      {"WorkingLabel", C::Label, "Working. This might take several minutes. Please wait...", {}},
      // First-run file cache prompt.
      {"FileAnalyzerLabel",
       C::Label,
       "To optimize the performance of the registry cleaning you should now update the program's cache. "
       "This will take 2-20 minutes.",
       {}},
      {"PleaseWaitLabel", C::Label, "Please wait...", {}},
      {"OkBtn", C::FlatButton, "OK", {}},
      {"SkipBtn", C::FlatButton, "Skip", {}},
  };
  w.menus = {
      {"File1",
       false,
       "&File",
       {{"Saveastxt1", "&Save list as...", "Ctrl+S"}, {{}, "-", {}}, {"Exit1", "E&xit", "Ctrl+Q"}}},
      {"Select1",
       false,
       "&Select",
       {{"All1", "&All", "Ctrl+A"},
        {"None1", "&None", "Ctrl+N"},
        {"Inverse1", "&Inverse", "Ctrl+I"},
        {"SelectHighlighted1", "Select &Highlighted", "Ctrl+M"}}},
      // Lists the language files each time it opens.
      {"Language1", false, "&Language", {}},
      {"Help1",
       false,
       "&Help",
       {{"Helponthissubject1", "&Help on this tool", "F1"},
        {"FAQ1", "&FAQ", "F2"},
        {{}, "-", {}},
        {"LicenseAgreement1", "&License Agreement...", "F3"},
        {{}, "-", {}},
        {"WebSite1", "Veltaro Pro on the &Web", {}}}},
      {"PopupMenu",
       true,
       {},
       {{"PopSelect", "&Select", {}},
        {{}, "-", {}},
        {"PopFix", "F&ix", "Shift+Del"},
        {"PopRemove", "&Remove", "Del"},
        {"PopRegEdit", "Reg&Edit", "Ctrl+R"},
        {{}, "-", {}},
        {"PopSelectAll", "Select &all", {}},
        {"PopSelectNone", "Select &none", {}},
        {"PopSelectInverse", "Select in&verse", {}},
        {"PopSelectHighlighted", "Select &Highlighted", {}},
        {{}, "-", {}},
        {"PopFindInfo", "&Find more information", "Ctrl+G"},
        {{}, "-", {}},
        {"PopBackups", "&Backups...", "Ctrl+B"}}},
  };
  return w;
}

DesignedWindow MakeBackupForm() {
  DesignedWindow w;
  w.name = "BackupForm";
  w.caption = "Backups";
  w.controls = {
      {"ListView", C::ListView, {}, {"Description", "Date"}},
      {"RestoreBtn", C::FlatButton, "&Restore", {}},
      {"RemoveBtn", C::FlatButton, "Re&move", {}},
      {"CloseBtn", C::FlatButton, "&Close", {}},
  };
  w.menus = {
      {"File1",
       false,
       "&File",
       {{"Saveastxt1", "&Save list as...", "Ctrl+S"}, {{}, "-", {}}, {"Exit1", "E&xit", "Ctrl+Q"}}},
      {"Select1",
       false,
       "&Select",
       {{"All1", "&All", "Ctrl+A"}, {"None1", "&None", "Ctrl+N"}, {"Inverse1", "&Inverse", "Ctrl+I"}}},
      {"Help1",
       false,
       "&Help",
       {{"Helponthissubject1", "&Help on this tool", "F1"},
        {"FAQ1", "&FAQ", "F2"},
        {{}, "-", {}},
        {"LicenseAgreement1", "&License Agreement...", "F3"},
        {{}, "-", {}},
        {"WebSite1", "Veltaro Pro on the &Web", {}}}},
      {"PopupMenu",
       true,
       {},
       {{"Restore1", "&Restore", {}}, {"Remove1", "Re&move", "Del"}, {"View1", "&View", "Ctrl+E"}}},
  };
  return w;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

}  // namespace

const DesignedWindow& MainFormDesign() {
  static const DesignedWindow window = MakeMainForm();
  return window;
}

const DesignedWindow& BackupFormDesign() {
  static const DesignedWindow window = MakeBackupForm();
  return window;
}

const std::vector<const DesignedWindow*>& DesignedWindows() {
  static const std::vector<const DesignedWindow*> windows = {&MainFormDesign(), &BackupFormDesign()};
  return windows;
}

std::string LanguageSection(const DesignedWindow& window) {
  return AsciiLower(window.name);
}

std::string LanguageSection(const DesignedWindow& window, const DesignedMenu& menu) {
  return LanguageSection(window) + "." + std::string(menu.name);
}

}  // namespace vp
