#include <gtest/gtest.h>

#include "backup/BackupFixture.h"
#include "backup/BackupSets.h"
#include "backup/BackupTool.h"
#include "backup/RandomTree.h"
#include "support/RegistryTestSupport.h"
#include "support/TestSupport.h"

namespace vp::backup {
namespace {

using vp::test::UserKey;

class RoundTripTest : public test::BackupFixture {};

// Exports random trees, deletes them, restores the set and compares: every
// type, default and odd names, line breaks, inner NULs, code-page text and
// long binary data must come back exactly.
TEST_F(RoundTripTest, RandomTreesComeBackExactly) {
  const int trees = vp::test::kOnRealWindows ? 6 : 300;
  std::mt19937 random(20260105);
  for (int n = 0; n < trees; ++n) {
    SCOPED_TRACE("tree " + std::to_string(n));
    const bool oldFormat = Machine() && n % 5 == 4;
    if (Machine()) Machine()->System().SetVersion({oldFormat ? 4u : 6u, 1, 7601, 2});
    const bool byValue = n % 3 == 2;
    const test::TreeSnapshot tree = test::RandomTree(random, byValue ? 0 : 3);
    PutTree("T", tree);
    const test::TreeSnapshot before = Snapshot("T");
    ASSERT_EQ(before, tree);
    std::string set;
    {
      TBackupTool tool;
      ASSERT_EQ(tool.OldFormat(), oldFormat);
      ASSERT_TRUE(Begin(tool));
      set = tool.SetFolder();
      const std::string key = ScratchKey() + "\\T";
      if (byValue) {
        for (const auto& [name, value] : tree.at("")) {
          ASSERT_TRUE(tool.AddValue(UserKey(key), name.empty() ? "@" : name)) << name;
          ASSERT_TRUE(tool.RemoveValue(UserKey(key), name.empty() ? "@" : name)) << name;
        }
        ASSERT_EQ(Snapshot("T"), (test::TreeSnapshot{{"", {}}}));
      } else {
        ASSERT_TRUE(tool.AddKey(UserKey(key)));
        ASSERT_TRUE(tool.RemoveKey(UserKey(key)));
        ASSERT_FALSE(KeyExists("T"));
      }
    }
    const TRestoreReport report = RestoreBackupSet(set);
    for (const auto& problem : report.registryProblems) {
      ADD_FAILURE() << "line " << problem.line << ": " << problem.reason;
    }
    EXPECT_TRUE(report.Complete());
    ASSERT_EQ(Snapshot("T"), before);
    DeleteTree("T");
    ASSERT_TRUE(DeleteBackupSet(set));
  }
}

}  // namespace
}  // namespace vp::backup
