// Fix and Remove from the list: a row leaves the list only when its entries
// left the registry; a row whose backup failed stays and is reported.

#include <gtest/gtest.h>

#include "files/FileSystemCache.h"
#include "manager/ManagerRows.h"
#include "platform/Registry.h"
#include "registry/FastRegistry.h"
#include "shell/logic/ListActions.h"
#include "support/PlantedEntries.h"
#include "support/RegistryTestSupport.h"
#include "support/ScratchFolder.h"

namespace vp::shell {
namespace {

class ListActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.PutFolder("Backups");
    planted_.Key(platform::kHkeyClassesRoot, ".vptestgone");
    planted_.Value(platform::kHkeyClassesRoot, ".vptestkept", "", "vptestfile");
    fix_.backupsFolder = scratch_.Path("Backups\\");
    fix_.description = "test";
    fix_.cache = &cache_;
    remove_.backupsFolder = fix_.backupsFolder;
    remove_.description = "test";
  }

  bool Present(const std::string& key) { return OpenReadOnly(platform::kHkeyClassesRoot, key).has_value(); }

  test::ScratchFolder scratch_;
  test::PlantedEntries planted_;
  TFileSystemCache cache_;
  TFixSettings fix_;
  TRemoveContext remove_;
};

TEST_F(ListActionsTest, FailedRowsStayOnEveryTab) {
  const std::vector<TRemoveItem> rows = {{".vptestgone", {}}, {".vptestnosuchkey", {}}, {".vptestkept", {}}};
  TNewItem finding;
  finding.FullPath = "HKEY_CLASSES_ROOT\\.vptestkept";
  finding.WholeKey = true;
  TCleanerLanguage language;
  language.Texts[kTextWholeKey] = "[Whole key]";
  const std::string missing = scratch_.Path("NoSuchFolder\\");

  // Every backup fails: nothing leaves the registry or the list.
  TRemoveContext noSets = remove_;
  noSets.backupsFolder = missing;
  TListActionResult result = RemoveManagerRows(3, {rows[0]}, noSets);
  EXPECT_TRUE(result.leaving.empty());
  EXPECT_EQ(result.staying, std::vector<size_t>{0});
  EXPECT_TRUE(Present(".vptestgone"));
  EXPECT_NE(RemoveReportText(result).find(".vptestgone: the backup failed"), std::string::npos);
  TFixSettings noSet = fix_;
  noSet.backupsFolder = missing;
  for (const auto& action : {FixRows, RemoveCleanerRows}) {
    result = action({finding}, noSet, language);
    EXPECT_EQ(result.staying, std::vector<size_t>{0});
    EXPECT_TRUE(Present(".vptestkept"));
  }
  EXPECT_NE(
      FixReportText(result, "{1} repaired, {2} removed.").find("0 repaired, 0 removed.\r\n\r\nNot changed"),
      std::string::npos);
  EXPECT_NE(result.failures.at(0).find("HKEY_CLASSES_ROOT\\.vptestkept ([Whole key]): "), std::string::npos);

  // With sets: the removed row and the stale one leave; a tab without a
  // manager action changes nothing.
  result = RemoveManagerRows(3, {rows[0], rows[1]}, remove_);
  EXPECT_EQ(result.leaving, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(result.removed, 1);
  EXPECT_TRUE(RemoveReportText(result).empty());
  EXPECT_FALSE(Present(".vptestgone"));
  EXPECT_TRUE(RemoveManagerRows(kCleanerTab, rows, remove_).noAction);  // not a manager tab
  result = RemoveCleanerRows({finding}, fix_, language);
  EXPECT_EQ(result.leaving, std::vector<size_t>{0});
  EXPECT_FALSE(Present(".vptestkept"));
}

}  // namespace
}  // namespace vp::shell
