#pragma once

#include <string>
#include <string_view>

#include "files/StringTools.h"
#include "platform/Registry.h"

namespace vp {

// Read-only looks at one key for the readers; a key that cannot be opened
// reads as empty.
StringList SubKeyNames(platform::RegHandle root, std::string_view path);
bool KeyPresent(platform::RegHandle root, std::string_view path);
// A value read as text; empty when the key or the value is missing.
std::string ValueText(platform::RegHandle root, std::string_view path, std::string_view name);
bool ValuePresent(platform::RegHandle root, std::string_view path, std::string_view name);

}  // namespace vp
