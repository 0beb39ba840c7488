#include "shell/logic/RowActions.h"

#include <array>
#include <cctype>

#include "files/StringTools.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "registry/FastRegistry.h"

namespace vp::shell {

namespace {

constexpr std::string_view kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::string_view kRegEditSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
constexpr std::string_view kRunKeyBase = "Software\\Microsoft\\Windows\\CurrentVersion\\";

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// The Run key a starting program's location names.
std::optional<std::string> RunKeyOf(std::string_view location) {
  struct Place {
    std::string_view label, root, key;
  };
  static constexpr std::array<Place, 7> kPlaces = {{
      {"HKEY_CU\\Run", "HKEY_CURRENT_USER\\", "Run"},
      {"HKEY_CU\\RunOnce", "HKEY_CURRENT_USER\\", "RunOnce"},
      {"HKEY_LM\\Run", "HKEY_LOCAL_MACHINE\\", "Run"},
      {"HKEY_LM\\RunOnce", "HKEY_LOCAL_MACHINE\\", "RunOnce"},
      {"HKEY_LM\\RunOnceEx", "HKEY_LOCAL_MACHINE\\", "RunOnceEx"},
      {"HKEY_LM\\RunServices", "HKEY_LOCAL_MACHINE\\", "RunServices"},
      {"HKEY_LM\\RunServicesOnce", "HKEY_LOCAL_MACHINE\\", "RunServicesOnce"},
  }};
  for (const Place& place : kPlaces)
    if (location == place.label)
      return std::string(place.root) + std::string(kRunKeyBase) + std::string(place.key);
  return std::nullopt;
}

}  // namespace

std::string BackupDescription(std::string_view typed, std::string_view tabCaption,
                              const std::vector<std::string>& tickedCaptions, bool forRemove) {
  if (!Trim(typed).empty()) return std::string(typed);
  std::string description(tabCaption);
  if (forRemove && tickedCaptions.size() == 1) description += " : " + tickedCaptions.front();
  return description;
}

std::string SearchQuery(int tab, const TListRow& row) {
  const std::string first = row.subItems.empty() ? std::string() : row.subItems.front();
  if (tab == 0) return Quoted(row.caption) + " " + Quoted(first);
  if (tab == 1) {
    std::string program = first;
    if (const int exe = PosEx(".exe", program); exe > 0) program.resize(static_cast<size_t>(exe) + 3);
    if (const size_t slash = program.rfind('\\'); slash != std::string::npos) program.erase(0, slash + 1);
    return Quoted(program);
  }
  return Quoted(row.caption);
}

std::string SearchAddress(std::string_view query) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "https://www.bing.com/search?q=";
  for (const char c : query) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || std::isalnum(byte) != 0) {
      address += c;
    } else if (c == '-' || c == '.' || c == '_' || c == '~') {
      address += c;
    } else if (c == ' ') {
      address += '+';
    } else {
      address += '%';
      address += kHex[byte >> 4];
      address += kHex[byte & 0x0F];
    }
  }
  return address;
}

bool FindMoreInformation(int tab, const TListRow& row) {
  return platform::Launch().ShellOpen("open", SearchAddress(SearchQuery(tab, row)));
}

std::optional<std::string> RegEditKey(int tab, const TListRow& row) {
  switch (tab) {
    case 1:
      return row.subItems.size() > 2 ? RunKeyOf(row.subItems[2]) : std::nullopt;
    case 3:
    case 5:
      return "HKEY_CLASSES_ROOT\\" + row.caption;
    case 6:
      return std::string("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\MenuExt");
    case 7:
      return "HKEY_CLASSES_ROOT\\Applications\\" + row.caption;
    case 8:
      return std::string(
          "HKEY_LOCAL_"
          "MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static");
    case kCleanerTab:
      return row.caption;
    default:
      return std::nullopt;
  }
}

bool RememberRegEditKey(const std::string& key) {
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyCurrentUser);
  if (!registry.OpenKey(std::string(kRegEditSettingsKey), false)) return false;
  const char* computer = platform::Sys().Version().major < 6 ? "My Computer\\" : "Computer\\";
  return registry.WriteString("LastKey", computer + key) == platform::kErrorSuccess;
}

bool OpenRegEdit(int tab, const TListRow* row) {
  if (row == nullptr) return platform::Launch().ShellOpen("", "RegEdit.exe");
  const std::optional<std::string> key = RegEditKey(tab, *row);
  if (!key) return false;
  // Without its settings key the editor opens where it was last.
  RememberRegEditKey(*key);
  return platform::Launch().StartProgram("RegEdit.exe");
}

std::optional<std::string> UninstallCommand(std::string_view caption) {
  auto list = OpenReadOnly(platform::kHkeyLocalMachine, std::string(kUninstallKey));
  if (!list) return std::nullopt;
  std::vector<std::string> names;
  list->GetKeyNames(names);
  for (const std::string& name : names) {
    auto entry = OpenReadOnly(platform::kHkeyLocalMachine, std::string(kUninstallKey) + "\\" + name);
    if (!entry) return std::nullopt;
    if (!SameText(entry->ReadString("DisplayName"), caption) &&
        !SameText(entry->ReadString("QuietDisplayName"), caption))
      continue;
    std::string command = entry->ReadString("UninstallString");
    if (command.empty()) command = entry->ReadString("QuietUninstallString");
    return command;
  }
  return std::nullopt;
}

std::optional<TUninstallResult> Uninstall(const std::vector<std::string>& tickedCaptions) {
  for (size_t i = 0; i < tickedCaptions.size(); ++i) {
    const std::optional<std::string> command = UninstallCommand(tickedCaptions[i]);
    if (!command) continue;
    return TUninstallResult{i, !command->empty() && platform::Launch().StartProgram(*command)};
  }
  return std::nullopt;
}

}  // namespace vp::shell
