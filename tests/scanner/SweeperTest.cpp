// The scan thread's lifecycle: events, counters, priority, failures.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ScanFixture.h"
#include "platform/sim/SimMachine.h"
#include "support/SimHost.h"

namespace vp {
namespace {

// (The class registrations are never empty: every system has its own.)
TEST(SweeperTest, AnEmptyAreaRaisesOnlyItsFinalEvents) {
  for (int32_t mode : {kAreaNothing, 6, 99}) {
    TScanOptions options;
    options.Mode = mode;
    const test::ScanRun run = test::RunSweeper(options);
    EXPECT_TRUE(run.items.empty()) << mode;
    EXPECT_EQ(run.finished, 1) << mode;
    EXPECT_EQ(run.totalsCalls, 1) << mode;
    EXPECT_EQ(run.totalValues, 0) << mode;
    EXPECT_EQ(run.totalKeys, 0) << mode;
    EXPECT_EQ(run.countedKeys + run.countedValues, 0) << mode;
  }
}

TEST(SweeperTest, RunsAtThePriorityAskedFor) {
  test::SimHost sim{{.mapDriveC = false}};
  for (bool idle : {true, false}) {
    TScanOptions options;
    options.IdlePriority = idle;
    test::RunSweeper(options);
    EXPECT_EQ(sim.Machine().System().LastThreadPriority(),
              idle ? platform::ThreadPriority::Idle : platform::ThreadPriority::AboveNormal);
  }
}

TEST(SweeperTest, EventsRunOnTheRightThreads) {
  test::ScanFixture fixture;
  ASSERT_TRUE(fixture.Ok());
  ASSERT_TRUE(fixture.ApplyFixture("walk.reg"));
  for (bool threaded : {true, false}) {
    TScanOptions options = test::WalkOptions(fixture.KeyPath() + "\\Walk");
    options.Threaded = threaded;
    const std::thread::id owner = std::this_thread::get_id();
    TQueueDispatcher dispatcher;
    TSweeper sweeper(options, dispatcher);
    sweeper.SetLanguage(test::TestLanguage());
    int items = 0;
    int countsOnOwner = 0;
    int countsElsewhere = 0;
    bool synchronisedOnOwner = true;
    std::atomic<int> finished{0};
    sweeper.OnItem = [&](TSweeper&, TNewItem&) {
      synchronisedOnOwner = synchronisedOnOwner && std::this_thread::get_id() == owner;
      ++items;
    };
    sweeper.OnCount = [&](TSweeper&, int32_t, int32_t) {
      // Counted on the scan thread, or on the owner when the body runs there.
      (std::this_thread::get_id() == owner ? countsOnOwner : countsElsewhere)++;
    };
    sweeper.OnTotals = [&](TSweeper&, int32_t, int32_t) {
      synchronisedOnOwner = synchronisedOnOwner && std::this_thread::get_id() == owner;
    };
    sweeper.OnFinished = [&](TSweeper&) {
      synchronisedOnOwner = synchronisedOnOwner && std::this_thread::get_id() == owner;
      ++finished;
    };
    sweeper.Start();
    sweeper.WaitFor();
    EXPECT_TRUE(sweeper.Finished());
    EXPECT_EQ(finished.load(), 1);
    EXPECT_EQ(items, 8) << threaded;
    EXPECT_TRUE(synchronisedOnOwner);
    EXPECT_GT(threaded ? countsElsewhere : countsOnOwner, 0) << threaded;
    EXPECT_EQ(threaded ? countsOnOwner : countsElsewhere, 0) << threaded;
  }
}

// Counts the hand-overs that make a worker wait, and those that do not.
class CountingDispatcher : public TQueueDispatcher {
 public:
  void Synchronize(std::function<void()> call) override {
    if (!IsOwnerThread()) ++waits;
    TQueueDispatcher::Synchronize(std::move(call));
  }
  void Post(std::function<void()> call) override {
    ++posts;
    TQueueDispatcher::Post(std::move(call));
  }
  std::atomic<int> waits{0};
  std::atomic<int> posts{0};
};

// Thousands of findings reach the owner in a few batches, in the order and
// with the totals of a scan run on the owning thread itself.
TEST(SweeperTest, FindingsAreHandedOverInBatches) {
  test::SimScanFixture fixture;
  constexpr int kKeys = 600;
  ASSERT_TRUE(test::ApplyRegText(test::MissingFileKeys(kKeys), fixture.KeyPath(), fixture.Root()));
  std::vector<std::string> found[2];
  int32_t values[2] = {};
  int waits = 0;
  int posts = 0;
  int64_t seconds = 0;
  for (bool threaded : {false, true}) {
    TScanOptions options = test::WalkOptions(fixture.KeyPath());
    options.Threaded = threaded;
    CountingDispatcher dispatcher;
    {
      TSweeper sweeper(options, dispatcher);
      sweeper.SetLanguage(test::TestLanguage());
      sweeper.OnItem = [&](TSweeper&, TNewItem& item) {
        found[threaded].push_back(item.KeyPath + "|" + test::Show(item).entry + "|" +
                                  test::Show(item).problem);
      };
      sweeper.OnTotals = [&](TSweeper&, int32_t v, int32_t) { values[threaded] = v; };
      const auto start = std::chrono::steady_clock::now();
      sweeper.Start();
      sweeper.WaitFor();
      seconds =
          std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    }
    if (threaded) {
      waits = dispatcher.waits.load();
      posts = dispatcher.posts.load();
    }
  }
  EXPECT_EQ(found[0].size(), static_cast<size_t>(kKeys));
  EXPECT_EQ(found[1], found[0]);
  EXPECT_EQ(values[1], values[0]);
  EXPECT_EQ(waits, 2);  // the totals and the end
  // A batch per kItemBatch findings, and at most a batch and a progress
  // event per second of scanning besides: never one per finding.
  const int batches = kKeys / static_cast<int>(TSweeper::kItemBatch);
  EXPECT_GE(posts, batches);
  EXPECT_LE(posts, batches + 1 + 2 * static_cast<int>(seconds + 1)) << seconds << " s";
}

TEST(SweeperTest, AFailingHandlerEndsTheScanQuietly) {
  test::ScanFixture fixture;
  ASSERT_TRUE(fixture.Ok());
  ASSERT_TRUE(fixture.ApplyFixture("walk.reg"));
  const test::ScanRun run =
      test::RunSweeper(test::WalkOptions(fixture.KeyPath() + "\\Walk"),
                       [](TSweeper&, TNewItem&) { throw std::runtime_error("row failed"); });
  EXPECT_EQ(run.items.size(), 1u);
  EXPECT_EQ(run.finished, 1);
  EXPECT_EQ(run.totalsCalls, 1);
}

TEST(SweeperTest, DestroyingARunningScanStopsAndJoinsIt) {
  test::SimScanFixture fixture;
  ASSERT_TRUE(test::ApplyRegText(test::MissingFileKeys(2000), fixture.KeyPath(), fixture.Root()));
  TQueueDispatcher dispatcher;
  int finished = 0;
  size_t items = 0;
  {
    TSweeper sweeper(test::WalkOptions(fixture.KeyPath()), dispatcher);
    sweeper.SetLanguage(test::TestLanguage());
    sweeper.OnItem = [&](TSweeper&, TNewItem&) { ++items; };
    sweeper.OnFinished = [&](TSweeper&) { ++finished; };
    sweeper.Start();
    dispatcher.PumpUntil([&] { return items >= 3; });
  }
  EXPECT_EQ(finished, 1);
  EXPECT_LT(items, 2000u);
}

}  // namespace
}  // namespace vp
