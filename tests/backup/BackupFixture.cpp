#include "backup/BackupFixture.h"

#include <atomic>
#include <chrono>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/System.h"
#include "registry/RegExportText.h"
#include "support/RegistryTestSupport.h"

namespace vp::backup::test {
namespace {

using platform::Reg;
using platform::RegHandle;

std::atomic<int> gSerial{0};

std::string UniqueSuffix() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return std::to_string(now % 1000000007) + "_" + std::to_string(gSerial.fetch_add(1));
}

struct Handle {
  RegHandle key = platform::kNoKey;
  ~Handle() {
    if (key != platform::kNoKey) Reg().CloseKey(key);
  }
};

void SnapshotInto(RegHandle root, const std::string& path, const std::string& relative, KeySnapshot& out) {
  Handle key;
  if (Reg().OpenKey(root, path, platform::kKeyRead, key.key) != platform::kErrorSuccess) return;
  auto& values = out[relative];
  for (uint32_t i = 0;; ++i) {
    std::string name;
    uint32_t type = 0;
    const auto status = Reg().EnumValue(key.key, i, name, &type);
    if (status == platform::kErrorNoMoreItems) break;
    ASSERT_EQ(status, platform::kErrorSuccess);
    StoredValue value;
    ASSERT_EQ(Reg().QueryValue(key.key, name, &value.type, &value.data), platform::kErrorSuccess) << name;
    values[name] = value;
  }
  std::vector<std::string> children;
  for (uint32_t i = 0;; ++i) {
    std::string name;
    const auto status = Reg().EnumKey(key.key, i, name);
    if (status == platform::kErrorNoMoreItems) break;
    ASSERT_EQ(status, platform::kErrorSuccess);
    children.push_back(name);
  }
  for (const auto& child : children) {
    SnapshotInto(root, path + "\\" + child, relative.empty() ? child : relative + "\\" + child, out);
  }
}

}  // namespace

void BackupFixture::SetUp() {
  ready_ = true;
  const std::string suffix = UniqueSuffix();
#ifdef _WIN32
  const std::string base = platform::Sys().TempFolder() + "VeltaroBackupTest" + suffix + "\\";
  hostFolder_ = std::filesystem::path(base);
#else
  const std::string base = "C:\\";
  host_ = std::make_unique<vp::test::SimHost>();
  hostFolder_ = host_->Folder();
#endif
  std::filesystem::create_directories(hostFolder_ / "Backups");
  std::filesystem::create_directories(hostFolder_ / "Work");
  backupsFolder_ = base + "Backups\\";
  workFolder_ = base + "Work\\";
  scratchKey_ = "Software\\VeltaroTest\\Backup" + suffix;
  Handle key;
  ASSERT_EQ(Reg().CreateKey(platform::kHkeyCurrentUser, scratchKey_, platform::kKeyAllAccess, key.key),
            platform::kErrorSuccess);
}

void BackupFixture::TearDown() {
  if (!ready_) return;
  vp::test::DeleteRegistryTree(Reg(), platform::kHkeyCurrentUser, scratchKey_);
  // Leave no empty test parent behind either; with keys left it is refused.
  Reg().DeleteKey(platform::kHkeyCurrentUser, "Software\\VeltaroTest");
#ifdef _WIN32
  vp::test::RemoveHostFolder(hostFolder_);
#else
  host_.reset();
#endif
}

void BackupFixture::PutTree(const std::string& top, const KeySnapshot& tree) {
  for (const auto& [path, values] : tree) {
    const std::string key = path.empty() ? top : top + "\\" + path;
    MakeKey(key);
    for (const auto& [name, value] : values) Put(key, name, value.type, value.data);
  }
}

void BackupFixture::MakeKey(const std::string& relativeKey) {
  Handle key;
  ASSERT_EQ(Reg().CreateKey(platform::kHkeyCurrentUser, Key(relativeKey), platform::kKeyAllAccess, key.key),
            platform::kErrorSuccess)
      << relativeKey;
}

void BackupFixture::Put(const std::string& relativeKey, const std::string& name, uint32_t type,
                        const std::string& data) {
  Handle key;
  ASSERT_EQ(Reg().CreateKey(platform::kHkeyCurrentUser, Key(relativeKey), platform::kKeyAllAccess, key.key),
            platform::kErrorSuccess)
      << relativeKey;
  ASSERT_EQ(Reg().SetValue(key.key, name, type, data), platform::kErrorSuccess) << relativeKey << " " << name;
}

KeySnapshot BackupFixture::Snapshot(const std::string& relativeKey) const {
  KeySnapshot out;
  SnapshotInto(platform::kHkeyCurrentUser, Key(relativeKey), "", out);
  return out;
}

bool BackupFixture::KeyExists(const std::string& relativeKey) const {
  Handle key;
  return Reg().OpenKey(platform::kHkeyCurrentUser, Key(relativeKey), platform::kKeyRead, key.key) ==
         platform::kErrorSuccess;
}

void BackupFixture::DeleteTree(const std::string& relativeKey) {
  vp::test::DeleteRegistryTree(Reg(), platform::kHkeyCurrentUser, Key(relativeKey));
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
