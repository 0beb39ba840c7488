#include "manager/ManagerRegistry.h"

#include "registry/FastRegistry.h"

namespace vp {
namespace {

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

}  // namespace vp
