#include <gtest/gtest.h>

#include <optional>

#include "core/ErrorMode.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {
namespace {

// Overlapping guards, ended in either order: the mode found before the
// first is back only once the last has ended.
TEST(ErrorModeGuardTest, NestedGuardsRestoreOnceAtTheEnd) {
  const uint32_t before = platform::Sys().ExchangeErrorMode(0x8000);
  for (bool firstEndsFirst : {true, false}) {
    std::optional<TErrorModeGuard> first(std::in_place);
    std::optional<TErrorModeGuard> second(std::in_place);
    EXPECT_EQ(platform::Sys().ExchangeErrorMode(platform::kFailCriticalErrors),
              platform::kFailCriticalErrors);
    (firstEndsFirst ? first : second).reset();
    EXPECT_EQ(platform::Sys().ExchangeErrorMode(platform::kFailCriticalErrors),
              platform::kFailCriticalErrors);
    (firstEndsFirst ? second : first).reset();
    EXPECT_EQ(platform::Sys().ExchangeErrorMode(0x8000), 0x8000u) << firstEndsFirst;
  }
  platform::Sys().ExchangeErrorMode(before);
}

}  // namespace
}  // namespace vp
