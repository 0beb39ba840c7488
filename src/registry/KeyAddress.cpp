#include "registry/KeyAddress.h"

#include "registry/FastRegistry.h"

namespace vp {

std::optional<TKeyAddress> TKeyAddress::Parse(std::string_view fullPath) {
  const size_t slash = fullPath.find('\\');
  const std::string_view rootName = fullPath.substr(0, slash);
  if (!IsRootKeyName(rootName)) return std::nullopt;
  TKeyAddress address;
  address.Root = NameToRootKey(rootName);
  if (slash != std::string_view::npos) {
    std::string_view path = fullPath.substr(slash + 1);
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    address.Path = std::string(path);
  }
  return address;
}

std::string TKeyAddress::RootName() const {
  return RootKeyToName(Root);
}

std::string TKeyAddress::Text() const {
  std::string text = RootName();
  if (!Path.empty()) text.append("\\").append(Path);
  return text;
}

}  // namespace vp
