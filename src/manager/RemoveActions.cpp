#include "manager/RemoveActions.h"

#include <algorithm>
#include <array>

#include "backup/BackupTool.h"
#include "files/StringTools.h"
#include "manager/ManagerRegistry.h"
#include "manager/ProgramKeys.h"
#include "manager/StartupLocations.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "registry/FastRegistry.h"
#include "registry/RegistryViews.h"

namespace vp {
namespace {

using Kind = TRemoveOutcome::Kind;
using platform::RegHandle;

constexpr char kProgramVersion[] = "1.2";
constexpr char kUsedBy[] = "Veltaro Pro";
constexpr std::string_view kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::string_view kMenuExtKey = "Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr std::string_view kSearchKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static";

// The worse of two outcomes of one row: a failure outweighs a removal, a
// removal a miss.
Kind Worse(Kind a, Kind b) {
  auto rank = [](Kind kind) {
    switch (kind) {
      case Kind::kNotFound:
        return 0;
      case Kind::kRemoved:
        return 1;
      case Kind::kRemoveFailed:
        return 2;
      case Kind::kBackupFailed:
        return 3;
    }
    return 3;
  };
  return rank(a) >= rank(b) ? a : b;
}

class Remover {
 public:
  Remover(int tab, const TRemoveContext& context) : tab_(tab), context_(context) {}

  TRemoveOutcome Row(const TRemoveItem& item);

 private:
  // A new set for the row; false when it cannot be opened.
  bool Begin(TRemoveOutcome& outcome) {
    if (!tool_.CreateBackup(context_.backupsFolder, context_.description, tab_, kProgramVersion, kUsedBy))
      return false;
    outcome.setFolders.push_back(tool_.SetFolder());
    return true;
  }
  Kind Key(TRemoveOutcome& outcome, RegHandle root, const std::string& subKey) {
    const TKeyAddress key{root, subKey};
    if (!Begin(outcome) || !tool_.AddKey(key)) return Kind::kBackupFailed;
    return tool_.RemoveKey(key) ? Kind::kRemoved : Kind::kRemoveFailed;
  }
  Kind Value(TRemoveOutcome& outcome, RegHandle root, const std::string& subKey, const std::string& name) {
    const TKeyAddress key{root, subKey};
    if (!Begin(outcome) || !tool_.AddValue(key, name)) return Kind::kBackupFailed;
    return tool_.RemoveValue(key, name) ? Kind::kRemoved : Kind::kRemoveFailed;
  }
  // A sub-key of parent shown as the caption, removed.
  Kind ShownKey(TRemoveOutcome& outcome, RegHandle root, const std::string& parent,
                const std::string& caption, const std::string& below = std::string()) {
    auto name = NameShownAs(SubKeyNames(root, parent), caption);
    const std::string prefix = parent.empty() ? std::string() : parent + "\\";
    if (!name || !KeyPresent(root, prefix + *name + below)) return Kind::kNotFound;
    return Key(outcome, root, prefix + *name + below);
  }

  // A sub-key of parent's key in the row's view, shown as the caption.
  Kind ShownKeyInView(TRemoveOutcome& outcome, bool view32, const std::string& parent,
                      const std::string& caption, const std::string& below = std::string()) {
    auto inView = PathInView(platform::kHkeyClassesRoot, parent, view32);
    if (!inView) return Kind::kNotFound;
    return ShownKey(outcome, platform::kHkeyClassesRoot, *inView, caption, below);
  }

  Kind Software(TRemoveOutcome& outcome, const TRemoveItem& item);
  Kind StartupEntry(TRemoveOutcome& outcome, const TRemoveItem& item);
  Kind UninstallEntry(TRemoveOutcome& outcome, const std::string& caption, bool view32);
  Kind UninstallEntryIn(TRemoveOutcome& outcome, RegHandle root, const std::string& base,
                        const std::string& caption);
  Kind ShellVerb(TRemoveOutcome& outcome, const TRemoveItem& item);
  Kind OpenWithEntry(TRemoveOutcome& outcome, const std::string& caption, bool view32);
  Kind SearchEntry(TRemoveOutcome& outcome, const std::string& caption, bool view32);

  int tab_;
  const TRemoveContext& context_;
  TBackupTool tool_;
};

Kind Remover::Software(TRemoveOutcome& outcome, const TRemoveItem& item) {
  if (item.subItems.empty()) return Kind::kNotFound;
  const std::string program = Trim(item.subItems[0]);
  std::vector<TProgramKey> keys = FindProgramKeys(item.caption, program, item.view32, context_.texts.unknown);
  for (const std::string& variant : ProgramNameVariants(program)) {
    auto more = FindProgramKeys(item.caption, variant, item.view32, context_.texts.unknown);
    keys.insert(keys.end(), more.begin(), more.end());
  }
  KeepOutermost(keys);
  if (keys.empty()) return Kind::kNotFound;
  // All of the program's keys are saved before the first goes, so that a
  // failed backup leaves the program whole.
  if (!Begin(outcome)) return Kind::kBackupFailed;
  for (const TProgramKey& key : keys) {
    if (!tool_.AddKey(TKeyAddress{key.root, key.path})) return Kind::kBackupFailed;
  }
  Kind kind = Kind::kNotFound;
  for (const TProgramKey& key : keys)
    kind =
        Worse(kind, tool_.RemoveKey(TKeyAddress{key.root, key.path}) ? Kind::kRemoved : Kind::kRemoveFailed);
  return kind;
}

Kind Remover::StartupEntry(TRemoveOutcome& outcome, const TRemoveItem& item) {
  if (item.subItems.size() < 4) return Kind::kNotFound;
  const std::string& location = item.subItems[3];
  const bool folderRow = PosEx("HKEY", location) == 0 || location.find(":\\") != std::string::npos;
  if (folderRow) {
    if (item.subItems.size() < 6) return Kind::kNotFound;
    std::string file = location;
    if (!file.empty() && file.back() != '\\') file += '\\';
    file += item.subItems[5];
    auto attributes = platform::Files().Attributes(file);
    if (!attributes || (*attributes & platform::kAttrDirectory) != 0) return Kind::kNotFound;
    if (!Begin(outcome) || !tool_.AddFile(file)) return Kind::kBackupFailed;
    return tool_.RemoveFile(file) ? Kind::kRemoved : Kind::kRemoveFailed;
  }
  for (const TStartupRunKey& key : kStartupRunKeys) {
    if (!SameText(key.label, location)) continue;
    for (const TKeyView& view : KeyViews(key.root, key.path)) {
      if (view.View32 != item.view32) continue;
      auto registry = OpenReadOnly(key.root, view.Path);
      if (!registry) return Kind::kNotFound;
      StringList names;
      registry->GetValueNames(names);
      auto name = NameShownAs(names, item.caption);
      if (!name) return Kind::kNotFound;
      return Value(outcome, key.root, view.Path, *name);
    }
    return Kind::kNotFound;
  }
  return Kind::kNotFound;
}

Kind Remover::UninstallEntry(TRemoveOutcome& outcome, const std::string& caption, bool view32) {
  Kind kind = Kind::kNotFound;
  for (RegHandle root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
    for (const TKeyView& view : KeyViews(root, kUninstallKey))
      if (view.View32 == view32) kind = Worse(kind, UninstallEntryIn(outcome, root, view.Path, caption));
  }
  return kind;
}

Kind Remover::UninstallEntryIn(TRemoveOutcome& outcome, RegHandle root, const std::string& base,
                               const std::string& caption) {
  const StringList keys = SubKeyNames(root, base);
  // A row shown by its key name names the key; otherwise the first entry
  // whose display name is the caption.
  auto named =
      std::find_if(keys.begin(), keys.end(), [&](const std::string& k) { return SameText(k, caption); });
  if (named == keys.end()) {
    named = std::find_if(keys.begin(), keys.end(), [&](const std::string& k) {
      std::string shown = ValueText(root, base + "\\" + k, "DisplayName");
      if (shown.empty()) shown = ValueText(root, base + "\\" + k, "QuietDisplayName");
      return shown == caption;
    });
  }
  if (named == keys.end()) return Kind::kNotFound;
  return Key(outcome, root, base + "\\" + *named);
}

Kind Remover::ShellVerb(TRemoveOutcome& outcome, const TRemoveItem& item) {
  if (item.subItems.empty()) return Kind::kNotFound;
  std::string className = item.caption;
  if (item.caption == context_.texts.directory) className = "Directory";
  if (item.caption == context_.texts.allFiles) className = "*";
  return ShownKeyInView(outcome, item.view32, className + "\\Shell", item.subItems[0]);
}

Kind Remover::OpenWithEntry(TRemoveOutcome& outcome, const std::string& caption, bool view32) {
  auto applications = PathInView(platform::kHkeyClassesRoot, "Applications", view32);
  if (!applications) return Kind::kNotFound;
  Kind kind = Kind::kNotFound;
  const std::string wanted = platform::Sys().LowerCase(caption);
  for (const std::string& application : SubKeyNames(platform::kHkeyClassesRoot, *applications)) {
    const std::string key = Below(*applications, application);
    if (ValuePresent(platform::kHkeyClassesRoot, key, "NoOpenWith")) continue;
    std::string shown = ValueText(platform::kHkeyClassesRoot, key + "\\Shell", "FriendlyCache");
    if (shown.empty()) shown = application;
    if (platform::Sys().LowerCase(shown) != wanted) continue;
    // The marker is recorded first, so that the restore can take it away.
    if (!Begin(outcome) || !tool_.AddString("NoOpenWith:" + key)) {
      kind = Worse(kind, Kind::kBackupFailed);
      continue;
    }
    TFastRegistry registry;
    registry.SetRootKey(platform::kHkeyClassesRoot);
    const bool hidden =
        registry.OpenKey(key, false) && registry.WriteString("NoOpenWith", "") == platform::kErrorSuccess;
    kind = Worse(kind, hidden ? Kind::kRemoved : Kind::kRemoveFailed);
  }
  return kind;
}

Kind Remover::SearchEntry(TRemoveOutcome& outcome, const std::string& caption, bool view32) {
  auto base = PathInView(platform::kHkeyLocalMachine, kSearchKey, view32);
  if (!base) return Kind::kNotFound;
  for (const std::string& group : SubKeyNames(platform::kHkeyLocalMachine, *base)) {
    for (const std::string& entry : SubKeyNames(platform::kHkeyLocalMachine, Below(*base, group))) {
      const std::string key = Below(Below(*base, group), entry);
      std::string text = ValueText(platform::kHkeyLocalMachine, key, "");
      if (const size_t amp = text.find('&'); amp != std::string::npos) text.erase(amp, 1);
      if (text.empty() || (CapitalizeWords(text) != caption && !SameText(text, caption))) continue;
      return Key(outcome, platform::kHkeyLocalMachine, key);
    }
  }
  return Kind::kNotFound;
}

TRemoveOutcome Remover::Row(const TRemoveItem& item) {
  TRemoveOutcome outcome;
  outcome.caption = item.caption;
  switch (tab_) {
    case 0:
      outcome.kind = Software(outcome, item);
      break;
    case 1:
      outcome.kind = StartupEntry(outcome, item);
      break;
    case 2:
      outcome.kind = UninstallEntry(outcome, item.caption, item.view32);
      break;
    case 3:
      outcome.kind = ShownKeyInView(outcome, item.view32, "", item.caption);
      break;
    case 4:
      outcome.kind = ShownKeyInView(outcome, item.view32, "", item.caption, "\\ShellNew");
      break;
    case 5:
      outcome.kind = ShellVerb(outcome, item);
      break;
    case 6:
      outcome.kind = ShownKey(outcome, platform::kHkeyCurrentUser, std::string(kMenuExtKey), item.caption);
      break;
    case 7:
      outcome.kind = OpenWithEntry(outcome, item.caption, item.view32);
      break;
    case 8:
      outcome.kind = SearchEntry(outcome, item.caption, item.view32);
      break;
    default:
      break;
  }
  return outcome;
}

}  // namespace

std::optional<std::vector<TRemoveOutcome>> RemoveRows(int tab, const std::vector<TRemoveItem>& ticked,
                                                      const TRemoveContext& context) {
  if (tab < 0 || tab >= kCleanerTab) return std::nullopt;
  Remover remover(tab, context);
  std::vector<TRemoveOutcome> outcomes;
  for (const TRemoveItem& item : ticked) {
    outcomes.push_back(remover.Row(item));
    if (context.progress) context.progress();
  }
  return outcomes;
}

}  // namespace vp
