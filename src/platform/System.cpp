#include "platform/System.h"

namespace vp::platform {

std::optional<std::string> System::FileVersionString(std::string_view file, std::string_view name) const {
  auto info = VersionInfo(file);
  if (!info) return std::nullopt;
  auto it = info->strings.find(name);
  if (it == info->strings.end()) return std::nullopt;
  return it->second;
}

}  // namespace vp::platform
