#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "DirtyFixture.h"
#include "core/Dispatcher.h"
#include "registry/FastRegistry.h"
#include "scanner/ScanDriver.h"
#include "scanner/ScanFixture.h"
#include "settings/IgnoreList.h"
#include "support/TestSupport.h"

// A stock Wine prefix is a real registry that nobody here wrote. Its findings,
// with the shipped ignore lists, are kept in a reviewed expectation file: a new
// finding is either a false positive to hide or a real one to review.
namespace vp {
namespace {

using Findings = std::set<std::string>;

Findings Scan(bool deep) {
  TScanRequest request;
  request.deep = deep;
  request.language = test::TestLanguage();
  auto ignoreList = LoadMergedIgnoreList(test::DataPath("../../data/Data"));
  EXPECT_TRUE(ignoreList.has_value());
  if (ignoreList) request.ignoreList = *ignoreList;

  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  Findings found;
  driver.OnItem = [&](const TNewItem& item) {
    // The other tests' scratch keys are not part of the stock prefix.
    if (item.FullPath.find("VeltaroTest") != std::string::npos) return;
    found.insert(std::string(deep ? "deep" : "normal") + "\t" + item.FullPath + "\t" +
                 test::Show(item).entry);
  };
  EXPECT_TRUE(driver.Start(request));
  driver.Wait();
  return found;
}

std::string Listed(const Findings& findings) {
  std::ostringstream text;
  for (const auto& finding : findings) text << "  " << finding << "\n";
  return text.str();
}

TEST(StockPrefix, NormalAndDeepScansReportOnlyTheReviewedFindings) {
  if (!test::kOnRealWindows) GTEST_SKIP() << "needs the real registry of a Wine prefix";
  Findings found = Scan(false);
  found.merge(Scan(true));
  const Findings expected = test::StockPrefixFindings();
  ASSERT_FALSE(expected.empty());

  Findings unexpected, missing;
  for (const auto& finding : found)
    if (!expected.count(finding)) unexpected.insert(finding);
  for (const auto& finding : expected)
    if (!found.count(finding)) missing.insert(finding);
  EXPECT_TRUE(unexpected.empty()) << "not reviewed:\n" << Listed(unexpected);
  EXPECT_TRUE(missing.empty()) << "no longer found:\n" << Listed(missing);
}

// Every key below root\path, counted by opening each one: what the history
// list walk must visit. Links are followed, as an open follows them.
int64_t KeysBelowByOpening(platform::RegHandle root, const std::string& path) {
  TFastRegistry registry;
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(path)) return 0;
  std::vector<std::string> names;
  registry.GetKeyNames(names);
  registry.CloseKey();
  int64_t count = 0;
  for (const auto& name : names) count += 1 + KeysBelowByOpening(root, path + "\\" + name);
  return count;
}

// The history list walk opens only the keys that may hold something for it;
// Wine's prefix has link keys (under Wow6432Node) whose own description says
// nothing of the keys they lead to. It must still visit every key.
TEST(StockPrefix, HistoryListWalkVisitsEveryKeyAnOpeningWalkVisits) {
  if (!test::kOnRealWindows) GTEST_SKIP() << "needs the real registry of a Wine prefix";
  const int64_t expected = KeysBelowByOpening(platform::kHkeyCurrentUser, "Software") +
                           KeysBelowByOpening(platform::kHkeyLocalMachine, "Software");
  TScanRequest request;
  request.areas = {15};
  request.language = test::TestLanguage();
  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  ASSERT_TRUE(driver.Start(request));
  driver.Wait();
  EXPECT_GT(expected, 1000);
  EXPECT_EQ(driver.KeysAnalyzed(), expected);
}

}  // namespace
}  // namespace vp
