// The reader of version resources on arbitrary bytes: whatever it accepts
// has a translation of eight hexadecimal digits and texts without NULs.
#include <cstdlib>
#include <string_view>

#include "platform/sim/VersionResource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto info = vp::platform::sim::ParseVersionResource(bytes);
  if (!info) return 0;
  if (info->translation.size() != 8 ||
      info->translation.find_first_not_of("0123456789ABCDEF") != std::string::npos)
    std::abort();
  for (const auto& [name, value] : info->strings)
    if (name.find('\0') != std::string::npos || value.find('\0') != std::string::npos) std::abort();
  return 0;
}
