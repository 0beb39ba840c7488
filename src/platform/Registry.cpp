#include "platform/Registry.h"

#include <utility>

namespace vp::platform {

RegKey::RegKey(RegKey&& other) noexcept
    : registry_(other.registry_), handle_(std::exchange(other.handle_, kNoKey)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    Reset();
    registry_ = other.registry_;
    handle_ = std::exchange(other.handle_, kNoKey);
  }
  return *this;
}

void RegKey::Reset() {
  if (handle_ == kNoKey) return;
  registry_->CloseKey(std::exchange(handle_, kNoKey));
}

RegStatus Registry::Open(RegHandle base, std::string_view path, std::uint32_t access, RegKey& key) {
  // The old handle goes only after the open: it may be the base.
  RegHandle opened = kNoKey;
  const RegStatus status = OpenKey(base, path, access, opened);
  key = status == kErrorSuccess ? RegKey(*this, opened) : RegKey();
  return status;
}

RegStatus Registry::Create(RegHandle base, std::string_view path, std::uint32_t access, RegKey& key,
                           bool* created) {
  RegHandle opened = kNoKey;
  const RegStatus status = CreateKey(base, path, access, opened, created);
  key = status == kErrorSuccess ? RegKey(*this, opened) : RegKey();
  return status;
}

}  // namespace vp::platform
