#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Launcher.h"
#include "platform/Platform.h"

namespace {

// Names a test that runs past the limit and ends the run, so that a hang is
// reported by the test it happened in; ctest's limit for the whole suite
// would otherwise kill it with its output cut short.
struct StallWatch {
  std::chrono::seconds limit{};
  std::mutex mutex;
  std::string running;  // the test under way, empty between tests
  std::chrono::steady_clock::time_point started;

  void Watch() {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::seconds(1));
      std::lock_guard lock(mutex);
      if (running.empty() || std::chrono::steady_clock::now() - started < limit) continue;
      std::fprintf(stderr, "\n%s has run for over %lld s: the run stops here\n", running.c_str(),
                   static_cast<long long>(limit.count()));
      std::fflush(stderr);
      std::fflush(stdout);
      std::_Exit(3);
    }
  }
};

// The listener only reports to the watch; gtest deletes it at exit, while
// the watch and its thread live as long as the process.
class StallGuard : public ::testing::EmptyTestEventListener {
 public:
  explicit StallGuard(StallWatch& watch) : watch_(watch) {}

  void OnTestStart(const ::testing::TestInfo& test) override {
    std::lock_guard lock(watch_.mutex);
    watch_.running = std::string(test.test_suite_name()) + "." + test.name();
    watch_.started = std::chrono::steady_clock::now();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard lock(watch_.mutex);
    watch_.running.clear();
  }

 private:
  StallWatch& watch_;
};

StallWatch* gStallWatch = nullptr;  // never freed: its thread is never joined

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
  gStallWatch = new StallWatch;
  gStallWatch->limit = std::chrono::seconds(limit != nullptr ? std::atoi(limit) : 240);
  std::thread([] { gStallWatch->Watch(); }).detach();
  ::testing::UnitTest::GetInstance()->listeners().Append(new StallGuard(*gStallWatch));
  vp::platform::Install(vp::platform::DefaultServices());
  vp::platform::InstallLauncher(&vp::platform::DefaultLauncher());
  return RUN_ALL_TESTS();
}
