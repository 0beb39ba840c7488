#include "platform/Launcher.h"

#include <cstdio>
#include <cstdlib>

namespace vp::platform {
namespace {

Launcher* gLauncher = nullptr;

}  // namespace

Launcher& Launch() {
  if (gLauncher == nullptr) {
    // A missing launcher is a wiring fault at start-up, never a run-time state.
    std::fprintf(stderr, "internal error: no launcher installed\n");
    std::abort();
  }
  return *gLauncher;
}

void InstallLauncher(Launcher* launcher) {
  gLauncher = launcher;
}

}  // namespace vp::platform
