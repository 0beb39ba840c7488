// A whole scan: the threads of every area, their items and counters, cancel,
// and sixteen threads on one registry while another thread changes it.

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <stdexcept>
#include <thread>

#include "ScanFixture.h"
#include "platform/sim/SimMachine.h"
#include "registry/FastRegistry.h"
#include "scanner/ScanDriver.h"

namespace vp {
namespace {

// Many keys with missing files under the fixture key, and a few in the
// places other areas walk.
void FillRegistry(const test::SimScanFixture& fixture, int keys) {
  std::string text = "REGEDIT4\r\n\r\n";
  for (int i = 0; i < keys; ++i) {
    text += "[HKEY_CURRENT_USER\\@KEY@\\K" + std::to_string(i) + "]\r\n\"Path\"=\"@ROOTDATA@gone" +
            std::to_string(i) + ".dll\"\r\n\"Name\"=\"text\"\r\n\r\n";
  }
  text += "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\r\n\"Path\"=\"@ROOTDATA@gone-app.exe\"\r\n\r\n";
  text += "[HKEY_CLASSES_ROOT\\.vptest]\r\n\"Path\"=\"@ROOTDATA@gone-class.exe\"\r\n\r\n";
  ASSERT_TRUE(test::ApplyRegText(text, fixture.KeyPath(), fixture.Root()));
}

TEST(ScanDriverTest, RunsOneThreadPerAreaAndCountsOnce) {
  test::SimScanFixture fixture;
  FillRegistry(fixture, 50);
  for (bool deep : {false, true}) {
    TQueueDispatcher dispatcher;
    TScanDriver driver(dispatcher);
    int finished = 0;
    int itemEvents = 0;
    uint32_t errorModeDuringScan = 0;
    driver.OnFinished = [&] { ++finished; };
    driver.OnItem = [&](const TNewItem&) {
      ++itemEvents;
      errorModeDuringScan = fixture.Machine().System().ErrorMode();
    };
    TScanRequest request;
    request.deep = deep;
    request.language = test::TestLanguage();
    fixture.Machine().System().ExchangeErrorMode(0x8000);
    ASSERT_TRUE(driver.Start(request));
    EXPECT_TRUE(driver.Running());
    EXPECT_FALSE(driver.Start(request));  // one scan at a time
    driver.Wait();
    EXPECT_FALSE(driver.Running());
    EXPECT_EQ(finished, 1);
    // Critical-error dialogs are off while the scan runs, and the mode is
    // restored after it.
    EXPECT_EQ(errorModeDuringScan, platform::kFailCriticalErrors);
    EXPECT_EQ(fixture.Machine().System().ErrorMode(), 0x8000u);

    ASSERT_EQ(driver.ThreadCount(), deep ? 16 : 15);
    std::set<int32_t> modes;
    for (const auto& thread : driver.Threads()) modes.insert(thread->Mode());
    EXPECT_EQ(modes.size(), driver.Threads().size());
    EXPECT_EQ(*modes.begin(), 1);
    EXPECT_EQ(*modes.rbegin(), deep ? 16 : 15);

    // Every key and value once: the running counters equal the threads'
    // own totals.
    EXPECT_EQ(driver.ValuesAnalyzed(), driver.ReportedValueTotals());
    EXPECT_EQ(driver.KeysAnalyzed(), driver.ReportedKeyTotals());
    int64_t values = 0;
    for (const auto& thread : driver.Threads()) values += thread->ValuesAnalyzed();
    EXPECT_EQ(driver.ValuesAnalyzed(), values);
    EXPECT_GE(driver.ValuesAnalyzed(), 2 * 50);

    // The user's keys come from area 4 (area 2 skips the user's own hive);
    // the class key from area 3, with its mirror; the machine's key from area 1.
    EXPECT_EQ(driver.InvalidItems(), static_cast<int64_t>(driver.Items().size()));
    EXPECT_EQ(itemEvents, static_cast<int>(driver.Items().size()));
    EXPECT_EQ(driver.Items().size(), 50u + 1u + 2u);
  }
}

TEST(ScanDriverTest, LoadsTheIgnoreListsOfTheDataFolder) {
  test::SimScanFixture fixture;
  FillRegistry(fixture, 5);
  ASSERT_TRUE(platform::Files().MakeFolder(fixture.Root() + "Data"));
  ASSERT_TRUE(
      platform::Files().WriteWholeFile(fixture.Root() + "Data\\Custom IgnoreList.dat", "GONE-APP\r\n"));
  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  ASSERT_TRUE(driver.StartWithIgnoreLists(false, fixture.Root() + "Data", test::TestLanguage()));
  driver.Wait();
  EXPECT_EQ(driver.Items().size(), 5u + 2u);
  for (const TNewItem& item : driver.Items())
    EXPECT_EQ(test::Show(item).data.find("gone-app"), std::string::npos);
}

TEST(ScanDriverTest, AFailingRowHandlerDropsThatRowOnly) {
  test::SimScanFixture fixture;
  FillRegistry(fixture, 5);
  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  int calls = 0;
  driver.OnItem = [&](const TNewItem&) {
    ++calls;
    throw std::runtime_error("row failed");
  };
  TScanRequest request;
  request.language = test::TestLanguage();
  ASSERT_TRUE(driver.Start(request));
  driver.Wait();
  EXPECT_EQ(calls, 5 + 1 + 2);
  EXPECT_EQ(driver.Items().size(), 5u + 1u + 2u);
  EXPECT_EQ(driver.DroppedRows(), 5 + 1 + 2);
}

TEST(ScanDriverTest, CancelEndsEveryThread) {
  test::SimScanFixture fixture;
  FillRegistry(fixture, 3000);
  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  int finished = 0;
  driver.OnFinished = [&] { ++finished; };
  driver.OnItem = [&](const TNewItem&) {
    if (driver.Items().size() == 10) driver.Cancel();
  };
  TScanRequest request;
  request.deep = true;
  request.language = test::TestLanguage();
  ASSERT_TRUE(driver.Start(request));
  driver.Wait();
  EXPECT_EQ(finished, 1);
  EXPECT_LT(driver.Items().size(), 3000u);
  for (const auto& thread : driver.Threads()) EXPECT_TRUE(thread->Finished());
  EXPECT_EQ(driver.ValuesAnalyzed(), driver.ReportedValueTotals());
}

// Sixteen threads read one simulated registry while another thread creates,
// changes and deletes keys in it. Run under ThreadSanitizer, this proves the
// engine shares nothing unguarded.
TEST(ScanDriverTest, ScansWhileTheRegistryChanges) {
  test::SimScanFixture fixture;
  FillRegistry(fixture, 120);
  std::atomic<bool> stopWriter{false};
  std::atomic<int> rounds{0};
  std::thread writer([&] {
    int round = 0;
    while (!stopWriter.load()) {
      TFastRegistry registry;
      const std::string key = fixture.KeyPath() + "\\Churn\\C" + std::to_string(round % 20);
      if (registry.OpenKey(key, true)) {
        registry.WriteString("Path", fixture.Root() + "churn.dll");
        registry.CloseKey();
      }
      if (round % 3 == 0) registry.DeleteKey(key);
      registry.SetRootKey(platform::kHkeyLocalMachine);
      if (registry.OpenKey("Software\\Vendor\\App", false))
        registry.WriteString("Extra", std::to_string(round));
      rounds = ++round;
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  });
  while (rounds.load() < 5) std::this_thread::yield();
  TQueueDispatcher dispatcher;
  TScanDriver driver(dispatcher);
  int progressEvents = 0;
  driver.OnProgress = [&] { ++progressEvents; };
  TScanRequest request;
  request.deep = true;
  request.language = test::TestLanguage();
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(driver.Start(request));
  driver.Wait();
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started);
  // Each thread signals progress at most once a second.
  EXPECT_LE(progressEvents, 16 * (seconds.count() + 1));
  const int roundsDuringScan = rounds.load();
  stopWriter = true;
  writer.join();
  EXPECT_GT(roundsDuringScan, 5);
  EXPECT_EQ(driver.ThreadCount(), 16);
  EXPECT_GE(driver.Items().size(), 120u);
  EXPECT_EQ(driver.ValuesAnalyzed(), driver.ReportedValueTotals());
  EXPECT_EQ(driver.KeysAnalyzed(), driver.ReportedKeyTotals());
}

}  // namespace
}  // namespace vp
