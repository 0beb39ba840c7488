#include <gtest/gtest.h>

#include <cstdlib>

#include "backup/BackupFixture.h"
#include "backup/BackupSets.h"
#include "backup/BackupTool.h"
#include "backup/RandomTree.h"
#include "platform/FileSystem.h"
#include "registry/RegFile.h"
#include "support/RegistryTestSupport.h"
#include "support/TestSupport.h"

// Our export files against the system's registry editor, both ways. Only
// where the real system runs.
namespace vp::backup {
namespace {

using vp::test::UserKey;

class RegeditInteropTest : public test::BackupFixture {
 protected:
  void SetUp() override {
    if (!vp::test::kOnRealWindows) GTEST_SKIP() << "needs the system's registry editor";
    BackupFixture::SetUp();
  }
  // The editor's exit code says nothing (it is 0 even for a missing file);
  // callers compare the registry instead.
  static void Regedit(const std::string& arguments) {
    const std::string command = "start /wait regedit " + arguments;
    std::system(command.c_str());
  }
};

TEST_F(RegeditInteropTest, TheEditorImportsOurSetAsOurRestoreDoes) {
  std::mt19937 random(6101);
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE("tree " + std::to_string(n));
    PutTree("T", test::RandomTree(random));
    const test::TreeSnapshot before = Snapshot("T");
    std::string set;
    {
      TBackupTool tool;
      ASSERT_TRUE(Begin(tool));
      set = tool.SetFolder();
      ASSERT_TRUE(tool.AddKey(UserKey(ScratchKey() + "\\T")));
      ASSERT_TRUE(tool.RemoveKey(UserKey(ScratchKey() + "\\T")));
    }
    Regedit("/s \"" + set + "Entries.reg\"");
    EXPECT_EQ(Snapshot("T"), before);
    DeleteTree("T");
    EXPECT_TRUE(RestoreBackupSet(set).Complete());
    EXPECT_EQ(Snapshot("T"), before);
    DeleteTree("T");
  }
}

TEST_F(RegeditInteropTest, OurReaderAppliesTheEditorsExport) {
  std::mt19937 random(6102);
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE("tree " + std::to_string(n));
    PutTree("T", test::RandomTree(random, 3, true));
    const test::TreeSnapshot before = Snapshot("T");
    const std::string exported = WorkFolder() + "export" + std::to_string(n) + ".reg";
    Regedit("/e \"" + exported + "\" \"HKEY_CURRENT_USER\\" + ScratchKey() + "\\T\"");
    ASSERT_TRUE(FileExists(exported));
    DeleteTree("T");
    const TRegFileContents contents = TRegFileReader::Load(exported);
    for (const auto& problem : contents.problems) ADD_FAILURE() << problem.line << ": " << problem.reason;
    ASSERT_TRUE(contents.Clean());
    EXPECT_TRUE(TRegFileReader::Apply(contents.operations).empty());
    EXPECT_EQ(Snapshot("T"), before);
    DeleteTree("T");
  }
}

}  // namespace
}  // namespace vp::backup
