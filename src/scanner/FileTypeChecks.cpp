// File types and extensions that have become empty shells (area 7) and font
// entries whose file is gone (area 8).

#include <algorithm>

#include "files/FileTools.h"
#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "scanner/Sweeper.h"

namespace vp {

using platform::RegHandle;

namespace {

constexpr const char* kFileExtsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
constexpr const char* kFontsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// Types of programs and system files, never reported whatever they hold.
constexpr std::string_view kProtectedExtensions[] = {".htc", ".hta", ".bat", ".cpl", ".cmd",
                                                     ".dll", ".vxd", ".exe", ".cur"};
constexpr std::string_view kProtectedClasses[] = {"exefile", "dllfile", "batfile", "cmdfile",
                                                  "cplfile", "htafile", "htcfile", "vxdfile"};
// Font files that some systems list without shipping them.
constexpr std::string_view kListedOnlyFonts[] = {"albr55w.ttf", "albr56w.ttf", "albr65w.ttf", "albr85w.ttf"};

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool LooksLikeGuid(std::string_view name) {
  return name.size() >= 10 && name.front() == '{' && name.back() == '}' && Contains(name, "-");
}

bool IsProtectedType(std::string_view name, std::string_view defaultText) {
  for (std::string_view extension : kProtectedExtensions)
    if (SameText(name, extension)) return true;
  for (std::string_view type : kProtectedClasses)
    if (defaultText == type) return true;
  return false;
}

}  // namespace

void TSweeper::CheckFileTypes() {
  StringList names;
  {
    auto registry = OpenReadOnly(platform::kHkeyClassesRoot, "");
    if (!registry) return;
    registry->GetKeyNames(names);
  }
  CheckFileTypeList(platform::kHkeyClassesRoot, names, "");

  names.clear();
  {
    auto registry = OpenReadOnly(platform::kHkeyCurrentUser, kFileExtsKey);
    if (!registry) return;
    registry->GetKeyNames(names);
  }
  CheckFileTypeList(platform::kHkeyCurrentUser, names, std::string(kFileExtsKey) + "\\");
}

void TSweeper::CheckFileTypeList(RegHandle root, const StringList& names, const std::string& prefix) {
  for (const std::string& name : names) {
    if (StopRequested()) return;
    IncKeys();
    const std::string key = prefix + name;
    std::string defaultText;
    if (auto registry = OpenReadOnly(root, key); registry && registry->ValueExists("")) {
      defaultText = registry->ReadValueAsString("");
      IncValues();
    }
    if (!defaultText.empty()) continue;
    std::string program;
    if (name.size() < 6 && name.front() == '.') program = Trim(FindExecutableFor(name));
    if (!program.empty() || IsProtectedType(name, defaultText)) continue;
    if (IsEmptyTree(root, key)) ReportKey(root, key, kProblemFileType);
  }
}

// True when nothing of value lies in the key or below it. Keys that carry a
// GUID, or that cannot be opened, are never taken as empty.
bool TSweeper::IsEmptyTree(RegHandle root, std::string key) {
  key = EnsureTrailing(key, '\\');
  IncKeys();
  if (Contains(key, "{") && Contains(key, "-") && Contains(key, "}")) return false;
  auto registry = OpenReadOnly(root, ExcludeTrailingBackslash(key));
  if (!registry) return false;

  StringList values;
  registry->GetValueNames(values);
  for (std::string& value : values) value = platform::Sys().LowerCase(value);
  values.erase(std::remove(values.begin(), values.end(), "noopen"), values.end());
  const bool hasSubKeys = registry->HasSubKeys();
  if (values.size() == 1 && values.front().empty()) {
    const bool blankText =
        registry->GetDataType("") == rdString && Trim(registry->ReadValueAsString("")).empty();
    if (blankText || hasSubKeys) values.clear();
  }
  if (!values.empty()) return false;
  if (!hasSubKeys) return true;

  StringList subKeys;
  registry->GetKeyNames(subKeys);
  registry->CloseKey();
  for (const std::string& subKey : subKeys) {
    if (StopRequested()) return false;
    if (LooksLikeGuid(subKey) || !IsEmptyTree(root, key + subKey)) return false;
  }
  return true;
}

void TSweeper::CheckFonts() {
  const std::string fontsFolder = platform::Sys().WindowsFolder() + "\\Fonts\\";
  if (!FolderExistsChecked(fontsFolder)) return;
  const RegHandle root = platform::kHkeyLocalMachine;
  auto registry = OpenReadOnly(root, kFontsKey);
  if (!registry) return;
  StringList names;
  registry->GetValueNames(names);
  for (const std::string& name : names) {
    if (StopRequested()) return;
    const std::string file = Trim(registry->ReadValueAsString(name));
    if (name.empty() || file.empty()) continue;
    const std::string lowerFile = platform::Sys().LowerCase(file);
    if (std::any_of(std::begin(kListedOnlyFonts), std::end(kListedOnlyFonts),
                    [&](std::string_view listed) { return Contains(listed, lowerFile); }))
      continue;
    const std::string candidates[] = {
        fontsFolder + file,          file,          fontsFolder + file + ".fon", file + ".fon",
        fontsFolder + file + ".ttf", file + ".ttf", fontsFolder + name,          name};
    const bool present = std::any_of(std::begin(candidates), std::end(candidates),
                                     [](const std::string& path) { return FileExistsChecked(path); });
    if (!present && !StopRequested())
      Report(root, kFontsKey, name, file, ReportDate(root, kFontsKey), kProblemFont, {});
  }
}

}  // namespace vp
