#pragma once

// Puts the services in force back when it ends, after a piece of work that
// ran with some of them replaced. Only between pieces of work: services are
// never replaced while threads run.

#include "platform/Platform.h"

namespace vp::bench {

class TScopedServices {
 public:
  // Installs services (the ones in force with some replaced).
  explicit TScopedServices(const platform::Services& services) : previous_(platform::Current()) {
    platform::Install(services);
  }
  ~TScopedServices() { platform::Install(previous_); }
  TScopedServices(const TScopedServices&) = delete;
  TScopedServices& operator=(const TScopedServices&) = delete;

 private:
  platform::Services previous_;
};

// The services in force with one replaced.
inline platform::Services WithRegistry(platform::Registry& registry) {
  platform::Services services = platform::Current();
  services.registry = &registry;
  return services;
}
inline platform::Services WithFiles(platform::FileSystem& files) {
  platform::Services services = platform::Current();
  services.files = &files;
  return services;
}

}  // namespace vp::bench
