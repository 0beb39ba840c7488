#include "support/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace vp::test {

using namespace platform;

bool DeleteRegistryTree(Registry& registry, RegHandle root, const std::string& path) {
  RegHandle key = kNoKey;
  if (registry.OpenKey(root, path, kKeyAllAccess, key) == kErrorSuccess) {
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t index = 0;; ++index) {
      const RegStatus status = registry.EnumKey(key, index, name);
      if (status == kErrorNoMoreItems) break;
      if (status == kErrorSuccess) names.push_back(name);
    }
    registry.CloseKey(key);
    for (const auto& child : names) DeleteRegistryTree(registry, root, path + "\\" + child);
  }
  const RegStatus status = registry.DeleteKey(root, path);
  return status == kErrorSuccess || status == kErrorFileNotFound;
}

ScratchKey::ScratchKey(Registry& registry) : registry_(registry) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  path_ = "Software\\VeltaroTest\\";
  path_ += info ? std::string(info->test_suite_name()) + "." + info->name() : "scratch";
  for (char& c : path_)
    if (c == '/') c = '_';  // parameterised names
  DeleteRegistryTree(registry_, kHkeyCurrentUser, path_);
  if (registry_.CreateKey(kHkeyCurrentUser, path_, kKeyAllAccess, handle_) != kErrorSuccess) handle_ = kNoKey;
}

ScratchKey::~ScratchKey() {
  if (handle_ != kNoKey) registry_.CloseKey(handle_);
  DeleteRegistryTree(registry_, kHkeyCurrentUser, path_);
  // The shared parent goes too once the last test has left it empty.
  registry_.DeleteKey(kHkeyCurrentUser, "Software\\VeltaroTest");
}

}  // namespace vp::test
