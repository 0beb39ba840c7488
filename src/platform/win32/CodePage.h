#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vp::platform::win32 {

// Strict conversions between the ANSI code page and UTF-16. A text that does
// not survive the round trip exactly (a character outside the code page, a
// best-fit substitution, an invalid byte sequence) gives an empty optional:
// such text is never read, backed up or changed as if it were intact.
std::optional<std::wstring> ToWide(std::string_view text);
std::optional<std::string> FromWide(std::wstring_view text);

// Every ANSI code page of Windows maps the bytes 0 to 127 onto the characters
// 0 to 127 and back, so such text converts unit by unit.
bool IsAscii(std::string_view text);

}  // namespace vp::platform::win32
