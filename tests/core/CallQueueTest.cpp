#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "core/CallQueue.h"

namespace vp {
namespace {

// The owner is woken once for a burst of calls, and again only while a slice
// left calls behind: a busy worker must not flood the window with messages,
// nor may a call be left without a wake-up to run it.
TEST(CallQueueTest, WakesOncePerBurstAndAgainWhileCallsAreLeft) {
  int wakes = 0;
  std::vector<int> ran;
  TCallQueue queue([&] { ++wakes; });
  for (int i = 0; i < 3; ++i) queue.Post([&ran, i] { ran.push_back(i); });
  EXPECT_EQ(wakes, 1);
  queue.RunWoken(std::chrono::steady_clock::duration::zero());  // a slice of one call
  EXPECT_EQ(ran, (std::vector<int>{0}));
  EXPECT_EQ(wakes, 2);
  queue.RunWoken(std::chrono::hours(1));
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(wakes, 2);
  queue.Post([] {});
  EXPECT_EQ(wakes, 3);
}

// Closing releases a worker waiting for its call, which never runs, and
// drops what is handed over later.
TEST(CallQueueTest, CloseReleasesWaitersAndDropsLaterCalls) {
  TCallQueue queue;
  bool ran = false;
  std::thread worker([&] { queue.Synchronize([&] { ran = true; }); });
  while (queue.Waiting() == 0) std::this_thread::yield();
  queue.Close();
  worker.join();
  queue.Post([&] { ran = true; });
  queue.Synchronize([&] { ran = true; });
  EXPECT_EQ(queue.Waiting(), 0u);
  EXPECT_FALSE(queue.Run());
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace vp
