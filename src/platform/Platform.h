#pragma once

// The one seam between the program and the operating system. Everything the
// core needs of Windows is declared behind the interfaces named here; the
// Windows build implements them in platform/win32, the native build (and any
// test that needs a situation the real system cannot produce) in platform/sim.

namespace vp::platform {

class System;
class Registry;
class FileSystem;

struct Services {
  System* system = nullptr;
  Registry* registry = nullptr;
  FileSystem* files = nullptr;
};

// The services in force. Installed once at start-up, before any thread
// begins, and not replaced while threads run.
const Services& Current();
void Install(const Services& services);

// Shorthands for the installed services; each must have been installed.
System& Sys();
Registry& Reg();
FileSystem& Files();

// The default services of this build: the real system in the Windows build,
// an empty simulated machine natively. Owned by the library; never null.
Services DefaultServices();

}  // namespace vp::platform
