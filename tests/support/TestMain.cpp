#include <gtest/gtest.h>

#include "platform/Platform.h"

// Every test executable runs against this build's default platform: the real
// system under Wine, the simulated machine natively.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vp::platform::Install(vp::platform::DefaultServices());
  return RUN_ALL_TESTS();
}
