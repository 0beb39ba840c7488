#include "platform/sim/SimMachine.h"

namespace vp::platform::sim {

platform::Services SimMachine::Services() {
  platform::Services services;
  services.system = &system_;
  services.files = &files_;
  services.registry = &registry_;
  return services;
}

}  // namespace vp::platform::sim

#ifndef _WIN32
namespace vp::platform {

Services DefaultServices() {
  static sim::SimMachine machine;
  return machine.Services();
}

}  // namespace vp::platform
#endif
