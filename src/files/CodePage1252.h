#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vp {

// Code page 1252 and UTF-16, as the system converts them: the five bytes the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control characters of the same number and back, so every byte survives.
char16_t Cp1252ToUtf16(unsigned char byte);
std::optional<unsigned char> Utf16ToCp1252(char16_t unit);

// Whole texts. The reverse gives an empty optional for any unit outside the
// code page: such text is never turned into something else.
std::u16string Cp1252ToUtf16(std::string_view text);
std::optional<std::string> Utf16ToCp1252(std::u16string_view text);

}  // namespace vp
