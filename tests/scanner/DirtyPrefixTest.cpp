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
    // A run that was killed may have left its files behind.
    if (FolderExistsChecked(kDirtyRoot) && !DeleteFolder(kDirtyRoot))
      return ::testing::AssertionFailure() << "cannot clear " << kDirtyRoot;
    const std::string fonts = platform::Sys().WindowsFolder() + "\\Fonts\\";
    for (const std::string& name : test::kDirtyFontFiles)
      if (FileExistsChecked(fonts + name) && !DeleteFileChecked(fonts + name))
        return ::testing::AssertionFailure() << "cannot clear " << fonts + name;
    driveMade_ = true;
    if (auto planted = test::PlantDirtyDrive(kDirtyRoot); !planted) return planted;

    for (const std::string& name : test::kDirtyFontFiles) {
      if (!CreateEmptyFile(fonts + name))
        return ::testing::AssertionFailure() << "cannot create " << fonts + name;
      fontFiles_.push_back(fonts + name);
    }

    std::string text;
    for (const std::string& name : test::kDirtyRegFiles) {
      // Each file is a whole .reg file: its header line goes.
      const std::string file =
          test::FillRegText(test::ReadFixture(name), "Software\\VeltaroTest\\Dirty", kDirtyRoot);
      text += text.empty() ? file : file.substr(file.find('\n') + 1);
      text += "\r\n";
    }
    return PlantRegText(text);
  }

  // Applies more .reg text, to be taken out with the rest. Every operation is
  // noted before the first is applied, so a key the text creates is never
  // taken for one that was there already.
  ::testing::AssertionResult PlantRegText(const std::string& text) {
    const TRegFileContents contents = TRegFileReader::Parse(text);
    if (!contents.Clean()) return ::testing::AssertionFailure() << "the fixture does not parse";
    if (auto noted = test::NoteOperations(registry_, contents.operations); !noted) return noted;
    for (const TRegFileProblem& problem : TRegFileReader::Apply(contents.operations))
      return ::testing::AssertionFailure() << "not applied: line " << problem.line << ": " << problem.reason;
    return ::testing::AssertionSuccess();
  }

  // True when nothing planted is left.
  bool Remove() {
    bool removed = registry_.Remove();
    for (const std::string& file : fontFiles_) removed = DeleteFileChecked(file) && removed;
    fontFiles_.clear();
    if (driveMade_) removed = DeleteFolder(kDirtyRoot) && removed;
    driveMade_ = false;
    return removed;
  }

 private:
  test::PlantedEntries registry_;
  std::vector<std::string> fontFiles_;
  bool driveMade_ = false;
};

// The rows of one scan, without the findings the stock prefix reports on its
// own (those are the stock prefix test's).
std::vector<std::string> ScanRows(bool deep, const StringList& ignoreList,
                                  const std::set<std::string>& stock) {
  std::vector<TNewItem> items;
  for (const TNewItem& item : test::WholeScanItems(deep, ignoreList))
    if (!stock.count(std::string(deep ? "deep" : "normal") + "\t" + item.FullPath + "\t" +
                     test::Show(item).entry))
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

  // Past 100 class findings none is reported; the stock prefix adds none of
  // its own to the count.
  const auto comRows = [&] {
    TScanOptions options;
    options.Mode = kAreaLastDeep;
    options.IgnoreList = &ignoreList;
    return test::FindingRows(test::RunSweeper(options).items).size();
  };
  const int planted = static_cast<int>(test::ExpectedRows(kAreaLastDeep, kAreaLastDeep).size());
  ASSERT_TRUE(prefix.PlantRegText(test::OrphanProgIdsRegText(0, 100 - planted)));
  EXPECT_EQ(comRows(), 100u);
  ASSERT_TRUE(prefix.PlantRegText(test::OrphanProgIdsRegText(100 - planted, 101 - planted)));
  EXPECT_EQ(comRows(), 0u);

  EXPECT_TRUE(prefix.Remove());
  EXPECT_FALSE(FolderExistsChecked(kDirtyRoot));
}

}  // namespace
}  // namespace vp
