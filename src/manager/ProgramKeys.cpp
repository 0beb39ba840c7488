#include "manager/ProgramKeys.h"

#include <algorithm>
#include <array>

#include "files/StringTools.h"
#include "manager/ManagerRegistry.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {
namespace {

using platform::kHkeyClassesRoot;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::RegHandle;

// A program named with one of these is too common a word to look for its
// name in the classes and caches.
constexpr std::string_view kGenericWords[] = {
    "explorer",   "system",   "user",      "shell",     "internet",   "setup",       "instal",  "update",
    "command",    "window",   "direct",    "common",    "shared",     "profile",     "config",  "license",
    "clsid",      "appid",    "progid",    "typelib",   "interface",  "color",       "font",    "plugin",
    "plug-in",    "search",   "find",      "printer",   "scanner",    "camera",      "data",    "install",
    "register",   "registra", "crypto",    "password",  "handler",    "curver",      "winxp",   "winnt",
    "win95",      "win98",    "win9x",     "desktop",   "database",   "status",      "general", "microsoft",
    "video",      "audio",    "player",    "columns",   "file types", "global",      "server",  "service",
    "radio",      "language", "cache",     "favorites", "bookmarks",  "directories", "paths",   "logs",
    "formats",    "settings", "exefile",   "cmdfile",   "vxdfile",    "batfile",     "proxy",   "state",
    "toolbars",   "display",  "sounds",    "viewer",    "tools",      "menus",       "filters", "queue",
    "connection", "view",     "localview", "network",   "filelist",   "matrix",      "autorun"};

constexpr std::string_view kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion\\";

struct Base {
  RegHandle root;
  std::string_view path;
};
// Where a program's own keys may lie under its name and a suffix.
constexpr std::array<Base, 6> kNamedBases = {{
    {kHkeyClassesRoot, "Applications"},
    {kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"},
    {kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\ShellCompatibility\\Applications"},
    {kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache"},
    {kHkeyCurrentUser,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs"},
}};
constexpr std::array<std::string_view, 4> kSuffixes = {".exe", ".dll", ".ocx", ""};

bool Generic(const std::string& program) {
  const std::string lower = platform::Sys().LowerCase(Trim(program));
  return std::any_of(std::begin(kGenericWords), std::end(kGenericWords),
                     [&](std::string_view word) { return lower.find(word) != std::string::npos; });
}

// How far the search goes: 0 the Software keys only, 1 also the keys named
// after the program, 3 also the walks of classes and caches.
int MatchLevel(const std::string& program) {
  const std::string lower = platform::Sys().LowerCase(program);
  if (lower == "icq" || lower == "divx") return 3;
  if (program.size() < 5) return 0;
  return Generic(program) ? 1 : 3;
}

bool Mentions(std::string_view text, const std::string& name) {
  return PosEx(name, text) > 0;
}

class Finder {
 public:
  explicit Finder(bool view32) : view32_(view32) {}

  // The key of path in the row's view: the 32-bit programs' own key there is
  // one, else the key both views share.
  std::string InView(RegHandle root, std::string_view path) const {
    if (view32_)
      if (auto own = PathInView(root, path, true)) return *own;
    return std::string(path);
  }
  // The sub-key of parent shown as name, when there is one.
  std::optional<std::string> Child(RegHandle root, const std::string& parent, const std::string& name) const {
    auto real = NameShownAs(SubKeyNames(root, parent), name);
    if (!real) return std::nullopt;
    return Below(parent, *real);
  }
  void AddChild(RegHandle root, const std::string& parent, const std::string& name) {
    if (auto path = Child(root, parent, name)) keys_.push_back({root, *path});
  }
  void Add(RegHandle root, std::string path) { keys_.push_back({root, std::move(path)}); }

  void ClassWalk(const std::string& program);

  std::vector<TProgramKey>& Keys() { return keys_; }

 private:
  bool view32_;
  std::vector<TProgramKey> keys_;
};

void Finder::ClassWalk(const std::string& program) {
  for (const TKeyView& view : ListedViews(kHkeyClassesRoot, "")) {
    // A 32-bit program registers its classes in the shared keys as well.
    if (view.View32 && !view32_) continue;
    for (const std::string& name : ViewSubKeyNames(kHkeyClassesRoot, view)) {
      const std::string key = Below(view.Path, name);
      const std::string command = ValueText(kHkeyClassesRoot, key + "\\shell\\open\\command", "");
      const bool byCommand =
          !Mentions(command, "explorer") && !Mentions(command, "rundll") && Mentions(command, program);
      if (byCommand || Mentions(ValueText(kHkeyClassesRoot, key, ""), program)) Add(kHkeyClassesRoot, key);
    }
  }
  const std::string applications = InView(kHkeyClassesRoot, "Applications");
  for (const std::string& name : SubKeyNames(kHkeyClassesRoot, applications)) {
    const std::string key = Below(applications, name);
    if (Mentions(ValueText(kHkeyClassesRoot, key + "\\shell", "FriendlyCache"), program))
      Add(kHkeyClassesRoot, key);
  }
  const std::string cache =
      InView(kHkeyLocalMachine, std::string(kCurrentVersion) + "App Management\\ARPCache");
  for (const std::string& name : SubKeyNames(kHkeyLocalMachine, cache))
    if (Mentions(name, program)) Add(kHkeyLocalMachine, Below(cache, name));
}

}  // namespace

void KeepOutermost(std::vector<TProgramKey>& keys) {
  auto upper = [](const TProgramKey& key) { return FixedUpperText(key.path); };
  std::sort(keys.begin(), keys.end(), [&](const TProgramKey& a, const TProgramKey& b) {
    return a.root != b.root ? a.root < b.root : upper(a) < upper(b);
  });
  std::vector<TProgramKey> kept;
  for (TProgramKey& key : keys) {
    if (!kept.empty() && kept.back().root == key.root) {
      const std::string outer = upper(kept.back());
      const std::string inner = upper(key);
      if (inner == outer || (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
                             inner[outer.size()] == '\\'))
        continue;
    }
    kept.push_back(std::move(key));
  }
  keys = std::move(kept);
}

std::vector<TProgramKey> FindProgramKeys(const std::string& vendor, const std::string& program, bool view32,
                                         const std::string& unknownText) {
  Finder finder(view32);
  const std::string machineSoftware = finder.InView(kHkeyLocalMachine, "Software");
  for (auto [root, software] : {std::pair{kHkeyLocalMachine, machineSoftware},
                                std::pair{kHkeyCurrentUser, std::string("Software")}}) {
    finder.AddChild(root, software, program);
    if (vendor == unknownText) continue;
    if (auto vendorKey = finder.Child(root, software, vendor)) finder.AddChild(root, *vendorKey, program);
  }
  const int level = MatchLevel(program);
  if (level >= 1) {
    for (const Base& base : kNamedBases) {
      const std::string parent = finder.InView(base.root, base.path);
      const StringList names = SubKeyNames(base.root, parent);
      for (std::string_view suffix : kSuffixes)
        for (const std::string& name : names)
          if (SameText(name, program + std::string(suffix))) finder.Add(base.root, Below(parent, name));
    }
  }
  if (level == 3) finder.ClassWalk(program);
  KeepOutermost(finder.Keys());
  return std::move(finder.Keys());
}

std::vector<std::string> ProgramNameVariants(const std::string& program) {
  std::vector<std::string> variants;
  std::string stripped = program;
  while (!stripped.empty() && ((stripped.back() >= '0' && stripped.back() <= '9') || stripped.back() == '.' ||
                               stripped.back() == ','))
    stripped = Trim(stripped.substr(0, stripped.size() - 1));
  if (stripped.size() > 3 && stripped != program) variants.push_back(stripped);
  const std::string lower = platform::Sys().LowerCase(program);
  for (std::string_view marker : {".exe", "trial", "demo", " by "}) {
    const size_t at = lower.find(marker);
    if (at == std::string::npos) continue;
    const std::string part = Trim(program.substr(0, at));
    if (part.size() > 3) variants.push_back(part);
  }
  return variants;
}

}  // namespace vp
