#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "core/Dispatcher.h"
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

}  // namespace
}  // namespace vp
