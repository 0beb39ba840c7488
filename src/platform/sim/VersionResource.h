#pragma once

#include <optional>
#include <string_view>

#include "platform/System.h"

namespace vp::platform::sim {

// The version resource of a program file read from the file's own bytes:
// the PE image's resource section, its version resource, and there the first
// translation and every string of that translation's table. Empty for
// anything that is not a well-formed PE image with a version resource.
// Strings that have no form in code page 1252 are left out.
std::optional<FileVersionInfo> ParseVersionResource(std::string_view bytes);

}  // namespace vp::platform::sim
