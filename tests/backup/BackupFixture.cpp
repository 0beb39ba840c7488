#include "backup/BackupFixture.h"

#include "platform/FileSystem.h"
#include "registry/FastRegistry.h"
#include "registry/RegExportText.h"

namespace vp::backup::test {

void BackupFixture::SetUp() {
  ASSERT_TRUE(key_.Ok());
  folder_.PutFolder("Backups");
  folder_.PutFolder("Work");
}

void BackupFixture::PutTree(const std::string& top, const TreeSnapshot& tree) {
  for (const auto& [path, values] : tree) {
    const std::string key = path.empty() ? top : top + "\\" + path;
    MakeKey(key);
    for (const auto& [name, value] : values) Put(key, name, value.type, value.data);
  }
}

void BackupFixture::MakeKey(const std::string& relativeKey) {
  TFastRegistry registry;
  ASSERT_TRUE(registry.CreateKey(Key(relativeKey))) << relativeKey;
}

void BackupFixture::Put(const std::string& relativeKey, const std::string& name, uint32_t type,
                        const std::string& data) {
  TFastRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Key(relativeKey), true)) << relativeKey;
  ASSERT_EQ(registry.WriteRawData(name, type, data), platform::kErrorSuccess) << relativeKey << " " << name;
}

TreeSnapshot BackupFixture::Snapshot(const std::string& relativeKey) const {
  return vp::test::SnapshotTree(platform::kHkeyCurrentUser, Key(relativeKey));
}

bool BackupFixture::KeyExists(const std::string& relativeKey) const {
  TFastRegistry registry;
  return registry.OpenKeyReadOnly(Key(relativeKey));
}

void BackupFixture::DeleteTree(const std::string& relativeKey) {
  vp::test::DeleteRegistryTree(platform::Reg(), platform::kHkeyCurrentUser, Key(relativeKey));
  if (relativeKey.empty()) MakeKey("");
}

std::string BackupFixture::ReadText(const std::string& path) {
  auto bytes = platform::Files().ReadWholeFile(path);
  if (!bytes) return "<missing>";
  if (path.size() >= 11 && path.substr(path.size() - 11) == "Entries.reg") {
    return EntriesFileText(*bytes).value_or("<not code page text>");
  }
  return *bytes;
}

bool BackupFixture::FileExists(const std::string& path) {
  return platform::Files().Attributes(path).has_value();
}

}  // namespace vp::backup::test
