// Where installed software registers itself: uninstall entries and the
// add/remove cache (area 6), help files (11), application paths (12),
// application registrations (13) and shared tools (14). Each reports the
// registrations whose program is gone, in the 64-bit programs' keys and in
// the 32-bit programs' own (a key both share is looked at once).

#include <algorithm>

#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "registry/RegistryViews.h"
#include "scanner/Sweeper.h"

namespace vp {

using platform::RegHandle;

namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kArpCacheKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
constexpr const char* kHelpKey = "Software\\Microsoft\\Windows\\Help";
constexpr const char* kAppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kSharedToolsKey = "Software\\Microsoft\\Shared Tools";

// Programs of the system itself, whose registrations are left alone.
constexpr std::string_view kKeptApplications[] = {
    "drwatson.exe", "fontview.exe", "clipbrd.exe", "accwiz.exe",   "cmmgr32.exe", "hypertrm.exe",
    "mmc.exe",      "msimn.exe",    "regedit.exe", "winhlp32.exe", "osa.exe",     "outlook.exe",
    "wab.exe",      "themes.exe",   "wb32.exe",    "rasphone.exe", "msiexec.exe", "ntbackup.exe",
    "explorer.exe", "msinfo32.exe", "wscript.exe"};
constexpr std::string_view kKeptApplicationParts[] = {".dll", ".cpl", ".vxd", ".ocx"};

bool IsMissingOrExcused(int32_t kind) {
  return kind == kReferenceMissing || kind == kReferenceExcused;
}

std::string Lower(std::string_view text) {
  return platform::Sys().LowerCase(text);
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The sub-key names of a key; false when it does not open.
bool SubKeyNames(RegHandle root, const std::string& key, StringList& names) {
  auto registry = OpenReadOnly(root, key);
  if (!registry) return false;
  registry->GetKeyNames(names);
  return true;
}

// The value as text, empty when it does not exist.
std::string ValueText(TFastRegistry& registry, std::string_view name) {
  return registry.ValueExists(name) ? registry.ReadValueAsString(name) : std::string();
}

// Shared tools name their files in both value names and data; a text counts
// when it looks like a drive path to a file and is no class id.
bool IsToolPathText(const std::string& text) {
  return Contains(text, ":\\") && text.size() > 4 && Contains(text, ".") && !Contains(text, "{");
}

}  // namespace

void TSweeper::ReportKey(RegHandle root, const std::string& key, int32_t code, const std::string& detail) {
  const std::string& wholeKey = language_.Text(kTextWholeKey);
  Report(root, key, wholeKey, wholeKey, ReportDate(root, key), code, detail, false);
}

void TSweeper::AnalyzeInView(std::string_view data, TAnalyzerResult& result, bool view32) {
  Analyze(data, result, analysis_);
  if (!view32 || result.Kind == kReferenceNoReport) return;
  std::string text(data);
  bool moved = false;
  for (const std::string& folder : {platform::Sys().SystemFolder(), std::string("%SystemRoot%\\System32"),
                                    std::string("%windir%\\System32")}) {
    if (folder.empty()) continue;
    const std::string windows =
        folder[0] == '%' ? folder.substr(0, folder.find('\\')) : platform::Sys().WindowsFolder();
    for (int at = PosEx(folder + "\\", text, 1, kIgnoreCase); at > 0;
         at = PosEx(folder + "\\", text, at + 1, kIgnoreCase)) {
      text.replace(static_cast<size_t>(at - 1), folder.size(), windows + "\\SysWOW64");
      moved = true;
    }
  }
  if (!moved) return;
  TAnalyzerResult moved32;
  Analyze(text, moved32, analysis_);
  if (moved32.Kind == kReferenceNoReport) result = moved32;
}

void TSweeper::CheckUninstallEntries() {
  const RegHandle root = platform::kHkeyLocalMachine;
  const std::vector<TKeyView> views = KeyViews(root, kUninstallKey);
  if (views.empty()) return;
  // A cache entry may belong to the uninstall entry of either view.
  StringList lowerNames;
  for (const TKeyView& view : views) {
    StringList names;
    if (!SubKeyNames(root, view.Path, names)) continue;
    for (const std::string& name : names) lowerNames.push_back(Lower(name));

    for (const std::string& name : names) {
      if (StopRequested()) return;
      const std::string key = view.Path + "\\" + name;
      auto registry = OpenReadOnly(root, key);
      if (!registry) continue;
      IncKeys();
      const std::string uninstall = ValueText(*registry, "UninstallString");
      bool orphaned = false;
      if (!uninstall.empty()) {
        TAnalyzerResult result;
        AnalyzeInView(uninstall, result, view.View32);
        orphaned = IsMissingOrExcused(result.Kind);
      }
      if (!orphaned) {
        TRegKeyInfo info;
        orphaned = registry->GetKeyInfo(info) && info.NumSubKeys == 0 && info.NumValues == 0;
      }
      registry->CloseKey();
      if (orphaned) ReportKey(root, key, kProblemUninstall);
    }
  }

  for (const TKeyView& view : KeyViews(root, kArpCacheKey)) {
    StringList names;
    if (!SubKeyNames(root, view.Path, names)) continue;
    for (const std::string& name : names) {
      if (StopRequested()) return;
      IncKeys();
      if (std::find(lowerNames.begin(), lowerNames.end(), Lower(name)) == lowerNames.end())
        ReportKey(root, view.Path + "\\" + name, kProblemUninstall);
    }
  }
}

void TSweeper::CheckHelpFiles() {
  const RegHandle root = platform::kHkeyLocalMachine;
  IncKeys();
  for (const TKeyView& view : KeyViews(root, kHelpKey)) {
    auto registry = OpenReadOnly(root, view.Path);
    if (!registry) continue;
    StringList names;
    registry->GetValueNames(names);
    for (const std::string& name : names) {
      if (StopRequested()) return;
      std::string folder = registry->ReadValueAsString(name);
      if (name.empty() || folder.empty()) continue;
      folder = EnsureTrailing(folder, '\\');
      TAnalyzerResult result;
      AnalyzeInView(folder + name, result, view.View32);
      // Only a plainly missing file; an excused one is not reported here.
      if (result.Kind == kReferenceMissing)
        Report(root, view.Path, name, folder, 0, kProblemHelpFile, result.Detail);
    }
  }
}

void TSweeper::CheckAppPaths() {
  const RegHandle root = platform::kHkeyLocalMachine;
  for (const TKeyView& view : KeyViews(root, kAppPathsKey)) CheckAppPathsIn(view.Path, view.View32);
}

void TSweeper::CheckAppPathsIn(const std::string& appPaths, bool view32) {
  const RegHandle root = platform::kHkeyLocalMachine;
  StringList names;
  if (!SubKeyNames(root, appPaths, names)) return;
  for (const std::string& name : names) {
    if (StopRequested()) return;
    const std::string key = appPaths + "\\" + name;
    auto registry = OpenReadOnly(root, key);
    if (!registry) continue;
    IncKeys();
    const std::string extension = ValueText(*registry, "CmstpExtensionDll");
    std::string path = ValueText(*registry, "Path");
    if (!path.empty() && path.back() == ';') path.pop_back();
    if (!path.empty()) path = EnsureTrailing(path, '\\');
    const std::string program = ValueText(*registry, "");
    registry->CloseKey();

    const std::string lowerName = Lower(name);
    if (Contains(lowerName, ".dll") || lowerName == "explorer.exe" || lowerName == "wab.exe") continue;

    // Invalid only when every place the program could be named is broken;
    // the first clean (or empty) one ends the chain.
    const std::string chain[] = {program, path, extension, path.empty() ? std::string() : path + name};
    bool broken = true;
    for (const std::string& text : chain) {
      TAnalyzerResult result;
      AnalyzeInView(text, result, view32);
      if (!IsMissingOrExcused(result.Kind)) {
        broken = false;
        break;
      }
    }
    if (broken && !StopRequested()) ReportKey(root, key, kProblemAppPath);
  }
}

void TSweeper::CheckApplications() {
  const RegHandle root = platform::kHkeyClassesRoot;
  for (const TKeyView& view : KeyViews(root, "Applications")) {
    StringList names;
    if (!SubKeyNames(root, view.Path, names)) continue;
    for (const std::string& name : names) {
      if (StopRequested()) return;
      const std::string key = view.Path + "\\" + name;
      auto registry = OpenReadOnly(root, key);
      IncKeys();
      const std::string lowerName = Lower(name);
      bool kept = std::find(std::begin(kKeptApplications), std::end(kKeptApplications), lowerName) !=
                  std::end(kKeptApplications);
      for (std::string_view part : kKeptApplicationParts) kept = kept || Contains(lowerName, part);
      if (kept || !registry || registry->HasSubKeys()) continue;
      StringList values;
      registry->GetValueNames(values);
      registry->CloseKey();
      const bool useless = values.empty() || (values.size() == 1 && SameText(values.front(), "NoOpenWith"));
      if (useless) ReportKey(root, key, kProblemApplication);
    }
  }
}

void TSweeper::CollectSharedToolTexts(const std::string& key, StringList& texts) {
  if (StopRequested()) return;
  const std::string path = ExcludeTrailingBackslash(key);
  auto registry = OpenReadOnly(platform::kHkeyLocalMachine, path);
  if (!registry) return;
  IncKeys();
  StringList values;
  registry->GetValueNames(values);
  for (const std::string& name : values) {
    const std::string data = registry->ReadValueAsString(name);
    if (IsToolPathText(data)) texts.push_back(data);
    if (IsToolPathText(name)) texts.push_back(name);
  }
  StringList subKeys;
  registry->GetKeyNames(subKeys);
  registry->CloseKey();
  for (const std::string& subKey : subKeys) CollectSharedToolTexts(path + "\\" + subKey, texts);
}

void TSweeper::CheckSharedTools() {
  const RegHandle root = platform::kHkeyLocalMachine;
  for (const TKeyView& view : KeyViews(root, kSharedToolsKey)) {
    StringList names;
    if (!SubKeyNames(root, view.Path, names)) continue;
    for (const std::string& name : names) {
      if (StopRequested()) return;
      const std::string key = view.Path + "\\" + name;
      // A tool of the 32-bit view that is a link to the 64-bit one's was
      // looked at there.
      if (view.View32 && !IsOwnKey(root, key)) continue;
      StringList texts;
      CollectSharedToolTexts(key, texts);
      int missing = 0;
      int others = 0;
      for (const std::string& text : texts) {
        if (StopRequested()) return;
        TAnalyzerResult result;
        AnalyzeInView(text, result, view.View32);
        (result.Kind == kReferenceMissing ? missing : others)++;
      }
      if (missing > 0 && others == 0) ReportKey(root, key, kProblemSharedTool);
    }
  }
}

}  // namespace vp
