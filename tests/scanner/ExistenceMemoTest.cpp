#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "files/SimDrivesTest.h"
#include "scanner/ExistenceMemo.h"
#include "scanner/FileReferences.h"

namespace vp {
namespace {

using platform::DriveType;

// Data of every shape the analysis trims and tries in several forms: the
// memo must answer each form exactly as the disk does.
const char* const kData[] = {
    "C:\\App\\app.exe",
    "c:\\app\\APP.EXE",
    "\"C:\\App\\app.exe\" /min",
    "C:\\App\\app.exe,0",
    "C:\\App\\tool",  // found as tool.exe
    "C:\\App\\tool.exe.config",
    "C:\\App\\gone.dll",
    "\"C:\\App\\gone.exe\" /s",
    "rundll32.exe C:\\App\\lib.dll,Entry",
    "C:\\App\\gone.dll C:\\App\\app.exe",
    "C:\\App\\app.exe C:\\App\\gone.dll",
    "%SystemRoot%\\notepad.exe",
    "%SystemRoot%\\gone.exe",
    "C:\\Ignored Vendor\\x.dll",
    "C:\\App",
    "C:\\App\\sub folder\\doc.txt -open",
    "D:\\Setup\\gone.exe C:\\App\\gone.dll",
    "no reference here",
};

class ExistenceMemoTest : public test::SimDrivesTest {
 protected:
  void SetUp() override {
    SimDrivesTest::SetUp();
    Map('C', DriveType::Fixed);
    Map('D', DriveType::CdRom);
    for (const char* folder : {"c/App/sub folder", "c/Windows", "d/Setup"})
      std::filesystem::create_directories(host_.Folder() / folder);
    for (const char* file : {"c/App/app.exe", "c/App/tool.exe", "c/App/lib.dll", "c/App/sub folder/doc.txt",
                             "c/Windows/notepad.exe", "d/Setup/setup.exe"})
      std::ofstream(host_.Folder() / file) << "x";
    context_.NonFixedDrives = "abdefghijklmnopqrstuvwxyz";
    context_.IgnoreList = &ignore_;
  }

  TAnalyzerResult Run(const std::string& data, TExistenceMemo* memo) {
    TScanContext context = context_;
    context.Memo = memo;
    TAnalyzerResult result;
    Analyze(data, result, context);
    return result;
  }

  static ::testing::AssertionResult Same(const TAnalyzerResult& a, const TAnalyzerResult& b) {
    if (a.Kind == b.Kind && a.Detail == b.Detail && a.Match == b.Match) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "kind " << a.Kind << " / " << b.Kind << ", detail '" << a.Detail << "' / '" << b.Detail
           << "', match '" << a.Match << "' / '" << b.Match << "'";
  }

  StringList ignore_ = {"ignored vendor"};
  TScanContext context_;
};

TEST_F(ExistenceMemoTest, NeverChangesAVerdict) {
  std::vector<TAnalyzerResult> direct;
  for (const char* data : kData) direct.push_back(Run(data, nullptr));

  // Filled in one order and asked in the other, so answers come from forms
  // that other data left behind.
  TExistenceMemo memo;
  for (size_t i = std::size(kData); i-- > 0;) EXPECT_TRUE(Same(Run(kData[i], &memo), direct[i])) << kData[i];
  host_.Machine().Files().ResetCallCount();
  for (size_t i = 0; i < std::size(kData); ++i)
    EXPECT_TRUE(Same(Run(kData[i], &memo), direct[i])) << kData[i];
  // Every form was known by then: the second pass never reached the disk.
  EXPECT_EQ(host_.Machine().Files().CallCount(), 0u);
  EXPECT_GT(memo.Size(), 0u);
}

TEST_F(ExistenceMemoTest, SharedByThreads) {
  std::vector<TAnalyzerResult> direct;
  for (const char* data : kData) direct.push_back(Run(data, nullptr));
  TExistenceMemo memo;
  std::vector<std::vector<TAnalyzerResult>> seen(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < seen.size(); ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round)
        for (const char* data : kData) seen[t].push_back(Run(data, &memo));
    });
  for (auto& thread : threads) thread.join();
  for (const auto& results : seen)
    for (size_t i = 0; i < results.size(); ++i)
      EXPECT_TRUE(Same(results[i], direct[i % std::size(kData)])) << kData[i % std::size(kData)];
}

TEST(ExistenceMemo, HoldsAtMostItsCapacityAndKeepsFirstAnswers) {
  TExistenceMemo memo(2);
  memo.Remember("C:\\a", true);
  memo.Remember("C:\\b", false);
  memo.Remember("C:\\a", false);  // already known: unchanged
  memo.Remember("C:\\c", true);   // full: not taken
  struct Case {
    const char* path;
    std::optional<bool> answer;
  };
  const Case cases[] = {{"C:\\a", true}, {"C:\\b", false}, {"C:\\c", std::nullopt}, {"c:\\A", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(memo.Find(c.path), c.answer) << c.path;
  EXPECT_EQ(memo.Size(), 2u);
}

}  // namespace
}  // namespace vp
