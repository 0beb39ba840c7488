#pragma once

// Asks the user for one line of text in a small modal window.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vp::widgets {

// The text entered, or nothing when the user cancelled. The owner is
// disabled while the box is open.
std::optional<std::string> InputBox(HWND owner, std::string_view caption, std::string_view prompt,
                                    std::string_view initial);

}  // namespace vp::widgets
