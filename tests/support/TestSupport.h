#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

namespace vp::test {

// True in the Windows build, whose tests run on the real system under Wine.
constexpr bool kOnRealWindows =
#ifdef _WIN32
    true;
#else
    false;
#endif

// A file under tests/data, as a path the program under test can open
// (the Linux path as seen from Wine's Z: drive in the Windows build).
std::string DataPath(const std::string& relative);

// A program file built for the tests (tests/data/version), as a path the
// program under test can open; empty when the build had no cross compiler
// to make it.
std::string BuiltFixturePath(const std::string& name);

// A file the program ships (under data/, e.g. "Languages/English.lng").
std::string ShippedFile(const std::string& relative);

// A file's bytes, read by the test itself; empty when it cannot be read.
std::string HostFileBytes(const std::filesystem::path& path);

// Runs an action when the scope ends, however it ends: a failed ASSERT
// returns early, and what the test changed in shared state must still be
// put back.
class AtScopeEnd {
 public:
  explicit AtScopeEnd(std::function<void()> action) : action_(std::move(action)) {}
  ~AtScopeEnd() {
    if (action_) action_();
  }
  AtScopeEnd(const AtScopeEnd&) = delete;
  AtScopeEnd& operator=(const AtScopeEnd&) = delete;

 private:
  std::function<void()> action_;
};

}  // namespace vp::test
