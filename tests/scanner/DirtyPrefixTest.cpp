// The dirty registry on the real registry of a Wine prefix: the fixture goes
// into the real keys the areas scan and its drive folder into drive_c, a
// normal and a deep scan run as a user starts them, and everything planted is
// taken out again, also when the test fails half-way, so the prefix is stock
// again for the next test.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "DirtyFixture.h"
#include "ScanFixture.h"
#include "files/FileTools.h"
#include "platform/Platform.h"
#include "registry/RegFile.h"
#include "scanner/ScanDriver.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

// Where the drive folder of the fixture goes on the real C: drive.
constexpr const char* kDirtyRoot = "C:\\VeltaroDirty\\";

// The fixture planted on the real system for the object's lifetime.
class PlantedPrefix {
 public:
  PlantedPrefix() = default;
  ~PlantedPrefix() { Remove(); }
  PlantedPrefix(const PlantedPrefix&) = delete;
  PlantedPrefix& operator=(const PlantedPrefix&) = delete;

  ::testing::AssertionResult Plant() {
    // A run that was killed may have left its folder behind.
    if (FolderExistsChecked(kDirtyRoot) && !DeleteFolder(kDirtyRoot))
      return ::testing::AssertionFailure() << "cannot clear " << kDirtyRoot;
    driveMade_ = true;
    if (auto planted = test::PlantDirtyDrive(kDirtyRoot); !planted) return planted;

    const std::string fonts = platform::Sys().WindowsFolder() + "\\Fonts\\";
    for (const std::string& name : test::kDirtyFontFiles) {
      if (FileExistsChecked(fonts + name))
        return ::testing::AssertionFailure() << fonts + name << " exists and is not ours";
      if (!CreateEmptyFile(fonts + name))
        return ::testing::AssertionFailure() << "cannot create " << fonts + name;
      fontFiles_.push_back(fonts + name);
    }

    // Every operation is noted before the first is applied, so a key one
    // file creates is never taken for one that was there already.
    std::vector<TRegFileOperation> operations;
    for (const std::string& name : test::kDirtyRegFiles) {
      const TRegFileContents contents =
          TRegFileReader::Parse(test::DirtyRegText(name, "Software\\VeltaroTest\\Dirty", kDirtyRoot));
      if (!contents.Clean()) return ::testing::AssertionFailure() << name << " does not parse";
      operations.insert(operations.end(), contents.operations.begin(), contents.operations.end());
    }
    if (auto noted = registry_.Note(operations); !noted) return noted;
    for (const TRegFileProblem& problem : TRegFileReader::Apply(operations))
      return ::testing::AssertionFailure() << "not applied: line " << problem.line << ": " << problem.reason;
    return ::testing::AssertionSuccess();
  }

  // True when nothing planted is left.
  bool Remove() {
    bool removed = registry_.Restore();
    for (const std::string& file : fontFiles_) removed = DeleteFileChecked(file) && removed;
    fontFiles_.clear();
    if (driveMade_) removed = DeleteFolder(kDirtyRoot) && removed;
    driveMade_ = false;
    return removed;
  }

 private:
  test::RegistryRestorer registry_;
  std::vector<std::string> fontFiles_;
  bool driveMade_ = false;
};

// The rows of one scan, without the findings the stock prefix reports on its
// own (those are the stock prefix test's).
std::vector<std::string> ScanRows(bool deep, const StringList& ignoreList,
                                  const std::set<std::string>& stock) {
  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  TScanRequest request;
  request.deep = deep;
  request.language = test::TestLanguage();
  request.ignoreList = ignoreList;
  EXPECT_TRUE(driver.Start(request));
  driver.Wait();
  std::vector<TNewItem> items;
  for (const TNewItem& item : driver.Items())
    if (!stock.count(std::string(deep ? "deep" : "normal") + "\t" + item.FullPath + "\t" + item.ValueName))
      items.push_back(item);
  return test::FindingRows(items);
}

TEST(DirtyPrefix, NormalAndDeepScansReportExactlyThePlantedFindings) {
  if (!test::kOnRealWindows) GTEST_SKIP() << "the simulation runs the same fixture in AreaChecksTest";
  const StringList ignoreList = test::DirtyIgnoreList();
  const std::set<std::string> stock = test::StockPrefixFindings();
  ASSERT_FALSE(stock.empty());
  PlantedPrefix prefix;
  ASSERT_TRUE(prefix.Plant());
  for (bool deep : {false, true}) {
    SCOPED_TRACE(deep ? "deep" : "normal");
    EXPECT_EQ(ScanRows(deep, ignoreList, stock),
              test::ExpectedRows(6, deep ? kAreaLastDeep : kAreaLastNormal));
  }
  EXPECT_TRUE(prefix.Remove());
  EXPECT_FALSE(FolderExistsChecked(kDirtyRoot));
}

}  // namespace
}  // namespace vp
