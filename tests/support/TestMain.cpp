#include <gtest/gtest.h>

#include "platform/Launcher.h"
#include "platform/Platform.h"

// Every test executable runs against this build's default platform: the real
// system under Wine, the simulated machine natively.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vp::platform::Install(vp::platform::DefaultServices());
  vp::platform::InstallLauncher(&vp::platform::DefaultLauncher());
  return RUN_ALL_TESTS();
}
