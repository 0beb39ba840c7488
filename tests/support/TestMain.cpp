#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Launcher.h"
#include "platform/Platform.h"

namespace {

// Names a test that runs past the limit and ends the run, so that a hang is
// reported by the test it happened in; ctest's limit for the whole suite
// would otherwise kill it with its output cut short.
class StallGuard : public ::testing::EmptyTestEventListener {
 public:
  // The watching thread shares the state: the test framework deletes its
  // listeners when the run ends, while the thread lives as long as the
  // process.
  explicit StallGuard(std::chrono::seconds limit) : state_(std::make_shared<State>(limit)) {
    std::thread([state = state_] { Watch(*state); }).detach();
  }

  void OnTestStart(const ::testing::TestInfo& test) override {
    std::lock_guard lock(state_->mutex);
    state_->running = std::string(test.test_suite_name()) + "." + test.name();
    state_->started = std::chrono::steady_clock::now();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard lock(state_->mutex);
    state_->running.clear();
  }

 private:
  struct State {
    explicit State(std::chrono::seconds l) : limit(l) {}
    const std::chrono::seconds limit;
    std::mutex mutex;
    std::string running;
    std::chrono::steady_clock::time_point started;
  };

  static void Watch(State& state) {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::seconds(1));
      std::lock_guard lock(state.mutex);
      if (state.running.empty() || std::chrono::steady_clock::now() - state.started < state.limit) continue;
      std::fprintf(stderr, "\n%s has run for over %lld s: the run stops here\n", state.running.c_str(),
                   static_cast<long long>(state.limit.count()));
      std::fflush(stderr);
      std::fflush(stdout);
      std::_Exit(3);
    }
  }

  std::shared_ptr<State> state_;
};

}  // namespace

// Every test executable runs against this build's default platform: the real
// system under Wine, the simulated machine natively.
int main(int argc, char** argv) {
#ifdef _WIN32
  // The runtime buffers a pipe in full: unbuffered, a run that is killed
  // still shows how far it got.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  const char* limit = std::getenv("VP_TEST_STALL_SECONDS");
  ::testing::UnitTest::GetInstance()->listeners().Append(
      new StallGuard(std::chrono::seconds(limit != nullptr ? std::atoi(limit) : 240)));
  vp::platform::Install(vp::platform::DefaultServices());
  vp::platform::InstallLauncher(&vp::platform::DefaultLauncher());
  return RUN_ALL_TESTS();
}
