#pragma once

#include "platform/Platform.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSystem.h"

namespace vp::platform::sim {

// A whole simulated Windows machine: the services of the seam, owned here.
class SimMachine {
 public:
  SimMachine() { system_.AttachFiles(&files_); }
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  SimSystem& System() { return system_; }
  SimFileSystem& Files() { return files_; }
  SimRegistry& Registry() { return registry_; }

  // The seam's view of this machine, for platform::Install.
  platform::Services Services();

 private:
  SimSystem system_;
  SimFileSystem files_;
  SimRegistry registry_;
};

}  // namespace vp::platform::sim
