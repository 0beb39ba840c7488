#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "core/Dispatcher.h"
#include "core/StopWait.h"
#include "core/Worker.h"

namespace vp {
namespace {

// The stop reaches the body however it is asked for: before Start, while the
// body runs, or by destroying the worker; a body that throws still finishes.
TEST(WorkerTest, StopAndFinish) {
  TQueueDispatcher dispatcher;
  {
    TWorker worker(dispatcher);
    worker.RequestStop();
    bool stoppedAtStart = false;
    ASSERT_TRUE(worker.Start([&](std::stop_token stop) { stoppedAtStart = stop.stop_requested(); }));
    EXPECT_FALSE(worker.Start([](std::stop_token) {}));  // one body per worker
    worker.Wait();
    EXPECT_TRUE(stoppedAtStart);
    EXPECT_TRUE(worker.Finished());
  }
  std::atomic<bool> sawStop{false};
  {
    TWorker worker(dispatcher);
    worker.Start([&](std::stop_token stop) {
      while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      sawStop = true;
    });
  }  // the destructor asks for the stop and joins
  EXPECT_TRUE(sawStop.load());

  TWorker failing;
  failing.Start([](std::stop_token) { throw std::runtime_error("body failed"); });
  failing.Wait();
  EXPECT_TRUE(failing.Finished());
}

// Waiting on the owning thread keeps the hand-overs running, so a body that
// waits in Synchronize is not deadlocked by its owner waiting for it.
TEST(WorkerTest, WaitOnTheOwnerRunsTheHandOvers) {
  TQueueDispatcher dispatcher;
  int calls = 0;
  TWorker worker(dispatcher);
  worker.Start([&](std::stop_token) {
    for (int i = 0; i < 20; ++i) dispatcher.Synchronize([&] { ++calls; });
  });
  worker.Wait();
  EXPECT_EQ(calls, 20);
}

// A body asleep in any of the waits ends as soon as its worker is stopped,
// whether the stop comes just before or during the wait; repeated, because
// the stop-aware waits of this runtime's library lost that race now and then
// and the worker then slept on for the whole hour.
TEST(WorkerTest, AStopEndsEveryWait) {
  enum class Kind { Wait, WaitUntil, WaitFor };
  for (const Kind kind : {Kind::Wait, Kind::WaitUntil, Kind::WaitFor}) {
    for (int round = 0; round < 200; ++round) {
      std::mutex mutex;
      TStopWait wake(mutex);
      bool done = true;
      {
        TWorker worker;
        worker.SetStopHook([&] { wake.Wake(); });
        worker.Start([&](std::stop_token stop) {
          const auto never = [] { return false; };
          std::unique_lock lock(mutex);
          const auto hour = std::chrono::hours(1);
          if (kind == Kind::Wait) done = wake.Wait(lock, stop, never);
          if (kind == Kind::WaitUntil)
            done = wake.WaitUntil(lock, stop, std::chrono::steady_clock::now() + hour, never);
          if (kind == Kind::WaitFor) done = wake.WaitFor(lock, stop, hour, never);
        });
        if (round % 2 == 1) std::this_thread::sleep_for(std::chrono::microseconds(200));
      }  // stopped and joined
      ASSERT_FALSE(done) << "round " << round;
    }
  }
}

// Wake makes a waiting body look at its condition again.
TEST(WorkerTest, WakeEndsAWaitWhoseConditionHolds) {
  std::mutex mutex;
  TStopWait wake(mutex);
  bool ready = false;
  bool sawReady = false;
  TWorker worker;
  worker.Start([&](std::stop_token stop) {
    std::unique_lock lock(mutex);
    sawReady = wake.Wait(lock, stop, [&] { return ready; });
  });
  {
    std::lock_guard lock(mutex);
    ready = true;
  }
  wake.Wake();
  worker.Wait();
  EXPECT_TRUE(sawReady);
}

}  // namespace
}  // namespace vp
