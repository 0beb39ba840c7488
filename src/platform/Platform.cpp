#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace vp::platform {
namespace {

Services gServices;

template <typename T>
T& Require(T* service, const char* what) {
  if (service == nullptr) {
    // A missing service is a wiring fault at start-up, never a run-time state.
    std::fprintf(stderr, "internal error: no %s service installed\n", what);
    std::abort();
  }
  return *service;
}

}  // namespace

const Services& Current() {
  return gServices;
}

void Install(const Services& services) {
  gServices = services;
}

System& Sys() {
  return Require(gServices.system, "system");
}
Registry& Reg() {
  return Require(gServices.registry, "registry");
}
FileSystem& Files() {
  return Require(gServices.files, "file system");
}

}  // namespace vp::platform
