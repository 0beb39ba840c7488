#pragma once

// Text between the program (8-bit, the system code page) and the controls
// (UTF-16). What is shown need not survive a round trip, unlike what the
// registry layer reads, so these convert loosely.

#include <string>
#include <string_view>

namespace vp::widgets {

std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

}  // namespace vp::widgets
