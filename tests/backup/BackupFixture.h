#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "backup/BackupTool.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/sim/SimMachine.h"
#include "support/SimHost.h"

namespace vp::backup::test {

// A stored value: type and data as the seam gives them.
struct StoredValue {
  uint32_t type = 0;
  std::string data;
  bool operator==(const StoredValue&) const = default;
};

// A key tree as read back: relative key path ("" for the top, "a\b" below)
// to its values by name (names compared exactly as enumerated).
using KeySnapshot = std::map<std::string, std::map<std::string, StoredValue>>;

// Every backup test runs in its own scratch key below HKEY_CURRENT_USER and
// its own backups folder. Natively both live in a private simulated machine
// (drive C: mapped to a temporary host folder); under Wine they are the real
// registry and a folder below the temporary folder, both removed afterwards.
class BackupFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // "Software\VeltaroTest\Backup<n>" below HKEY_CURRENT_USER, with no
  // trailing backslash; it exists (empty) when the test starts.
  const std::string& ScratchKey() const { return scratchKey_; }
  // The full path below HKEY_CURRENT_USER of a key below the scratch key.
  std::string Key(const std::string& relative) const {
    return relative.empty() ? scratchKey_ : scratchKey_ + "\\" + relative;
  }
  // Opens a new set in the backups folder as the callers do (type code 9).
  bool Begin(TBackupTool& tool, const std::string& description = "test") const {
    return tool.CreateBackup(backupsFolder_, description, 9, "1.2", "Veltaro Pro");
  }
  // The backups folder, with a trailing backslash; it exists and is empty.
  const std::string& BackupsFolder() const { return backupsFolder_; }
  // A folder for other files, with a trailing backslash.
  const std::string& WorkFolder() const { return workFolder_; }

  // Writes a whole tree (see Snapshot) at top, a path below the scratch key.
  void PutTree(const std::string& top, const KeySnapshot& tree);
  // Creates a key below the scratch key (relative path).
  void MakeKey(const std::string& relativeKey);
  // Writes a value below the scratch key (relative path, created as needed).
  void Put(const std::string& relativeKey, const std::string& name, uint32_t type, const std::string& data);
  // The whole tree below the scratch key (relative path), or empty when the
  // key is missing.
  KeySnapshot Snapshot(const std::string& relativeKey = "") const;
  bool KeyExists(const std::string& relativeKey) const;
  // Deletes a tree below the scratch key (relative path; "" empties it).
  void DeleteTree(const std::string& relativeKey);

  // A file's bytes; the text of an "Entries.reg" in either form.
  static std::string ReadText(const std::string& path);
  static bool FileExists(const std::string& path);

  // The simulated machine natively; null under Wine.
  platform::sim::SimMachine* Machine() { return host_ ? &host_->Machine() : nullptr; }

 private:
  bool ready_ = false;
  std::unique_ptr<vp::test::SimHost> host_;  // natively
  std::filesystem::path hostFolder_;
  std::string scratchKey_;
  std::string backupsFolder_;
  std::string workFolder_;
};

}  // namespace vp::backup::test
