#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32System.h"

namespace vp::platform {

Services DefaultServices() {
  static win32::Win32System system;
  static win32::Win32FileSystem files;
  static win32::Win32Registry registry;
  Services services;
  services.system = &system;
  services.files = &files;
  services.registry = &registry;
  return services;
}

}  // namespace vp::platform
