#include <gtest/gtest.h>

#include "backup/BackupFixture.h"
#include "backup/BackupSets.h"
#include "backup/BackupTool.h"
#include "platform/FileSystem.h"
#include "registry/FastRegistry.h"
#include "registry/RegExportText.h"
#include "support/RegistryTestSupport.h"

namespace vp::backup {
namespace {

using vp::test::UserKey;

using namespace std::string_literals;
using Step = TRestoreReport::Step;

class RestoreTest : public test::BackupFixture {
 protected:
  // Backs up and removes key K, value V\d when V exists, and the file, as
  // the callers do; returns the set.
  std::string BackUpAndRemove(const std::string& file) {
    TBackupTool tool;
    EXPECT_TRUE(Begin(tool));
    EXPECT_TRUE(tool.AddKey(UserKey(Key("K"))) && tool.RemoveKey(UserKey(Key("K"))));
    if (KeyExists("V")) {
      EXPECT_TRUE(tool.AddValue(UserKey(Key("V")), "d") && tool.RemoveValue(UserKey(Key("V")), "d"));
    }
    EXPECT_TRUE(tool.AddFile(file) && tool.RemoveFile(file));
    return tool.SetFolder();
  }
};

TEST_F(RestoreTest, KeysValuesAndFilesComeBack) {
  Put("K\\Sub", "s", platform::kRegExpandSz, "%SystemRoot%\\x\0"s);
  Put("K", "", platform::kRegMultiSz, "\x80uro\0two\0\0"s);
  Put("V", "d", platform::kRegDword, "\x01\x02\x03\x04"s);
  Put("V", "keep", platform::kRegSz, "stays\0"s);
  const std::string file = WorkFolder() + "app.dll";
  ASSERT_TRUE(platform::Files().WriteWholeFile(file, "library bytes"));
  const auto before = Snapshot();
  const std::string set = BackUpAndRemove(file);
  ASSERT_NE(Snapshot(), before);
  const TRestoreReport report = RestoreBackupSet(set);
  EXPECT_TRUE(report.Complete());
  EXPECT_EQ(report.registry, Step::kDone);
  EXPECT_EQ(report.openWith, Step::kNotNeeded);
  EXPECT_EQ(report.typeCode, 9);
  EXPECT_GT(report.operationsApplied, 0);
  EXPECT_EQ(report.filesRestored, 1);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(ReadText(file), "library bytes");
}

TEST_F(RestoreTest, AnEntriesFileThatDoesNotReadWholeChangesNothing) {
  Put("K", "v", platform::kRegSz, "1\0"s);
  const std::string file = WorkFolder() + "app.dll";
  ASSERT_TRUE(platform::Files().WriteWholeFile(file, "library bytes"));
  const std::string set = BackUpAndRemove(file);
  ASSERT_TRUE(platform::Files().AppendToFile(set + "Entries.reg",
                                             EntriesFileBytes("\"w\"=dword:nothex\r\n", true, false)));
  const TRestoreReport report = RestoreBackupSet(set);
  EXPECT_FALSE(report.Complete());
  EXPECT_EQ(report.registry, Step::kFailed);
  EXPECT_EQ(report.operationsApplied, 0);
  EXPECT_FALSE(report.registryProblems.empty());
  EXPECT_TRUE(report.refused);
  EXPECT_FALSE(KeyExists("K"));
  EXPECT_FALSE(FileExists(file));
}

TEST_F(RestoreTest, FileListsCannotLeadOutOfTheSet) {
  const std::string victim = WorkFolder() + "victim.txt";
  ASSERT_TRUE(platform::Files().WriteWholeFile(victim, "untouched"));
  const std::string set = BackupsFolder() + "00ABCD\\";
  ASSERT_TRUE(platform::Files().MakeFolder(BackupsFolder() + "00ABCD"));
  ASSERT_TRUE(platform::Files().WriteWholeFile(set + "Index.dat", "[Header]\r\nText=x\r\nTypeCode=9\r\n"));
  ASSERT_TRUE(platform::Files().WriteWholeFile(set + "secret.txt", "other"));
  ASSERT_TRUE(platform::Files().WriteWholeFile(
      set + "Files.dat", "[Header]\r\nFiles=2000000000\r\n[File1]\r\nOrigFile=" + victim +
                             "\r\nBackupFile=..\\Work\\..\\00ABCD\\secret.txt\r\n[File2]\r\nOrigFile=" +
                             victim + "\r\nBackupFile=missing.txt\r\n"));
  // Made by hand, the set is unfinished: only the user's word restores it.
  EXPECT_TRUE(RestoreBackupSet(set).refused);
  const TRestoreReport report = RestoreBackupSet(set, true);
  EXPECT_EQ(report.filesRestored, 0);
  EXPECT_EQ(report.filesFailed, (std::vector<std::string>{victim, victim}));
  EXPECT_EQ(report.registry, Step::kNotNeeded);
  EXPECT_EQ(ReadText(victim), "untouched");
}

TEST_F(RestoreTest, OpenWithSetsRemoveTheValueTheyAdded) {
  const std::string app = "Applications\\" + vp::test::UniqueName("VeltaroTest") + ".exe";
  {
    TFastRegistry registry;
    registry.SetRootKey(platform::kHkeyClassesRoot);
    ASSERT_TRUE(registry.OpenKey("\\" + app, true));
    ASSERT_EQ(registry.WriteString("NoOpenWith", ""), platform::kErrorSuccess);
  }
  std::string set;
  {
    TBackupTool tool;
    ASSERT_TRUE(tool.CreateBackup(BackupsFolder(), "open with", 7, "1.2", "Veltaro Pro"));
    set = tool.SetFolder();
    ASSERT_TRUE(tool.AddString("NoOpenWith:" + app));
  }
  const TRestoreReport report = RestoreBackupSet(set);
  EXPECT_EQ(report.typeCode, 7);
  EXPECT_EQ(report.openWith, Step::kDone);
  EXPECT_EQ(report.openWithKey, app);
  EXPECT_EQ(report.registry, Step::kNotNeeded);  // no key reached its Entries.reg
  EXPECT_TRUE(report.Complete());
  TFastRegistry registry;
  registry.SetRootKey(platform::kHkeyClassesRoot);
  ASSERT_TRUE(registry.OpenKey("\\" + app, false));
  EXPECT_FALSE(registry.ValueExists("NoOpenWith"));
  registry.CloseKey();
  EXPECT_TRUE(registry.DeleteKey("\\" + app));
}

TEST_F(RestoreTest, ListingAndDeletingSets) {
  std::string described;
  std::string plain;
  {
    TBackupTool tool;
    ASSERT_TRUE(tool.CreateBackup(BackupsFolder(), "described", 0, "1.2", "Veltaro Pro"));
    described = tool.SetFolder();
    ASSERT_TRUE(tool.CreateBackup(BackupsFolder(), "", 0, "1.2", "Veltaro Pro"));
    plain = tool.SetFolder();
  }
  ASSERT_TRUE(platform::Files().MakeFolder(BackupsFolder() + "NotASet"));
  auto sets = ListBackupSets(BackupsFolder(), "(no description)");
  ASSERT_EQ(sets.size(), 2u);
  std::map<std::string, std::string> byFolder;
  for (const auto& s : sets) {
    byFolder[s.folder] = s.description;
    EXPECT_FALSE(s.dateTime.empty());
  }
  EXPECT_EQ(byFolder[described], "described");
  EXPECT_EQ(byFolder[plain], "(no description)");
  EXPECT_TRUE(DeleteBackupSet(plain));
  EXPECT_FALSE(FileExists(plain + "Index.dat"));
  sets = ListBackupSets(BackupsFolder(), "");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].folder, described);
}

}  // namespace
}  // namespace vp::backup
