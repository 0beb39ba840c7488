// The Backups window's list and its restore: sorted rows, their text, and a
// restore that refuses a damaged set whole and has every manager tab refill.

#include <gtest/gtest.h>

#include "backup/BackupTool.h"
#include "files/FileTools.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/sim/RecordingLauncher.h"
#include "registry/FastRegistry.h"
#include "shell/logic/BackupList.h"
#include "support/RegistryTestSupport.h"
#include "support/ScratchFolder.h"

namespace vp::shell {
namespace {

class BackupListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(key_.Ok());
    scratch_.PutFolder("Backups");
    Write("Value", "original");
  }

  void Write(const std::string& name, const std::string& text) {
    TFastRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + key_.Path(), false));
    registry.WriteString(name, text);
  }
  std::optional<std::string> Read(const std::string& name) {
    auto registry = OpenReadOnly(platform::kHkeyCurrentUser, key_.Path());
    if (!registry || !registry->ValueExists(name)) return std::nullopt;
    return registry->ReadString(name);
  }

  // A set holding the value as it is now, which is then deleted.
  std::string BackUpAndRemove(const std::string& description) {
    TBackupTool tool;
    EXPECT_TRUE(tool.CreateBackup(Backups(), description, 9, "1.2", "Veltaro Pro"));
    EXPECT_TRUE(tool.AddValue(vp::test::UserKey(key_.Path()), "Value"));
    EXPECT_TRUE(tool.RemoveValue(vp::test::UserKey(key_.Path()), "Value"));
    EXPECT_TRUE(tool.Finish(false));
    return tool.SetFolder();
  }

  std::string Backups() const { return scratch_.Path("Backups\\"); }

  test::ScratchFolder scratch_;
  test::ScratchKey key_;
};

TEST_F(BackupListTest, RowsSortedByDescriptionAndSavedAsText) {
  for (const char* description : {"beta", "", "Alpha", "gamma"}) {
    Write("Value", description);
    BackUpAndRemove(description);
  }
  const std::vector<TBackupRow> rows = ReadBackupRows(Backups(), "N/A");
  ASSERT_EQ(rows.size(), 4u);
  std::string order, text;
  for (const TBackupRow& row : rows) {
    order += row.set.description + ",";
    text += row.set.description + " | " + row.set.dateTime + "\r\n";
    EXPECT_FALSE(row.set.dateTime.empty());
  }
  EXPECT_EQ(order, "Alpha,beta,gamma,N/A,");
  EXPECT_EQ(BackupListText(rows), text);
}

TEST_F(BackupListTest, RestorePutsBackAndAsksEveryManagerTabToRefill) {
  BackUpAndRemove("first");
  ASSERT_EQ(Read("Value"), std::nullopt);
  std::vector<int> refilled;
  const TRestoreRun run =
      RestoreBackupRows(ReadBackupRows(Backups(), "N/A"), [&refilled](int tab) { refilled.push_back(tab); });
  EXPECT_TRUE(run.AllComplete());
  EXPECT_EQ(Read("Value"), "original");
  EXPECT_EQ(refilled, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  const std::string message = RestoreMessage(run, {"Restored one.", "Restored several."});
  EXPECT_EQ(message.rfind("Restored one.", 0), 0u) << message;
  EXPECT_NE(message.find("Registry: put back ("), std::string::npos) << message;
}

// A set changed after it was finished is refused before anything of it
// changes; a sound set beside it is restored, and the message says which.
TEST_F(BackupListTest, DamagedSetIsRefusedWhole) {
  const std::string damaged = BackUpAndRemove("damaged");
  Write("Value", "second");
  BackUpAndRemove("sound");
  Write("Value", "current");
  const std::string entries = damaged + "Entries.reg";
  ASSERT_TRUE(platform::Files().AppendToFile(entries, "\r\n"));

  const TRestoreRun run = RestoreBackupRows(ReadBackupRows(Backups(), "N/A"), nullptr);
  ASSERT_EQ(run.reports.size(), 2u);
  EXPECT_EQ(run.descriptions[0], "damaged");
  EXPECT_TRUE(run.reports[0].refused);
  EXPECT_EQ(run.reports[0].operationsApplied, 0);
  EXPECT_TRUE(run.reports[1].Complete());
  EXPECT_EQ(Read("Value"), "second");  // the sound set's value, not the damaged one's
  const std::string message = RestoreMessage(run, {"Restored one.", "Restored several."});
  EXPECT_EQ(message.find("Restored several."), std::string::npos) << message;
  EXPECT_NE(message.find("Changed since it was finished: Entries.reg"), std::string::npos) << message;
  EXPECT_NE(message.find("Refused"), std::string::npos) << message;
}

TEST_F(BackupListTest, WindowCaptionKeysViewAndRemove) {
  EXPECT_EQ(BackupWindowCaption("Veltaro Pro - Registry cleaner", "&Backups..."), "Backups... - Veltaro Pro");
  EXPECT_EQ(BackupWindowCaption(" Veltaro Pro* ", "B&ackups"), "Backups - Veltaro Pro");
  const struct {
    int key;
    bool ctrl;
    TBackupCommand command;
  } keys[] = {{0x1B, false, TBackupCommand::kClose},   {0x2E, false, TBackupCommand::kRemove},
              {0x0D, false, TBackupCommand::kRestore}, {'E', true, TBackupCommand::kView},
              {'E', false, TBackupCommand::kNone},     {0x2E, true, TBackupCommand::kNone}};
  for (const auto& k : keys) EXPECT_EQ(BackupCommandForKey(k.key, k.ctrl, false, false), k.command) << k.key;

  BackUpAndRemove("one");
  Write("Value", "again");
  BackUpAndRemove("two");
  const std::vector<TBackupRow> rows = ReadBackupRows(Backups(), "N/A");
  ASSERT_EQ(rows.size(), 2u);
  platform::sim::RecordingLauncher launcher;
  platform::Launcher& previous = platform::Launch();
  platform::InstallLauncher(&launcher);
  EXPECT_EQ(ViewBackupRows(rows), 2u);
  platform::InstallLauncher(&previous);
  ASSERT_EQ(launcher.Requests().size(), 2u);
  EXPECT_EQ(launcher.Requests()[0].parameters, "\"" + rows[0].set.folder + "Entries.reg\"");

  EXPECT_EQ(RemoveBackupRows({rows[0]}), 1u);
  const std::vector<TBackupRow> left = ReadBackupRows(Backups(), "N/A");
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].set.description, "two");
}

}  // namespace
}  // namespace vp::shell
