#include "manager/ManagerRegistry.h"

#include "registry/FastRegistry.h"

namespace vp {
namespace {

const std::string kWow64Node = "Wow6432Node";

bool OpenForReading(TFastRegistry& registry, platform::RegHandle root, std::string_view path) {
  registry.SetRootKey(root);
  return registry.OpenKeyReadOnly(path);
}

}  // namespace

StringList SubKeyNames(platform::RegHandle root, std::string_view path) {
  TFastRegistry registry;
  StringList names;
  if (OpenForReading(registry, root, path)) registry.GetKeyNames(names);
  return names;
}

bool KeyPresent(platform::RegHandle root, std::string_view path) {
  TFastRegistry registry;
  return OpenForReading(registry, root, path);
}

std::string ValueText(platform::RegHandle root, std::string_view path, std::string_view name) {
  TFastRegistry registry;
  if (!OpenForReading(registry, root, path)) return std::string();
  return registry.ReadValueAsString(name);
}

bool ValuePresent(platform::RegHandle root, std::string_view path, std::string_view name) {
  TFastRegistry registry;
  return OpenForReading(registry, root, path) && registry.ValueExists(name);
}

std::optional<std::string> NameShownAs(const StringList& names, const std::string& caption) {
  for (const std::string& name : names)
    if (CapitalizeWords(name) == caption) return name;
  for (const std::string& name : names)
    if (SameText(name, caption)) return name;
  return std::nullopt;
}

std::vector<TKeyView> ListedViews(platform::RegHandle root, std::string_view path) {
  // The tops of the redirected trees hold the 32-bit view's key themselves.
  std::string top32;
  if (root == platform::kHkeyClassesRoot && path.empty()) top32 = kWow64Node;
  if (root == platform::kHkeyLocalMachine && SameText(path, "Software"))
    top32 = "Software\\" + std::string(kWow64Node);
  if (top32.empty()) return KeyViews(root, path);
  std::vector<TKeyView> views = {{std::string(path), false}};
  if (IsOwnKey(root, top32)) views.push_back({std::move(top32), true});
  return views;
}

StringList ViewSubKeyNames(platform::RegHandle root, const TKeyView& view) {
  StringList names = SubKeyNames(root, view.Path);
  std::erase_if(names, [&](const std::string& name) {
    if (!view.View32) return SameText(name, kWow64Node);
    return !IsOwnKey(root, Below(view.Path, name));
  });
  return names;
}

std::optional<std::string> PathInView(platform::RegHandle root, std::string_view path, bool view32) {
  for (TKeyView& view : ListedViews(root, path))
    if (view.View32 == view32) return std::move(view.Path);
  return std::nullopt;
}

std::string Below(const std::string& parent, std::string_view name) {
  return parent.empty() ? std::string(name) : parent + "\\" + std::string(name);
}

}  // namespace vp
