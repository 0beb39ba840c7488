#pragma once

#include <gtest/gtest.h>

#include <string>

#include "backup/BackupTool.h"
#include "platform/sim/SimMachine.h"
#include "support/RegistryTestSupport.h"
#include "support/RegistryTree.h"
#include "support/ScratchFolder.h"

namespace vp::backup::test {

using vp::test::StoredValue;
using vp::test::TreeSnapshot;

// Every backup test runs in its own scratch key below HKEY_CURRENT_USER and
// its own backups folder: natively in a private simulated machine, under
// Wine in the real registry and temporary folder, removed afterwards.
class BackupFixture : public ::testing::Test {
 protected:
  void SetUp() override;

  // The scratch key's path below HKEY_CURRENT_USER, with no trailing
  // backslash; it exists (empty) when the test starts.
  const std::string& ScratchKey() const { return key_.Path(); }
  // The full path below HKEY_CURRENT_USER of a key below the scratch key.
  std::string Key(const std::string& relative) const {
    return relative.empty() ? ScratchKey() : ScratchKey() + "\\" + relative;
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
  void PutTree(const std::string& top, const TreeSnapshot& tree);
  // Creates a key below the scratch key (relative path).
  void MakeKey(const std::string& relativeKey);
  // Writes a value below the scratch key (relative path, created as needed).
  void Put(const std::string& relativeKey, const std::string& name, uint32_t type, const std::string& data);
  // The whole tree below the scratch key (relative path), or empty when the
  // key is missing.
  TreeSnapshot Snapshot(const std::string& relativeKey = "") const;
  bool KeyExists(const std::string& relativeKey) const;
  // Deletes a tree below the scratch key (relative path; "" empties it).
  void DeleteTree(const std::string& relativeKey);

  // A file's bytes; the text of an "Entries.reg" in either form.
  static std::string ReadText(const std::string& path);
  static bool FileExists(const std::string& path);

  // The simulated machine natively; null under Wine.
  platform::sim::SimMachine* Machine() { return folder_.Sim(); }

 private:
  // The folder first: natively it installs the machine the key lives in.
  vp::test::ScratchFolder folder_;
  vp::test::ScratchKey key_;
  std::string backupsFolder_ = folder_.Path("Backups\\");
  std::string workFolder_ = folder_.Path("Work\\");
};

}  // namespace vp::backup::test
