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
class StallGuard : public ::testing::EmptyTestEventListener {
 public:
  explicit StallGuard(std::chrono::seconds limit) : limit_(limit) {
    std::thread([this] { Watch(); }).detach();  // lives as long as the process
  }

  void OnTestStart(const ::testing::TestInfo& test) override {
    std::lock_guard lock(mutex_);
    running_ = std::string(test.test_suite_name()) + "." + test.name();
    started_ = std::chrono::steady_clock::now();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard lock(mutex_);
    running_.clear();
  }

 private:
  void Watch() {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::seconds(1));
      std::lock_guard lock(mutex_);
      if (running_.empty() || std::chrono::steady_clock::now() - started_ < limit_) continue;
      std::fprintf(stderr, "\n%s has run for over %lld s: the run stops here\n", running_.c_str(),
                   static_cast<long long>(limit_.count()));
      std::fflush(stderr);
      std::fflush(stdout);
      std::_Exit(3);
    }
  }

  const std::chrono::seconds limit_;
  std::mutex mutex_;
  std::string running_;
  std::chrono::steady_clock::time_point started_;
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
