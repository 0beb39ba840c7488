#pragma once

#include <string>

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

}  // namespace vp::test
