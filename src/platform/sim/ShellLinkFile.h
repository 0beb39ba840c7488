#pragma once

#include <optional>
#include <string_view>

#include "platform/System.h"

namespace vp::platform::sim {

// The target of a shell shortcut read from the bytes of its .lnk file: the
// local path (or network share and path) of its link information and its
// argument string. Empty for anything that is not a well-formed shortcut
// with such a target, for text that has no form in code page 1252, and for
// a path holding "?" (what is left of such text in a narrow path).
// Targets known only by their item-ID list (no link information) are not
// read.
std::optional<ShortcutTarget> ParseShellLink(std::string_view bytes);

}  // namespace vp::platform::sim
