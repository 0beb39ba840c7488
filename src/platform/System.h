#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vp::platform {

struct WindowsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
};

// What the program needs of the operating system beyond the registry and the
// file system. All text is 8-bit in the system code page.
class System {
 public:
  virtual ~System() = default;

  // The system code page's own (locale-aware) case mapping, byte for byte;
  // bytes without a counterpart in the code page stay as they are.
  virtual std::string UpperCase(std::string_view text) const = 0;
  virtual std::string LowerCase(std::string_view text) const = 0;

  // Locale-aware comparison without regard to case: negative, 0 or positive.
  virtual int CompareTextNoCase(std::string_view a, std::string_view b) const = 0;

  // Expands %NAME% references as the system does: unknown names stay as
  // written. Empty optional when the system reports a failure.
  virtual std::optional<std::string> ExpandEnvironment(std::string_view text) const = 0;

  // The ANSI code page number (1252 on a western system).
  virtual uint32_t AnsiCodePage() const = 0;

  virtual WindowsVersion Version() const = 0;
};

}  // namespace vp::platform
