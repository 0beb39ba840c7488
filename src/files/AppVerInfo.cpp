#include "files/AppVerInfo.h"

#include <utility>

#include "platform/Platform.h"

namespace vp {

TAppVerInfo::TAppVerInfo(std::string fileName) {
  SetFileName(std::move(fileName));
}

void TAppVerInfo::SetFileName(std::string fileName) {
  fileName_ = std::move(fileName);
  auto info = platform::Sys().VersionInfo(fileName_);
  found_ = info.has_value();
  info_ = found_ ? std::move(*info) : platform::FileVersionInfo{};
}

std::string TAppVerInfo::String(std::string_view name) const {
  auto it = info_.strings.find(name);
  return it == info_.strings.end() ? std::string() : it->second;
}

}  // namespace vp
