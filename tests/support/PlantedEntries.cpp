#include "support/PlantedEntries.h"

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "support/RegistryTestSupport.h"

namespace vp::test {

PlantedEntries::~PlantedEntries() {
  for (const auto& [root, path, name] : values_) {
    TFastRegistry registry;
    registry.SetRootKey(root);
    if (registry.OpenKey(path, false)) registry.DeleteValue(name);
  }
  for (auto it = keys_.rbegin(); it != keys_.rend(); ++it)
    DeleteRegistryTree(platform::Reg(), std::get<0>(*it), std::get<1>(*it));
  for (const std::string& file : files_) platform::Files().RemoveFile(file);
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) platform::Files().RemoveFolder(*it);
}

void PlantedEntries::Key(platform::RegHandle root, const std::string& path) {
  // The topmost key that is new is the one to remove at the end.
  TFastRegistry registry;
  registry.SetRootKey(root);
  for (size_t at = 0; at != std::string::npos;) {
    at = path.find('\\', at + 1);
    const std::string part = path.substr(0, at);
    if (!registry.KeyExists(part)) {
      keys_.emplace_back(root, part);
      break;
    }
  }
  ASSERT_TRUE(registry.CreateKey(path)) << path;
}

void PlantedEntries::Value(platform::RegHandle root, const std::string& path, const std::string& name,
                           const std::string& text) {
  Key(root, path);
  values_.emplace_back(root, path, name);
  TFastRegistry registry;
  registry.SetRootKey(root);
  ASSERT_TRUE(registry.OpenKey(path, false)) << path;
  ASSERT_EQ(registry.WriteString(name, text), platform::kErrorSuccess) << path << " " << name;
}

void PlantedEntries::File(const std::string& path, const std::string& bytes) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    const std::string folder = path.substr(0, at);
    if (!platform::Files().Attributes(folder)) {
      ASSERT_TRUE(platform::Files().MakeFolder(folder)) << folder;
      folders_.push_back(folder);
    }
  }
  ASSERT_TRUE(platform::Files().WriteWholeFile(path, bytes)) << path;
  files_.push_back(path);
}

}  // namespace vp::test
