// The reader of shortcut files on arbitrary bytes: whatever it accepts names
// a path, and reading the same bytes again gives the same target.
#include <cstdlib>
#include <string_view>

#include "platform/sim/ShellLinkFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto target = vp::platform::sim::ParseShellLink(bytes);
  if (!target) return 0;
  if (target->path.empty() || target->path.find('\0') != std::string::npos) std::abort();
  auto again = vp::platform::sim::ParseShellLink(bytes);
  if (!again || again->path != target->path || again->arguments != target->arguments) std::abort();
  return 0;
}
