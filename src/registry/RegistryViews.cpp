#include "registry/RegistryViews.h"

#include "files/StringTools.h"
#include "platform/Platform.h"

namespace vp {

using platform::RegHandle;

namespace {

constexpr std::string_view kWow64Node = "Wow6432Node";

// The system's name of the key at path opened in a view; empty when it does
// not open.
std::string SystemName(RegHandle root, std::string_view path, std::uint32_t view) {
  platform::Registry& registry = platform::Reg();
  platform::RegKey key;
  if (registry.Open(root, path, platform::kKeyRead | view, key) != platform::kErrorSuccess) return {};
  std::string name;
  if (registry.QueryKeyName(key.Get(), name) != platform::kErrorSuccess) name.clear();
  return name;
}

bool StartsWithPath(std::string_view path, std::string_view prefix) {
  return path.size() > prefix.size() && path[prefix.size()] == '\\' &&
         SameText(path.substr(0, prefix.size()), prefix);
}

// Where the 32-bit key of path lies by name; empty where the system keeps no
// 32-bit view.
std::string Wow64Path(RegHandle root, std::string_view path) {
  const std::string node(kWow64Node);
  if (root == platform::kHkeyClassesRoot) return node + "\\" + std::string(path);
  for (std::string_view top : {std::string_view("Software\\Classes"), std::string_view("Software")}) {
    if (!StartsWithPath(path, top)) continue;
    if (root != platform::kHkeyLocalMachine && top == "Software") break;  // the user's software is shared
    return std::string(path.substr(0, top.size())) + "\\" + node + std::string(path.substr(top.size()));
  }
  return {};
}

bool EndsWithPath(std::string_view name, std::string_view path) {
  return name.size() > path.size() && name[name.size() - path.size() - 1] == '\\' &&
         SameText(name.substr(name.size() - path.size()), path);
}

}  // namespace

std::vector<TKeyView> KeyViews(RegHandle root, std::string_view path) {
  std::vector<TKeyView> views;
  const std::string name64 = SystemName(root, path, platform::kKeyWow64_64Key);
  if (!name64.empty()) views.push_back({std::string(path), false});
  const std::string name32 = SystemName(root, path, platform::kKeyWow64_32Key);
  if (name32.empty() || SameText(name32, name64)) return views;
  // The 32-bit key is checked under the name a 64-bit program reaches it by;
  // a key that cannot be named so is left alone.
  std::string path32 = Wow64Path(root, path);
  if (!path32.empty() && SameText(SystemName(root, path32, 0), name32))
    views.push_back({std::move(path32), true});
  return views;
}

bool IsOwnKey(RegHandle root, std::string_view path) {
  return EndsWithPath(SystemName(root, path, 0), path);
}

}  // namespace vp
