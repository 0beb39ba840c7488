#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/Dispatcher.h"

namespace vp {
namespace {

TEST(QueueDispatcherTest, RunsWorkerCallsOnTheOwningThreadOneAtATime) {
  TQueueDispatcher dispatcher;
  const std::thread::id owner = std::this_thread::get_id();
  std::atomic<int> finishedWorkers{0};
  int calls = 0;  // touched only on the owning thread
  bool allOnOwner = true;
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        int seen = -1;
        dispatcher.Synchronize([&] {
          allOnOwner = allOnOwner && std::this_thread::get_id() == owner;
          seen = ++calls;
        });
        // The call has run before Synchronize returns.
        EXPECT_GT(seen, 0);
      }
      finishedWorkers.fetch_add(1);
    });
  }
  dispatcher.PumpUntil([&] { return finishedWorkers.load() == 4; });
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(calls, 200);
  EXPECT_TRUE(allOnOwner);
}

TEST(QueueDispatcherTest, OwnerCallsRunAtOnceAndErrorsReachTheCaller) {
  TQueueDispatcher dispatcher;
  EXPECT_TRUE(dispatcher.IsOwnerThread());
  bool ran = false;
  dispatcher.Synchronize([&] { ran = true; });
  EXPECT_TRUE(ran);

  std::atomic<bool> caught{false};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    EXPECT_FALSE(dispatcher.IsOwnerThread());
    try {
      dispatcher.Synchronize([] { throw std::runtime_error("handler failed"); });
    } catch (const std::runtime_error&) {
      caught = true;
    }
    done = true;
  });
  dispatcher.PumpUntil([&] { return done.load(); });
  worker.join();
  EXPECT_TRUE(caught);
}

// A worker that posts never waits for the owner, and the owner runs posted
// and synchronised calls in the order they were handed over; a failing
// posted call is dropped without stopping the ones after it.
TEST(QueueDispatcherTest, PostedCallsRunLaterInOrder) {
  TQueueDispatcher dispatcher;
  std::vector<int> order;  // touched only on the owning thread
  std::atomic<bool> posted{false};
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) dispatcher.Post([&order, i] { order.push_back(i); });
    dispatcher.Post([] { throw std::runtime_error("dropped"); });
    posted = true;  // nothing has run yet: the owner has not pumped
    dispatcher.Synchronize([&order] { order.push_back(100); });
  });
  while (!posted.load()) std::this_thread::yield();
  EXPECT_TRUE(order.empty());
  dispatcher.PumpUntil([&] { return order.size() == 101; });
  worker.join();
  for (int i = 0; i <= 100; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);

  // On the owning thread a post waits for the next pump as well.
  bool ran = false;
  dispatcher.Post([&] { ran = true; });
  EXPECT_FALSE(ran);
  dispatcher.ProcessPending(std::chrono::milliseconds(0));
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace vp
