#include "support/PlantedEntries.h"

#include <algorithm>

#include "files/StringTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "registry/FastRegistry.h"
#include "support/RegistryTestSupport.h"

namespace vp::test {

void PlantedEntries::Key(platform::RegHandle root, const std::string& path) {
  ASSERT_TRUE(NoteKey(root, path));
  TFastRegistry registry;
  registry.SetRootKey(root);
  ASSERT_TRUE(registry.CreateKey(path)) << path;
}

void PlantedEntries::Value(platform::RegHandle root, const std::string& path, const std::string& name,
                           const std::string& text) {
  ASSERT_TRUE(NoteValue(root, path, name));
  Key(root, path);
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

bool PlantedEntries::InCreatedKey(platform::RegHandle root, const std::string& path) const {
  return std::any_of(keys_.begin(), keys_.end(), [&](const auto& key) {
    const std::string& created = key.second;
    return key.first == root && path.size() >= created.size() &&
           SameText(std::string_view(path).substr(0, created.size()), created) &&
           (path.size() == created.size() || path[created.size()] == '\\');
  });
}

::testing::AssertionResult PlantedEntries::NoteKey(platform::RegHandle root, const std::string& path) {
  if (InCreatedKey(root, path)) return ::testing::AssertionSuccess();
  for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
    const std::string part = path.substr(0, end);
    if (!OpenReadOnly(root, part)) {
      keys_.emplace_back(root, part);
      break;
    }
    if (end == std::string::npos) break;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult PlantedEntries::NoteValue(platform::RegHandle root, const std::string& path,
                                                     const std::string& name) {
  if (auto noted = NoteKey(root, path); !noted) return noted;
  if (InCreatedKey(root, path)) return ::testing::AssertionSuccess();
  const bool known = std::any_of(values_.begin(), values_.end(), [&](const SavedValue& saved) {
    return saved.root == root && SameText(saved.path, path) && SameText(saved.name, name);
  });
  if (known) return ::testing::AssertionSuccess();
  SavedValue saved{root, path, name, false, 0, {}};
  auto registry = OpenReadOnly(root, path);
  saved.existed = registry && registry->ValueExists(name);
  if (saved.existed && !registry->ReadRawData(name, saved.type, saved.data))
    return ::testing::AssertionFailure() << "cannot read " << path << " " << name;
  values_.push_back(std::move(saved));
  return ::testing::AssertionSuccess();
}

bool PlantedEntries::Remove() {
  bool removed = true;
  for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
    TFastRegistry registry;
    registry.SetRootKey(it->root);
    if (!registry.OpenKey(it->path, false)) {
      removed = false;
      continue;
    }
    if (it->existed)
      removed = registry.WriteRawData(it->name, it->type, it->data) == platform::kErrorSuccess && removed;
    else if (registry.ValueExists(it->name))
      removed = registry.DeleteValue(it->name) && removed;
  }
  for (auto it = keys_.rbegin(); it != keys_.rend(); ++it)
    removed = DeleteRegistryTree(platform::Reg(), it->first, it->second) && removed;
  for (const std::string& file : files_) removed = platform::Files().RemoveFile(file) && removed;
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
    removed = platform::Files().RemoveFolder(*it) && removed;
  values_.clear();
  keys_.clear();
  files_.clear();
  folders_.clear();
  return removed;
}

}  // namespace vp::test
